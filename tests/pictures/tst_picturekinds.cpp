// The six picture kinds: loading by extension, each codec's checks and round trips,
// conversion to a bitmap, scaled drawing, and metafiles drawn through the helper.

#include "core/error.h"
#include "fixtures.h"
#include "pictures/bitmapgraphic.h"
#include "pictures/bmpcodec.h"
#include "pictures/bytereader.h"
#include "pictures/gifcodec.h"
#include "pictures/gifgraphic.h"
#include "pictures/graphickinds.h"
#include "pictures/icongraphic.h"
#include "pictures/jpegcodec.h"
#include "pictures/jpeggraphic.h"
#include "pictures/metafilegraphic.h"
#include "pictures/metafilerenderer.h"
#include "pictures/picture.h"
#include "pictures/setfilereader.h"
#include "pictures/setfilewriter.h"
#include "pictures/tlmdgraphiclist.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

using namespace vistelle;
using fixtures::le16;
using fixtures::le32;

namespace {

template <typename F>
QString errorOf(F f, bool* invalidGraphic = nullptr)
{
    try {
        f();
    } catch (const InvalidGraphicError& e) {
        if (invalidGraphic) *invalidGraphic = true;
        return e.message();
    } catch (const Error& e) {
        if (invalidGraphic) *invalidGraphic = false;
        return e.message();
    }
    return QStringLiteral("(no error)");
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// A 4 × 2 RLE8 bitmap: bottom row red, top row green.
QByteArray rle8Bmp()
{
    const QByteArray pixels = QByteArray::fromHex("0400" "0000" "0401" "0000" "0001"); // runs, ends of line, end
    return "BM" + le32(62 + 10) + le32(0) + le32(62)
        + le32(40) + le32(4) + le32(2) + le16(1) + le16(8) + le32(1) + le32(10) + le32(0) + le32(0) + le32(2) + le32(0)
        + QByteArray::fromHex("0000FF00" "00FF0000") // palette: red, green (B G R 0)
        + pixels;
}

// A 2 × 2, 24-bit bitmap with the 12-byte core header: bottom blue, white; top red, green.
QByteArray coreBmp()
{
    return "BM" + le32(26 + 16) + le32(0) + le32(26) + le32(12) + le16(2) + le16(2) + le16(1) + le16(24)
        + QByteArray::fromHex("FF0000" "FFFFFF" "0000" "0000FF" "00FF00" "0000");
}

// A 2 × 2, 8-bit bitmap with a two-colour palette and no resolution (both fields 0).
QByteArray palette8Bmp()
{
    return "BM" + le32(62 + 8) + le32(0) + le32(62)
        + le32(40) + le32(2) + le32(2) + le16(1) + le16(8) + le32(0) + le32(8) + le32(0) + le32(0) + le32(2) + le32(0)
        + QByteArray::fromHex("0000FF00" "00FF0000") // palette: red, green
        + QByteArray::fromHex("00010000" "01000000");
}

// A 2 × 1, 32-bit bitmap with the 124-byte header and an alpha mask: half-transparent
// red, opaque green.
QByteArray alpha32Bmp()
{
    QByteArray header = le32(124) + le32(2) + le32(1) + le16(1) + le16(32) + le32(3) + le32(8) + le32(2835)
        + le32(2835) + le32(0) + le32(0) + le32(0x00FF0000) + le32(0x0000FF00) + le32(0x000000FF) + le32(0xFF000000)
        + QByteArray("BGRs") + QByteArray(48, 0) + le32(4) + le32(0) + le32(0) + le32(0);
    return "BM" + le32(14 + 124 + 8) + le32(0) + le32(14 + 124) + header + QByteArray::fromHex("0000FF80" "00FF00FF");
}

GifData sampleGif()
{
    GifData gif;
    gif.width = 10;
    gif.height = 10;
    gif.colorResolution = 8;
    gif.colors = GifColorTable{2, false, QByteArray::fromHex("FF0000" "00FF00" "0000FF" "FFFFFF")};
    GifFrame first;
    first.width = 10;
    first.height = 10;
    first.interlaced = true;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) first.pixels += char((x + y) % 4);
    first.extensions.push_back({0xF9, {QByteArray::fromHex("01000003")}}); // transparent index 3
    first.extensions.push_back({0xFE, {QByteArray("hello"), QByteArray("world")}});
    GifFrame second;
    second.left = 1;
    second.top = 1;
    second.width = 2;
    second.height = 2;
    second.colors = GifColorTable{1, false, QByteArray::fromHex("000000" "808080")};
    second.pixels = QByteArray::fromHex("00010100");
    gif.frames = {first, second};
    gif.trailing.push_back({0xFE, {QByteArray("end")}});
    return gif;
}

QImage mustRender(const Picture& p, QSize size)
{
    const QImage img = p.render(size);
    if (img.isNull()) qWarning("picture was not drawn");
    return img;
}

} // namespace

class TestPictureKinds : public QObject {
    Q_OBJECT

private slots:
    void extensionChoosesTheKindWithoutRegardToCase()
    {
        QTemporaryDir dir;
        const QByteArray jpeg = fixtures::jpeg();
        const Picture p = Picture::fromFile(writeFile(dir, "Photo.JPG", jpeg));
        QCOMPARE(p.className(), QString("TJPEGImage"));
        QCOMPARE(p.size(), QSize(64, 48));
        QCOMPARE(static_cast<const JpegGraphic*>(p.graphic())->bytes(), jpeg);
        QCOMPARE(Picture::fromFile(writeFile(dir, "a.Jpeg", jpeg)).className(), QString("TJPEGImage"));
        QCOMPARE(Picture::fromFile(writeFile(dir, "a.bmp", coreBmp())).className(), QString("TBitmap"));
        QCOMPARE(Picture::fromFile(writeFile(dir, "a.GIF", encodeGif(sampleGif()))).className(), QString("TGIFImage"));
        QCOMPARE(Picture::fromFile(writeFile(dir, "a.ico", fixtures::encoded(fixtures::quadrants(16, 16), "ICO")))
                     .className(), QString("TIcon"));
        QCOMPARE(Picture::fromFile(writeFile(dir, "a.wmf", fixtures::wmf())).className(), QString("TMetafile"));
        QCOMPARE(Picture::fromFile(writeFile(dir, "a.EMF", fixtures::emf())).className(), QString("TMetafile"));
    }

    void nameWithoutDotGivesAnEmptyGenericPicture()
    {
        const Picture p = Picture::fromFile("/no/such/folder.d/README");
        QCOMPARE(p.className(), QString("TOleGraphic"));
        QVERIFY(p.hasGraphic());
        QVERIFY(p.isEmpty());
        QCOMPARE(p.size(), QSize(0, 0));
    }

    void refusedFilesAndTheirKindsOfError()
    {
        QTemporaryDir dir;
        bool invalid = false;
        QCOMPARE(errorOf([&] { Picture::fromFile(writeFile(dir, "x.PNG", "png")); }, &invalid),
                 QString("Unknown picture file extension (.PNG)"));
        QVERIFY(invalid);
        QCOMPARE(errorOf([&] { Picture::fromFile(writeFile(dir, "notes.jpg", "some text")); }, &invalid),
                 "JPEG error #" + QString::number(JERR_NO_SOI));
        QVERIFY(invalid);
        QCOMPARE(errorOf([&] { Picture::fromFile(writeFile(dir, "empty.jpg", "")); }, &invalid),
                 "JPEG error #" + QString::number(JERR_INPUT_EMPTY));
        const QString missing = dir.filePath("missing.gif");
        QCOMPARE(errorOf([&] { Picture::fromFile(missing); }, &invalid), "Cannot open file " + missing);
        QVERIFY(!invalid);
        QDir(dir.path()).mkdir("folder.bmp");
        QCOMPARE(errorOf([&] { Picture::fromFile(dir.filePath("folder.bmp")); }, &invalid),
                 "Cannot open file " + dir.filePath("folder.bmp"));
        QVERIFY(!invalid);
    }

    void copiesAreIndependentAndShareJpegBytes()
    {
        QImage img = fixtures::quadrants(8, 8);
        Picture a = Picture::fromImage(img);
        TLMDGraphicList list;
        TLMDGraphicListItem& item = list.Graphics().add();
        item.setPicture(a);
        img.fill(Qt::black);
        a = Picture(std::make_shared<JpegGraphic>(fixtures::jpeg()));
        QCOMPARE(item.Picture().className(), QString("TBitmap"));
        QCOMPARE(item.Picture().toBitmap().pixelColor(0, 0), QColor(Qt::red));

        const Picture b = a;
        QCOMPARE(static_cast<const JpegGraphic*>(b.graphic())->bytes().constData(),
                 static_cast<const JpegGraphic*>(a.graphic())->bytes().constData());
    }

    void jpegHeaderAndScaledDecoding()
    {
        const QByteArray bytes = fixtures::jpeg(1024, 768);
        const JpegHeader h = parseJpegHeader(bytes);
        QCOMPARE(h.width, 1024);
        QCOMPARE(h.height, 768);
        QCOMPARE(h.components, 3);
        QVERIFY(!h.progressive);
        QCOMPARE(decodeJpeg(bytes, QSize(397, 301)).size(), QSize(512, 384)); // 4/8 covers, 3/8 does not
        QCOMPARE(decodeJpeg(bytes, QSize(100, 75)).size(), QSize(128, 96));
        QCOMPARE(decodeJpeg(bytes, QSize(1000, 10)).size(), QSize(1024, 768));
        QCOMPARE(decodeJpeg(bytes).size(), QSize(1024, 768));

        const Picture p(std::make_shared<JpegGraphic>(bytes));
        const QImage shown = p.render(QSize(397, 301));
        QCOMPARE(shown.size(), QSize(397, 301));
        QVERIFY(qRed(shown.pixel(50, 50)) > 200 && qGreen(shown.pixel(50, 50)) < 60);
        QVERIFY(qBlue(shown.pixel(50, 250)) > 200);
        QCOMPARE(p.toBitmap().size(), QSize(1024, 768));

        bool invalid = false;
        QCOMPARE(errorOf([&] { JpegGraphic g(bytes.left(2)); }, &invalid), "JPEG error #" + QString::number(JERR_NO_IMAGE));
        QVERIFY(invalid);
        QCOMPARE(JpegGraphic(QByteArray()).isEmpty(), true);
    }

    void greyscaleJpegDecodes()
    {
        const QByteArray bytes = fixtures::encoded(fixtures::quadrants(32, 32).convertToFormat(QImage::Format_Grayscale8), "JPG");
        QCOMPARE(parseJpegHeader(bytes).components, 1);
        const QImage img = decodeJpeg(bytes);
        QCOMPARE(img.size(), QSize(32, 32));
        QVERIFY(qAbs(qRed(img.pixel(28, 28)) - 255) < 8);
    }

    void gifIsReEncodedAndDecodesToTheSamePicture()
    {
        const GifData gif = sampleGif();
        const QByteArray stream = encodeGif(gif);
        QVERIFY(stream.startsWith("GIF89a"));
        QCOMPARE(stream.back(), ';');
        const GifData back = decodeGif(stream);
        QCOMPARE(back.width, 10);
        QCOMPARE(int(back.frames.size()), 2);
        QCOMPARE(back.frames[0].pixels, gif.frames[0].pixels);
        QVERIFY(back.frames[0].interlaced);
        QCOMPARE(back.frames[1].pixels, gif.frames[1].pixels);
        QCOMPARE(back.frames[1].left, 1);
        QCOMPARE(back.frames[1].colors->rgb, gif.frames[1].colors->rgb);
        QCOMPARE(int(back.frames[0].extensions.size()), 2);
        QCOMPARE(back.frames[0].extensions[1].blocks[1], QByteArray("world"));
        QCOMPARE(int(back.trailing.size()), 1);
        QCOMPARE(encodeGif(back), stream);

        // Another decoder sees the same first frame.
        const QImage ours = renderGif(back);
        const QImage theirs = QImage::fromData(stream, "GIF").convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(theirs.size(), ours.size());
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                QCOMPARE(qAlpha(theirs.pixel(x, y)), qAlpha(ours.pixel(x, y)));
                if (qAlpha(ours.pixel(x, y)) != 0) QCOMPARE(theirs.pixel(x, y), ours.pixel(x, y));
            }
        QCOMPARE(qAlpha(ours.pixel(3, 0)), 0); // index 3 is transparent
        QCOMPARE(ours.pixel(0, 1), qRgb(0, 255, 0));
        QCOMPARE(ours.pixel(0, 0), qRgb(255, 0, 0));

        const Picture p(std::make_shared<GifGraphic>(back));
        QCOMPARE(p.toBitmap().size(), QSize(10, 10));
        QCOMPARE(p.graphic()->classData(), stream);
    }

    void gifDecoderMessages()
    {
        const QByteArray good = encodeGif(sampleGif());
        bool invalid = false;
        QCOMPARE(errorOf([&] { decodeGif("JFIF89a" + good.mid(6)); }, &invalid), QString("Invalid GIF signature"));
        QVERIFY(invalid);
        QCOMPARE(errorOf([&] { decodeGif("GIF99z" + good.mid(6)); }), QString("Unsupported GIF version"));
        QCOMPARE(errorOf([&] { decodeGif(good.left(13 + 12) + "X"); }, &invalid), QString("Invalid GIF data"));
        QVERIFY(invalid);
        QCOMPARE(errorOf([&] { decodeGif(good.left(good.size() - 12)); }, &invalid), QString("Stream read error"));
        QVERIFY(!invalid);
        QCOMPARE(errorOf([&] { decodeGif("GI"); }), QString("Stream read error"));
        // A frame claiming far more pixels than its data could hold is refused unread.
        QByteArray huge = good.left(13 + 12) + ",";
        huge += le16(0) + le16(0) + le16(0xFFFF) + le16(0xFFFF) + '\0' + "\x02\x02\x4C\x01\x00;";
        QCOMPARE(errorOf([&] { decodeGif(huge); }), QString("Invalid GIF data"));
    }

    void bitmapFromRunLengthFileIsKeptByteForByte()
    {
        const QByteArray file = rle8Bmp();
        const auto g = BitmapGraphic::fromFile(file);
        QCOMPARE(g->fileBytes(), file);
        QCOMPARE(g->classData(), le32(quint32(file.size())) + file);
        QCOMPARE(g->toBitmap().size(), QSize(4, 2));
        QCOMPARE(QColor(g->toBitmap().pixel(0, 0)), QColor(Qt::green));
        QCOMPARE(QColor(g->toBitmap().pixel(3, 1)), QColor(Qt::red));
    }

    void bitmapWithCoreHeaderIsKeptByteForByte()
    {
        const QByteArray file = coreBmp();
        const auto g = BitmapGraphic::fromFile(file);
        QCOMPARE(g->fileBytes(), file);
        const QImage img = g->toBitmap();
        QCOMPARE(QColor(img.pixel(0, 0)), QColor(Qt::red));
        QCOMPARE(QColor(img.pixel(1, 0)), QColor(Qt::green));
        QCOMPARE(QColor(img.pixel(0, 1)), QColor(Qt::blue));
    }

    void bitmapFilesKeepTheirBytesThroughASetFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QSize>("size");
        QTest::newRow("8-bit without resolution") << palette8Bmp() << QSize(2, 2);
        QTest::newRow("32-bit, 124-byte header, alpha") << alpha32Bmp() << QSize(2, 1);
        QTest::newRow("run-length") << rle8Bmp() << QSize(4, 2);
    }
    void bitmapFilesKeepTheirBytesThroughASetFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        const Picture dropped = Picture::fromFile(writeFile(dir, "picture.bmp", file));
        QCOMPARE(dropped.size(), size);
        QCOMPARE(dropped.graphic()->classData(), le32(quint32(file.size())) + file);
        TLMDGraphicList list;
        list.setObjectName("piclist2");
        list.Graphics().add().setPicture(dropped);
        const QByteArray stored = setFileBytes(list);
        TLMDGraphicList back;
        back.setObjectName("piclist2");
        readSetBytes(stored, back);
        QCOMPARE(static_cast<const BitmapGraphic*>(back.Graphics().at(0).Picture().graphic())->fileBytes(), file);
        QCOMPARE(setFileBytes(back), stored);
    }

    void otherBitmapsAreStoredInTheWritersForm()
    {
        const QImage img = fixtures::quadrants(6, 4);
        const Picture p = Picture::fromImage(img);
        QCOMPARE(p.className(), QString("TBitmap"));
        const QByteArray file = static_cast<const BitmapGraphic*>(p.graphic())->fileBytes();
        QVERIFY(file.startsWith("BM"));
        QCOMPARE(qFromLittleEndian<quint32>(file.constData() + 14), 40u);
        QCOMPARE(qFromLittleEndian<quint16>(file.constData() + 28), quint16(24));
        QCOMPARE(p.toBitmap().convertToFormat(QImage::Format_RGB32), img);
        // A stored bitmap read back is stored the same way again.
        QCOMPARE(BitmapGraphic::fromFile(file)->fileBytes(), file);
    }

    void bitmapChecks()
    {
        bool invalid = false;
        QByteArray badPlanes = coreBmp();
        badPlanes[22] = 2;
        QCOMPARE(errorOf([&] { BitmapGraphic::fromFile(badPlanes); }, &invalid), QString("Bitmap image is not valid"));
        QVERIFY(invalid);
        QCOMPARE(errorOf([&] { BitmapGraphic::fromFile("BX" + coreBmp().mid(2)); }), QString("Bitmap image is not valid"));
        QCOMPARE(errorOf([&] { BitmapGraphic::fromFile(coreBmp().left(20)); }, &invalid), QString("Stream read error"));
        QVERIFY(!invalid);
        // 5000 × 5000 pixels promised by a 100-byte file: refused before allocating.
        QByteArray big = "BM" + le32(100) + le32(0) + le32(54) + le32(40) + le32(5000) + le32(5000) + le16(1)
            + le16(24) + le32(0) + QByteArray(46, 0);
        QCOMPARE(errorOf([&] { BitmapGraphic::fromFile(big); }), QString("Stream read error"));
        QVERIFY(BitmapGraphic::fromFile(QByteArray())->isEmpty());
    }

    void iconTypeIsChecked()
    {
        const QByteArray ico = fixtures::encoded(fixtures::quadrants(16, 16), "ICO");
        const Picture p(std::make_shared<IconGraphic>(ico));
        QCOMPARE(p.size(), QSize(16, 16));
        QCOMPARE(p.graphic()->classData(), ico);
        QCOMPARE(p.render(QSize(16, 16)).pixelColor(1, 1), QColor(Qt::red));

        QByteArray cursor = ico;
        cursor[2] = 2;
        bool invalid = false;
        QCOMPARE(errorOf([&] { IconGraphic g(cursor); }, &invalid), QString("Icon image is not valid"));
        QVERIFY(invalid);
        QByteArray typeZero = ico;
        typeZero[2] = 0;
        QCOMPARE(errorOf([&] { IconGraphic g(typeZero); }), QString("(no error)"));
        QCOMPARE(errorOf([&] { IconGraphic g(QByteArray::fromHex("00000100")); }), QString("Stream read error"));
        QCOMPARE(errorOf([&] { IconGraphic g(QByteArray::fromHex("000001000500") + QByteArray(16, 0)); }),
                 QString("Stream read error"));
    }

    void metafileChecks()
    {
        const MetafileGraphic wmf(fixtures::wmf());
        QVERIFY(!wmf.enhanced());
        QCOMPARE(QSize(wmf.width(), wmf.height()), QSize(100, 50));
        QCOMPARE(wmf.classData(), le32(quint32(fixtures::wmf().size() + 4)) + fixtures::wmf());
        const MetafileGraphic emf(fixtures::emf());
        QVERIFY(emf.enhanced());
        QCOMPARE(QSize(emf.width(), emf.height()), QSize(100, 50));

        auto rejected = [](const QByteArray& data) {
            bool invalid = false;
            const QString m = errorOf([&] { MetafileGraphic g(data); }, &invalid);
            return invalid && m == "Metafile is not valid";
        };
        QByteArray badKey = fixtures::wmf();
        badKey[0] = 0;
        QVERIFY(rejected(badKey));
        QByteArray badSum = fixtures::wmf();
        badSum[20] = char(badSum[20] ^ 1);
        QVERIFY(rejected(badSum));
        QVERIFY(rejected(fixtures::wmf().left(fixtures::wmf().size() - 6))); // no end record
        QByteArray longRecord = fixtures::wmf();
        longRecord[22 + 18] = 0x7F; // first record claims more words than there are
        QVERIFY(rejected(longRecord));
        QVERIFY(rejected(fixtures::wmfWithRecords(fixtures::wmfRecords(), 0x7FFFFFFF)));
        QByteArray emfCut = fixtures::emf();
        emfCut[108 + 4] = 24; // end record runs past the data
        QVERIFY(rejected(emfCut));
        QByteArray emfNoEnd = fixtures::emf();
        emfNoEnd[108] = 2; // the last record is no end record
        QVERIFY(rejected(emfNoEnd));
        QByteArray emfText = fixtures::emf();
        emfText.replace(60, 8, le32(10) + le32(100)); // 10 characters at 100 run past the 108-byte header
        QVERIFY(rejected(emfText));
        emfText.replace(60, 8, le32(0) + le32(256));  // no text, but an offset outside
        QVERIFY(rejected(emfText));
        emfText.replace(60, 8, le32(2) + le32(100));  // 2 characters at 100 fit
        QVERIFY(!rejected(emfText));

        // Stored form: a length that counts itself; four or less is an empty metafile.
        QByteArray stored = le32(4);
        ByteReader in(stored);
        QVERIFY(readClassData("TMetafile", in)->isEmpty());
    }

    void metafileIsDrawnByTheHelper()
    {
        QVERIFY2(!MetafileRenderer::helperPath().isEmpty(), "vistelle-metafile not found");
        const Picture p(std::make_shared<MetafileGraphic>(fixtures::wmf()));
        const QImage img = mustRender(p, QSize(100, 50));
        QCOMPARE(img.size(), QSize(100, 50));
        QCOMPARE(QColor(img.pixel(50, 25)), QColor(Qt::red));
        QCOMPARE(errorOf([&] { p.toBitmap(); }), QString("Cannot assign a TMetafile to a TBitmap"));

        const Picture e(std::make_shared<MetafileGraphic>(fixtures::emf()));
        QCOMPARE(errorOf([&] { e.render(QSize(100, 50)); }), QString("(no error)"));
    }

    void metafileColoursAreDrawnExactly()
    {
        // Two brushes that no colour name matches, side by side, without an outline, and
        // a text with markup characters in it.
        const QByteArray records = QByteArray::fromHex(
            "050000000B02" "0000" "0000"               // SETWINDOWORG 0, 0
            "050000000C02" "3200" "6400"               // SETWINDOWEXT 50 high, 100 wide
            "08000000FA02" "0500" "0000" "0000" "00000000" // CREATEPENINDIRECT null pen
            "07000000FC02" "0000" "C800C800" "0000"    // CREATEBRUSHINDIRECT (200, 0, 200)
            "07000000FC02" "0000" "0A78E600" "0000"    // CREATEBRUSHINDIRECT (10, 120, 230)
            "040000002D010000" "040000002D010100"      // SELECTOBJECT pen, first brush
            "070000001B04" "3200" "3200" "0000" "0000" // RECTANGLE left half
            "040000002D010200"                         // SELECTOBJECT second brush
            "070000001B04" "3200" "6400" "0000" "3200" // RECTANGLE right half
            "0500000009020A141E00"                     // SETTEXTCOLOR (10, 20, 30)
            "0800000021050400" "613C6226" "0500" "0000" // TEXTOUT "a<b&" at 0, 5
            "030000000000");                           // EOF
        const Picture p(std::make_shared<MetafileGraphic>(fixtures::wmfWithRecords(records, 8, 3)));
        const QImage img = mustRender(p, QSize(100, 50));
        QCOMPARE(QColor(img.pixel(25, 25)), QColor(200, 0, 200));
        QCOMPARE(QColor(img.pixel(75, 25)), QColor(10, 120, 230));
    }

    void crashingOrHangingHelperLeavesThePictureUndrawn()
    {
        QTemporaryDir dir;
        const QString crash = writeFile(dir, "crash.sh", "#!/bin/sh\nkill -SEGV $$\n");
        const QString hang = writeFile(dir, "hang.sh", "#!/bin/sh\nexec sleep 30\n");
        const QString fail = writeFile(dir, "fail.sh", "#!/bin/sh\nexit 3\n");
        for (const QString& s : {crash, hang, fail})
            QFile::setPermissions(s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const int limit = MetafileRenderer::timeLimit();
        MetafileRenderer::setTimeLimit(300);
        for (const QString& helper : {crash, hang, fail}) {
            MetafileRenderer::setHelperPath(helper);
            const Picture p(std::make_shared<MetafileGraphic>(fixtures::wmf()));
            QElapsedTimer t;
            t.start();
            QVERIFY(p.render(QSize(100, 50)).isNull());
            QVERIFY(t.elapsed() < 3000);
        }
        MetafileRenderer::setHelperPath(QString());
        MetafileRenderer::setTimeLimit(limit);
    }

    void bitmapConversionForDraggingOut()
    {
        QCOMPARE(Picture().toBitmap().isNull(), true);
        const Picture jpeg(std::make_shared<JpegGraphic>(fixtures::jpeg(40, 30)));
        QCOMPARE(jpeg.toBitmap().size(), QSize(40, 30));
        const Picture icon(std::make_shared<IconGraphic>(fixtures::encoded(fixtures::quadrants(16, 16), "ICO")));
        QCOMPARE(errorOf([&] { icon.toBitmap(); }), QString("Cannot assign a TIcon to a TBitmap"));
        QCOMPARE(errorOf([&] { Picture::fromFile("noext").toBitmap(); }),
                 QString("Cannot assign a TOleGraphic to a TBitmap"));
    }

    void jpegAboveThePixelLimitIsDraggedOutScaledDown()
    {
        // A small JPEG whose frame header claims 65000 × 16600 pixels, 16 times the limit:
        // the missing data decodes as grey, at 1/8 of the size.
        QByteArray huge = fixtures::jpeg(16, 16);
        const qsizetype sof = huge.indexOf("\xFF\xC0");
        QVERIFY(sof > 0);
        huge.replace(sof + 5, 4, QByteArray::fromHex("40D8" "FDE8")); // height, width (big-endian)
        const Picture p(std::make_shared<JpegGraphic>(huge));
        QCOMPARE(p.size(), QSize(65000, 16600));
        QImage bitmap;
        QCOMPARE(errorOf([&] { bitmap = p.toBitmap(); }), QString("(no error)"));
        QCOMPARE(bitmap.size(), QSize(8125, 2075));
        QVERIFY(qint64(bitmap.width()) * bitmap.height() <= kMaxDecodedPixels);
    }
};

QTEST_MAIN(TestPictureKinds)
#include "tst_picturekinds.moc"
