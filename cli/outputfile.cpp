#include "cli/outputfile.h"

#include "core/error.h"
#include "core/savefile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vistelle::cli {

int reasonCannotCreate(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists()) return ENOENT;
    if (!folder.isDir()) return ENOTDIR;
    if (info.isDir()) return EISDIR;
    const QByteArray name = QFile::encodeName(info.exists() ? info.absoluteFilePath() : folder.absoluteFilePath());
    if (::access(name.constData(), W_OK) != 0) return errno;
    return 0;
}

namespace {

void writeDirectly(const QString& fileName, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) raise(cannotCreate(fileName, errno));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            raise(cannotCreate(fileName, error));
        }
        done += n;
    }
    if (::close(fd) != 0 && errno != EINTR) raise(cannotCreate(fileName, errno));
}

} // namespace

QString cannotCreate(const QString& fileName, int error)
{
    const QString message = fmt(QStringLiteral("Cannot create file %s"), fileName);
    return error ? message + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error)) : message;
}

bool isStandardOutput(const QString& fileName)
{
    return fileName.isEmpty() || fileName == u"-" || fileName == u"/dev/stdout" || fileName == u"/dev/fd/1"
        || fileName == u"/proc/self/fd/1";
}

void writeOutput(const QString& fileName, const QByteArray& bytes, Streams& io)
{
    if (isStandardOutput(fileName)) {
        io.out += bytes;
        return;
    }
    const QFileInfo info(fileName);
    const bool special = info.exists() && !info.isFile();
    const bool system = info.absoluteFilePath().startsWith(u"/dev/") || info.absoluteFilePath().startsWith(u"/proc/");
    if (special || (system && info.exists())) return writeDirectly(fileName, bytes);
    errno = 0;
    if (!writeFileWhole(fileName, bytes)) {
        const int saved = errno;
        const int reason = reasonCannotCreate(fileName);
        raise(cannotCreate(fileName, reason ? reason : saved));
    }
}

} // namespace vistelle::cli
