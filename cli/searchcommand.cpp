// vistelle-diary search: the entries that hold a text, found as the window's search box
// finds them (letters folded one by one to lower case, each entry as the window decodes it).

#include "cli/commandline.h"
#include "core/regional.h"
#include "core/textcodec.h"
#include "diary/engine/volgatable.h"
#include "search/entrysearch.h"

namespace vistelle::cli {

namespace {

const char Help[] = R"(Usage: vistelle-diary search [--password-file FILE] TEXT [DIARY]

Prints each line of DIARY (default ./diary.dat) that holds TEXT, after its date:
"2009-12-24: the line". Letters match whatever their case, as in Vistelle's search box.

  --password-file FILE  the password of a protected DIARY (the file's first line);
                        without it the password is asked on the terminal
  -h, --help            show this help

Exit status: 0 found, 1 not found or the diary could not be read, 2 wrong usage.
)";

bool isBreak(QChar c) { return c == u'\r' || c == u'\n'; }

// Each line of the entry with an occurrence, once, after the date.
void appendHits(QByteArray& out, const QByteArray& iso, const QByteArray& stored, const EntrySearch& search, qsizetype first)
{
    const QString text = decodeStoredText(stored);
    qsizetype lineEnd = -1;
    for (qsizetype at = first; at >= 0; at = search.indexIn(stored, qMax(at + search.needleLength(), lineEnd))) {
        qsizetype start = at;
        while (start > 0 && !isBreak(text[start - 1])) --start;
        lineEnd = at;
        while (lineEnd < text.size() && !isBreak(text[lineEnd])) ++lineEnd;
        out += iso + ": " + QStringView(text).mid(start, lineEnd - start).toUtf8() + '\n';
    }
}

} // namespace

int searchCommand(const QStringList& args, Streams& io)
{
    return runCommand(QStringLiteral("search"), io, [&] {
        const CommandLine line(QStringLiteral("search"), {{QStringLiteral("password-file"), {}, QStringLiteral("FILE")}}, args);
        if (line.helpAsked()) {
            io.out += Help;
            return 0;
        }
        const QStringList files = line.files();
        if (files.isEmpty() || files.first().isEmpty()) throw UsageError(QStringLiteral("name the TEXT to search for"));
        if (files.size() > 2) throw UsageError(QStringLiteral("one text and one diary at a time"));
        const EntrySearch search(foldLower(files.first()));
        const QString diary = files.value(1, QStringLiteral("diary.dat"));
        requireFile(diary);
        TVolgaTable table;
        int status = 1;
        for (const ExportEntry& e : readDiary(table, diary, line.value(QStringLiteral("password-file")))) {
            const qsizetype first = search.indexIn(*e.text);
            if (first < 0) continue;
            appendHits(io.out, isoDate(e.date).toLatin1(), *e.text, search, first);
            status = 0;
        }
        return status;
    });
}

} // namespace vistelle::cli
