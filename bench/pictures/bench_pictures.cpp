// Speed and memory of the picture sets: start-up share, month change, all sets loaded.
// Each measured case has a baseline beside it (the least work that gives the same
// pixels); the figures to compare are the ratios of the two.

#include "pictures/builtinpictures.h"
#include "pictures/jpegcodec.h"
#include "pictures/jpeggraphic.h"
#include "pictures/pictureview.h"
#include "pictures/setfilereader.h"
#include "pictures/setfilewriter.h"
#include "pictures/tlmdgraphiclist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <malloc.h>
#include <memory>
#include <unistd.h>

using namespace vistelle;

namespace {

const QSize kView(397, 301);
constexpr int kMonth = 5; // the "current" month's position

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString setPath(int n) { return workDir().filePath(QStringLiteral("graphics%1.dat").arg(n)); }

// graphics1.dat … graphics4.dat written from the built-in lists, as at a first start.
void writeBuiltinFiles()
{
    static bool done = false;
    if (done) return;
    initBuiltinPictures();
    for (int n = 1; n <= 4; ++n) {
        std::unique_ptr<TLMDGraphicList> list(createBuiltinList(n, nullptr));
        writeSetFile(*list, setPath(n));
    }
    done = true;
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QByteArray jpegOf(const TLMDGraphicList& list, int index)
{
    return static_cast<const JpegGraphic*>(list.Graphics().at(index).Picture().graphic())->bytes();
}

// Bytes the heap holds for the program (small blocks and mapped large ones).
long heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return long(info.uordblks + info.hblkhd);
}

long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// Resident memory with all four sets read from their files, against their compressed size.
void BM_AllSetsLoadedMemory(benchmark::State& state)
{
    writeBuiltinFiles();
    for (auto _ : state) {
        state.PauseTiming();
        const long before = residentBytes();
        const long heapBefore = heapBytes();
        state.ResumeTiming();
        std::vector<std::unique_ptr<TLMDGraphicList>> lists;
        qint64 compressed = 0;
        for (int n = 1; n <= 4; ++n) {
            lists.push_back(std::make_unique<TLMDGraphicList>());
            readSetFile(setPath(n), *lists.back());
            compressed += QFileInfo(setPath(n)).size();
        }
        // Each set shows one month, as the window and the slideshow would.
        for (auto& list : lists) list->Graphics().at(kMonth).Picture().render(QSize(397, 297));
        state.PauseTiming();
        const long after = residentBytes();
        const long held = heapBytes() - heapBefore;
        state.counters["resident_growth_MB"] = double(after - before) / 1048576.0;
        state.counters["heap_held_MB"] = double(held) / 1048576.0;
        state.counters["compressed_MB"] = double(compressed) / 1048576.0;
        state.counters["held_over_compressed_MB"] = double(held - compressed) / 1048576.0;
        lists.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AllSetsLoadedMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// Start-up: read graphics1.dat into the list and draw the current month for the view.
void BM_StartupSet1(benchmark::State& state)
{
    writeBuiltinFiles();
    for (auto _ : state) {
        TLMDGraphicList list;
        list.setObjectName("piclist1");
        readSetFile(setPath(1), list);
        const Picture& p = list.Graphics().at(kMonth).Picture();
        const QRect target = pictureTargetRect(p.size(), kView, FitMode::Proportional);
        benchmark::DoNotOptimize(p.render(target.size()).constBits());
    }
}
BENCHMARK(BM_StartupSet1)->Unit(benchmark::kMillisecond);

// Baseline: the file's bytes and one DCT-scaled decode of that picture.
void BM_StartupBaseline(benchmark::State& state)
{
    writeBuiltinFiles();
    TLMDGraphicList list;
    readSetFile(setPath(1), list);
    const QByteArray jpeg = jpegOf(list, kMonth);
    const QRect target = pictureTargetRect(list.Graphics().at(kMonth).Picture().size(), kView, FitMode::Proportional);
    for (auto _ : state) {
        benchmark::DoNotOptimize(readBytes(setPath(1)).constData());
        benchmark::DoNotOptimize(decodeJpeg(jpeg, target.size()).constBits());
    }
}
BENCHMARK(BM_StartupBaseline)->Unit(benchmark::kMillisecond);

// A month change: copy the month's picture into the view and paint it, decoding afresh.
void BM_MonthChange(benchmark::State& state)
{
    writeBuiltinFiles();
    TLMDGraphicList list;
    readSetFile(setPath(1), list);
    QImage canvas(kView, QImage::Format_RGB32);
    int m = 0;
    for (auto _ : state) {
        const Picture shown = list.Graphics().at(m).Picture();
        shown.graphic()->clearCache();
        QPainter painter(&canvas);
        paintPicture(painter, canvas.rect(), shown, FitMode::Proportional, Qt::black);
        painter.end();
        benchmark::DoNotOptimize(canvas.constBits());
        m = (m + 1) % 12;
    }
}
BENCHMARK(BM_MonthChange)->Unit(benchmark::kMillisecond);

// Baseline: the DCT-scaled decode and the smooth scale to the drawn size, nothing else.
void BM_RawScaledDecode(benchmark::State& state)
{
    writeBuiltinFiles();
    TLMDGraphicList list;
    readSetFile(setPath(1), list);
    std::vector<QByteArray> jpegs;
    for (int i = 0; i < 12; ++i) jpegs.push_back(jpegOf(list, i));
    const QSize target = pictureTargetRect(list.Graphics().at(0).Picture().size(), kView, FitMode::Proportional).size();
    int m = 0;
    for (auto _ : state) {
        const QImage scaled = decodeJpeg(jpegs[size_t(m)], target).scaled(target, Qt::IgnoreAspectRatio,
                                                                         Qt::SmoothTransformation);
        benchmark::DoNotOptimize(scaled.constBits());
        m = (m + 1) % 12;
    }
}
BENCHMARK(BM_RawScaledDecode)->Unit(benchmark::kMillisecond);


} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
