#include "core/savefile.h"

#include <QFile>
#include <QSaveFile>

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
    return stampOf(st);
}

bool writeFileWhole(const QString& fileName, const QByteArray& bytes, FileStamp* written,
                    const std::function<bool()>& stillCurrent)
{
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true); // used only where no temporary file can be made
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    // Taken from the open file, so that another program replacing the file right after
    // the rename cannot pass for this write. Linking and renaming keep inode and time.
    const FileStamp mine = FileStamp::ofDescriptor(file.handle());
    if (written) *written = mine;
    // A file rewritten in place is already replaced: there is nothing left to ask.
    const FileStamp target = FileStamp::of(fileName);
    const bool inPlace = mine.device == target.device && mine.inode == target.inode;
    if (stillCurrent && !inPlace) {
        ::fsync(file.handle()); // the commit's own sync is then quick: little time passes after the question
        if (!stillCurrent()) {
            file.cancelWriting();
            file.commit();
            return false;
        }
    }
    return file.commit();
}

} // namespace vistelle
