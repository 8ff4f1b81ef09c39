// Picture sets on the real main window: the set files at start and close, the set
// choices, the drop import and the drag-out.

#include "app/clicklabel.h"
#include "app/splitterpanel.h"
#include "mainformfixture.h"
#include "core/error.h"
#include "pictures/builtinpictures.h"
#include "pictures/jpeggraphic.h"
#include "pictures/picture.h"
#include "pictures/pictureview.h"
#include "pictures/setfilereader.h"
#include "pictures/setfilewriter.h"
#include "pictures/tlmdgraphiclist.h"
#include "platform/dragsource.h"
#include "slideshow/wallpaper.h"

#include <QBuffer>
#include <QLineEdit>
#include <QPushButton>
#include <QMimeData>
#include <QRadioButton>
#include <QUrl>

using namespace vistelle;
using namespace vistelle::testing;

namespace {

struct RecordingDrag : DragSource {
    QList<QImage> bitmaps;
    std::function<void(QWidget*, const QImage&)> onDrag;
    void dragBitmap(QWidget* source, const QImage& bitmap) override
    {
        bitmaps << bitmap;
        if (onDrag) onDrag(source, bitmap);
    }
};

QByteArray encoded(QImage image, const char* format, QColor colour = Qt::yellow)
{
    image.fill(colour);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    image.save(&buf, format);
    return bytes;
}

QByteArray jpegBytes(QColor colour, QSize size = {64, 48})
{
    return encoded(QImage(size, QImage::Format_RGB32), "JPG", colour);
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Sends a drag-enter and a drop with this data onto the picture; returns whether the drop was accepted.
bool drop(TMainForm& form, QMimeData& data)
{
    QWidget* target = form.Image;
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.PicPanel, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropEvent(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.PicPanel, &dropEvent);
    return dropEvent.isAccepted() && dropEvent.dropAction() != Qt::IgnoreAction;
}

// A good set file of twelve small pictures, one colour per month.
QByteArray smallSetFile(const QString& name)
{
    TLMDGraphicList list;
    list.setObjectName(name);
    for (int m = 0; m < 12; ++m) {
        TLMDGraphicListItem& item = list.Graphics().add();
        item.setName(QStringLiteral("pic%1").arg(m));
        item.setPicture(Picture(std::make_shared<JpegGraphic>(jpegBytes(QColor::fromHsv(m * 30, 200, 200), {32, 24}))));
    }
    list.setLeft(514);
    list.setTop(301);
    return setFileBytes(list);
}

// The reader's own message for these bytes.
QString readMessage(const QByteArray& bytes, const QString& name)
{
    TLMDGraphicList list;
    list.setObjectName(name);
    try {
        readSetBytes(bytes, list);
    } catch (const Error& e) {
        return e.message();
    }
    return QStringLiteral("(read)");
}

// The good file cut at many lengths, and broken in the middle by an Index beyond the
// items of the fifth.
void damagedSetFiles(const QString& name)
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = smallSetFile(name);
    for (qsizetype length = 0; length < good.size(); length += length < 40 ? 7 : good.size() / 24)
        QTest::addRow("cut at %d", int(length)) << good.left(length);
    QTest::newRow("last byte missing") << good.chopped(1);
    QByteArray badIndex = good;
    const QByteArray fifth = QByteArray("\x05Index\x02\x04", 8);
    QVERIFY(badIndex.contains(fifth));
    badIndex.replace(fifth, QByteArray("\x05Index\x02\x0B", 8));
    QTest::newRow("index 11 in the fifth item") << badIndex;
}

bool dropFiles(TMainForm& form, const QStringList& names)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& n : names) urls << QUrl::fromLocalFile(QDir::current().absoluteFilePath(n));
    data.setUrls(urls);
    return drop(form, data);
}

} // namespace

class TestPictureSets : public QObject {
    Q_OBJECT

    std::unique_ptr<MainFormFixture> fx;
    RecordingDrag drag;

    static Picture monthItem(TMainForm& f, int set, int month)
    {
        return f.pictureLists[size_t(set)]->Graphics().at(month - 1).Picture();
    }

private slots:
    void init()
    {
        fx = std::make_unique<MainFormFixture>();
        drag = {};
        setDragSource(&drag);
    }
    void cleanup()
    {
        setDragSource(nullptr);
        fx.reset();
    }

    void firstRunWritesFourSetFilesAndASecondRunNone()
    {
        {
            auto form = fx->start();
            for (int n = 1; n <= 4; ++n) QVERIFY(QFile::exists(QStringLiteral("graphics%1.dat").arg(n)));
            QCOMPARE(form->Image->picture().className(), QStringLiteral("TJPEGImage"));
            QCOMPARE(form->Image->picture().size(), QSize(1024, 768));
            QVERIFY(form->close());
        }
        // A second run writes none, whatever the files hold.
        writeFile("graphics4.dat", "not a set file");
        auto form = fx->start();
        QCOMPARE(readFile("graphics4.dat"), QByteArray("not a set file"));
        QCOMPARE(fx->boxes.log, QStringList());
    }

    void choosingASetShowsItsMonthPictureAndReadsItsFileOnce()
    {
        fx->start()->close();
        // Set 3's file holds a red picture for March.
        {
            TLMDGraphicList list;
            list.setObjectName("piclist3");
            fillBuiltinList(list, 3);
            writeFile("march.jpg", jpegBytes(Qt::red));
            list.Graphics().at(2).setPicture(Picture::fromFile("march.jpg"));
            writeSetFile(list, "graphics3.dat");
        }
        auto form = fx->start();
        form->ch[2]->click();
        QCOMPARE(form->currentSet, 3);
        QCOMPARE(form->Image->picture().size(), QSize(64, 48));
        QVERIFY(form->setLoaded[3]);
        QFile::remove("graphics3.dat"); // a second read would now fail
        form->ch[0]->click();
        QCOMPARE(form->Image->picture().size(), QSize(1024, 768));
        form->ch[2]->click();
        QCOMPARE(form->Image->picture().size(), QSize(64, 48));
        QCOMPARE(fx->boxes.log, QStringList());
        QVERIFY(form->Today->hasFocus());
    }

    void aMissingSetFileKeepsTheBuiltInPictures()
    {
        auto form = fx->start();
        QVERIFY(QFile::remove("graphics2.dat")); // during the run, before set 2 is first chosen
        form->ch[1]->click();
        QCOMPARE(form->Image->picture().size(), QSize(800, 600)); // the placeholder
        QVERIFY(!form->setLoaded[2]);
        QVERIFY(!QFile::exists("graphics2.dat"));
    }

    void aDamagedSetFileIsReportedAndTheDiaryStillOpens()
    {
        writeDiary({{encodeDate(2009, 3, 4), "still here"}});
        writeFile("graphics1.dat", "TPF0");
        auto form = fx->start();
        QCOMPARE(fx->boxes.log, QStringList("error: Stream read error."));
        QCOMPARE(form->Today->text(), QStringLiteral("still here"));
        QCOMPARE(form->Image->picture().size(), QSize(1024, 768)); // built-in
    }

    void setOneThatFailsPartWayKeepsItsBuiltInPictures_data() { damagedSetFiles("piclist1"); }
    void setOneThatFailsPartWayKeepsItsBuiltInPictures()
    {
        QFETCH(QByteArray, bytes);
        const QString message = readMessage(bytes, "piclist1");
        QVERIFY(message != "(read)");
        writeDiary({{encodeDate(2009, 3, 4), "still here"}});
        writeFile("graphics1.dat", bytes);
        auto form = fx->start();
        // One box, then a normal window: the built-in March picture, the labels, today's entry.
        QCOMPARE(fx->boxes.log, QStringList("error: " + errorBoxText(message)));
        QCOMPARE(form->pictureLists[1]->Graphics().count(), 12);
        QCOMPARE(form->Image->picture().size(), QSize(1024, 768));
        QCOMPARE(form->monthLabel->text(), QStringLiteral("March"));
        QCOMPARE(form->weekLabel->text(), QStringLiteral("Week 10"));
        QCOMPARE(form->yearLabel->text(), QStringLiteral("2009"));
        QCOMPARE(form->Today->text(), QStringLiteral("still here"));
        const int activations = form->activations;
        MainFormFixture::leaveAndReturn(*form);
        QCOMPARE(form->activations, activations + 1);
        QCOMPARE(fx->boxes.log.size(), 1);
    }

    void laterSetThatFailsPartWayKeepsItsPictures_data() { damagedSetFiles("piclist2"); }
    void laterSetThatFailsPartWayKeepsItsPictures()
    {
        QFETCH(QByteArray, bytes);
        const QString message = readMessage(bytes, "piclist2");
        fx->start()->close();
        writeFile("graphics2.dat", bytes);
        auto form = fx->start();
        form->ch[1]->click();
        QCOMPARE(fx->boxes.log, QStringList("error: " + errorBoxText(message)));
        QVERIFY(!form->setLoaded[2]);
        QCOMPARE(form->pictureLists[2]->Graphics().count(), 12);
        QCOMPARE(form->Image->picture().size(), QSize(800, 600)); // the placeholder, after the box
        // The file is tried again at the next choice, and nothing comes back at an activation.
        form->ch[0]->click();
        form->ch[1]->click();
        MainFormFixture::leaveAndReturn(*form);
        QCOMPARE(fx->boxes.log.size(), 2);
        QCOMPARE(form->pictureLists[2]->Graphics().at(11).Picture().size(), QSize(800, 600));
    }

    void changedSetsAreOfferedInOrderAtClose()
    {
        writeFile("pic.jpg", jpegBytes(Qt::green));
        fx->start()->close();
        const QByteArray set2 = readFile("graphics2.dat");
        {
            auto form = fx->start();
            for (int n : {4, 2, 1}) {
                form->ch[size_t(n - 1)]->click();
                QVERIFY(dropFiles(*form, {"pic.jpg"}));
                QVERIFY(form->setChanged[size_t(n)]);
            }
            fx->boxes.answers = {false, true};
            QVERIFY(form->close());
        }
        QCOMPARE(fx->boxes.log, (QStringList{"confirm: Save changes to graphic set 2?", "confirm: Save changes to graphic set 4?"}));
        QCOMPARE(readFile("graphics2.dat"), set2);
        // The dropped file's bytes are kept as they were.
        QVERIFY(readFile("graphics4.dat").contains(readFile("pic.jpg")));
        QVERIFY(!readFile("graphics1.dat").contains(readFile("pic.jpg")));
    }

    void droppedJpegWithUpperCaseExtensionReplacesTheMonthsPicture()
    {
        writeFile("HOLIDAY.JPG", jpegBytes(Qt::blue, {120, 90}));
        auto form = fx->start();
        form->ch[1]->click();
        QVERIFY(dropFiles(*form, {"HOLIDAY.JPG", "other.jpg", "third.gif"}));
        QCOMPARE(form->Image->picture().size(), QSize(120, 90));
        QVERIFY(monthItem(*form, 2, 3).sharesGraphicWith(form->Image->picture()));
        QVERIFY(form->setChanged[2]);
        QCOMPARE(fx->boxes.log, QStringList());
    }

    void filesThatAreNoPicturesGetTheOneMessage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("png") << "shot.png" << QByteArray("\x89PNG\r\n\x1a\n", 8);
        QTest::newRow("text named .jpg") << "notes.jpg" << QByteArray("just some text");
        QTest::newRow("bad bitmap") << "broken.bmp" << QByteArray("XX not a bitmap");
    }
    void filesThatAreNoPicturesGetTheOneMessage()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        writeFile(name, content);
        auto form = fx->start();
        const Picture before = form->Image->picture();
        QVERIFY(dropFiles(*form, {name}));
        QCOMPARE(fx->boxes.log, QStringList("message: Only image files (JPG, GIF, BMP) can be dropped here."));
        QVERIFY(form->Image->picture().sharesGraphicWith(before));
        QVERIFY(!form->setChanged[1]);
    }

    void anIconIsAcceptedSilently()
    {
        writeFile("sun.ico", encoded(QImage(16, 16, QImage::Format_ARGB32), "ICO"));
        auto form = fx->start();
        QVERIFY(dropFiles(*form, {"sun.ico"}));
        QCOMPARE(fx->boxes.log, QStringList());
        QCOMPARE(form->Image->picture().className(), QStringLiteral("TIcon"));
        QVERIFY(form->setChanged[1]);
    }

    void textAndWebAddressesAreIgnoredSilently()
    {
        auto form = fx->start();
        QMimeData text;
        text.setText("hello");
        QVERIFY(!drop(*form, text));
        QMimeData web;
        web.setUrls({QUrl("https://example.org/picture.jpg")});
        QVERIFY(!drop(*form, web));
        writeFile("gone.jpg", jpegBytes(Qt::red));
        QFile::remove("gone.jpg");
        QVERIFY(!dropFiles(*form, {"gone.jpg"}));
        QCOMPARE(fx->boxes.log, QStringList());
        QVERIFY(!form->setChanged[1]);
    }

    void aBitmapIsPreferredOverAFile()
    {
        writeFile("file.jpg", jpegBytes(Qt::red, {30, 30}));
        auto form = fx->start();
        QMimeData both;
        QImage bitmap(40, 20, QImage::Format_RGB32);
        bitmap.fill(Qt::cyan);
        both.setImageData(bitmap);
        both.setUrls({QUrl::fromLocalFile(QDir::current().absoluteFilePath("file.jpg"))});
        QVERIFY(drop(*form, both));
        QCOMPARE(form->Image->picture().className(), QStringLiteral("TBitmap"));
        QCOMPARE(form->Image->picture().size(), QSize(40, 20));
    }

    // The source may offer a move; the hover answer and the final answer are the same.
    void aDropIsACopyOrWithCtrlAndShiftALink_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<Qt::DropAction>("action");
        QTest::newRow("no key") << Qt::KeyboardModifiers() << Qt::CopyAction;
        QTest::newRow("Shift") << Qt::KeyboardModifiers(Qt::ShiftModifier) << Qt::CopyAction;
        QTest::newRow("Alt") << Qt::KeyboardModifiers(Qt::AltModifier) << Qt::CopyAction;
        QTest::newRow("Ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier) << Qt::CopyAction;
        QTest::newRow("Ctrl and Shift") << (Qt::ControlModifier | Qt::ShiftModifier) << Qt::LinkAction;
    }
    void aDropIsACopyOrWithCtrlAndShiftALink()
    {
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(Qt::DropAction, action);
        auto form = fx->start();
        QMimeData data;
        data.setImageData(QImage(8, 8, QImage::Format_RGB32));
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        const QPoint at = form->Image->rect().center();
        QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(form->PicPanel, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), action);
        QDropEvent dropEvent(at, offered, &data, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(form->PicPanel, &dropEvent);
        QVERIFY(dropEvent.isAccepted());
        QCOMPARE(dropEvent.dropAction(), action);
        QVERIFY(form->setChanged[1]);
    }

    void aSourceOfferingOnlyAMoveGetsNoDrop()
    {
        auto form = fx->start();
        QMimeData data;
        data.setImageData(QImage(8, 8, QImage::Format_RGB32));
        const QPoint at = form->Image->rect().center();
        QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(form->PicPanel, &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent dropEvent(at, Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(form->PicPanel, &dropEvent);
        QVERIFY(!dropEvent.isAccepted());
        QVERIFY(!form->setChanged[1]);
    }

    void aDropDuringASearchChangesNothing()
    {
        writeDiary({{encodeDate(2009, 2, 1), "find me"}});
        writeFile("pic.jpg", jpegBytes(Qt::green));
        auto form = fx->start();
        bool accepted = false;
        fx->boxes.answers = {false};
        fx->boxes.onBox = [&](const QString&) {
            const Picture before = form->Image->picture();
            accepted = dropFiles(*form, {"pic.jpg"});
            QVERIFY(form->Image->picture().sharesGraphicWith(before));
        };
        form->searchBox->setText("find");
        QTest::mouseClick(form->btnSearch, Qt::LeftButton);
        QVERIFY(accepted);
        QVERIFY(!form->setChanged[1]);
    }

    void shiftPressDragsThePictureAtItsOwnSize()
    {
        auto form = fx->start();
        QTest::mousePress(form->Image, Qt::LeftButton, Qt::ShiftModifier, form->Image->rect().center());
        QCOMPARE(drag.bitmaps.size(), 1);
        QCOMPARE(drag.bitmaps[0].size(), QSize(1024, 768));
        QTest::mouseRelease(form->Image, Qt::LeftButton, Qt::ShiftModifier, form->Image->rect().center());
        QTest::mousePress(form->Image, Qt::LeftButton, Qt::NoModifier, form->Image->rect().center());
        QCOMPARE(drag.bitmaps.size(), 1);
    }

    void anIconCannotBeDraggedOut()
    {
        writeFile("sun.ico", encoded(QImage(16, 16, QImage::Format_ARGB32), "ICO"));
        auto form = fx->start();
        QVERIFY(dropFiles(*form, {"sun.ico"}));
        QTest::mousePress(form->Image, Qt::LeftButton, Qt::ShiftModifier, form->Image->rect().center());
        QCOMPARE(fx->boxes.log, QStringList("error: Cannot assign a TIcon to a TBitmap."));
        QVERIFY(drag.bitmaps.isEmpty());
    }

    void aDragOutDroppedBackBecomesABitmapOfTheMonth()
    {
        auto form = fx->start();
        drag.onDrag = [&](QWidget*, const QImage& bitmap) {
            QMimeData data;
            data.setImageData(bitmap);
            QVERIFY(drop(*form, data));
        };
        QTest::mousePress(form->Image, Qt::LeftButton, Qt::ShiftModifier, form->Image->rect().center());
        QCOMPARE(monthItem(*form, 1, 3).className(), QStringLiteral("TBitmap"));
        QCOMPARE(monthItem(*form, 1, 3).size(), QSize(1024, 768));
        QVERIFY(form->setChanged[1]);
    }

    void rightClickOnThePictureOpensTheSlideshow()
    {
        auto form = fx->start();
        QTest::mouseClick(form->Image, Qt::RightButton, {}, form->Image->rect().center());
        QVERIFY(form->wallpaper->isVisible());
        QVERIFY(form->PicPanel->isVisible()); // no switch to the week view
        form->wallpaper->hide();
        QTest::mouseClick(form->Image, Qt::MiddleButton, {}, form->Image->rect().center());
        QVERIFY(!form->wallpaper->isVisible());
    }
};

QTEST_MAIN(TestPictureSets)
#include "tst_picturesets.moc"
