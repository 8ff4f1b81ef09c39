// vistelle-diary stats: entries, words and characters per year, and the longest streak.

#include "cli/commandline.h"
#include "core/textcodec.h"
#include "diary/engine/volgatable.h"

#include <map>

namespace vistelle::cli {

namespace {

const char Help[] = R"(Usage: vistelle-diary stats [--password-file FILE] [DIARY]

Prints, for each year of DIARY (default ./diary.dat) and in total, the number of
entries, of words (runs of characters between spaces and line breaks) and of characters
(line breaks not counted), then the longest run of consecutive days with an entry.

  --password-file FILE  the password of a protected DIARY (the file's first line);
                        without it the password is asked on the terminal
  -h, --help            show this help

Exit status: 0 done, 1 the diary could not be read, 2 wrong usage.
)";

struct Counts {
    qint64 entries = 0, words = 0, characters = 0;
    Counts& operator+=(const Counts& c)
    {
        entries += c.entries;
        words += c.words;
        characters += c.characters;
        return *this;
    }
};

Counts countsOf(const QByteArray& stored)
{
    Counts c{1, 0, 0};
    const QString text = decodeStoredText(stored);
    bool inWord = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isLowSurrogate()) continue; // one character with its high half
        const bool lineBreak = ch == u'\r' || ch == u'\n';
        c.characters += !lineBreak;
        const bool space = lineBreak || ch.isSpace();
        c.words += !space && !inWord;
        inWord = !space;
    }
    return c;
}

QByteArray row(const QString& label, const Counts& c)
{
    return QStringLiteral("%1 %2 %3 %4\n")
        .arg(label, -5)
        .arg(c.entries, 9)
        .arg(c.words, 11)
        .arg(c.characters, 12)
        .toUtf8();
}

} // namespace

int statsCommand(const QStringList& args, Streams& io)
{
    return runCommand(QStringLiteral("stats"), io, [&] {
        const CommandLine line(QStringLiteral("stats"), {{QStringLiteral("password-file"), {}, QStringLiteral("FILE")}}, args);
        if (line.helpAsked()) {
            io.out += Help;
            return 0;
        }
        const QString diary = diaryArgument(line);
        TVolgaTable table;
        std::map<int, Counts> years;
        Counts total;
        qint64 run = 0, best = 0;
        TDateTime previous = 0, bestEnd = 0;
        for (const ExportEntry& e : readDiary(table, diary, line.value(QStringLiteral("password-file")))) {
            const Counts c = countsOf(*e.text);
            years[decodeDate(e.date).year] += c;
            total += c;
            run = run > 0 && e.date == previous + 1 ? run + 1 : 1;
            if (run > best) {
                best = run;
                bestEnd = e.date;
            }
            previous = e.date;
        }
        io.out += QStringLiteral("%1 %2 %3 %4\n").arg(QStringLiteral("year"), -5).arg(QStringLiteral("entries"), 9)
                      .arg(QStringLiteral("words"), 11).arg(QStringLiteral("characters"), 12).toUtf8();
        for (const auto& [year, c] : years) io.out += row(QString::number(year), c);
        io.out += row(QStringLiteral("total"), total);
        if (best == 0) io.out += "longest streak: none\n";
        else
            io.out += QStringLiteral("longest streak: %1 day%2, %3 to %4\n")
                          .arg(best)
                          .arg(best == 1 ? "" : "s")
                          .arg(isoDate(bestEnd - double(best - 1)), isoDate(bestEnd))
                          .toUtf8();
        return 0;
    });
}

} // namespace vistelle::cli
