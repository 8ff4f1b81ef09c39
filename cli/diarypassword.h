#pragma once
// Protected diaries on the command line: where a command gets a password (the first line
// of a file named with an option, or the terminal without echo), and reading a diary's
// table image whatever its form.

#include "diary/protect/diarykey.h"

#include <QByteArray>
#include <QString>

namespace vistelle {
class TVolgaTable;
}

namespace vistelle::cli {

// A password from the first line of fileName, or, without a file, typed on the terminal
// without echo after prompt. Throws noTerminal when there is neither.
protect::GuardedBytes readPassword(const QString& fileName, const QString& prompt, const QString& noTerminal);

// A new password: from fileName, or typed twice on the terminal.
protect::GuardedBytes readNewPassword(const QString& fileName, const QString& noTerminal);

// The bytes of diary (throws "Cannot open file %s" when it cannot be read).
QByteArray readDiaryBytes(const QString& diary);

// The table image of diary's bytes: as they are for a plain diary; for a protected one
// unsealed with the password from passwordFile or the terminal, its key kept in key.
QByteArray diaryImage(const QString& diary, const QByteArray& bytes, const QString& passwordFile,
                      protect::DiaryKey* key = nullptr);

// Opens table on diary, protected or not (see diaryImage); the table keeps no file name.
void openDiaryTable(TVolgaTable& table, const QString& diary, const QString& passwordFile,
                    protect::DiaryKey* key = nullptr);

} // namespace vistelle::cli
