#pragma once

#ifndef Q_MOC_RUN
#include "platform/Url.h"
#endif

#include <QObject>

#include <optional>
#include <vector>

namespace kelvora {

// The application's own announcements to its windows.
class AppEvents : public QObject {
    Q_OBJECT

public:
    static AppEvents& shared();

signals:
    // Files opened with the application (given on its command line, forwarded by a second
    // start, or dropped on the window), unchanged and in the order given.
    void kelvoraOpenApps(const std::vector<kelvora::URL>& urls);
};

// An application as a file manager hands it over: a bundle, an AppImage or a menu entry.
bool isApplicationFile(const URL& url);
// The first opened item that is an application.
std::optional<URL> firstApplication(const std::vector<URL>& urls);

} // namespace kelvora
