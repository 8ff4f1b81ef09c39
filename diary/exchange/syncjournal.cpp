#include "diary/exchange/syncjournal.h"
#include "core/savefile.h"
#include "diary/exchange/diaryexport.h"
#include "diary/exchange/textjoin.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace vistelle {

namespace {

const QByteArray Title = "Vistelle sync journal 1";

QString& folderOverride()
{
    static QString folder;
    return folder;
}

const QByteArray* find(const DatedEntries& entries, TDateTime date)
{
    const auto it = entries.find(date);
    return it == entries.end() ? nullptr : &it->second;
}

} // namespace

QString SyncJournal::journalFolder()
{
    if (!folderOverride().isEmpty()) return folderOverride();
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/vistelle/journals");
}

void SyncJournal::setJournalFolder(const QString& folder) { folderOverride() = folder; }

SyncJournal::SyncJournal(const QString& diaryFolder)
{
    const QFileInfo info(diaryFolder);
    m_folder = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const QByteArray key = QCryptographicHash::hash(m_folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    m_fileName = journalFolder() + u'/' + QString::fromLatin1(key) + QStringLiteral(".journal");
    QFile file(m_fileName);
    if (file.open(QIODevice::ReadOnly)) {
        read(file.readAll());
        m_active = true;
    }
}

void SyncJournal::stored(TDateTime date, const QByteArray& text, const QByteArray& oldText)
{
    ++m_revision;
    if (!text.isEmpty()) {
        m_lines[date] = {text, false};
        return;
    }
    // A text stored here and deleted again before anyone saw it is what was deleted.
    const auto it = m_lines.find(date);
    const QByteArray had = it != m_lines.end() && !it->second.deleted ? it->second.text : oldText;
    m_lines[date] = {had, true};
}

void SyncJournal::wroteImage(const QByteArray& sha1)
{
    ++m_revision;
    m_ownImages.removeAll(sha1);
    m_ownImages.append(sha1);
    while (m_ownImages.size() > OwnImagesKept) m_ownImages.removeFirst();
}

std::vector<EntryChange> SyncJournal::reconcile(const DatedEntries& file, const DatedEntries& ours, bool writtenElsewhere)
{
    std::vector<EntryChange> changes;
    for (auto it = m_lines.begin(); it != m_lines.end();) {
        const TDateTime date = it->first;
        const Line& line = it->second;
        const QByteArray* there = find(file, date);
        const QByteArray* own = find(ours, date);
        bool confirmed = false;
        if (!line.deleted) {
            confirmed = writtenElsewhere && there && holdsText(*there, line.text);
            if (!confirmed && !own) changes.push_back({date, line.text});
            else if (!confirmed) {
                const QByteArray joined = joinTexts(*own, otherCopySeparator(), line.text);
                if (joined != *own) changes.push_back({date, joined});
            }
        } else {
            // Taken (the date is gone there) or overridden (a newer text was written there).
            confirmed = writtenElsewhere && (!there || !holdsText(line.text, *there));
            if (!confirmed && own && holdsText(line.text, *own)) changes.push_back({date, QByteArray()});
        }
        m_revision += confirmed ? 1 : 0;
        it = confirmed ? m_lines.erase(it) : std::next(it);
    }
    return changes;
}

void SyncJournal::dropDeleted(DatedEntries& copy) const
{
    for (const auto& [date, line] : m_lines) {
        const auto it = copy.find(date);
        if (line.deleted && it != copy.end() && holdsText(line.text, it->second)) copy.erase(it);
    }
}

QByteArray SyncJournal::image() const
{
    QByteArray out = Title + '\n';
    out += "folder " + m_folder.toUtf8() + '\n';
    for (const QByteArray& hash : m_ownImages) out += "own " + hash.toHex() + '\n';
    for (const auto& [date, line] : m_lines) {
        out += (line.deleted ? "deleted " : "stored ") + isoDate(date).toLatin1() + ' ' + line.text.toBase64() + '\n';
    }
    return out;
}

void SyncJournal::read(const QByteArray& image)
{
    m_lines.clear();
    m_ownImages.clear();
    const QList<QByteArray> lines = image.split('\n');
    if (lines.value(0) != Title) return;
    for (const QByteArray& raw : lines) {
        const QList<QByteArray> parts = raw.split(' ');
        if (parts.size() == 2 && parts[0] == "own" && parts[1].size() == 40) {
            wroteImage(QByteArray::fromHex(parts[1]));
            continue;
        }
        TDateTime date = 0;
        if (parts.size() != 3 || !tryParseIsoDate(QString::fromLatin1(parts[1]), date)) continue;
        const auto decoded = QByteArray::fromBase64Encoding(parts[2], QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) continue;
        if (parts[0] == "stored" && !decoded.decoded.isEmpty()) m_lines[date] = {decoded.decoded, false};
        else if (parts[0] == "deleted") m_lines[date] = {decoded.decoded, true};
    }
}

bool SyncJournal::save() const
{
    return QDir().mkpath(QFileInfo(m_fileName).absolutePath()) && writeFileWhole(m_fileName, image());
}

} // namespace vistelle
