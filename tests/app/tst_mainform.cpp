// The main window's start-up and shutdown in a temporary working folder: the files it
// writes, the window-state record, and what happens to a diary it cannot read.

#include "app/clicklabel.h"
#include "app/splitterpanel.h"
#include "mainformfixture.h"
#include "preview/printform.h"
#include "slideshow/wallpaper.h"

#include <QLineEdit>

using namespace vistelle;
using namespace vistelle::testing;

class TestMainForm : public QObject {
    Q_OBJECT

    std::unique_ptr<MainFormFixture> fx;
    const TDateTime settingsDate = settingsDateValue();

    std::unique_ptr<TMainForm> start() { return fx->start(); }

    QString settingsRecord()
    {
        const QList<Row> rows = rowsOf("diary.dat");
        int count = 0;
        QString record;
        for (const Row& r : rows) {
            if (r.date == settingsDate) { ++count; record = r.event; }
        }
        return count == 1 ? record : QStringLiteral("%1 settings rows").arg(count);
    }

    static void writeDiaryWithRecord(const QString& record) { writeDiary({{settingsDateValue(), record}}); }

private slots:
    void init() { fx = std::make_unique<MainFormFixture>(); }
    void cleanup() { fx.reset(); }

    void firstRunCreatesDiaryAndClosesWithOnlyTheSettingsRow()
    {
        auto form = start();
        QCOMPARE(QFileInfo("diary.dat").size(), 41); // the empty table, written at once
        QCOMPARE(form->frameGeometry().size(), QSize(TMainForm::DesignWidth, TMainForm::DesignHeight));
        QVERIFY(form->activations >= 1);
        QVERIFY(form->close());
        QCOMPARE(fx->boxes.log, QStringList());
        const QList<Row> rows = rowsOf("diary.dat");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].date, settingsDate);
        const QRect outer = form->frameGeometry();
        QCOMPARE(rows[0].event, QStringLiteral("%1x%2y%3z%4j407k203")
                                    .arg(outer.height()).arg(outer.width()).arg(outer.top()).arg(outer.left()));
    }

    void secondRunRestoresBoundsAndBarsAndKeepsOneSettingsRow()
    {
        start()->close();
        {
            auto form = start();
            form->resize(QSize(780, 500) - (form->frameGeometry().size() - form->size()));
            form->move(10, 30);
            form->MainPanel->setBarPosition(0, 350);
            form->MainPanel->setBarPosition(1, 250);
            QVERIFY(form->close());
        }
        QCOMPARE(settingsRecord(), QStringLiteral("500x780y30z10j350k250"));
        auto form = start();
        QCOMPARE(form->frameGeometry(), QRect(10, 30, 780, 500));
        QCOMPARE(form->MainPanel->barPosition(0), 350);
        QCOMPARE(form->MainPanel->barPosition(1), 250);
        QVERIFY(form->close());
        QCOMPARE(settingsRecord(), QStringLiteral("500x780y30z10j350k250"));
    }

    void recordsAreAppliedWithinTheLimits_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<int>("bar0");
        QTest::addColumn<int>("bar1");
        QTest::newRow("sizes below the minimum") << "100x200y10z20j407k203" << QRect(20, 10, 736, 415) << 407 << 203;
        QTest::newRow("a maximised window's bounds") << "600x800y0z0j407k203" << QRect(0, 0, 800, 600) << 407 << 203;
        // The test screen is 800 x 800.
        QTest::newRow("bounds larger than the screen") << "900x1200y50z40j407k203" << QRect(0, 0, 800, 800) << 407 << 203;
        QTest::newRow("wider than the screen") << "500x1000y50z40j407k203" << QRect(0, 50, 800, 500) << 407 << 203;
        QTest::newRow("partly off the screen") << "415x736y700z300j407k203" << QRect(64, 385, 736, 415) << 407 << 203;
        QTest::newRow("bars beyond their limits") << "415x736y0z0j10k1000" << QRect(0, 0, 736, 415) << 300 << -29;
    }
    void recordsAreAppliedWithinTheLimits()
    {
        QFETCH(QString, record);
        QFETCH(QRect, bounds);
        QFETCH(int, bar0);
        QFETCH(int, bar1);
        writeDiaryWithRecord(record);
        auto form = start();
        QCOMPARE(fx->boxes.log, QStringList());
        QCOMPARE(form->frameGeometry(), bounds);
        QCOMPARE(form->MainPanel->barPosition(0), bar0);
        // A negative bar 1 stands for its distance from the bottom edge.
        QCOMPARE(form->MainPanel->barPosition(1), bar1 < 0 ? form->MainPanel->height() + bar1 - 3 : bar1);
    }

    void boundsOnNoScreenOpenCentred()
    {
        writeDiaryWithRecord("415x736y5000z9000j407k203");
        auto form = start();
        QVERIFY(form->screen()->geometry().intersects(form->frameGeometry()));
    }

    void recordWithoutKAppliesBoundsAndReportsTheEmptyPiece()
    {
        writeDiaryWithRecord("500x760y20z30j407");
        auto form = start();
        QCOMPARE(fx->boxes.log, QStringList("error: '' is not a valid integer value."));
        QCOMPARE(form->frameGeometry(), QRect(30, 20, 760, 500));
        QCOMPARE(form->monthLabel->toolTip(), QString()); // later start-up steps did not run
        QVERIFY(form->close());
        QVERIFY(settingsRecord().endsWith("j407k203")); // a fresh record replaces the bad one
    }

    void unreadableDiaryIsNeverOverwritten_data()
    {
        QTest::addColumn<QByteArray>("garbage");
        QTest::addColumn<QString>("reported");
        QTest::newRow("damaged") << QByteArray::fromHex("0500000045") + "Disk on fire"
                                 << "error: Error opening table: Disk on fire.";
        // A table that another program keeps under this name, with fields of its own.
        QTemporaryDir dir;
        TVolgaTable other;
        other.setTableName(dir.filePath("other.dat"));
        other.FieldDefs().Add("date", ftDateTime, 0, false);
        other.FieldDefs().Add("note", ftMemo, 0, false);
        other.CreateTable();
        QTest::newRow("another layout") << readFile(dir.filePath("other.dat")) << "error: Field 'event' not found.";
    }

    void unreadableDiaryIsNeverOverwritten()
    {
        QFETCH(QByteArray, garbage);
        QFETCH(QString, reported);
        QFile f("diary.dat");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(garbage);
        f.close();
        auto form = start();
        QCOMPARE(fx->boxes.log, QStringList(reported));
        QVERIFY(!form->diaryAvailable);
        QVERIFY(form->Today->isReadOnly());
        QVERIFY(!form->Today->placeholderText().isEmpty());
        QTest::keyClicks(form->Today, "lost?");
        QVERIFY(form->close());
        QCOMPARE(readFile("diary.dat"), garbage);
    }

    void failedSaveAsksBeforeClosing()
    {
        start()->close();
        auto form = start();
        // A folder where the diary's temporary file would go makes the save fail.
        QFile::remove("diary.dat");
        QVERIFY(QDir().mkdir("diary.dat"));
        fx->boxes.log.clear();
        fx->boxes.answers = {false};
        QVERIFY(!form->close());
        QCOMPARE(fx->boxes.log, (QStringList{"error: Cannot create file diary.dat.",
                                             "confirm: The diary could not be saved. Close without saving it?"}));
        QVERIFY(form->isVisible());
        fx->boxes.answers = {true};
        QVERIFY(form->close());
    }

    void typedTextIsStoredAtClose()
    {
        start()->close();
        {
            auto form = start();
            form->Today->setFocus();
            QTest::keyClicks(form->Today, "kept at close");
            QVERIFY(form->Today->isGrey());
            QVERIFY(form->close());
        }
        const QList<Row> rows = rowsOf("diary.dat");
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].date, encodeDate(2009, 3, 4));
        QCOMPARE(rows[0].event, QStringLiteral("kept at close"));
        QCOMPARE(rows[1].date, settingsDate); // the settings row is always written last
    }

    void everyReturnToTheWindowActivatesItOnce()
    {
        writeDiary({{encodeDate(2009, 2, 1), "one hit"}});
        auto form = start();
        QTRY_VERIFY(form->activations >= 1);
        int before = form->activations;
        fx->boxes.answers = {true};
        form->searchBox->setText("hit");
        form->btnSearchClick();
        QCOMPARE(form->activations, before + 1); // the answer to the one question

        before = form->activations;
        form->wallpaper->showSlideshow();
        QTRY_VERIFY(form->wallpaper->isActiveWindow());
        form->wallpaper->wpImageClick();
        QTRY_VERIFY(form->isActiveWindow());
        QTest::qWait(50);
        QCOMPARE(form->activations, before + 1);

        before = form->activations;
        form->printForm->showPreview();
        QTRY_VERIFY(form->printForm->isActiveWindow());
        form->printForm->close();
        QTRY_VERIFY(form->isActiveWindow());
        QTest::qWait(50);
        QCOMPARE(form->activations, before + 1);
    }

    void captionShowsTitleAndClock()
    {
        auto form = start();
        QCOMPARE(form->windowTitle(), QStringLiteral("The Korvo Group 2009 e-Calendar             [04/03/2009 12:00:00]"));
        fx->now = encodeDate(2009, 3, 5);
        form->TimerTimer();
        QCOMPARE(form->windowTitle(), QStringLiteral("The Korvo Group 2009 e-Calendar             [05/03/2009]"));
    }

};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
