#include "core/inplacesave.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace vistelle {

namespace {

struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0) ::close(fd);
    }
};

// File systems that write every change to new blocks: space reserved for a file does not
// cover overwriting it.
bool copyOnWrite(int fd)
{
    constexpr unsigned long Zfs = 0x2fc12fc1, Bcachefs = 0xca451a4e;
    struct statfs fs{};
    if (::fstatfs(fd, &fs) != 0) return true;
    const auto type = static_cast<unsigned long>(fs.f_type);
    return type == BTRFS_SUPER_MAGIC || type == Zfs || type == Bcachefs;
}

QString dataFolder()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/vistelle/saving");
}

} // namespace

QString inPlaceCopyName(const QString& fileName)
{
    const QFileInfo info(fileName);
    QString folder = info.absoluteDir().canonicalPath();
    if (folder.isEmpty()) folder = info.absolutePath();
    const QByteArray key = QFile::encodeName(folder + u'/' + info.fileName());
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex();
    return dataFolder() + u'/' + QString::fromLatin1(hash.left(20)) + u'-' + info.fileName();
}

SaveResult saveInPlace(const QString& fileName, const QByteArray& bytes, const FileStamp* expected)
{
    SaveResult result;
    const Descriptor file{::open(QFile::encodeName(fileName).constData(), O_WRONLY | O_CLOEXEC)};
    if (file.fd < 0) return result;
    const FileStamp before = FileStamp::ofDescriptor(file.fd);
    if (expected && before != *expected) {
        result.changedOnDisk = true;
        return result;
    }
    if (copyOnWrite(file.fd)) return result;

    const QString copy = inPlaceCopyName(fileName);
    if (!QDir().mkpath(QFileInfo(copy).absolutePath()) || !writeFileWhole(copy, bytes)) return result;
    if (!bytes.isEmpty() && ::fallocate(file.fd, 0, 0, off_t(bytes.size())) != 0) {
        QFile::remove(copy); // nothing of the file was touched
        return result;
    }
    const bool written = writeAll(file.fd, bytes, 0) && ::ftruncate(file.fd, off_t(bytes.size())) == 0
        && ::fdatasync(file.fd) == 0;
    result.stamp = FileStamp::ofDescriptor(file.fd);
    if (!written) return result; // the copy stays: the next start restores the file from it
    result.saved = true;
    QFile::remove(copy);
    return result;
}

bool restoreFromInPlaceCopy(const QString& fileName)
{
    const QString copy = inPlaceCopyName(fileName);
    QFile file(copy);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() != file.size()) return false;
    file.close();
    // The in-place save makes a copy of its own and drops it once the file is whole.
    if (!writeFileWhole(fileName, bytes)) return false;
    QFile::remove(copy);
    return true;
}

} // namespace vistelle
