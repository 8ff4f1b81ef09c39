// On the diary of 36,500 entries (100 years, one entry of about 200 characters a day):
// - vistelle-diary's export to Markdown against reading the diary file and writing as
//   many bytes as the export through the same atomic save;
// - its import of that export into a new diary against opening the diary and saving it
//   with the engine, and against reading and writing the file's bytes;
// - its search against the window's search loop;
// - the peak memory of importing 1 GiB of junk;
// - the month repaint of the calendar with the marks of the days with an entry against
//   the same repaint without marks.

#include "calendar/qelcalendar.h"
#include "bench/common/largediary.h"
#include "bench/common/windowsession.h"
#include "cli/cli.h"
#include "core/regional.h"
#include "core/savefile.h"
#include "diary/engine/volgatable.h"
#include "diary/entrydays.h"
#include "search/entrysearch.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vistelle;
using namespace vistelle::bench;

namespace {

struct Folder {
    QTemporaryDir dir;
    TVolgaTable table;
    qint64 exportSize = 0;

    Folder()
    {
        QDir::setCurrent(dir.path());
        createDiary(table, "diary.dat");
        for (int i = 0; i < Entries; ++i)
            table.AppendRecord({Variant::fromDateTime(FirstDate + i), Variant(entryText(i))});
        table.AppendRecord({Variant::fromDateTime(encodeDate(5050, 7, 6)), Variant(QByteArray("415x736y163z266j300k200"))});
        table.SaveToFile("diary.dat");
        cli::Streams io;
        cli::run({"export", "-o", "diary.md"}, io);
        exportSize = QFile("diary.md").size();
    }
};

Folder& folder()
{
    static Folder f;
    return f;
}

void BM_ExportMarkdown(benchmark::State& state)
{
    folder();
    for (auto _ : state) {
        cli::Streams io;
        if (cli::run({"export", "diary.dat", "-o", "out.md"}, io) != 0) state.SkipWithError(io.err.constData());
    }
    state.SetBytesProcessed(state.iterations() * folder().exportSize);
}
BENCHMARK(BM_ExportMarkdown)->Unit(benchmark::kMillisecond);

// The baseline: the diary file read whole, and as many bytes as the export written.
void BM_ReadAndWriteSameBytes(benchmark::State& state)
{
    const QByteArray written(folder().exportSize, 'x');
    for (auto _ : state) {
        QFile file("diary.dat");
        file.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(file.readAll());
        file.close();
        if (!writeFileWhole("out.bin", written)) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * folder().exportSize);
}
BENCHMARK(BM_ReadAndWriteSameBytes)->Unit(benchmark::kMillisecond);

// Import of the whole export into a new diary, against reading the diary file and
// writing it again through the atomic save: the import's own work beyond the file's.
void BM_ImportMarkdown(benchmark::State& state)
{
    folder();
    for (auto _ : state) {
        QFile::remove("imported.dat");
        cli::Streams io;
        if (cli::run({"import", "diary.md", "--into", "imported.dat"}, io) != 0) state.SkipWithError(io.err.constData());
    }
    state.SetBytesProcessed(state.iterations() * folder().exportSize);
}
BENCHMARK(BM_ImportMarkdown)->Unit(benchmark::kMillisecond);

// The diary opened with the engine and saved again, as the import does with the diary it
// builds.
void BM_OpenAndSaveDiary(benchmark::State& state)
{
    folder();
    for (auto _ : state) {
        TVolgaTable table;
        table.setTableName("diary.dat");
        table.Open();
        table.SaveToFile("copy.dat");
    }
}
BENCHMARK(BM_OpenAndSaveDiary)->Unit(benchmark::kMillisecond);

// The bytes of the diary file read and written again through the atomic save.
void BM_ReadAndWriteDiary(benchmark::State& state)
{
    folder();
    for (auto _ : state) {
        QFile file("diary.dat");
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        file.close();
        if (!writeFileWhole("copy.dat", bytes)) state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_ReadAndWriteDiary)->Unit(benchmark::kMillisecond);

// vistelle-diary search for a text no entry holds (every entry looked through), against
// the window's search loop over the open table with the same test of each entry.
void BM_SearchCommand(benchmark::State& state)
{
    folder();
    for (auto _ : state) {
        cli::Streams io;
        if (cli::run({"search", "Tuesday lunch"}, io) != 1) state.SkipWithError("found or failed");
    }
}
BENCHMARK(BM_SearchCommand)->Unit(benchmark::kMillisecond);

void BM_WindowSearch(benchmark::State& state)
{
    TVolgaTable& table = folder().table;
    const EntrySearch search(foldLower("Tuesday lunch"));
    for (auto _ : state) {
        table.setIndexFieldNames("date");
        table.First();
        qsizetype hits = 0;
        while (!table.Eof()) {
            QByteArrayView stored;
            if (table.peekBytes("event", stored)) hits += search.indexIn(stored) >= 0;
            table.Next();
        }
        table.setIndexFieldNames(QString());
        if (hits != 0) state.SkipWithError("found");
    }
}
BENCHMARK(BM_WindowSearch)->Unit(benchmark::kMillisecond);

// The peak memory of a vistelle-diary process that imports 1 GiB of junk, reported as the
// counter peak_MiB: 0 random bytes (1 MiB of them, then zeros), 1 zeros alone (text, but
// without a title line), 2 a title line, then zeros (one line that never ends); 3 is the
// program asked for its version, the peak any run of it starts with. The peak of a forked
// child counts what it shares of this process, so 3 is the figure to compare with.
void BM_ImportJunkPeakMemory(benchmark::State& state)
{
    folder();
    {
        QFile junk("junk.md");
        junk.open(QIODevice::WriteOnly);
        if (state.range(0) == 0) {
            QByteArray random(1 << 20, '\0');
            for (char& c : random) c = char(std::rand());
            junk.write(random);
        } else if (state.range(0) == 2) {
            junk.write("# Vistelle diary\r\n");
        }
        junk.resize(qint64(1) << 30);
    }
    long peakKiB = 0;
    for (auto _ : state) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::freopen("/dev/null", "w", stderr);
            ::freopen("/dev/null", "w", stdout);
            if (state.range(0) == 3) ::execl(VISTELLE_DIARY_PROGRAM, "vistelle-diary", "--version", nullptr);
            ::execl(VISTELLE_DIARY_PROGRAM, "vistelle-diary", "import", "junk.md", "--into", "junk.dat", nullptr);
            ::_exit(127);
        }
        int status = 0;
        struct rusage usage {};
        ::wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != (state.range(0) == 3 ? 0 : 1))
            state.SkipWithError("the junk was not refused");
        peakKiB = std::max(peakKiB, usage.ru_maxrss);
    }
    state.counters["peak_MiB"] = double(peakKiB) / 1024;
    QFile::remove("junk.md");
}
BENCHMARK(BM_ImportJunkPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(0)->Arg(1)->Arg(2)->Arg(3);

// Counts the paints, to be sure that a repaint paints.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

// A calendar as the main window has it, on a month in which every day has an entry.
struct Month {
    TQelCalendar calendar;
    EntryDays days{folder().table};
    PaintCounter counter;

    Month()
    {
        calendar.SetStartOfWeek(1);
        QFont font({"Trebuchet MS", "Open Sans", "DejaVu Sans"});
        font.setPixelSize(13);
        calendar.setFont(font);
        calendar.resize(292 + 2 * calendar.frameWidth(), 170 + 2 * calendar.frameWidth());
        calendar.SetSelectedDate(encodeDate(2000, 3, 15));
        calendar.show();
        while (!calendar.windowHandle() || !calendar.windowHandle()->isExposed()) QApplication::processEvents();
        calendar.installEventFilter(&counter);
    }
};

void repaintMonth(benchmark::State& state, bool marks)
{
    static Month month;
    const TDateTime settings = encodeDate(5050, 7, 6);
    if (marks) month.calendar.dayMarks = [settings](int y, int m) { return month.days.ofMonth(y, m, settings); };
    else month.calendar.dayMarks = {};
    month.calendar.repaint();
    if (marks != month.calendar.dayMarked(15)) state.SkipWithError("marks not as meant");
    month.counter.paints = 0;
    for (auto _ : state) month.calendar.repaint();
    if (month.counter.paints != int(state.iterations())) state.SkipWithError("a repaint did not paint");
}

void BM_MonthRepaintWithoutMarks(benchmark::State& state) { repaintMonth(state, false); }
BENCHMARK(BM_MonthRepaintWithoutMarks)->Unit(benchmark::kMicrosecond);

void BM_MonthRepaintWithMarks(benchmark::State& state) { repaintMonth(state, true); }
BENCHMARK(BM_MonthRepaintWithMarks)->Unit(benchmark::kMicrosecond);

// What the marks cost after a store: the hook names the date, and the list follows it.
void BM_MarksAfterAStore(benchmark::State& state)
{
    TVolgaTable& table = folder().table;
    EntryDays days(table);
    days.ofMonth(1950, 4, 0);
    const TDateTime day = FirstDate + Entries - 30; // a recent day: the look-up runs through most rows
    for (auto _ : state) {
        table.Locate("date", Variant::fromDateTime(day));
        table.Edit();
        table.SetFieldValue("event", Variant(entryText(Entries - 30)));
        table.Post();
        days.dateChanged(day);
        benchmark::DoNotOptimize(days.ofMonth(1950, 4, 0));
    }
}
BENCHMARK(BM_MarksAfterAStore)->Unit(benchmark::kMillisecond);

// What they cost after any other change (a merge, a load): every row read again.
void BM_MarksAfterOtherChanges(benchmark::State& state)
{
    TVolgaTable& table = folder().table;
    for (auto _ : state) {
        EntryDays days(table);
        benchmark::DoNotOptimize(days.ofMonth(1950, 4, 0));
    }
}
BENCHMARK(BM_MarksAfterOtherChanges)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
