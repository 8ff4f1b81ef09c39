#include "platform/instance/instancelock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vistelle {

namespace {

const char RaiseRequest[] = "raise\n";
const char RaiseAnswer[] = "ok\n";

// An abstract socket address (no file in the folder, gone with the process), one per folder.
sockaddr_un addressOf(const QString& folder, const char* role, socklen_t& length)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex();
    const QByteArray name = QByteArray("vistelle-") + role + '-' + hash;
    std::memcpy(address.sun_path + 1, name.constData(), size_t(name.size())); // sun_path[0] = 0: abstract
    length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return address;
}

bool waitFor(int fd, short events, int timeoutMs)
{
    pollfd p{fd, events, 0};
    int r;
    do r = ::poll(&p, 1, timeoutMs);
    while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & events);
}

} // namespace

QString canonicalFolder(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : canonical;
}

InstanceLock::InstanceLock(const QString& folder, Holder holder) : m_folder(canonicalFolder(folder)), m_holder(holder) {}

InstanceLock::~InstanceLock()
{
    for (int fd : {m_fd, m_socketLock, m_importMark}) {
        if (fd >= 0) ::close(fd);
    }
}

namespace {

QByteArray lockPath(const QString& folder) { return QFile::encodeName(folder + u'/' + InstanceLock::lockFileName()); }

int openLockFile(const QByteArray& path)
{
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC); // a folder we cannot write
    return fd;
}

// The lock taken is on the file at the path now, not on one deleted or replaced meanwhile.
bool isFileAtPath(int fd, const QByteArray& path)
{
    struct stat held{}, atPath{};
    return ::fstat(fd, &held) == 0 && ::stat(path.constData(), &atPath) == 0 && held.st_dev == atPath.st_dev
        && held.st_ino == atPath.st_ino;
}

enum class Flock { Taken, Held, Unsupported };

Flock tryFlock(int fd)
{
    int r;
    do r = ::flock(fd, LOCK_EX | LOCK_NB);
    while (r < 0 && errno == EINTR);
    if (r == 0) return Flock::Taken;
    // Only a lock held elsewhere says another instance runs; a file system without locks
    // says so with one of the others.
    return errno == EWOULDBLOCK ? Flock::Held : Flock::Unsupported;
}

} // namespace

bool InstanceLock::tryLock()
{
    if (m_locked) return true;
    m_locked = lockFile();
    if (m_locked) announce();
    return m_locked;
}

bool InstanceLock::lockFile()
{
    const QByteArray path = lockPath(m_folder);
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (m_fd < 0) m_fd = openLockFile(path);
        if (m_fd < 0) return bindAsLock();
        switch (tryFlock(m_fd)) {
        case Flock::Held: return false;
        case Flock::Unsupported:
            ::close(m_fd);
            m_fd = -1;
            return bindAsLock();
        case Flock::Taken:
            if (isFileAtPath(m_fd, path)) return true;
            ::close(m_fd); // replaced while it was being locked: lock the new one
            m_fd = -1;
            break;
        }
    }
    return false;
}

bool InstanceLock::keepHeld()
{
    if (!m_locked || m_fd < 0) return m_locked;
    const QByteArray path = lockPath(m_folder);
    if (isFileAtPath(m_fd, path)) return true;
    const int fd = openLockFile(path);
    if (fd < 0) return true; // no file can be there: the old one still holds against well-behaved starts
    if (tryFlock(fd) != Flock::Taken || !isFileAtPath(fd, path)) {
        ::close(fd);
        return false;
    }
    ::close(m_fd);
    m_fd = fd;
    return true;
}

// An import marks its hold, so that a start meanwhile can say what holds the folder.
void InstanceLock::announce()
{
    if (m_holder != Holder::Import || m_importMark >= 0) return;
    m_importMark = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_importMark < 0) return;
    socklen_t length;
    const sockaddr_un address = addressOf(m_folder, "import", length);
    if (::bind(m_importMark, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        ::close(m_importMark);
        m_importMark = -1;
    }
}

bool importHoldsFolder(const QString& folder)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    socklen_t length;
    const sockaddr_un address = addressOf(canonicalFolder(folder), "import", length);
    const bool held = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 && errno == EADDRINUSE;
    ::close(fd);
    return held;
}

// Without a lock file, a bound socket of the folder's own name holds the folder.
bool InstanceLock::bindAsLock()
{
    m_socketLock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socketLock < 0) return false;
    socklen_t length;
    const sockaddr_un address = addressOf(m_folder, "lock", length);
    if (::bind(m_socketLock, reinterpret_cast<const sockaddr*>(&address), length) == 0) return true;
    ::close(m_socketLock);
    m_socketLock = -1;
    return false;
}

InstanceServer::InstanceServer(const QString& folder, QObject* parent) : QObject(parent)
{
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) return;
    socklen_t length;
    const sockaddr_un address = addressOf(canonicalFolder(folder), "raise", length);
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || ::listen(m_fd, 8) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_notifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { acceptOne(); });
}

InstanceServer::~InstanceServer()
{
    if (m_fd >= 0) ::close(m_fd);
}

void InstanceServer::acceptOne()
{
    const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    char request[sizeof RaiseRequest] = {};
    const bool asked = waitFor(client, POLLIN, 1000)
        && ::recv(client, request, sizeof RaiseRequest - 1, MSG_DONTWAIT) == ssize_t(sizeof RaiseRequest - 1)
        && std::memcmp(request, RaiseRequest, sizeof RaiseRequest - 1) == 0;
    if (asked) {
        if (onRaise) onRaise();
        ::send(client, RaiseAnswer, sizeof RaiseAnswer - 1, MSG_NOSIGNAL);
    }
    ::close(client);
}

bool askRunningToRaise(const QString& folder, int timeoutMs)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    socklen_t length;
    const sockaddr_un address = addressOf(canonicalFolder(folder), "raise", length);
    char answer[sizeof RaiseAnswer] = {};
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0
        && ::send(fd, RaiseRequest, sizeof RaiseRequest - 1, MSG_NOSIGNAL) == ssize_t(sizeof RaiseRequest - 1)
        && waitFor(fd, POLLIN, timeoutMs)
        && ::recv(fd, answer, sizeof RaiseAnswer - 1, 0) == ssize_t(sizeof RaiseAnswer - 1)
        && std::memcmp(answer, RaiseAnswer, sizeof RaiseAnswer - 1) == 0;
    ::close(fd);
    return ok;
}

} // namespace vistelle
