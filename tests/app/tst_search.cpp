// The search box on the real main window, with the prompts answered by script.

#include "app/clicklabel.h"
#include "mainformfixture.h"

#include <QLineEdit>
#include <algorithm>
#include <QPushButton>

using namespace vistelle;
using namespace vistelle::testing;

class TestSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<MainFormFixture> fx;
    const TDateTime feb1 = encodeDate(2009, 2, 1);
    const TDateTime mar3 = encodeDate(2009, 3, 3);

    struct Hit {
        TDateTime date;
        int start, length;
        QString text;
        bool operator==(const Hit&) const = default;
    };

    // Searches for text; at each prompt records what the window shows, then answers.
    QList<Hit> search(TMainForm& form, const QString& text, QList<bool> answers)
    {
        QList<Hit> hits;
        fx->boxes.answers = answers;
        fx->boxes.onBox = [&](const QString& entry) {
            if (!entry.startsWith("confirm: ")) return;
            QCOMPARE(entry, QStringLiteral("confirm: Continue Searching?"));
            QVERIFY(form.diary.ReadOnly());
            hits << Hit{form.Calendar->SelectedDate(), form.Today->selectionStart(), form.Today->selectionLength(),
                        form.Today->text()};
        };
        form.searchBox->setText(text);
        QTest::mouseClick(form.btnSearch, Qt::LeftButton);
        fx->boxes.onBox = nullptr;
        return hits;
    }

    static void expectIdle(TMainForm& form)
    {
        QVERIFY(!form.diary.ReadOnly());
        QCOMPARE(form.diary.IndexFieldNames(), QString());
        QCOMPARE(form.searchBox->text(), QString());
    }

private slots:
    void init() { fx = std::make_unique<MainFormFixture>(); }
    void cleanup() { fx.reset(); }

    void occurrencesComeInDateOrderLeftToRight()
    {
        writeDiary({{mar3, "Dentist"}, {feb1, "dentist again, DENTIST"}});
        auto form = fx->start();
        const QList<Hit> hits = search(*form, "dentist", {true, true, true});
        QCOMPARE(hits, (QList<Hit>{{feb1, 0, 7, "dentist again, DENTIST"},
                                   {feb1, 15, 7, "dentist again, DENTIST"},
                                   {mar3, 0, 7, "Dentist"}}));
        expectIdle(*form);
        QCOMPARE(form->Calendar->SelectedDate(), mar3);
        QCOMPARE(form->Today->text(), QStringLiteral("Dentist"));
        QCOMPARE(form->Today->selectionLength(), 0);
    }

    void occurrencesDoNotOverlap()
    {
        writeDiary({{feb1, "aaaa"}});
        auto form = fx->start();
        QCOMPARE(search(*form, "aa", {true, true}), (QList<Hit>{{feb1, 0, 2, "aaaa"}, {feb1, 2, 2, "aaaa"}}));
    }

    void selectionCountsLineBreaksAsTwo()
    {
        writeDiary({{feb1, "one\r\ntwo"}});
        auto form = fx->start();
        const QList<Hit> hits = search(*form, "TWO", {true});
        QCOMPARE(hits, (QList<Hit>{{feb1, 5, 3, "one\r\ntwo"}}));
        QCOMPARE(form->Today->textCursor().selectedText(), QString()); // reloaded after the end
    }

    void noAtTheFirstHitStops()
    {
        writeDiary({{mar3, "Dentist"}, {feb1, "dentist again, DENTIST"}});
        auto form = fx->start();
        QCOMPARE(search(*form, "dentist", {false}).size(), 1);
        expectIdle(*form);
        QCOMPARE(form->Calendar->SelectedDate(), feb1);
        QCOMPARE(form->Today->text(), QStringLiteral("dentist again, DENTIST"));
        QCOMPARE(form->Today->textCursor().position(), form->Today->toPlainText().size());
        // The table takes changes again.
        MainFormFixture::type(*form, "!");
        MainFormFixture::clickDay(*form, 10);
        QCOMPARE(form->info(feb1), QStringLiteral("dentist again, DENTIST!"));
    }

    void aHitOnlyInTheSettingsRowShowsNothing()
    {
        fx->start()->close(); // writes the settings row, whose record holds x, y, z, j and k
        auto form = fx->start();
        QVERIFY(search(*form, "x", {}).isEmpty());
        QCOMPARE(fx->boxes.log, QStringList());
        expectIdle(*form);
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 3, 4));
    }

    void unsavedTextIsStoredFirstAndFound()
    {
        auto form = fx->start();
        MainFormFixture::type(*form, "a new hope");
        QVERIFY(form->Today->isGrey());
        const QList<Hit> hits = search(*form, "HOPE", {true});
        QCOMPARE(hits, (QList<Hit>{{encodeDate(2009, 3, 4), 6, 4, "a new hope"}}));
        QCOMPARE(form->Today->textColour(), QColor(Qt::black));
    }

    void aDateJumpsWithoutAPrompt()
    {
        auto form = fx->start();
        form->searchBox->setText("12/5");
        QTest::keyClick(form->searchBox, Qt::Key_Return);
        QCOMPARE(fx->boxes.log, QStringList());
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 5, 12));
        QCOMPARE(form->monthLabel->text(), QStringLiteral("May"));
        QCOMPARE(form->searchBox->text(), QString());
    }

    void aDateWithATrailingSeparatorJumpsInTheCurrentYear()
    {
        auto form = fx->start();
        form->searchBox->setText("24/12/");
        QTest::keyClick(form->searchBox, Qt::Key_Return);
        QCOMPARE(fx->boxes.log, QStringList());
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 12, 24));
        QCOMPARE(form->monthLabel->text(), QStringLiteral("December"));
        QCOMPARE(form->searchBox->text(), QString());
    }

    void yearsAndImpossibleDatesAreSearchedAsText()
    {
        writeDiary({{feb1, "since 2009"}, {mar3, "due 31/02/2009?"}});
        auto form = fx->start();
        QCOMPARE(search(*form, "2009", {true, true}).size(), 2);
        QCOMPARE(search(*form, "31/02/2009", {true}), (QList<Hit>{{mar3, 4, 10, "due 31/02/2009?"}}));
    }

    void enterStartsTheSearchAndInsertsNothing()
    {
        writeDiary({{feb1, "enter"}});
        auto form = fx->start();
        fx->boxes.answers = {true};
        form->searchBox->setText("ent");
        QTest::keyClick(form->searchBox, Qt::Key_Return);
        QCOMPARE(fx->boxes.log, QStringList("confirm: Continue Searching?"));
        QCOMPARE(form->searchBox->text(), QString());
    }

    void aTableErrorLeavesTheTableWritableAndInItsOwnOrder()
    {
        writeDiary({{mar3, "Dentist"}, {feb1, "dentist again"}});
        auto form = fx->start();
        fx->boxes.answers = {true};
        fx->boxes.onBox = [&](const QString& entry) {
            if (entry.startsWith("confirm")) form->diary.Close();
        };
        form->searchBox->setText("dentist");
        QTest::mouseClick(form->btnSearch, Qt::LeftButton);
        fx->boxes.onBox = nullptr;
        QVERIFY(fx->boxes.log.contains("error: Cannot perform this operation on a closed dataset."));
        QVERIFY(!form->diary.ReadOnly());
        QCOMPARE(form->diary.IndexFieldNames(), QString());
    }

    void hitsInAMixedDiaryAreThoseOfAPlainSearch()
    {
        // Entries in ASCII, Windows-1252 and UTF-8, stored out of date order; the Kelvin
        // sign folds to an ASCII k, so "KO" meets it in a UTF-8 entry.
        const QStringList texts = {"Korvo office", "k\u00f6ko, KO", "\u212ao and ko", "caf\u00e9 kO\r\nko",
                                   "\u0416ko\U0001F600Ko", "nothing here", "kkoo", "\u00c9KO\u20ac"};
        QList<Row> rows;
        for (int i = 0; i < 24; ++i) rows << Row{encodeDate(2009, 1, 1) + (i * 7) % 24, texts[i % texts.size()]};
        writeDiary(rows);
        auto form = fx->start();
        const QList<Hit> hits = search(*form, "KO", QList<bool>(100, true));

        std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.date < b.date; });
        QList<Hit> expected;
        for (const Row& row : rows) {
            const QString entry = decodeStoredText(encodeStoredText(row.event));
            QString folded = entry;
            for (QChar& c : folded)
                if (!c.isSurrogate()) c = c.toLower();
            for (qsizetype at = folded.indexOf("ko"); at >= 0; at = folded.indexOf("ko", at + 2))
                expected << Hit{row.date, int(at), 2, entry};
        }
        QCOMPARE(expected.size(), 33);
        QCOMPARE(hits, expected);
        expectIdle(*form);
    }

    void anEventFieldOfNumbersIsSearchedAsItsText()
    {
        TVolgaTable t;
        t.setTableName("diary.dat");
        t.FieldDefs().Add("date", ftDateTime, 0, false);
        t.FieldDefs().Add("event", ftInteger, 0, false);
        t.CreateTable();
        t.Open();
        t.AppendRecord({Variant::fromDateTime(mar3), 12009});
        t.AppendRecord({Variant::fromDateTime(feb1), 42});
        t.SaveToFile("diary.dat");
        auto form = fx->start();
        QCOMPARE(search(*form, "2009", {true}), (QList<Hit>{{mar3, 1, 4, "12009"}}));
        expectIdle(*form);
    }

    void emptyBoxOnlyStores()
    {
        auto form = fx->start();
        MainFormFixture::type(*form, "stored");
        QTest::mouseClick(form->btnSearch, Qt::LeftButton);
        QCOMPARE(form->info(encodeDate(2009, 3, 4)), QStringLiteral("stored"));
        QCOMPARE(fx->boxes.log, QStringList());
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
