// A protected diary against a plain one: the key derivation with freshly chosen limits
// (meant to take 0.3 to 1 s), and opening and saving the 100-year diary in either form,
// the protected one with its key already known.

#include "bench/common/largediary.h"
#include "core/savefile.h"
#include "diary/protect/protectedfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace vistelle;
using namespace vistelle::bench;
using namespace vistelle::protect;

namespace {

struct Diaries {
    QTemporaryDir dir;
    QString plain = dir.filePath("diary.dat");
    QString sealed = dir.filePath("protected.dat");
    DiaryKey key = DiaryKey::derive("correct horse", DiaryKey::freshParams());
    TVolgaTable table;

    Diaries()
    {
        writeLargeDiary(table, plain);
        writeFileWhole(sealed, sealImage(table.saveImage(), key));
    }
};

Diaries& diaries()
{
    static Diaries d;
    return d;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void openImage(const QByteArray& image)
{
    auto table = std::make_unique<TVolgaTable>();
    table->setLoadMode(lmStream);
    table->setLoadStream(image);
    table->Open();
    benchmark::DoNotOptimize(table->RecordCount());
}

void BM_DeriveKey(benchmark::State& state)
{
    const KeyParams params = diaries().key.params();
    for (auto _ : state) benchmark::DoNotOptimize(DiaryKey::derive("correct horse", params).bytes());
    state.counters["opsLimit"] = params.opsLimit;
    state.counters["memLimitMiB"] = params.memLimitKiB / 1024.0;
}

void BM_OpenPlain(benchmark::State& state)
{
    for (auto _ : state) openImage(readAll(diaries().plain));
}

void BM_OpenProtected(benchmark::State& state)
{
    for (auto _ : state) openImage(unsealImage(readAll(diaries().sealed), diaries().key, "diary.dat"));
}

void BM_SavePlain(benchmark::State& state)
{
    for (auto _ : state) writeFileWhole(diaries().plain, diaries().table.saveImage());
}

void BM_SaveProtected(benchmark::State& state)
{
    for (auto _ : state) writeFileWhole(diaries().sealed, sealImage(diaries().table.saveImage(), diaries().key));
}

} // namespace

BENCHMARK(BM_DeriveKey)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenProtected)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveProtected)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
