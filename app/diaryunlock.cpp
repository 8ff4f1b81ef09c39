#include "app/diaryunlock.h"
#include "core/error.h"
#include "diary/protect/protectedfile.h"
#include "diary/protect/protectedformat.h"
#include "platform/busycursor.h"
#include "platform/dialogs.h"

#include <QFile>

namespace vistelle {

std::shared_ptr<const protect::DiaryKey> unlockDiary(QByteArrayView head, const QString& fileName)
{
    const protect::KeyParams params = protect::readParams(head, fileName);
    for (;;) {
        std::optional<QByteArray> password = dialogs().askPassword(fmt(QStringLiteral("Password for %s:"), fileName));
        if (!password) return nullptr;
        std::shared_ptr<const protect::DiaryKey> key;
        {
            const BusyCursor busy;
            key = std::make_shared<const protect::DiaryKey>(protect::DiaryKey::derive(*password, params));
        }
        protect::wipe(password->data(), size_t(password->size()));
        if (protect::keyMatches(head, *key)) return key;
        dialogs().error(protect::wrongPasswordMessage());
    }
}

StartUnlock unlockIfProtected(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {true, false, nullptr};
    // The header and an empty seal's tag: as much as a protected file holds at least.
    const QByteArray head = file.read(protect::HeaderSize + protect::TagSize);
    if (!protect::isProtected(head)) return {true, false, nullptr};
    return {true, true, unlockDiary(head, fileName)};
}

} // namespace vistelle
