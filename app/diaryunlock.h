#pragma once
// Opening a protected diary.dat at start: its password is asked ("Password for
// diary.dat:") until the key is the file's or the user cancels.

#include "diary/protect/diarykey.h"

#include <QByteArrayView>
#include <QString>

#include <memory>

namespace vistelle {

// head: the file's first bytes, its header at least. A wrong password says "Wrong
// password." and asks again; Cancel gives no key. A damaged header throws its message
// before anything is asked; damage behind it is found when the file is opened with the key.
std::shared_ptr<const protect::DiaryKey> unlockDiary(QByteArrayView head, const QString& fileName);

} // namespace vistelle
