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

StartUnlock unlockBeforeWindow(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray head = file.read(protect::HeaderSize + protect::TagSize);
    if (!protect::isProtected(head)) return {};
    try {
        return {true, unlockDiary(head, fileName)};
    } catch (const Error&) {
        return {};
    }
}

} // namespace vistelle
