#pragma once
// The copies in a diary's backups folder follow the diary's form: protecting a diary seals
// every plain copy, a new password re-seals the copies of the old one, removing the
// password unseals them. Copies sealed with another password are left as they are.

#include "diary/protect/diarykey.h"

#include <QString>
#include <QStringList>

namespace vistelle::protect {

// oldKey: the key the diary had (null: it was plain); newKey: the key it gets (null: it
// becomes plain). Returns how many copies were rewritten; names of copies that could not
// be read go to unreadable. Throws "Cannot create file %s" when a copy cannot be written.
int convertBackups(const QString& backupsFolder, const DiaryKey* oldKey, const DiaryKey* newKey,
                   QStringList* unreadable = nullptr);

} // namespace vistelle::protect
