#include "diary/protect/backupforms.h"
#include "core/error.h"
#include "core/savefile.h"
#include "diary/protect/protectedfile.h"

#include <QDir>
#include <QFile>

#include <optional>

namespace vistelle::protect {

namespace {

// The copy in the new form, or nothing when it stays as it is.
std::optional<QByteArray> converted(const QByteArray& bytes, const DiaryKey* oldKey, const DiaryKey* newKey)
{
    QByteArray image = bytes;
    if (isProtected(bytes)) {
        if (!oldKey || !keyMatches(bytes, *oldKey)) return std::nullopt;
        try {
            image = unsealImage(bytes, *oldKey, {});
        } catch (const Error&) {
            return std::nullopt;
        }
    } else if (!newKey) {
        return std::nullopt; // plain already
    }
    return newKey ? sealImage(image, *newKey) : image;
}

} // namespace

int convertBackups(const QString& backupsFolder, const DiaryKey* oldKey, const DiaryKey* newKey, QStringList* unreadable)
{
    int count = 0;
    for (const QFileInfo& info : QDir(backupsFolder).entryInfoList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name)) {
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly)) {
            if (unreadable) *unreadable << info.filePath();
            continue;
        }
        const std::optional<QByteArray> into = converted(file.readAll(), oldKey, newKey);
        file.close();
        if (!into) continue;
        if (!writeFileWhole(info.filePath(), *into)) raise(fmt(QStringLiteral("Cannot create file %s"), info.filePath()));
        ++count;
    }
    return count;
}

} // namespace vistelle::protect
