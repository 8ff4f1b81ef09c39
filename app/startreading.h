#pragma once
// What the start-up does before the main window is built: the diary and the first picture
// set are read (and parsed) on a thread of their own, and a protected diary's password is
// asked meanwhile; the diary is then opened with its key while the window is built.

#include "core/readahead.h"
#include "diary/protect/diarykey.h"

#include <future>
#include <memory>

namespace vistelle {

class StartReading {
public:
    StartReading();
    // A password never asked counts as cancelled, so that the reading can end.
    ~StartReading();
    StartReading(const StartReading&) = delete;
    StartReading& operator=(const StartReading&) = delete;

    // The password box of a protected diary.dat, if it is one; the answer goes to the
    // reading and to the window built next.
    void askPassword();

private:
    void giveKey(std::shared_ptr<const protect::DiaryKey> key);

    std::promise<std::shared_ptr<const protect::DiaryKey>> m_key;
    bool m_keyGiven = false;
    ReadAhead m_readAhead;
};

} // namespace vistelle
