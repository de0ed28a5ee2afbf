#pragma once

#include <optional>
#include <string>

namespace kelvora {

// The first executable file of this name in the folders of $PATH, as a shell would find it.
std::optional<std::string> findOnPath(const std::string& name);

} // namespace kelvora
