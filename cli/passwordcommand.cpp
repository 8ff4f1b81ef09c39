// vistelle-diary password: protects a diary with a password, changes the password or
// removes it, together with the copies kept in the diary's backups folder.

#include "cli/commandline.h"
#include "cli/diarypassword.h"
#include "core/savefile.h"
#include "diary/engine/volgatable.h"
#include "diary/protect/backupforms.h"
#include "diary/protect/protectedfile.h"
#include "platform/instance/instancelock.h"

#include <QDir>
#include <QFileInfo>

namespace vistelle::cli {

namespace {

const char Help[] = R"(Usage: vistelle-diary password set|change|remove [OPTION...] DIARY

set      protects DIARY with a new password: the file then holds the diary encrypted
change   protects DIARY with another password
remove   stores DIARY unencrypted again

The copies in the backups folder beside DIARY are protected, re-sealed or unprotected
along with it. Passwords are typed on the terminal without echo unless given in files
(the first line of the file is the password):

  --password-file FILE      the password of DIARY; for "set", the new one
  --new-password-file FILE  the new password, for "change"
  -h, --help                show this help

Vistelle must not be running in DIARY's folder meanwhile.
Exit status: 0 done, 1 a file could not be read or written, a wrong password, or Vistelle
is running there, 2 wrong usage.
)";

enum class Action { Set, Change, Remove };

Action actionOf(const QString& word)
{
    if (word == u"set") return Action::Set;
    if (word == u"change") return Action::Change;
    if (word == u"remove") return Action::Remove;
    throw UsageError(QStringLiteral("'%1' is none of set, change and remove").arg(word));
}

QString noTerminal(const QString& diary)
{
    return fmt(QStringLiteral("%s is protected by a password: give --password-file or run in a terminal"),
               QFileInfo(diary).fileName());
}

// A plain file must be a diary table before it is sealed: damage is not hidden inside.
void requireTable(const QString& diary, const QByteArray& image)
{
    TVolgaTable table;
    table.setLoadMode(lmStream);
    table.setLoadStream(image);
    try {
        table.Open();
    } catch (const Error& e) {
        raise(diary + QStringLiteral(": ") + e.message());
    }
}

struct Keys {
    protect::DiaryKey old;   // null: the diary is plain
    protect::DiaryKey fresh; // null: it becomes plain
};

int convertBackups(const QString& folder, const Keys& keys, Streams& io)
{
    QStringList unreadable;
    const int count = protect::convertBackups(QDir(folder).filePath(QStringLiteral("backups")),
                                              keys.old.isNull() ? nullptr : &keys.old,
                                              keys.fresh.isNull() ? nullptr : &keys.fresh, &unreadable);
    for (const QString& name : unreadable)
        io.err += "vistelle-diary password: " + fmt(QStringLiteral("Cannot open file %s"), name).toUtf8() + " (left as it is)\n";
    return count;
}

} // namespace

int passwordCommand(const QStringList& args, Streams& io)
{
    return runCommand(QStringLiteral("password"), io, [&] {
        const CommandLine line(QStringLiteral("password"),
                               {{QStringLiteral("password-file"), {}, QStringLiteral("FILE")},
                                {QStringLiteral("new-password-file"), {}, QStringLiteral("FILE")}},
                               args);
        if (line.helpAsked()) {
            io.out += Help;
            return 0;
        }
        if (line.files().size() != 2) throw UsageError(QStringLiteral("name the action, then one diary"));
        const Action action = actionOf(line.files()[0]);
        const QString diary = line.files()[1];
        requireFile(diary);
        const QString folder = QFileInfo(diary).absolutePath();
        InstanceLock lock(folder);
        if (!lock.tryLock())
            raise(QStringLiteral("Vistelle is running in %1; close it, then try again").arg(QDir::toNativeSeparators(folder)));

        const QByteArray bytes = readDiaryBytes(diary);
        const bool wasProtected = protect::isProtected(bytes);
        if (action == Action::Set && wasProtected)
            raise(QStringLiteral("%1 is protected already: use 'password change'").arg(diary));
        if (action != Action::Set && !wasProtected) raise(QStringLiteral("%1 is not protected by a password").arg(diary));

        Keys keys;
        const QString oldFile = action == Action::Set ? QString() : line.value(QStringLiteral("password-file"));
        const QByteArray image = diaryImage(diary, bytes, oldFile, &keys.old);
        requireTable(diary, image);
        if (action != Action::Remove) {
            const QString newFile = line.value(action == Action::Set ? QStringLiteral("password-file")
                                                                     : QStringLiteral("new-password-file"));
            const protect::GuardedBytes password = readNewPassword(newFile, noTerminal(diary));
            keys.fresh = protect::DiaryKey::derive(password.view(), protect::DiaryKey::freshParams());
        }
        const QByteArray written = keys.fresh.isNull() ? image : protect::sealImage(image, keys.fresh);
        if (!writeFileWhole(diary, written)) raise(fmt(QStringLiteral("Cannot create file %s"), diary));
        const int copies = convertBackups(folder, keys, io);
        static const char* done[] = {"protected with a password", "protected with the new password",
                                     "no longer protected by a password"};
        io.out += QStringLiteral("%1: %2; %3 backup(s) along with it\n")
                      .arg(diary, QLatin1String(done[int(action)]))
                      .arg(copies)
                      .toUtf8();
        return 0;
    });
}

} // namespace vistelle::cli
