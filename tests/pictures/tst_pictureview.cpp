// The picture control's three fits and its drawing.

#include "fixtures.h"
#include "pictures/pictureview.h"

#include <QtTest>

using namespace vistelle;

class TestPictureView : public QObject {
    Q_OBJECT

private slots:
    void fitRectangles_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("control");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QRect>("expected");
        const int prop = int(FitMode::Proportional), stretch = int(FitMode::Stretched),
                  shrink = int(FitMode::CentredShrink);
        // Wide picture: width W, height trunc(W·h/w) = trunc(397·768/1024) = 297.
        QTest::newRow("wide, reduced") << QSize(1024, 768) << QSize(397, 301) << prop << QRect(0, 2, 397, 297);
        // Wide, but the height would exceed H: height H, width trunc(H·w/h).
        QTest::newRow("wide, height bound") << QSize(400, 300) << QSize(397, 200) << prop << QRect(65, 0, 266, 200);
        // Tall or square: height H first.
        QTest::newRow("tall") << QSize(300, 600) << QSize(397, 301) << prop << QRect(123, 0, 150, 301);
        QTest::newRow("square") << QSize(10, 10) << QSize(397, 301) << prop << QRect(48, 0, 301, 301);
        QTest::newRow("square, width bound") << QSize(10, 10) << QSize(100, 301) << prop << QRect(0, 100, 100, 100);
        QTest::newRow("small picture enlarged") << QSize(40, 30) << QSize(397, 301) << prop << QRect(0, 2, 397, 297);
        QTest::newRow("odd remainder") << QSize(3, 1) << QSize(10, 10) << prop << QRect(0, 3, 10, 3);
        QTest::newRow("stretched") << QSize(40, 30) << QSize(397, 301) << stretch << QRect(0, 0, 397, 301);
        QTest::newRow("shrink: small at own size") << QSize(40, 30) << QSize(397, 301) << shrink << QRect(178, 135, 40, 30);
        QTest::newRow("shrink: large shrunk") << QSize(1024, 768) << QSize(397, 301) << shrink << QRect(0, 2, 397, 297);
        QTest::newRow("shrink: one side larger") << QSize(500, 100) << QSize(397, 301) << shrink << QRect(0, 111, 397, 79);
        QTest::newRow("empty picture") << QSize(0, 0) << QSize(397, 301) << prop << QRect();
    }

    void fitRectangles()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, control);
        QFETCH(int, mode);
        QFETCH(QRect, expected);
        QCOMPARE(pictureTargetRect(picture, control, FitMode(mode)), expected);
    }

    void drawsThePictureOnItsBackground()
    {
        PictureView view;
        view.resize(200, 100);
        view.setBackgroundColor(Qt::black);
        view.setPicture(Picture::fromImage(fixtures::quadrants(50, 50)));
        QCOMPARE(view.pictureRect(), QRect(50, 0, 100, 100));
        const QImage shot = view.grab().toImage();
        QCOMPARE(QColor(shot.pixel(10, 50)), QColor(Qt::black));
        QCOMPARE(QColor(shot.pixel(60, 10)), QColor(Qt::red));
        QCOMPARE(QColor(shot.pixel(140, 90)), QColor(Qt::white));

        view.setFitMode(FitMode::Stretched);
        const QImage stretched = view.grab().toImage();
        QCOMPARE(QColor(stretched.pixel(10, 10)), QColor(Qt::red));
        QCOMPARE(QColor(stretched.pixel(190, 10)), QColor(Qt::green));

        view.setPicture(Picture());
        QCOMPARE(QColor(view.grab().toImage().pixel(100, 50)), QColor(Qt::black));
    }
};

QTEST_MAIN(TestPictureView)
#include "tst_pictureview.moc"
