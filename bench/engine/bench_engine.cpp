// Speed of the table engine on a 100-year diary (36 500 entries of about 200 characters),
// next to the baselines it is measured against: reading and writing the same bytes, and
// std::sort of the same row references with the same comparison.

#include "diary/engine/rowcomparer.h"
#include "diary/engine/tablereader.h"
#include "diary/engine/volgatable.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <random>

using namespace vistelle;

namespace {

constexpr int Entries = 36500;

QByteArray entryText(std::mt19937& random)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz      ";
    QByteArray text(200, ' ');
    for (char& c : text) c = letters[random() % (sizeof(letters) - 1)];
    return text;
}

struct Diary {
    QTemporaryDir dir;
    QString inOrder = dir.filePath("diary.dat");
    QString shuffled = dir.filePath("shuffled.dat");
    QString output = dir.filePath("out.dat");
    double firstDate = encodeDate(1950, 1, 1);
    qint64 bytes = 0;

    Diary()
    {
        std::mt19937 random(2009);
        std::vector<int> days(Entries);
        for (int i = 0; i < Entries; ++i) days[size_t(i)] = i;
        write(inOrder, days, random);
        std::shuffle(days.begin(), days.end(), random);
        write(shuffled, days, random);
        bytes = QFile(inOrder).size();
    }

    void write(const QString& path, const std::vector<int>& days, std::mt19937& random) const
    {
        TVolgaTable table;
        table.setTableName(path);
        table.FieldDefs().Add("date", ftDateTime);
        table.FieldDefs().Add("event", ftMemo);
        table.CreateTable();
        table.Open();
        for (int d : days) table.AppendRecord({Variant::fromDateTime(firstDate + d), entryText(random)});
        table.SaveToFile(path);
    }
};

Diary& diary()
{
    static Diary d;
    return d;
}

void openTable(TVolgaTable& table, const QString& path)
{
    table.setTableName(path);
    table.Open();
}

void BM_ReadFileBytes(benchmark::State& state)
{
    for (auto _ : state) {
        QFile file(diary().inOrder);
        file.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(file.readAll());
    }
    state.SetBytesProcessed(state.iterations() * diary().bytes);
}

// Opening a table that holds nothing yet, as at start-up; letting go of it is not counted.
void BM_Open(benchmark::State& state)
{
    for (auto _ : state) {
        auto table = std::make_unique<TVolgaTable>();
        table->setTableName(diary().inOrder);
        table->Open();
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * diary().bytes);
}

// Open without the file: the reader alone on the bytes in memory.
void BM_ReadImageInMemory(benchmark::State& state)
{
    QFile file(diary().inOrder);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    for (auto _ : state) {
        TVolgaCursor cursor;
        TableReader(bytes, cursor).read();
        benchmark::DoNotOptimize(cursor.rows().size());
    }
    state.SetBytesProcessed(state.iterations() * diary().bytes);
}

void BM_WriteBytes(benchmark::State& state)
{
    const QByteArray bytes(diary().bytes, 'x');
    for (auto _ : state) {
        QFile file(diary().output);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    }
    state.SetBytesProcessed(state.iterations() * diary().bytes);
}

void BM_WriteBytesAtomically(benchmark::State& state)
{
    const QByteArray bytes(diary().bytes, 'x');
    for (auto _ : state) {
        QSaveFile file(diary().output);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.commit();
    }
    state.SetBytesProcessed(state.iterations() * diary().bytes);
}

void BM_SaveToFile(benchmark::State& state)
{
    TVolgaTable table;
    openTable(table, diary().inOrder);
    for (auto _ : state) table.SaveToFile(diary().output);
    state.SetBytesProcessed(state.iterations() * diary().bytes);
}

void locateDay(benchmark::State& state, int day)
{
    TVolgaTable table;
    openTable(table, diary().inOrder);
    const Variant key = Variant::fromDateTime(diary().firstDate + day);
    for (auto _ : state) benchmark::DoNotOptimize(table.Locate("date", key));
}

void BM_LocateFirst(benchmark::State& state) { locateDay(state, 0); }
void BM_LocateMiddle(benchmark::State& state) { locateDay(state, Entries / 2); }
void BM_LocateMissing(benchmark::State& state) { locateDay(state, -1); }

void BM_Lookup(benchmark::State& state)
{
    TVolgaTable table;
    openTable(table, diary().inOrder);
    const Variant key = Variant::fromDateTime(diary().firstDate + Entries / 2);
    for (auto _ : state) benchmark::DoNotOptimize(table.Lookup("date", key, "event"));
}

void BM_IndexFieldNames(benchmark::State& state)
{
    TVolgaTable table;
    openTable(table, diary().shuffled);
    for (auto _ : state) {
        table.setIndexFieldNames("date");
        state.PauseTiming();
        table.setIndexFieldNames("");
        state.ResumeTiming();
    }
}

void BM_StdSortOfTheSameRows(benchmark::State& state)
{
    TVolgaTable table;
    openTable(table, diary().shuffled);
    const KeyBuffer keys = KeyBuffer::build(*table.cursor(), "date");
    const RowComparer comparer(keys, false, false);
    std::vector<TVolgaRow*> stored;
    for (const TVolgaRow& row : table.cursor()->rows()) stored.push_back(const_cast<TVolgaRow*>(&row));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<TVolgaRow*> view = stored;
        state.ResumeTiming();
        std::sort(view.begin(), view.end(),
                  [&](const TVolgaRow* a, const TVolgaRow* b) { return comparer.compare(a->image, b->image) < 0; });
        benchmark::DoNotOptimize(view.data());
    }
}

} // namespace

BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadImageInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBytesAtomically)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocateFirst)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateMiddle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateMissing)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Lookup)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IndexFieldNames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSortOfTheSameRows)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
