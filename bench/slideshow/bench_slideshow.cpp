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

void BM_SlideshowTick(benchmark::State& state)
{
    ColdHost host(builtinJpeg());
    TWallpaper window(host);
    window.setWindowState(Qt::WindowNoState); // measured off screen, at the screen's size
    window.resize(kScreen);
    window.FormActivate();
    window.SlidesTimer->stop();
    QImage screen(kScreen, QImage::Format_RGB32);
    screen.fill(Qt::black);
    window.wpImage->render(&screen);
    if (screen.pixel(960, 540) == qRgb(0, 0, 0)) state.SkipWithError("nothing was painted");
    for (auto _ : state) {
        window.SlidesTimerTimer();
        window.wpImage->render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
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
    const QSize target = pictureTargetRect(QSize(1024, 768), kScreen, FitMode::Proportional).size();
    for (auto _ : state) {
        QImage image = decodeJpeg(bytes, target);
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(image.constBits());
    }
}

} // namespace

BENCHMARK(BM_SlideshowTick)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawScaledDecode)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
