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

// What the start-up found of fileName. checked: looked at; asked: protected, and its
// password box was shown; key: the box's answer, null when it was cancelled.
struct StartUnlock {
    bool checked = false;
    bool asked = false;
    std::shared_ptr<const protect::DiaryKey> key;
};

// Asks the password of fileName when it is protected; a damaged header throws its message.
StartUnlock unlockIfProtected(const QString& fileName);

} // namespace vistelle
