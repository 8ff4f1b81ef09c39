#include "cli/commandline.h"
#include "cli/outputfile.h"
#include "diary/protect/protectedfile.h"

#include "core/savefile.h"
#include "cli/diarypassword.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/diaryexport.h"
#include "diary/exchange/syncjournal.h"

#include <QCryptographicHash>

#include <QFileInfo>

namespace vistelle::cli {

CommandLine::CommandLine(const QString& command, const QList<QCommandLineOption>& options, const QStringList& args)
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    m_parser.addOptions(options);
    m_parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    if (!m_parser.parse(QStringList{QStringLiteral("vistelle-diary ") + command} + args))
        throw UsageError(m_parser.errorText());
}

TDateTime dateOption(const CommandLine& line, const QString& name)
{
    TDateTime date = 0;
    const QString text = line.value(name);
    if (!tryParseIsoDate(text, date))
        throw UsageError(QStringLiteral("--%1 '%2' is not a date: write it as 2009-12-24").arg(name, text));
    return date;
}

void requireFile(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists()) throw UsageError(QStringLiteral("%1: no such file").arg(fileName));
    if (!info.isFile()) throw UsageError(QStringLiteral("%1: not a file").arg(fileName));
}

QString diaryArgument(const CommandLine& line)
{
    if (line.files().size() > 1) throw UsageError(QStringLiteral("one diary at a time"));
    const QString diary = line.files().value(0, QStringLiteral("diary.dat"));
    requireFile(diary);
    return diary;
}

std::vector<ExportEntry> readDiary(TVolgaTable& table, const QString& diary, const QString& passwordFile)
{
    try {
        openDiaryTable(table, diary, passwordFile);
    } catch (const Error& e) {
        raise(diary + QStringLiteral(": ") + e.message());
    }
    std::vector<ExportEntry> entries = entriesInDateOrder(table, settingsDate());
    std::erase_if(entries, [](const ExportEntry& e) { return !isCalendarDay(e.date) || e.text->isEmpty(); });
    return entries;
}

int runCommand(const QString& command, Streams& io, const std::function<int()>& body)
{
    const QByteArray prefix = "vistelle-diary " + command.toUtf8() + ": ";
    try {
        return body();
    } catch (const UsageError& e) {
        io.err += prefix + e.message().toUtf8() + "\nTry 'vistelle-diary " + command.toUtf8() + " --help'.\n";
        return 2;
    } catch (const Error& e) {
        io.err += prefix + e.message().toUtf8() + '\n';
    } catch (const std::bad_alloc&) {
        io.err += prefix + "Out of memory\n";
    }
    return 1;
}

void saveDiaryWrittenHere(TVolgaTable& table, const QString& diary, const protect::DiaryKey* key)
{
    const QByteArray image = table.saveImage();
    SyncJournal journal(QFileInfo(diary).absolutePath());
    // A journal sealed with a protected diary's key is the window's to read and write.
    QFile sealed(journal.fileName());
    const bool isSealed = sealed.open(QIODevice::ReadOnly) && protect::isProtected(sealed.peek(4));
    if (journal.active() && !isSealed) {
        journal.wroteImage(QCryptographicHash::hash(image, QCryptographicHash::Sha1));
        journal.save();
    }
    if (!writeFileWhole(diary, key ? protect::sealImage(image, *key) : image))
        raise(cannotCreate(diary, reasonCannotCreate(diary)));
}

TDateTime settingsDate() { return encodeDate(5050, 7, 6); }

} // namespace vistelle::cli
