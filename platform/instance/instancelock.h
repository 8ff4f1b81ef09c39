#pragma once
// One Vistelle per working folder. The running one holds an advisory lock on the hidden
// file .vistelle.lock in the folder; the kernel lets go of it when the process ends, so a
// lock left by a crashed run is free again at once. Where the folder allows no lock file,
// or its file system no locks (network file systems without a lock manager), a bound
// socket named after the folder is the lock. A second start asks the running one, over a
// local socket named after the folder, to come to the front.

#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

namespace vistelle {

class InstanceLock {
public:
    // Who holds the folder: the window, or the command line changing the diary.
    enum class Holder { Window, Import };

    explicit InstanceLock(const QString& folder, Holder holder = Holder::Window);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process now holds the folder (or already did).
    bool tryLock();
    bool locked() const { return m_locked; }
    // For the running window, asked every so often: when the lock file was deleted or
    // replaced (a synchronising program may do that), the file now at the path is locked
    // instead. False when that file is held by another process.
    bool keepHeld();
    const QString& folder() const { return m_folder; }

    static QString lockFileName() { return QStringLiteral(".vistelle.lock"); }

private:
    bool bindAsLock();
    bool lockFile();
    void announce();

    QString m_folder; // canonical path
    Holder m_holder;
    int m_fd = -1;
    int m_socketLock = -1; // used as the lock where the folder allows no lock file
    int m_importMark = -1; // bound while an import holds the folder
    bool m_locked = false;
};

// Whether an import (vistelle-diary) holds the folder now.
bool importHoldsFolder(const QString& folder);

// Listens for later starts in the same folder while this one runs.
class InstanceServer : public QObject {
    Q_OBJECT

public:
    explicit InstanceServer(const QString& folder, QObject* parent = nullptr);
    ~InstanceServer() override;
    bool listening() const { return m_fd >= 0; }
    // Runs for every later start; it should bring the main window to the front.
    std::function<void()> onRaise;

private:
    void acceptOne();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

// Asks the Vistelle running in folder to come to the front; false when none answered
// within the time.
bool askRunningToRaise(const QString& folder, int timeoutMs = 3000);

// The canonical form of a folder: the same text for every way of naming it.
QString canonicalFolder(const QString& folder);

} // namespace vistelle
