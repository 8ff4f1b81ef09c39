#pragma once
// Tells when something in a folder may have changed: the file system's change notices for
// the folder and one file in it, and a look every two seconds where notices do not reach
// (network and FUSE file systems). A sync tool replaces a file by renaming another over
// it, after which a watch on the file alone is gone; the folder's watch sees the rename.
// Notices come in bursts; one call of changed follows each burst after a short delay.

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>

namespace vistelle {

class FolderWatch : public QObject {
    Q_OBJECT

public:
    static constexpr int PollMs = 2000;
    static constexpr int SettleMs = 150;

    FolderWatch(const QString& folder, const QString& fileName, QObject* parent = nullptr);

    // Runs after a notice (once per burst) and at every poll; it compares stamps itself.
    std::function<void()> changed;

private:
    void notice();

    QString m_file;
    QFileSystemWatcher m_watcher;
    QTimer m_poll;
    QTimer m_settle;
};

} // namespace vistelle
