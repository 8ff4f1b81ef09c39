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

// The password of a protected fileName asked before the main window is built, so that the
// diary can be opened while the window is built. asked: the box was shown; key: null when
// it was cancelled. A file that is not protected, or whose header is damaged, is left to
// the window's opening, which reports it.
struct StartUnlock {
    bool asked = false;
    std::shared_ptr<const protect::DiaryKey> key;
};
StartUnlock unlockBeforeWindow(const QString& fileName);

} // namespace vistelle
