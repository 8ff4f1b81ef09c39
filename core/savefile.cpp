#include "core/savefile.h"
#include "core/inplacesave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistelle {

namespace {

FileStamp stampOf(const struct stat& st)
{
    FileStamp s;
    s.device = qint64(st.st_dev);
    s.inode = qint64(st.st_ino);
    s.size = qint64(st.st_size);
    s.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

// Closes the descriptor when it goes; unlinks the temporary name unless kept.
struct TemporaryFile {
    int fd = -1;
    QByteArray name; // empty while unnamed
    bool keep = false;
    ~TemporaryFile()
    {
        if (fd >= 0) ::close(fd);
        if (!name.isEmpty() && !keep) ::unlink(name.constData());
    }
};

QByteArray randomSuffix()
{
    static const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray s(6, Qt::Uninitialized);
    for (char& c : s) c = Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))];
    return s;
}

bool folderRefused(int error) { return error == EACCES || error == EPERM || error == EROFS; }

// A new file in the folder: unnamed where the file system allows (a crash leaves nothing
// behind), named fileName.XXXXXX otherwise. False with errno set.
bool createTemporary(const QByteArray& fileName, const QByteArray& folder, mode_t mode, TemporaryFile& tmp)
{
    tmp.fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (tmp.fd >= 0) return true;
    if (folderRefused(errno)) return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = fileName + '.' + randomSuffix();
        tmp.fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (tmp.fd >= 0) {
            tmp.name = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

// Gives an unnamed temporary file its name fileName.XXXXXX, once it is complete.
bool nameTemporary(const QByteArray& fileName, TemporaryFile& tmp)
{
    if (!tmp.name.isEmpty()) return true;
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(tmp.fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = fileName + '.' + randomSuffix();
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0) {
            tmp.name = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

// A file system that cannot swap or refuse to replace in one step says so with one of these.
bool unsupported(int error) { return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP; }

enum class Replaced { Yes, ChangedOnDisk, Failed };

// A second name for a file, fileName.XXXXXX, kept for merging; empty when none could be made.
QString keepCopy(const QByteArray& fileName, const QByteArray& existing)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = fileName + '.' + randomSuffix();
        if (::link(existing.constData(), name.constData()) == 0) return QFile::decodeName(name);
        if (errno != EEXIST) return {};
    }
    return {};
}

// Puts the temporary file in the old one's place. With expected, the old file must be that
// one: swapped where the file system can, and the file swapped out checked; another
// program's write swapped out is kept under a name of its own and swapped back at once,
// and the save gives way. Where the file system cannot swap, the file is checked right
// before the rename.
Replaced replace(TemporaryFile& tmp, const QByteArray& fileName, const FileStamp* expected, const FileStamp& mine,
                 QStringList& displaced)
{
    const char* from = tmp.name.constData();
    const char* to = fileName.constData();
    if (expected && expected->exists()) {
        // Checked first, so that a file changed meanwhile is rarely swapped out at all: for
        // the instant between the swaps, a program reading the file would read this save.
        if (FileStamp::of(QFile::decodeName(fileName)) != *expected) return Replaced::ChangedOnDisk;
        if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE) == 0) {
            const QString swappedOut = QFile::decodeName(tmp.name);
            if (FileStamp::of(swappedOut) == *expected) return Replaced::Yes;
            const QString kept = keepCopy(fileName, tmp.name);
            if (!kept.isEmpty()) displaced << kept;
            const bool swappedBack = ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE) == 0;
            if (swappedBack && FileStamp::of(swappedOut) == mine) return Replaced::ChangedOnDisk;
            // Yet another write came in between, or the swap back failed: what the temporary
            // name holds now is another program's write too, or this one's in place.
            tmp.keep = true;
            if (kept.isEmpty() || FileStamp::of(swappedOut) != FileStamp::of(kept)) displaced << swappedOut;
            else ::unlink(from);
            return swappedBack ? Replaced::ChangedOnDisk : Replaced::Yes;
        }
        if (errno == ENOENT) return Replaced::ChangedOnDisk; // the old file is gone
        if (!unsupported(errno)) return Replaced::Failed;
        if (FileStamp::of(QFile::decodeName(fileName)) != *expected) return Replaced::ChangedOnDisk;
    } else if (expected) {
        if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
            tmp.name.clear();
            return Replaced::Yes;
        }
        if (errno == EEXIST) return Replaced::ChangedOnDisk;
        if (!unsupported(errno)) return Replaced::Failed;
        if (FileStamp::of(QFile::decodeName(fileName)).exists()) return Replaced::ChangedOnDisk;
    }
    if (::rename(from, to) != 0) return Replaced::Failed;
    tmp.name.clear();
    return Replaced::Yes;
}

// Writes bytes from the start of fd, each part once ready says it is final.
bool writeAsReady(int fd, const QByteArray& bytes, const BytesReady& ready)
{
    if (!ready) return writeAll(fd, bytes);
    constexpr qsizetype Part = 1 << 20;
    for (qsizetype written = 0; written < bytes.size();) {
        const qsizetype upTo = std::min(ready(std::min(bytes.size(), written + Part)), bytes.size());
        if (!writeAll(fd, QByteArray::fromRawData(bytes.constData() + written, upTo - written), written)) return false;
        ::sync_file_range(fd, off_t(written), off_t(upTo - written), SYNC_FILE_RANGE_WRITE);
        written = upTo;
    }
    return true;
}

SaveResult saveAtomically(const QString& fileName, const QByteArray& bytes, const FileStamp* expected,
                          const std::function<bool()>& stillCurrent, bool& folderWritable,
                          const BytesReady& ready = {})
{
    SaveResult result;
    folderWritable = true;
    const QByteArray name = QFile::encodeName(fileName);
    const QByteArray folder = QFile::encodeName(QFileInfo(fileName).absolutePath());
    struct stat old{};
    const bool exists = ::stat(name.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return result; // never swapped with a folder or a device
    TemporaryFile tmp;
    if (!createTemporary(name, folder, exists ? (old.st_mode & 07777) : 0666, tmp)) {
        folderWritable = !folderRefused(errno);
        return result;
    }
    // The old file's permissions go to the new one (the creation mask may have cut them).
    if (exists) ::fchmod(tmp.fd, old.st_mode & 07777);
    if (!writeAsReady(tmp.fd, bytes, ready) || ::fdatasync(tmp.fd) != 0) return result;
    if (!nameTemporary(name, tmp)) return result;
    // Taken from the open file, so that another program replacing the file right after
    // the rename cannot pass for this write. Linking and renaming keep inode and time.
    const FileStamp mine = FileStamp::ofDescriptor(tmp.fd);
    if (stillCurrent && !stillCurrent()) {
        result.changedOnDisk = true;
        return result;
    }
    switch (replace(tmp, name, expected, mine, result.displaced)) {
    case Replaced::ChangedOnDisk: result.changedOnDisk = true; return result;
    case Replaced::Failed: return result;
    case Replaced::Yes: break;
    }
    result.stamp = mine;
    // The rename itself reaches the disk only with its folder.
    result.saved = syncFolder(folder);
    return result;
}

} // namespace

FileStamp FileStamp::of(const QString& fileName)
{
    struct stat st;
    if (::stat(QFile::encodeName(fileName).constData(), &st) != 0) return {};
    return stampOf(st);
}

FileStamp FileStamp::ofDescriptor(int fd)
{
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) return {};
    FileStamp s = stampOf(st);
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy >= 0) s.held = std::shared_ptr<const int>(new int(copy), [](const int* p) {
        ::close(*p);
        delete p;
    });
    return s;
}

bool writeAll(int fd, const QByteArray& bytes, qint64 offset)
{
    const char* p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = offset < 0 ? ::write(fd, p, size_t(std::min<qint64>(left, 1 << 30)))
                                     : ::pwrite(fd, p, size_t(std::min<qint64>(left, 1 << 30)), off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= n;
        if (offset >= 0) offset += n;
    }
    return true;
}

bool syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL; // a file system that cannot sync folders
    ::close(fd);
    return synced;
}

SaveResult saveFile(const QString& fileName, const QByteArray& bytes, const FileStamp* expected,
                    const BytesReady& ready)
{
    bool folderWritable = true;
    SaveResult result = saveAtomically(fileName, bytes, expected, {}, folderWritable, ready);
    if (folderWritable) return result;
    if (ready) ready(bytes.size());
    return saveInPlace(fileName, bytes, expected);
}

bool writeFileWhole(const QString& fileName, const QByteArray& bytes, FileStamp* written,
                    const std::function<bool()>& stillCurrent)
{
    bool folderWritable = true;
    SaveResult result = saveAtomically(fileName, bytes, nullptr, stillCurrent, folderWritable);
    if (!folderWritable) result = saveInPlace(fileName, bytes, nullptr);
    if (written && result.saved) *written = result.stamp;
    return result.saved;
}

QStringList leftoverSaves(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QRegularExpression temporary(QLatin1Char('^') + QRegularExpression::escape(info.fileName())
                                       + QStringLiteral("\\.[A-Za-z0-9]{6}$"));
    QDir folder = info.absoluteDir();
    QStringList found;
    for (const QFileInfo& f : folder.entryInfoList(QDir::Files | QDir::Hidden, QDir::Time | QDir::Reversed)) {
        if (temporary.match(f.fileName()).hasMatch()) found << f.absoluteFilePath();
    }
    const QString copy = inPlaceCopyName(fileName);
    if (QFileInfo(copy).isFile()) found << copy;
    return found;
}

} // namespace vistelle
