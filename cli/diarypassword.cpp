#include "cli/diarypassword.h"
#include "core/error.h"
#include "diary/engine/volgatable.h"
#include "diary/protect/protectedfile.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace vistelle::cli {

namespace {

// The first line of a file, without its line break; the buffer it passed through is wiped.
protect::GuardedBytes firstLineOf(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) raise(fmt(QStringLiteral("Cannot open file %s"), fileName));
    QByteArray line = file.readLine(64 * 1024);
    qsizetype end = line.size();
    while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r')) --end;
    protect::GuardedBytes password(QByteArrayView(line).first(end));
    protect::wipe(line.data(), size_t(line.size()));
    if (password.isEmpty()) raise(QStringLiteral("%1: the first line holds no password").arg(fileName));
    return password;
}

// Reads one line from the terminal with echo off.
protect::GuardedBytes askTerminal(const QString& prompt, const QString& noTerminal)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) raise(noTerminal);
    termios before{};
    const bool isTerminal = ::tcgetattr(tty, &before) == 0;
    if (!isTerminal) {
        ::close(tty);
        raise(noTerminal);
    }
    termios quiet = before;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    quiet.c_lflag |= ICANON;
    const QByteArray shown = prompt.toUtf8();
    (void)!::write(tty, shown.constData(), size_t(shown.size()));
    ::tcsetattr(tty, TCSAFLUSH, &quiet);
    protect::GuardedBytes buffer(4096);
    size_t length = 0;
    char c = 0;
    while (length < buffer.size() && ::read(tty, &c, 1) == 1 && c != '\n') buffer.data()[length++] = static_cast<unsigned char>(c);
    ::tcsetattr(tty, TCSAFLUSH, &before);
    (void)!::write(tty, "\n", 1);
    ::close(tty);
    return protect::GuardedBytes(buffer.view().first(qsizetype(length)));
}

} // namespace

protect::GuardedBytes readPassword(const QString& fileName, const QString& prompt, const QString& noTerminal)
{
    return fileName.isEmpty() ? askTerminal(prompt, noTerminal) : firstLineOf(fileName);
}

protect::GuardedBytes readNewPassword(const QString& fileName, const QString& noTerminal)
{
    if (!fileName.isEmpty()) return firstLineOf(fileName);
    protect::GuardedBytes password = askTerminal(QStringLiteral("New password: "), noTerminal);
    if (password.isEmpty()) raise(QStringLiteral("The password must not be empty."));
    if (!(askTerminal(QStringLiteral("Repeat the new password: "), noTerminal) == password))
        raise(QStringLiteral("The two new passwords differ."));
    return password;
}

QByteArray readDiaryBytes(const QString& diary)
{
    QFile file(diary);
    if (!QFileInfo(diary).isFile() || !file.open(QIODevice::ReadOnly))
        raise(fmt(QStringLiteral("Cannot open file %s"), diary));
    return file.readAll();
}

QByteArray diaryImage(const QString& diary, const QByteArray& bytes, const QString& passwordFile, protect::DiaryKey* key)
{
    if (!protect::isProtected(bytes)) return bytes;
    const QString name = QFileInfo(diary).fileName();
    const protect::KeyParams params = protect::readParams(bytes, name);
    const protect::GuardedBytes password = readPassword(
        passwordFile, fmt(QStringLiteral("Password for %s: "), name),
        fmt(QStringLiteral("%s is protected by a password: give --password-file or run in a terminal"), name));
    protect::DiaryKey derived = protect::DiaryKey::derive(password.view(), params);
    QByteArray image = protect::unsealImage(bytes, derived, name);
    if (key) *key = std::move(derived);
    return image;
}

void openDiaryTable(TVolgaTable& table, const QString& diary, const QString& passwordFile, protect::DiaryKey* key)
{
    const QByteArray image = diaryImage(diary, readDiaryBytes(diary), passwordFile, key);
    table.setLoadMode(lmStream);
    table.setLoadStream(image);
    table.Open();
}

} // namespace vistelle::cli
