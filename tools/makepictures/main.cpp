// Paints the built-in pictures (twelve month scenes, the placeholder, the
// logos and the stepping arrows) into the folder given as the argument.
// Every random choice uses a fixed seed, so a second run writes the same files.

#include "brandart.h"
#include "jpegcheck.h"
#include "monthscenes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QStringList>

#include <cstdio>
#include <functional>

namespace {

constexpr int kJpegQuality = 90;
constexpr qint64 kMonthSizeLimit = 700 * 1024;

QByteArray encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (qstrcmp(format, "jpg") == 0) {
        writer.setQuality(kJpegQuality);
        writer.setOptimizedWrite(true);
        writer.setProgressiveScanWrite(false);
    }
    if (!writer.write(image))
        return {};
    return bytes;
}

struct Asset
{
    QString name;
    std::function<QImage()> paint;
    QSize size;
};

QList<Asset> assets()
{
    QList<Asset> list;
    for (int m = 1; m <= 12; ++m)
        list.append({QStringLiteral("month%1.jpg").arg(m, 2, 10, QLatin1Char('0')),
                     [m] { return MonthScenes::paint(m); }, QSize(1024, 768)});
    list.append({"placeholder.jpg", &BrandArt::placeholder, QSize(800, 600)});
    list.append({"pageLogo.jpg", &BrandArt::pageLogo, QSize(168, 50)});
    list.append({"logoA.png", [] { return BrandArt::barLogo(false); }, QSize(37, 30)});
    list.append({"logoB.png", [] { return BrandArt::barLogo(true); }, QSize(37, 30)});
    list.append({"arrowLeft.png", [] { return BrandArt::arrow(false); }, QSize(24, 24)});
    list.append({"arrowRight.png", [] { return BrandArt::arrow(true); }, QSize(24, 24)});
    return list;
}

QString problemWith(const Asset &a, const QImage &image, const QByteArray &bytes)
{
    if (image.size() != a.size)
        return QStringLiteral("is %1 x %2, not %3 x %4").arg(image.width()).arg(image.height()).arg(a.size.width()).arg(a.size.height());
    if (bytes.isEmpty())
        return QStringLiteral("could not be encoded");
    if (a.name.endsWith(".jpg")) {
        if (a.name.startsWith("month") && bytes.size() > kMonthSizeLimit)
            return QStringLiteral("%1 bytes, above the limit").arg(bytes.size());
        return JpegCheck::problem(bytes, a.size.width(), a.size.height());
    }
    const QImage back = QImage::fromData(bytes, "png");
    if (back.size() != a.size || !back.hasAlphaChannel())
        return QStringLiteral("PNG does not read back as %1 x %2 with alpha")
            .arg(a.size.width()).arg(a.size.height());
    return {};
}

bool make(const Asset &a, const QDir &dir)
{
    const QImage image = a.paint();
    const QByteArray bytes = encode(image, a.name.endsWith(".jpg") ? "jpg" : "png");
    const QString problem = problemWith(a, image, bytes);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(a.name), qPrintable(problem));
        return false;
    }
    QFile file(dir.filePath(a.name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "%s: cannot write %s\n", qPrintable(a.name), qPrintable(file.fileName()));
        return false;
    }
    std::printf("%-16s %7lld bytes\n", qPrintable(a.name), static_cast<long long>(bytes.size()));
    return true;
}

// Checks the files already in the folder without painting anything.
bool check(const Asset &a, const QDir &dir)
{
    QFile file(dir.filePath(a.name));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: missing\n", qPrintable(a.name));
        return false;
    }
    const QByteArray bytes = file.readAll();
    const QString problem = problemWith(a, QImage::fromData(bytes), bytes);
    if (!problem.isEmpty())
        std::fprintf(stderr, "%s: %s\n", qPrintable(a.name), qPrintable(problem));
    return problem.isEmpty();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool checkOnly = !args.isEmpty() && args.first() == QLatin1String("--check");
    if (checkOnly)
        args.removeFirst();
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: vistelle-makepictures [--check] <folder> [file name ...]\n");
        return 2;
    }
    const QDir dir(args.first());
    if (!checkOnly && !dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(dir.path()));
        return 1;
    }
    const QStringList only = args.mid(1);
    bool ok = true;
    for (const Asset &a : assets())
        if (only.isEmpty() || only.contains(a.name))
            ok = (checkOnly ? check(a, dir) : make(a, dir)) && ok;
    return ok ? 0 : 1;
}
