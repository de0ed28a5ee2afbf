#pragma once

namespace kelvora {

// The software updater's place. Linux installs come from the system's package manager,
// which keeps Kelvora up to date itself, so no update check is ever offered here.
class Updater {
public:
    Updater() = default;
    bool canCheck() const { return canCheck_; }
    // Does nothing while checking is not possible.
    void checkForUpdates() {}

private:
    bool canCheck_ = false;
};

} // namespace kelvora
