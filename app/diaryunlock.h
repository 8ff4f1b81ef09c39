#pragma once
// Opening a protected diary.dat at start: its password is asked ("Password for
// diary.dat:") until the key opens the file or the user cancels.

#include "diary/protect/diarykey.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace vistelle {

struct UnlockedDiary {
    std::shared_ptr<const protect::DiaryKey> key;
    QByteArray image; // the table image
};

// A wrong password says "Wrong password." and asks again; Cancel gives nothing. A damaged
// file throws its message before anything is asked, or once the right key finds the
// seal broken.
std::optional<UnlockedDiary> unlockDiary(const QByteArray& bytes, const QString& fileName);

} // namespace vistelle
