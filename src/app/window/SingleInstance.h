#pragma once

#include <QObject>
#include <QStringList>

namespace kelvora {

// Keeps one running copy per session: the first start claims the application's name on
// the session bus; a later start hands its files to that copy and ends.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.kelvora.Kelvora")

public:
    explicit SingleInstance(QObject* parent = nullptr);

    // True when this process now answers for the application; false when another copy
    // runs and has been handed the paths. Without a session bus every start is the first.
    bool claimOrForward(const QStringList& paths);

public slots:
    // Called over the bus by a later start: its opened files, and a wish to be seen.
    void OpenApps(const QStringList& paths);

signals:
    void raiseRequested();
};

} // namespace kelvora
