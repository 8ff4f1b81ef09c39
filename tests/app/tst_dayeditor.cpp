// The day editor on the real main window: what is stored when, and what survives a restart.

#include "app/clicklabel.h"
#include "diary/exchange/diarylayout.h"
#include "app/splitterpanel.h"
#include "diary/dayentries.h"
#include "mainformfixture.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>

using namespace vistelle;
using namespace vistelle::testing;

class TestDayEditor : public QObject {
    Q_OBJECT

    std::unique_ptr<MainFormFixture> fx;
    const TDateTime march4 = encodeDate(2009, 3, 4);
    const TDateTime march10 = encodeDate(2009, 3, 10);

    static QColor colourOf(TMainForm& f) { return f.Today->textColour(); }

private slots:
    void init() { fx = std::make_unique<MainFormFixture>(); }
    void cleanup() { fx.reset(); }

    void typedTextTurnsGreyAndIsStoredBlackOnAnotherDate()
    {
        auto form = fx->start();
        QCOMPARE(form->Calendar->SelectedDate(), march4);
        MainFormFixture::type(*form, "abc");
        QCOMPARE(colourOf(*form), DayEditor::UnsavedGrey);
        MainFormFixture::clickDay(*form, 10);
        QCOMPARE(form->Calendar->SelectedDate(), march10);
        QCOMPARE(form->Today->text(), QString());
        QCOMPARE(colourOf(*form), QColor(Qt::black));
        QCOMPARE(form->info(march4), QStringLiteral("abc"));
        // The handler ran twice for the click, but there is one row for the date.
        form->diary.SaveToFile("check.dat");
        QCOMPARE(rowsOf("check.dat"), (QList<Row>{{march4, "abc"}}));
    }

    void clearingAnEntryDeletesItsRow()
    {
        writeDiary({{march4, "dentist"}});
        auto form = fx->start();
        QCOMPARE(form->Today->text(), QStringLiteral("dentist"));
        form->Today->setFocus();
        form->Today->selectAll();
        QTest::keyClick(form->Today, Qt::Key_Delete);
        QCOMPARE(form->Today->text(), QString());
        MainFormFixture::clickDay(*form, 5);
        QCOMPARE(form->info(march4), QString());
        MainFormFixture::clickPicture(*form);
        QCOMPARE(form->dateLabels[2]->text(), QStringLiteral("04/03/2009"));
        QCOMPARE(form->memos[2]->toPlainText(), QString()); // Wednesday 4 March, in the week of 5 March
    }

    void blankOrLineBreakAloneIsAnEntry()
    {
        auto form = fx->start();
        MainFormFixture::type(*form, " ");
        MainFormFixture::clickDay(*form, 10);
        QCOMPARE(form->info(march4), QStringLiteral(" "));
        QTest::keyClick(form->Today, Qt::Key_Return);
        MainFormFixture::clickDay(*form, 11);
        QCOMPARE(form->info(march10), QStringLiteral("\r\n"));
    }

    void clickingThePictureStoresWithoutMovingTheDate()
    {
        auto form = fx->start();
        MainFormFixture::type(*form, "line one");
        QTest::keyClick(form->Today, Qt::Key_Return);
        QTest::keyClicks(form->Today, "line two");
        MainFormFixture::clickPicture(*form);
        QCOMPARE(form->Calendar->SelectedDate(), march4);
        QCOMPARE(form->info(march4), QStringLiteral("line one\r\nline two"));
        QCOMPARE(form->Today->text(), QStringLiteral("line one\r\nline two"));
        QCOMPARE(colourOf(*form), QColor(Qt::black));
        QCOMPARE(form->Today->textCursor().position(), form->Today->toPlainText().size());
    }

    void entriesSurviveARestartIncludingAnyCharacter()
    {
        const QString western = QStringLiteral("Caf\u00e9 \u20ac3");
        const QString eastern = QStringLiteral("\u65e5\u8a18 \u043f\u0440\u0438\u0432\u0435\u0442");
        {
            auto form = fx->start();
            form->Today->insertPlainText(western); // as typed or pasted
            MainFormFixture::clickDay(*form, 10);
            form->Today->insertPlainText(eastern);
            MainFormFixture::clickDay(*form, 11);
            QVERIFY(form->close());
        }
        auto form = fx->start();
        QCOMPARE(form->info(march4), western);
        QCOMPARE(form->info(march10), eastern);
        QCOMPARE(form->Today->text(), western);
        // The western text is stored in the format's single-byte form for Western text.
        QVERIFY(readFile("diary.dat").contains(QByteArray("Caf\xe9 \x80" "3")));
    }

    // Files written by other programs may hold lone line feeds or carriage returns, or
    // UTF-8 that this program would store in the single-byte form.
    void anEntryVisitedWithoutAnEditKeepsItsStoredBytes_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("lone LF") << QByteArray("first\nsecond");
        QTest::newRow("lone CR") << QByteArray("first\rsecond");
        QTest::newRow("mixed breaks") << QByteArray("a\r\nb\nc\r");
        QTest::newRow("UTF-8 that fits one byte per character") << QByteArray("Caf\xc3\xa9");
    }
    void anEntryVisitedWithoutAnEditKeepsItsStoredBytes()
    {
        QFETCH(QByteArray, stored);
        {
            TVolgaTable t;
            createDiary(t, "diary.dat");
            t.AppendRecord({Variant::fromDateTime(march10), Variant(stored)});
            t.SaveToFile("diary.dat");
        }
        auto form = fx->start();
        int changes = 0;
        const auto hook = form->entries().tableChanged;
        form->entries().tableChanged = [&, hook](TDateTime date) {
            ++changes;
            if (hook) hook(date);
        };
        const auto storedNow = [&] { return form->diary.Lookup("date", Variant::fromDateTime(march10), "event").toBytes(); };
        MainFormFixture::clickDay(*form, 10);
        QCOMPARE(form->Today->text(), decodeStoredText(stored).replace(QRegularExpression("\r\n|\r|\n"), "\r\n"));
        MainFormFixture::clickPicture(*form);
        MainFormFixture::leaveAndReturn(*form);
        MainFormFixture::clickDay(*form, 11);
        QCOMPARE(storedNow(), stored);
        QCOMPARE(changes, 0);

        // An edit writes the editor's text, and the table changes.
        MainFormFixture::clickDay(*form, 10);
        QTest::keyClicks(form->Today, "!");
        MainFormFixture::clickDay(*form, 11);
        QCOMPARE(storedNow(), encodeStoredText(form->info(march10)));
        QVERIFY(form->info(march10).endsWith("!"));
        QVERIFY(changes > 0);
    }

    void settingsRowIsNeverLoadedIntoTheEditor()
    {
        fx->start()->close();
        fx->now = settingsDateValue();
        {
            auto form = fx->start();
            QCOMPARE(form->Calendar->SelectedDate(), settingsDateValue());
            QCOMPARE(form->Today->text(), QString());
        }
        // The week view has no such rule: the record shows as that Saturday's text.
        fx->now = settingsDateValue() - 1;
        auto form = fx->start();
        MainFormFixture::clickPicture(*form);
        QVERIFY(form->memos[5]->toPlainText().contains(QLatin1Char('k')));
    }

    void typedTextIsStoredBeforeAnActivationReloads()
    {
        auto form = fx->start();
        MainFormFixture::type(*form, "not lost");
        MainFormFixture::leaveAndReturn(*form);
        QCOMPARE(form->info(march4), QStringLiteral("not lost"));
        QCOMPARE(form->Today->text(), QStringLiteral("not lost"));
        QCOMPARE(colourOf(*form), QColor(Qt::black));
    }

    void failingStoreAtActivationIsReportedOnce()
    {
        auto form = fx->start();
        MainFormFixture::type(*form, "will fail");
        form->diary.Close(); // every table operation now fails
        MainFormFixture::leaveAndReturn(*form);
        QTest::qWait(20);
        QCOMPARE(fx->boxes.log, QStringList("error: Cannot perform this operation on a closed dataset."));
        QVERIFY(form->Today->isGrey()); // the text is still there
    }

    void rightClickOnAWeekMemoMovesTheCaretToTheEditor()
    {
        auto form = fx->start();
        MainFormFixture::clickPicture(*form);
        QVERIFY(form->WeekPanel->isVisible());
        form->memos[3]->setFocus();
        emit form->memos[3]->customContextMenuRequested(QPoint(5, 5));
        QVERIFY(form->Today->hasFocus());
    }

    void shiftF10OpensTheMenuAtTheCaret()
    {
        auto form = fx->start();
        MainFormFixture::type(*form, "abc");
        QTest::keyClick(form->Today, Qt::Key_F10, Qt::ShiftModifier);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        QCOMPARE(menu->objectName(), QStringLiteral("TodayMenu"));
        const QPoint caret = form->Today->viewport()->mapToGlobal(form->Today->cursorRect().center());
        QVERIFY2((menu->pos() - caret).manhattanLength() < 50, "the menu is not at the caret");
        menu->close();
        QCOMPARE(form->Today->text(), QStringLiteral("abc")); // the key typed nothing
    }
};

QTEST_MAIN(TestDayEditor)
#include "tst_dayeditor.moc"
