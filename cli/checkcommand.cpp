// vistelle-diary check: diaries and picture sets opened with the window's own readers.

#include "cli/commandline.h"
#include "cli/diarypassword.h"
#include "cli/tableslack.h"
#include "cli/windowcomponents.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/datemerge.h"
#include "pictures/builtinpictures.h"
#include "pictures/setfilereader.h"
#include "pictures/tlmdgraphiclist.h"
#include "platform/dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

namespace vistelle::cli {

namespace {

const char Help[] = R"(Usage: vistelle-diary check [--password-file FILE] [FILE...]

Opens each file the way Vistelle does and prints a line for each: "FILE: ok" with the
number of entries or pictures, or "FILE: " and the message the window would show (a
missing file or a folder in a file's place: "Cannot open file FILE."). After "ok" a
note tells of what the window passes over in silence: bytes after a diary's last row, or
its last row cut short. A file named graphicsN.dat is read as picture set N, any other
as a diary. Without FILE: diary.dat and graphics1.dat ... graphics4.dat of the current
folder, those that exist.

  --password-file FILE  the password of a protected diary (the file's first line);
                        without it the password is asked on the terminal
  -h, --help            show this help

Exit status: 0 every file is fine, 1 one or more are not, 2 wrong usage.
)";

QString plural(qsizetype n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1StringView(n == 1 ? one : many));
}

// What the window's reader passes over in silence, as a note after "ok".
QString slackNote(const TableSlack& slack)
{
    if (slack.lastRowCutShort)
        return QStringLiteral(" (note: the last of the %1 rows the file declares is cut short; Vistelle keeps what "
                              "it holds)").arg(slack.declaredRows);
    if (slack.bytesAfterLastRow > 0)
        return QStringLiteral(" (note: %1 after the last row, which Vistelle passes over)")
            .arg(plural(slack.bytesAfterLastRow, "byte", "bytes"));
    return {};
}

QString checkDiary(const QString& name, const QString& passwordFile)
{
    TVolgaTable table;
    const QByteArray image = diaryImage(name, readDiaryBytes(name), passwordFile);
    table.setLoadMode(lmStream);
    table.setLoadStream(image);
    table.Open();
    qsizetype entries = 0;
    for (const auto& [date, text] : readEntries(table, settingsDate())) entries += !text.isEmpty();
    return plural(entries, "entry", "entries") + slackNote(tableSlack(image, table.cursor()->fields()));
}

// The set is read as the window reads it: into its list "piclistN", which holds the
// built-in pictures until then, among the window's other components.
QString checkSet(const QString& name, int set)
{
    QObject window;
    for (const QString& component : windowComponentNames(set)) {
        if (component != QStringLiteral("piclist%1").arg(set)) (new QObject(&window))->setObjectName(component);
    }
    TLMDGraphicList* list = nullptr;
    if (set >= 1 && set <= 4) {
        list = createBuiltinList(set, &window);
    } else {
        list = new TLMDGraphicList(&window);
        list->setObjectName(QStringLiteral("piclist%1").arg(set));
    }
    readSetFile(name, *list);
    qsizetype pictures = 0;
    for (int i = 0; i < list->Graphics().count(); ++i) pictures += !list->Graphics().at(i).Picture().isEmpty();
    return plural(pictures, "picture", "pictures");
}

struct Result {
    bool ok;
    QString text; // "ok, …", or the error box's text
};

// The file is opened by its own name from its folder, as the window opens its files from
// its working folder, so that a message names it as the window would.
Result checkOne(const QString& fileName, const QString& passwordFile)
{
    const QFileInfo info(fileName);
    if (!info.exists()) return {false, errorBoxText(fmt(QStringLiteral("Cannot open file %s"), info.fileName()))};
    const QString password = passwordFile.isEmpty() ? QString() : QFileInfo(passwordFile).absoluteFilePath();
    const QString oldFolder = QDir::currentPath();
    QDir::setCurrent(info.absolutePath());
    const auto back = qScopeGuard([&] { QDir::setCurrent(oldFolder); });
    static const QRegularExpression setName(QStringLiteral("^graphics([1-9][0-9]{0,3})\\.dat$"));
    const QRegularExpressionMatch match = setName.match(info.fileName());
    try {
        const QString count = match.hasMatch() ? checkSet(info.fileName(), match.captured(1).toInt())
                                               : checkDiary(info.fileName(), password);
        return {true, QStringLiteral("ok, ") + count};
    } catch (const Error& e) {
        return {false, errorBoxText(e.message())};
    } catch (const std::bad_alloc&) {
        return {false, errorBoxText(QStringLiteral("Out of memory"))};
    } catch (const std::exception& e) {
        return {false, errorBoxText(QString::fromUtf8(e.what()))};
    }
}

QStringList defaultFiles()
{
    QStringList files;
    for (const QString& name : {QStringLiteral("diary.dat"), QStringLiteral("graphics1.dat"), QStringLiteral("graphics2.dat"),
                                QStringLiteral("graphics3.dat"), QStringLiteral("graphics4.dat")}) {
        if (QFileInfo::exists(name)) files << name;
    }
    if (files.isEmpty())
        throw UsageError(QStringLiteral("no diary.dat and no graphics1.dat ... graphics4.dat in this folder"));
    return files;
}

} // namespace

int checkCommand(const QStringList& args, Streams& io)
{
    return runCommand(QStringLiteral("check"), io, [&] {
        const CommandLine line(QStringLiteral("check"), {{QStringLiteral("password-file"), {}, QStringLiteral("FILE")}}, args);
        if (line.helpAsked()) {
            io.out += Help;
            return 0;
        }
        const QStringList files = line.files().isEmpty() ? defaultFiles() : line.files();
        int status = 0;
        for (const QString& file : files) {
            const Result result = checkOne(file, line.value(QStringLiteral("password-file")));
            if (!result.ok) status = 1;
            io.out += (file + QStringLiteral(": ") + result.text + u'\n').toUtf8();
        }
        return status;
    });
}

} // namespace vistelle::cli
