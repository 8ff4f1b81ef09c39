// A protected diary against a plain one: the key derivation with freshly chosen limits
// (meant to take 0.3 to 1 s), and opening and saving the 100-year diary in either form,
// the protected one with its key already known, each the way the program does it.
//
// Opening reads diary.dat as the window does at start. "Warm" repeats it in one process,
// where the allocator hands back the memory of the previous round; "first" gives each
// round fresh memory, as the one opening of a run gets (run last: it fixes the
// allocator's threshold for the rest of the process). Saving builds the image and saves
// it atomically, synced; "spaced" leaves the disk a pause between saves, as saving as you
// go does (at most one save a second). The window benchmark opens the main window on the
// diary as the program starts: the diary and first set read ahead while the window is
// built, the protected one read while its password box is up and timed from the answer on,
// its key derived with limits so small that the derivation costs nothing.

#include "app/mainform.h"
#include "app/startreading.h"
#include "bench/common/largediary.h"
#include "core/readahead.h"
#include "core/savefile.h"
#include "diary/protect/diaryform.h"
#include "diary/protect/protectedfile.h"

#include "platform/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <optional>
#include <thread>

using namespace vistelle;
using namespace vistelle::bench;
using namespace vistelle::protect;

namespace {

struct Diaries {
    QTemporaryDir dir;
    QString plain = dir.filePath("diary.dat");
    QString sealed = dir.filePath("protected.dat");
    std::shared_ptr<const DiaryKey> key =
        std::make_shared<const DiaryKey>(DiaryKey::derive("correct horse", DiaryKey::freshParams()));
    TVolgaTable table;

    Diaries()
    {
        writeLargeDiary(table, plain);
        writeFileWhole(sealed, sealImage(table.saveImage(), *key));
    }
};

Diaries& diaries()
{
    static Diaries d;
    return d;
}

void open(const QString& fileName, const std::shared_ptr<const DiaryKey>& key)
{
    auto table = std::make_unique<TVolgaTable>();
    table->setTableName(fileName);
    if (key) {
        table->imageOfFile = [key](QByteArray bytes) {
            DiaryForm form;
            form.setKey(key);
            return form.imageOf(std::move(bytes), QStringLiteral("diary.dat"));
        };
    }
    table->Open();
    benchmark::DoNotOptimize(table->RecordCount());
}

void save(const QString& fileName, const std::shared_ptr<const DiaryKey>& key)
{
    const QByteArray image = diaries().table.saveImage();
    if (!key) {
        saveFile(fileName, image);
        return;
    }
    const SealInProgress sealing(image, *key); // written while it is sealed, as the program saves
    saveFile(fileName, sealing.bytes(), nullptr, [&](qsizetype n) { return sealing.ready(n); });
}

void BM_DeriveKey(benchmark::State& state)
{
    const KeyParams params = diaries().key->params();
    for (auto _ : state) benchmark::DoNotOptimize(DiaryKey::derive("correct horse", params).bytes());
    state.counters["opsLimit"] = params.opsLimit;
    state.counters["memLimitMiB"] = params.memLimitKiB / 1024.0;
}

void BM_OpenPlainWarm(benchmark::State& state)
{
    for (auto _ : state) open(diaries().plain, nullptr);
}

void BM_OpenProtectedWarm(benchmark::State& state)
{
    for (auto _ : state) open(diaries().sealed, diaries().key);
}

void BM_SavePlain(benchmark::State& state)
{
    for (auto _ : state) save(diaries().plain, nullptr);
}

void BM_SaveProtected(benchmark::State& state)
{
    for (auto _ : state) save(diaries().sealed, diaries().key);
}

void spacedSaves(benchmark::State& state, const QString& fileName, const std::shared_ptr<const DiaryKey>& key)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        state.ResumeTiming();
        save(fileName, key);
    }
}

void BM_SavePlainSpaced(benchmark::State& state) { spacedSaves(state, diaries().plain, nullptr); }
void BM_SaveProtectedSpaced(benchmark::State& state) { spacedSaves(state, diaries().sealed, diaries().key); }

void BM_OpenWindow(benchmark::State& state)
{
    const bool sealed = state.range(0) != 0;
    QTemporaryDir dir;
    const QString home = QDir::currentPath();
    QDir::setCurrent(dir.path());
    ScriptedDialogs boxes;
    setDialogs(&boxes);
    const QByteArray image = diaries().table.saveImage();
    const DiaryKey quick = DiaryKey::derive("correct horse", {1, 8, QByteArray(16, 's')});
    writeFileWhole(QStringLiteral("diary.dat"), sealed ? sealImage(image, quick) : image);
    for (auto _ : state) {
        std::optional<StartReading> reading;
        if (sealed) {
            // The files are read while the password box is up (for most of a second at
            // least: the key's derivation alone takes that long); the time counts from
            // the answer on.
            state.PauseTiming();
            boxes.passwords.append(QByteArray("correct horse"));
            reading.emplace();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            state.ResumeTiming();
        } else {
            reading.emplace();
        }
        reading->askPassword();
        auto form = std::make_unique<TMainForm>();
        ReadAhead::dropRest();
        form->show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(form->diary.RecordCount());
        state.PauseTiming();
        form.reset();
        reading.reset();
        state.ResumeTiming();
    }
    const QStringList others = boxes.log.filter(QRegularExpression(QStringLiteral("^(?!password: )")));
    if (!others.isEmpty()) state.SkipWithError(qPrintable(others.join(u'\n')));
    setDialogs(nullptr);
    QDir::setCurrent(home);
}

// Large arrays are mapped afresh from here on, as a run's first ones are.
void freshMemory()
{
    static const bool fixed = mallopt(M_MMAP_THRESHOLD, 1 << 20) != 0;
    benchmark::DoNotOptimize(fixed);
}

void BM_OpenPlainFirst(benchmark::State& state)
{
    freshMemory();
    for (auto _ : state) open(diaries().plain, nullptr);
}

void BM_OpenProtectedFirst(benchmark::State& state)
{
    freshMemory();
    for (auto _ : state) open(diaries().sealed, diaries().key);
}

} // namespace

BENCHMARK(BM_DeriveKey)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenPlainWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenProtectedWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveProtected)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePlainSpaced)->Unit(benchmark::kMillisecond)->Iterations(24);
BENCHMARK(BM_SaveProtectedSpaced)->Unit(benchmark::kMillisecond)->Iterations(24);
BENCHMARK(BM_OpenWindow)->ArgName("protected")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_OpenPlainFirst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenProtectedFirst)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    diaries(); // written before anything is timed
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
