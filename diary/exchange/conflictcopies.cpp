#include "diary/exchange/conflictcopies.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace vistelle {

namespace {

QRegularExpression copyPattern(const QString& diaryName)
{
    const QFileInfo diary(diaryName);
    const QString base = QRegularExpression::escape(diary.completeBaseName());
    const QString ext = QRegularExpression::escape(diary.suffix());
    const QString number = QStringLiteral("(?: \\(\\d+\\))?");
    return QRegularExpression(QStringLiteral("^%1(?:"
                                             "\\.sync-conflict-\\d{8}-\\d{6}-[A-Z0-9]{7}"          // Syncthing
                                             "| \\(conflicted copy \\d{4}-\\d{2}-\\d{2} \\d{6}\\)" // Nextcloud, ownCloud
                                             "| \\([^/]+['\u2019]s conflicted copy \\d{4}-\\d{2}-\\d{2}\\)" // Dropbox
                                             ")%2\\.%3$")
                                  .arg(base, number, ext));
}

} // namespace

bool isConflictCopyName(const QString& fileName, const QString& diaryName)
{
    return copyPattern(diaryName).match(fileName).hasMatch();
}

QStringList conflictCopiesIn(const QString& folder, const QString& diaryName)
{
    const QFileInfo diary(diaryName);
    const QDir dir(folder);
    QStringList copies;
    const QRegularExpression pattern = copyPattern(diaryName);
    const QStringList filter{diary.completeBaseName() + QStringLiteral("*.") + diary.suffix()};
    for (const QString& name : dir.entryList(filter, QDir::Files | QDir::Hidden, QDir::Name)) {
        if (pattern.match(name).hasMatch()) copies << dir.filePath(name);
    }
    return copies;
}

bool hasSyncMarker(const QString& folder)
{
    QDir dir(QFileInfo(folder).absoluteFilePath());
    for (;;) {
        if (dir.exists(QStringLiteral(".stfolder")) || dir.exists(QStringLiteral(".dropbox"))
            || !dir.entryList({QStringLiteral(".sync_*.db")}, QDir::Files | QDir::Hidden).isEmpty())
            return true;
        if (!dir.cdUp()) return false;
    }
}

} // namespace vistelle
