#pragma once

#include <string>

namespace kelvora {

// True for a folder on a kernel or process view (proc, sysfs, cgroup and the like) rather
// than stored files: walking it measures nothing and, under /proc, may never end.
bool isKernelFileSystem(const std::string& path);
// The same for a folder already open, however deep it lies.
bool isKernelFileSystem(int folder);

} // namespace kelvora
