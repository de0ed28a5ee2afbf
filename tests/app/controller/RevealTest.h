#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>

namespace kelvora::testing {

// A file manager on the session bus; it answers when its thread runs.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown = uris; }
};

// Catches every folder opened through the desktop's services.
class FolderOpener : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl& url) { opened << url.toString(); }
};

} // namespace kelvora::testing
