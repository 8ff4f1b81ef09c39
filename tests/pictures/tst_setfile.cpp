// The picture set file: byte-exact writing, the reading rules, every failure message and
// the state a failed read leaves.

#include "core/error.h"
#include "fixtures.h"
#include "pictures/builtinpictures.h"
#include "pictures/bitmapgraphic.h"
#include "pictures/gifgraphic.h"
#include "pictures/jpeggraphic.h"
#include "pictures/metafilegraphic.h"
#include "pictures/setfilereader.h"
#include "pictures/setfilewriter.h"
#include "pictures/tlmdgraphiclist.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <csignal>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>
#include <sys/resource.h>

using namespace vistelle;
using fixtures::le32;

namespace {

// Pieces of a component stream, to build files by hand.
QByteArray str(const QByteArray& s) { return char(s.size()) + s; }
QByteArray prop(const QByteArray& name) { return str(name); }
QByteArray int8(qint8 v) { return QByteArray("\x02") + char(v); }
QByteArray header(const QByteArray& name = "piclist2")
{
    return QByteArray("TPF0") + str("TLMDGraphicList") + str(name);
}
QByteArray jpegPayload(const QByteArray& jpeg) { return str("TJPEGImage") + le32(quint32(jpeg.size())) + jpeg; }
QByteArray pictureData(const QByteArray& payload)
{
    return prop("Picture.Data") + '\x0A' + le32(quint32(payload.size())) + payload;
}
QByteArray item(const QByteArray& name, int index, const QByteArray& payload = {})
{
    QByteArray b = "\x01" + prop("Name") + '\x06' + str(name);
    if (!payload.isEmpty()) b += pictureData(payload);
    return b + prop("Index") + int8(qint8(index)) + '\0';
}
QByteArray file(const QByteArray& items, const QByteArray& name = "piclist2")
{
    return header(name) + prop("Graphics") + '\x0E' + items + '\0' + prop("Left") + "\x03\x1E\x02" + prop("Top")
        + "\x03\x2D\x01" + '\0' + '\0';
}

QString readError(const QByteArray& bytes, TLMDGraphicList& list)
{
    try {
        readSetBytes(bytes, list);
    } catch (const Error& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

QStringList names(const TLMDGraphicList& list)
{
    QStringList out;
    for (int i = 0; i < list.Graphics().count(); ++i) out << list.Graphics().at(i).Name();
    return out;
}

QByteArray jpegBytesOf(const TLMDGraphicListItem& item)
{
    auto* g = dynamic_cast<const JpegGraphic*>(item.Picture().graphic());
    return g ? g->bytes() : QByteArray();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

class TestSetFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { initBuiltinPictures(); }

    void builtinListWrittenReadAndWrittenAgainIdentically()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("graphics1.dat");
        std::unique_ptr<TLMDGraphicList> original(createBuiltinList(1, nullptr));
        writeSetFile(*original, path);

        TLMDGraphicList back;
        back.setObjectName("piclist1");
        readSetFile(path, back);
        QCOMPARE(back.Graphics().count(), 12);
        QCOMPARE(names(back), names(*original));
        QCOMPARE(back.Left(), quint16(514));
        QCOMPARE(back.Top(), quint16(301));
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(back.Graphics().at(i).Index(), i);
            QCOMPARE(back.Graphics().at(i).Picture().className(), QString("TJPEGImage"));
            QCOMPARE(jpegBytesOf(back.Graphics().at(i)), jpegBytesOf(original->Graphics().at(i)));
        }
        QCOMPARE(setFileBytes(back), readFile(path));
    }

    // JPEG bytes stay where the file's array holds them, and keep it for as long as they live.
    void jpegBytesAreReadInPlace()
    {
        std::unique_ptr<TLMDGraphicList> original(createBuiltinList(1, nullptr));
        QByteArray file = setFileBytes(*original);
        const QByteArray copy(file.constData(), file.size());
        TLMDGraphicList back;
        back.setObjectName("piclist1");
        readSetBytes(file, back);
        const QByteArray jpeg = jpegBytesOf(back.Graphics().at(3));
        QVERIFY(jpeg.constData() > file.constData() && jpeg.constData() + jpeg.size() <= file.constData() + file.size());

        file = QByteArray();
        QCOMPARE(jpeg, jpegBytesOf(original->Graphics().at(3)));
        QCOMPARE(setFileBytes(back), copy);
    }

    void placeholderSetMatchesTheWorkedExample()
    {
        std::unique_ptr<TLMDGraphicList> list(createBuiltinList(2, nullptr));
        const QByteArray jpeg = jpegBytesOf(list->Graphics().at(0));
        const quint32 m = quint32(jpeg.size());
        const QByteArray bytes = setFileBytes(*list);

        const QByteArray head = QByteArray::fromHex(
            "54504630"                                  // "TPF0"
            "0F544C4D44477261706869634C697374"          // "TLMDGraphicList"
            "087069636C69737432"                        // "piclist2"
            "084772617068696373"                        // "Graphics"
            "0E"                                        // collection
            "01"                                        // item 0 begins
            "044E616D65"                                // "Name"
            "06066A616E706963"                          // string "janpic"
            "0C506963747572652E44617461"                // "Picture.Data"
            "0A") + le32(m + 15)                        // binary, n = m + 15
            + QByteArray::fromHex("0A544A504547496D616765") // class name "TJPEGImage"
            + le32(m)                                   // the JPEG length
            + QByteArray::fromHex("FFD8FFE0");          // the JPEG file begins
        QCOMPARE(bytes.left(90).toHex(' '), head.toHex(' '));
        QCOMPARE(bytes.mid(86, int(m)), jpeg);
        QCOMPARE(bytes.mid(86 + int(m), 10).toHex(' '),
                 QByteArray::fromHex("05496E646578020000" "01").toHex(' ')); // Index 0, item ends, item 1

        const QByteArray tail = QByteArray::fromHex(
            "05496E646578020B"   // "Index" = 11
            "00"                 // item ends
            "00"                 // collection ends
            "044C65667403" "1E02" // "Left" = 542
            "03546F7003" "2D01"   // "Top" = 301
            "00"                 // end of properties
            "00");               // end of children
        QCOMPARE(bytes.right(tail.size()).toHex(' '), tail.toHex(' '));
        QCOMPARE(bytes.size(), qsizetype(57 + 12 * (56 + m)));
    }

    void emptyListIsWrittenWithAnEmptyCollection()
    {
        TLMDGraphicList list;
        list.setObjectName("piclist9");
        const QByteArray expected = QByteArray::fromHex(
            "54504630" "0F544C4D44477261706869634C697374" "087069636C69737439"
            "084772617068696373" "0E" "00"   // Graphics, no items
            "00" "00");                      // no Left/Top (both 0), end, no children
        QCOMPARE(setFileBytes(list).toHex(' '), expected.toHex(' '));
    }

    void emptyCollectionLeavesTheItemsUntouched()
    {
        std::unique_ptr<TLMDGraphicList> list(createBuiltinList(2, nullptr));
        const TLMDGraphicListItem* first = &list->Graphics().at(0);
        readSetBytes(file(QByteArray()), *list);
        QCOMPARE(list->Graphics().count(), 12);
        QCOMPARE(&list->Graphics().at(0), first);
    }

    void itemCountFollowsTheFile()
    {
        const QByteArray jpeg = fixtures::jpeg();
        QByteArray thirteen, three;
        for (int i = 0; i < 13; ++i) thirteen += item("p" + QByteArray::number(i), i, jpegPayload(jpeg));
        for (int i = 0; i < 3; ++i) three += item("p" + QByteArray::number(i), i);
        std::unique_ptr<TLMDGraphicList> list(createBuiltinList(2, nullptr));
        readSetBytes(file(thirteen), *list);
        QCOMPARE(list->Graphics().count(), 13);
        QCOMPARE(list->Graphics().at(12).Name(), QString("p12"));
        QCOMPARE(jpegBytesOf(list->Graphics().at(12)), jpeg);
        QCOMPARE(list->Graphics().at(12).Picture().size(), QSize(64, 48));
        readSetBytes(file(three), *list);
        QCOMPARE(names(*list), QStringList({"p0", "p1", "p2"}));
        QVERIFY(list->Graphics().at(2).Picture().isEmpty());
        QVERIFY(!list->Graphics().at(2).Picture().hasGraphic());
    }

    void droppedPicturesOfEveryKindSurviveASaveAndRead()
    {
        QTemporaryDir dir;
        auto put = [&dir](const QString& name, const QByteArray& bytes) {
            QFile f(dir.filePath(name));
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
            return dir.filePath(name);
        };
        GifData gif;
        gif.width = gif.height = 2;
        gif.colors = GifColorTable{1, false, QByteArray::fromHex("000000FFFFFF")};
        GifFrame frame;
        frame.width = frame.height = 2;
        frame.pixels = QByteArray::fromHex("00010100");
        gif.frames.push_back(frame);
        const QByteArray jpeg = fixtures::jpeg();
        const QByteArray ico = fixtures::encoded(fixtures::quadrants(16, 16), "ICO");
        std::unique_ptr<TLMDGraphicList> list(createBuiltinList(3, nullptr));
        const QList<Picture> dropped = {
            Picture::fromFile(put("photo.JPG", jpeg)),
            Picture::fromFile(put("anim.gif", encodeGif(gif))),
            Picture::fromImage(fixtures::quadrants(6, 4)),
            Picture::fromFile(put("app.ico", ico)),
            Picture::fromFile(put("chart.wmf", fixtures::wmf())),
            Picture::fromFile(put("chart.emf", fixtures::emf())),
            Picture::fromFile(dir.filePath("README")),
        };
        for (int i = 0; i < dropped.size(); ++i) list->Graphics().at(i).setPicture(dropped[i]);

        const QString path = dir.filePath("graphics3.dat");
        writeSetFile(*list, path);
        const QByteArray bytes = readFile(path);
        QVERIFY(bytes.contains(str("TJPEGImage") + le32(quint32(jpeg.size())) + jpeg));
        QVERIFY(bytes.contains(str("TIcon") + ico));
        QVERIFY(bytes.contains(str("TMetafile") + le32(quint32(fixtures::wmf().size() + 4)) + fixtures::wmf()));
        QVERIFY(bytes.contains(str("TOleGraphic") + prop("Index")));

        TLMDGraphicList back;
        back.setObjectName("piclist3");
        readSetFile(path, back);
        QCOMPARE(back.Graphics().count(), 12);
        for (int i = 0; i < dropped.size(); ++i) {
            const Picture& p = back.Graphics().at(i).Picture();
            QCOMPARE(p.className(), dropped[i].className());
            QCOMPARE(p.size(), dropped[i].size());
            QCOMPARE(p.graphic()->classData(), dropped[i].graphic()->classData());
        }
        QCOMPARE(static_cast<const GifGraphic*>(back.Graphics().at(1).Picture().graphic())->gif().frames[0].pixels,
                 frame.pixels);
        QCOMPARE(back.Graphics().at(2).Picture().toBitmap().convertToFormat(QImage::Format_RGB32),
                 fixtures::quadrants(6, 4));
        QCOMPARE(jpegBytesOf(back.Graphics().at(7)), jpegBytesOf(list->Graphics().at(7)));
        QCOMPARE(setFileBytes(back), bytes);
    }

    void firstItemWithIndexOneFailsAndKeepsThatItem()
    {
        std::unique_ptr<TLMDGraphicList> list(createBuiltinList(2, nullptr));
        list->setObjectName("piclist2");
        const QString error = readError(file(item("janpic", 1) + item("febpic", 1)), *list);
        QCOMPARE(error, QString("Error reading piclist2.Graphics: Error reading TLMDGraphicListItem.Index: "
                                "List index out of bounds (1)"));
        QCOMPARE(list->Graphics().count(), 1);
        QCOMPARE(list->Graphics().at(0).Name(), QString("janpic"));
        QCOMPARE(list->Left(), quint16(542)); // Left comes after Graphics: never reached
    }

    void readingAsideChangesTheListOnlyWhenTheWholeFileWasRead()
    {
        QObject owner;
        auto* list = new TLMDGraphicList(&owner);
        list->setObjectName("piclist2");
        fillBuiltinList(*list, 2);
        list->setLeft(1);
        (new QObject(&owner))->setObjectName("piclist3");
        const Picture placeholder = list->Graphics().at(0).Picture();
        const QByteArray jpeg = fixtures::jpeg();
        const QByteArray good = file(item("a", 0, jpegPayload(jpeg)) + item("b", 1) + item("c", 2, jpegPayload(jpeg)));
        auto readWhole = [&](const QByteArray& bytes) {
            try {
                readSetBytesWhole(bytes, *list);
            } catch (const Error& e) {
                return e.message();
            }
            return QStringLiteral("(no error)");
        };
        auto readInPlace = [](const QByteArray& bytes) {
            TLMDGraphicList fresh;
            fresh.setObjectName("piclist2");
            return readError(bytes, fresh);
        };
        auto unchanged = [&] {
            return list->objectName() == "piclist2" && list->Graphics().count() == 12 && list->Left() == 1
                && list->Graphics().at(0).Picture().sharesGraphicWith(placeholder);
        };
        for (qsizetype length : {qsizetype(40), good.size() / 2, good.size() - 1}) {
            QCOMPARE(readWhole(good.left(length)), readInPlace(good.left(length)));
            QVERIFY(unchanged());
        }
        QCOMPARE(readWhole(file(item("a", 1))), readInPlace(file(item("a", 1))));
        QVERIFY(unchanged());
        // The copy counts as the list itself: another component's name is refused, the
        // list's own name in other letters is not.
        QCOMPARE(readWhole(file(item("x", 0), "piclist3")), QString("A component named piclist3 already exists"));
        QVERIFY(unchanged());
        QCOMPARE(readWhole(QByteArray(good).replace("piclist2", "PICLIST2")), QString("(no error)"));
        QCOMPARE(list->objectName(), QString("PICLIST2"));
        QCOMPARE(names(*list), QStringList({"a", "b", "c"}));
        QCOMPARE(jpegBytesOf(list->Graphics().at(2)), jpeg);
        QCOMPARE(list->Left(), quint16(542));
        // An empty collection keeps the items, as reading in place does.
        readSetBytesWhole(file(QByteArray()), *list);
        QCOMPARE(names(*list), QStringList({"a", "b", "c"}));
    }

    void secondItemWithIndexZeroMovesFirst()
    {
        const QByteArray a = fixtures::jpeg(10, 10), b = fixtures::jpeg(20, 10);
        TLMDGraphicList list;
        list.setObjectName("piclist2");
        readSetBytes(file(item("janpic", 0, jpegPayload(a)) + item("febpic", 0, jpegPayload(b))
                          + item("marpic", 2)), list);
        QCOMPARE(names(list), QStringList({"febpic", "janpic", "marpic"}));
        QCOMPARE(jpegBytesOf(list.Graphics().at(0)), b);
        QCOMPARE(list.Graphics().at(1).Index(), 1);
    }

    void unknownClassNameGivesAnEmptyPictureAndReadingGoesOn()
    {
        const QByteArray jpeg = fixtures::jpeg();
        const QByteArray unknown = str("TPngImage") + le32(3) + "abc";
        TLMDGraphicList list;
        list.setObjectName("piclist2");
        readSetBytes(file(item("janpic", 0, unknown) + item("febpic", 1, QByteArray(1, '\0'))
                          + item("marpic", 2, jpegPayload(jpeg))), list);
        QCOMPARE(list.Graphics().count(), 3);
        QVERIFY(!list.Graphics().at(0).Picture().hasGraphic());
        QVERIFY(!list.Graphics().at(1).Picture().hasGraphic()); // empty class name
        QCOMPARE(jpegBytesOf(list.Graphics().at(2)), jpeg);
    }

    void prefixByteAndIntegersBeforeItemsAreSkipped()
    {
        QByteArray bytes = file(QByteArray("\x02\x05") + item("janpic", 0));
        bytes.insert(4, QByteArray("\xF2\x03\x10\x00", 4)); // flags with an index, then 16-bit 16
        TLMDGraphicList list;
        list.setObjectName("piclist2");
        readSetBytes(bytes, list);
        QCOMPARE(names(list), QStringList({"janpic"}));
    }

    void everyStringTagIsReadAndTheWriterPicksTheForm()
    {
        TLMDGraphicList list;
        list.setObjectName("piclist2");
        const QString longName(300, u'x');
        const QString accented = QString::fromUtf8("caf\u00e9");
        const QString wide = QString::fromUtf8("\u65e5\u672c");
        for (const QString& n : {longName, accented, wide}) list.Graphics().add().setName(n);
        const QByteArray bytes = setFileBytes(list);
        QVERIFY(bytes.contains(prop("Name") + '\x0C' + le32(300) + QByteArray(300, 'x')));
        QVERIFY(bytes.contains(prop("Name") + '\x14' + le32(5) + accented.toUtf8()));
        QVERIFY(bytes.contains(prop("Name") + '\x12' + le32(2) + QByteArray::fromHex("E5652C67")));

        TLMDGraphicList back;
        back.setObjectName("piclist2");
        readSetBytes(bytes, back);
        QCOMPARE(names(back), QStringList({longName, accented, wide}));
    }

    void leftAndTopKeepTheirLow16Bits()
    {
        TLMDGraphicList list;
        list.setObjectName("piclist2");
        readSetBytes(header() + prop("Left") + '\x04' + le32(0x00010002) + prop("Top") + int8(-1) + '\0' + '\0', list);
        QCOMPARE(list.Left(), quint16(2));
        QCOMPARE(list.Top(), quint16(0xFFFF));
        list.setLeft(40000);
        QVERIFY(setFileBytes(list).contains(prop("Left") + '\x04' + le32(40000)));
    }

    void componentNameRules()
    {
        QObject owner;
        owner.setObjectName("TMainForm");
        auto* list = new TLMDGraphicList(&owner);
        list->setObjectName("piclist2");
        auto* other = new QObject(&owner);
        other->setObjectName("piclist3");
        fillBuiltinList(*list, 2);

        // Another component of the owner carries the name: nothing changes.
        QCOMPARE(readError(file(item("x", 0), "piclist3"), *list),
                 QString("A component named piclist3 already exists"));
        QCOMPARE(list->objectName(), QString("piclist2"));
        QCOMPARE(list->Graphics().count(), 12);

        QCOMPARE(readError(file(item("x", 0), "9lives"), *list), QString("''9lives'' is not a valid component name"));
        QCOMPARE(readError(file(item("x", 0), "pic list"), *list),
                 QString("''pic list'' is not a valid component name"));
        QCOMPARE(list->Graphics().count(), 12);

        readSetBytes(file(item("x", 0), "piclist7"), *list); // a free name renames the list
        QCOMPARE(list->objectName(), QString("piclist7"));
        QCOMPARE(list->Graphics().count(), 1);
    }

    void nameOfAWindowGetsANumberedSuffix()
    {
        QWidget window;
        window.setObjectName("WallpaperForm");
        QWidget second;
        second.setObjectName("WallpaperForm_1");
        TLMDGraphicList list;
        list.setObjectName("piclist2");
        readSetBytes(file(item("x", 0), "WallpaperForm"), list);
        QCOMPARE(list.objectName(), QString("WallpaperForm_2"));
    }

    void shortAndForeignFilesAreRefused()
    {
        TLMDGraphicList list;
        list.setObjectName("piclist2");
        QCOMPARE(readError(QByteArray(), list), QString("Stream read error"));
        QCOMPARE(readError("TPF", list), QString("Stream read error"));
        QCOMPARE(readError("TPF1" + file(item("x", 0)).mid(4), list), QString("Invalid stream format"));
        QCOMPARE(readError(header().left(10), list), QString("Stream read error"));
        QCOMPARE(list.Graphics().count(), 0);
    }

    void failureMessagesNameWhereTheyHappened_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray lp = "Error reading piclist2.";
        const QByteArray ip = "Error reading piclist2.Graphics: Error reading TLMDGraphicListItem.";
        auto itemWith = [](const QByteArray& props) { return file(QByteArray("\x01") + props + '\0'); };

        QTest::newRow("collection tag") << header() + prop("Graphics") + int8(1) << QString(lp + "Graphics: Invalid property value");
        QTest::newRow("unknown list property") << header() + prop("Width") + int8(1)
                                               << QString(lp + "Width: Property Width does not exist");
        QTest::newRow("path through integer") << header() + prop("Left.X") + int8(1)
                                              << QString(lp + "Left.X: Invalid property path");
        QTest::newRow("unknown path part") << header() + prop("Font.Size") + int8(1)
                                           << QString(lp + "Font.Size: Property Font does not exist");
        QTest::newRow("string for Left") << header() + prop("Left") + '\x06' + str("1")
                                         << QString(lp + "Left: Invalid property value");
        QTest::newRow("item start") << file(QByteArray("\x06")) << QString(lp + "Graphics: Invalid property value");
        QTest::newRow("item name tag") << itemWith(prop("Name") + int8(3))
                                       << QString(ip + "Name: Invalid property value");
        QTest::newRow("item picture tag") << itemWith(prop("Picture.Data") + '\x06' + str("x"))
                                          << QString(ip + "Picture.Data: Invalid property value");
        QTest::newRow("item unknown") << itemWith(prop("Caption") + '\x06' + str("x"))
                                      << QString(ip + "Caption: Property Caption does not exist");
        QTest::newRow("item picture path") << itemWith(prop("Picture.Bitmap") + int8(0))
                                           << QString(ip + "Picture.Bitmap: Property Bitmap does not exist");
        QTest::newRow("item name path") << itemWith(prop("Name.Length") + int8(0))
                                        << QString(ip + "Name.Length: Invalid property path");
        QTest::newRow("negative index") << itemWith(prop("Index") + int8(-1))
                                        << QString(ip + "Index: List index out of bounds (-1)");
        QTest::newRow("cut in payload") << itemWith(prop("Picture.Data") + '\x0A' + le32(1000) + "TJ")
                                        << QString(ip + "Picture.Data: Stream read error");
        QTest::newRow("huge length") << itemWith(prop("Picture.Data") + '\x0A' + le32(0xFFFFFFF0u))
                                     << QString(ip + "Picture.Data: Stream read error");
        QTest::newRow("huge wide string") << itemWith(prop("Name") + '\x12' + le32(0x7FFFFFFF))
                                          << QString(ip + "Name: Stream read error");
        QTest::newRow("cut in item") << header() + prop("Graphics") + "\x0E\x01" + prop("Name")
                                     << QString(lp + "Graphics: Error reading TLMDGraphicListItem.Name: Stream read error");
        QTest::newRow("cut after properties") << header() + prop("Top") + int8(1) << QString("Stream read error");
        QTest::newRow("jpeg") << itemWith(pictureData(jpegPayload("not a jpeg")))
                              << QString(ip + "Picture.Data: JPEG error #" + QByteArray::number(JERR_NO_SOI));
        QTest::newRow("gif signature") << itemWith(pictureData(str("TGIFImage") + "PNG89a"))
                                       << QString(ip + "Picture.Data: Invalid GIF signature");
        QTest::newRow("gif version") << itemWith(pictureData(str("TGIFImage") + "GIF99z" + QByteArray(20, 0)))
                                     << QString(ip + "Picture.Data: Unsupported GIF version");
        QTest::newRow("bitmap") << itemWith(pictureData(str("TBitmap") + le32(4) + "BXYZ"))
                                << QString(ip + "Picture.Data: Bitmap image is not valid");
        QTest::newRow("icon") << itemWith(pictureData(str("TIcon") + QByteArray::fromHex("000002000000")))
                              << QString(ip + "Picture.Data: Icon image is not valid");
        QTest::newRow("metafile") << itemWith(pictureData(str("TMetafile") + le32(12) + "12345678"))
                                  << QString(ip + "Picture.Data: Metafile is not valid");
        QTest::newRow("children") << header() + '\0' + '\x01' << QString("Invalid stream format");
    }

    void failureMessagesNameWhereTheyHappened()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        TLMDGraphicList list;
        list.setObjectName("piclist2");
        QCOMPARE(readError(bytes, list), message);
    }

    void failedPayloadLeavesTheItemWithAnEmptyPicture()
    {
        TLMDGraphicList list;
        list.setObjectName("piclist2");
        const QByteArray bad = "\x01" + prop("Name") + '\x06' + str("janpic") + pictureData(str("TIcon") + QByteArray("\0\0\2\0\0\0", 6));
        readError(file(item("first", 0, jpegPayload(fixtures::jpeg())) + bad + '\0'), list);
        QCOMPARE(names(list), QStringList({"first", "janpic"}));
        QVERIFY(!list.Graphics().at(1).Picture().hasGraphic());
        QVERIFY(!list.Graphics().at(0).Picture().isEmpty());
    }

    void missingFileAndUncreatableFile()
    {
        QTemporaryDir dir;
        TLMDGraphicList list;
        const QString missing = dir.filePath("graphics2.dat");
        try {
            readSetFile(missing, list);
            QFAIL("no error");
        } catch (const Error& e) {
            QCOMPARE(e.message(), "Cannot open file " + missing);
        }
        const QString inNoFolder = dir.filePath("no/such/folder/graphics2.dat");
        try {
            writeSetFile(list, inNoFolder);
            QFAIL("no error");
        } catch (const Error& e) {
            QCOMPARE(e.message(), "Cannot create file " + inNoFolder);
        }
    }

    void failedWriteLeavesTheOldFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("graphics2.dat");
        TLMDGraphicList small;
        small.setObjectName("piclist2");
        writeSetFile(small, path);
        const QByteArray old = readFile(path);

        std::unique_ptr<TLMDGraphicList> big(createBuiltinList(2, nullptr));
        // Files may grow to 4 KB only: the write of the big list fails half-way.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &limited);
        QString message;
        try {
            writeSetFile(*big, path);
        } catch (const Error& e) {
            message = e.message();
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(message, "Cannot create file " + path);
        QCOMPARE(readFile(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"graphics2.dat"}));
    }
};

QTEST_MAIN(TestSetFile)
#include "tst_setfile.moc"
