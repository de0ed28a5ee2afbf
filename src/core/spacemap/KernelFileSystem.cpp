#include "spacemap/KernelFileSystem.h"

#include <linux/magic.h>
#include <sys/vfs.h>

namespace kelvora {

namespace {

bool isKernelType(const struct statfs& info) {
    switch (static_cast<unsigned long>(info.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case 0x19800202: // mqueue
    case BINFMTFS_MAGIC:
    case EFIVARFS_MAGIC:
    case NSFS_MAGIC:
    case SELINUX_MAGIC:
    case SMACK_MAGIC:
    case AUTOFS_SUPER_MAGIC:
    case 0x62656570: // configfs
    case 0x65735543: // fusectl
        return true;
    default:
        return false;
    }
}

} // namespace

bool isKernelFileSystem(const std::string& path) {
    struct statfs info {};
    return statfs(path.c_str(), &info) == 0 && isKernelType(info);
}

bool isKernelFileSystem(int folder) {
    struct statfs info {};
    return fstatfs(folder, &info) == 0 && isKernelType(info);
}

} // namespace kelvora
