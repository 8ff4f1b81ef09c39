#include "app/startreading.h"
#include "app/diaryunlock.h"
#include "app/mainform.h"
#include "core/error.h"

namespace vistelle {

StartReading::StartReading() : m_readAhead(TMainForm::filesReadAtStart(m_key.get_future().share())) {}

StartReading::~StartReading() { giveKey(nullptr); }

void StartReading::askPassword()
{
    StartUnlock unlock;
    try {
        unlock = unlockIfProtected(QStringLiteral("diary.dat"));
    } catch (const Error&) {
        unlock = {}; // a damaged header: the window's opening reports it
    }
    giveKey(unlock.key);
    TMainForm::unlockedBeforeWindow(std::move(unlock));
}

void StartReading::giveKey(std::shared_ptr<const protect::DiaryKey> key)
{
    if (std::exchange(m_keyGiven, true)) return;
    m_key.set_value(std::move(key));
}

} // namespace vistelle
