#include "diary/diaryrescue.h"
#include "core/savefile.h"
#include "diary/engine/volgadataset.h"
#include "diary/exchange/diaryexport.h"

#include <QDateTime>
#include <QDir>

namespace vistelle {

QStringList rescueFolders()
{
    return {QDir::currentPath(), QDir::homePath(), QStringLiteral("/var/tmp"), QStringLiteral("/tmp")};
}

QString DiaryRescue::run(TVolgaDataset& table, TDateTime settingsDate) const
{
    const QString name = QStringLiteral("diary-unsaved-%1.dat")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-hhmmss")));
    const QByteArray image = protect ? protect(table.saveImage()) : table.saveImage();
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(name);
        if (writeFileWhole(path, image)) {
            std::fprintf(report, "The diary's entries were written to %s\n", qPrintable(QDir::toNativeSeparators(path)));
            std::fflush(report);
            return path;
        }
    }
    if (protect) {
        std::fprintf(report, "The diary's entries could not be written to any file; here they are, protected (base64):\n");
        const QByteArray encoded = image.toBase64();
        for (qsizetype at = 0; at < encoded.size(); at += 76)
            std::fprintf(report, "%s\n", encoded.mid(at, 76).constData());
    } else {
        std::fprintf(report, "The diary's entries could not be written to any file; here they are:\n");
        const QByteArray markdown = exportEntries(entriesInDateOrder(table, settingsDate), ExportFormat::Markdown);
        std::fwrite(markdown.constData(), 1, size_t(markdown.size()), report);
    }
    std::fflush(report);
    return {};
}

} // namespace vistelle
