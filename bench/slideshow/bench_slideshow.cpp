// One slideshow tick at 1920 × 1080 with a cold picture (a new picture from the same JPEG
// bytes each time: decode, scale, paint through the picture control), against the bare
// work: a scaled decode plus one smooth scale to the same target.

#include "pictures/builtinpictures.h"
#include "pictures/jpegcodec.h"
#include "pictures/jpeggraphic.h"
#include "pictures/pictureview.h"
#include "slideshow/wallpaper.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <ctime>

#include <benchmark/benchmark.h>

using namespace vistelle;

namespace {

const QSize kScreen(1920, 1080);

QByteArray builtinJpeg()
{
    initBuiltinPictures();
    QFile file(QStringLiteral(":/builtin/month01.jpg"));
    if (!file.open(QIODevice::ReadOnly)) qFatal("built-in picture missing");
    return file.readAll();
}

// Hands out a new picture of the same bytes at every request, so no cache is warm.
class ColdHost : public SlideshowHost {
public:
    explicit ColdHost(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    int currentSet() const override { return 1; }
    int calendarMonth() const override { return 1; }
    Picture pictureOnDisplay() const override { return fresh(); }
    Picture setPicture(int, int) const override { return fresh(); }
    void loadSetIfNeeded(int) override {}
    void slideshowHidden() override {}

private:
    Picture fresh() const { return Picture(std::make_shared<JpegGraphic>(m_bytes)); }
    QByteArray m_bytes;
};

// The window off screen at the screen's size, painting into an image of that size.
struct TickRig {
    ColdHost host{builtinJpeg()};
    TWallpaper window{host};
    QImage screen{kScreen, QImage::Format_RGB32};

    TickRig()
    {
        window.setWindowState(Qt::WindowNoState);
        window.resize(kScreen);
        window.FormActivate();
        window.SlidesTimer->stop();
        screen.fill(Qt::black);
    }
    void tick()
    {
        window.SlidesTimerTimer();
        window.wpImage->render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
    bool painted() const { return screen.pixel(960, 540) != qRgb(0, 0, 0); }
};

void rawScaledDecode(const QByteArray& bytes, QSize target)
{
    QImage image = decodeJpeg(bytes, target);
    image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    benchmark::DoNotOptimize(image.constBits());
}

QSize pictureTarget() { return pictureTargetRect(QSize(1024, 768), kScreen, FitMode::Proportional).size(); }

double processSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void BM_SlideshowTick(benchmark::State& state)
{
    TickRig rig;
    rig.tick();
    if (!rig.painted()) state.SkipWithError("nothing was painted");
    for (auto _ : state) rig.tick();
}

// Ticks and bare decodes in alternation, so that a busy machine weighs on both alike;
// the counter "ratio" is tick time over bare time (process CPU).
void BM_TickOverRawRatio(benchmark::State& state)
{
    TickRig rig;
    const QByteArray bytes = builtinJpeg();
    const QSize target = pictureTarget();
    double tickTime = 0, rawTime = 0;
    for (auto _ : state) {
        const double t0 = processSeconds();
        rig.tick();
        const double t1 = processSeconds();
        rawScaledDecode(bytes, target);
        tickTime += t1 - t0;
        rawTime += processSeconds() - t1;
    }
    state.counters["ratio"] = rawTime > 0 ? tickTime / rawTime : 0;
}

void BM_PaintPicture(benchmark::State& state)
{
    const QByteArray bytes = builtinJpeg();
    QImage screen(kScreen, QImage::Format_RGB32);
    for (auto _ : state) {
        const Picture picture(std::make_shared<JpegGraphic>(bytes));
        QPainter painter(&screen);
        paintPicture(painter, screen.rect(), picture, FitMode::Proportional, Qt::black);
        painter.end();
        benchmark::DoNotOptimize(screen.constBits());
    }
}

void BM_RawScaledDecode(benchmark::State& state)
{
    const QByteArray bytes = builtinJpeg();
    const QSize target = pictureTarget();
    for (auto _ : state) rawScaledDecode(bytes, target);
}

} // namespace

// Qt's smooth scaling of large images runs on its thread pool: CPU time is counted over
// the whole process, not the calling thread alone.
BENCHMARK(BM_SlideshowTick)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PaintPicture)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_RawScaledDecode)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_TickOverRawRatio)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
