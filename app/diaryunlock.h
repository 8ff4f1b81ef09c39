#pragma once
// Opening a protected diary.dat at start: its password is asked ("Password for
// diary.dat:") until the key is the file's or the user cancels.

#include "diary/protect/diarykey.h"

#include <QByteArrayView>
#include <QString>

#include <future>
#include <memory>
#include <utility>

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

// The key of a protected diary for the start-up's read-ahead, which reads the file while
// its password is asked: given once the box is answered (null: cancelled, or no box).
// Give it before the read-ahead ends, which waits for it.
class StartKey {
public:
    using Future = std::shared_future<std::shared_ptr<const protect::DiaryKey>>;
    StartKey() : m_future(m_promise.get_future().share()) {}
    void give(std::shared_ptr<const protect::DiaryKey> key)
    {
        if (std::exchange(m_given, true)) return;
        m_promise.set_value(std::move(key));
    }
    Future future() const { return m_future; }

private:
    std::promise<std::shared_ptr<const protect::DiaryKey>> m_promise;
    Future m_future;
    bool m_given = false;
};

} // namespace vistelle
