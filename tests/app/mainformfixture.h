#pragma once
// A main window in a temporary working folder, with scripted message boxes and a fixed
// "now" (Wednesday 4 March 2009, noon), and helpers that act as the user would.

#include "app/mainform.h"
#include "diary/exchange/diarylayout.h"
#include "calendar/monthgrid.h"
#include "calendar/qelcalendar.h"
#include "core/textcodec.h"
#include "diary/dayeditor.h"
#include "diary/exchange/syncjournal.h"
#include "platform/dialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace vistelle::testing {

struct Row {
    TDateTime date;
    QString event;
    bool operator==(const Row&) const = default;
};

inline QList<Row> rowsOf(const QString& file = QStringLiteral("diary.dat"))
{
    TVolgaTable t;
    t.setTableName(file);
    t.Open();
    QList<Row> rows;
    for (t.First(); !t.Eof(); t.Next())
        rows << Row{t.GetFieldValue("date").toDateTime(), decodeStoredText(t.GetFieldValue("event").toBytes())};
    return rows;
}

inline QByteArray readFile(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline TDateTime settingsDateValue() { return encodeDate(5050, 7, 6); }

// Writes a diary with the given rows (date, text) in this order.
inline void writeDiary(const QList<Row>& rows)
{
    TVolgaTable t;
    createDiary(t, "diary.dat");
    for (const Row& r : rows) t.AppendRecord({Variant::fromDateTime(r.date), Variant(encodeStoredText(r.event))});
    t.SaveToFile("diary.dat");
}

class MainFormFixture {
public:
    QTemporaryDir dir;
    QTemporaryDir journals; // the journals of shared folders, outside the diary's folder
    QString oldCwd = QDir::currentPath();
    ScriptedDialogs boxes;
    TDateTime now = encodeDate(2009, 3, 4) + 0.5;

    MainFormFixture()
    {
        QDir::setCurrent(dir.path());
        SyncJournal::setJournalFolder(journals.path());
        setDialogs(&boxes);
        setNowSource([this] { return now; });
    }
    ~MainFormFixture()
    {
        setDialogs(nullptr);
        SyncJournal::setJournalFolder({});
        setNowSource({});
        QDir::setCurrent(oldCwd);
    }

    std::unique_ptr<TMainForm> start()
    {
        auto form = std::make_unique<TMainForm>();
        form->createOtherWindows();
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get())) qWarning("window not active");
        return form;
    }

    // A user's click on the calendar cell of the given day of the displayed month.
    static void clickDay(TMainForm& form, int day)
    {
        const MonthGrid grid(form.Calendar->FirstCellOffset(), form.Calendar->CurrentMonthLength());
        const QRect r = form.Calendar->cellRect(grid.cellOfDay(day));
        QTest::mouseClick(form.Calendar, Qt::LeftButton, {}, r.center());
    }

    // A left click on the month picture (it shows the week view).
    static void clickPicture(TMainForm& form)
    {
        QWidget* image = form.findChild<QWidget*>(QStringLiteral("Image"));
        QTest::mouseClick(image, Qt::LeftButton, {}, image->rect().center());
    }

    // Another window takes the activation, then the main window gets it back.
    static void leaveAndReturn(TMainForm& form)
    {
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
    }

    static void type(TMainForm& form, const QString& text)
    {
        form.Today->setFocus();
        QTest::keyClicks(form.Today, text);
    }
};

} // namespace vistelle::testing
