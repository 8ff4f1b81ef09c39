#include "app/diaryunlock.h"
#include "core/error.h"
#include "diary/protect/protectedfile.h"
#include "platform/dialogs.h"

namespace vistelle {

std::optional<UnlockedDiary> unlockDiary(const QByteArray& bytes, const QString& fileName)
{
    const protect::KeyParams params = protect::readParams(bytes, fileName);
    for (;;) {
        std::optional<QByteArray> password = dialogs().askPassword(fmt(QStringLiteral("Password for %s:"), fileName));
        if (!password) return std::nullopt;
        auto key = std::make_shared<const protect::DiaryKey>(protect::DiaryKey::derive(*password, params));
        protect::wipe(password->data(), size_t(password->size()));
        if (!protect::keyMatches(bytes, *key)) {
            dialogs().error(protect::wrongPasswordMessage());
            continue;
        }
        QByteArray image = protect::unsealImage(bytes, *key, fileName);
        return UnlockedDiary{std::move(key), std::move(image)};
    }
}

} // namespace vistelle
