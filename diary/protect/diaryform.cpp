#include "diary/protect/diaryform.h"
#include "core/error.h"
#include "diary/protect/protectedfile.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace vistelle::protect {

QString DiaryForm::anotherPasswordMessage()
{
    return QStringLiteral("diary.dat was protected with another password meanwhile. Restart Vistelle to open it.");
}

QByteArray DiaryForm::imageOf(QByteArray bytes, const QString& fileName) const
{
    if (!protect::isProtected(bytes)) return bytes;
    readParams(bytes, fileName); // damage first: a damaged header is no other password
    if (!m_key || !keyMatches(bytes, *m_key)) raise(anotherPasswordMessage());
    return unsealImage(std::move(bytes), *m_key, fileName);
}

QByteArray DiaryForm::fileOf(const QByteArray& image, const std::shared_ptr<const DiaryKey>& key)
{
    return key ? sealImage(image, *key) : image;
}

void forbidCoreDumps()
{
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

} // namespace vistelle::protect
