#include "cli/commandline.h"

#include "core/savefile.h"
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

void saveDiaryWrittenHere(TVolgaTable& table, const QString& diary)
{
    const QByteArray image = table.saveImage();
    SyncJournal journal(QFileInfo(diary).absolutePath());
    if (journal.active()) {
        journal.wroteImage(QCryptographicHash::hash(image, QCryptographicHash::Sha1));
        journal.save();
    }
    if (!writeFileWhole(diary, image)) raise(fmt(QStringLiteral("Cannot create file %s"), diary));
}

TDateTime settingsDate() { return encodeDate(5050, 7, 6); }

} // namespace vistelle::cli
