// vistelle-diary check against the real main window: the components a set file is read
// among, and for damaged files the very text of the window's error box.

#include "../app/mainformfixture.h"
#include "cli/cli.h"
#include "cli/windowcomponents.h"
#include "pictures/builtinpictures.h"
#include "pictures/setfilewriter.h"
#include "pictures/tlmdgraphiclist.h"

#include <QApplication>
#include <QRadioButton>
#include <QSet>

using namespace vistelle;
using namespace vistelle::testing;

namespace {

// The names a set file can clash with: every named descendant of the window except the
// top-level windows, which the reader renames around.
QSet<QString> clashingNames(const TMainForm& form)
{
    QSet<QString> windows;
    for (const QWidget* w : QApplication::topLevelWidgets()) windows << w->objectName();
    QSet<QString> names;
    for (const QObject* o : form.findChildren<QObject*>())
        if (!o->objectName().isEmpty() && !windows.contains(o->objectName())) names << o->objectName();
    return names;
}

QSet<QString> listed(int set)
{
    const QStringList names = cli::windowComponentNames(set);
    return QSet<QString>(names.begin(), names.end());
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

void writeSet(int set, const QString& listName)
{
    QObject owner;
    TLMDGraphicList* list = createBuiltinList(set, &owner);
    list->setObjectName(listName);
    writeSetFile(*list, QStringLiteral("graphics%1.dat").arg(set));
}

} // namespace

class TestCheckAgainstWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<MainFormFixture> fx;

private slots:
    void init() { fx = std::make_unique<MainFormFixture>(); }
    void cleanup() { fx.reset(); }

    void componentNamesAreTheWindows()
    {
        TMainForm form; // set 1 is read while it is built
        QCOMPARE(clashingNames(form), listed(1));
        form.createOtherWindows(); // sets 2 to 4 are read once these exist
        QCOMPARE(clashingNames(form), listed(2));
    }

    void damagedFilesGiveTheWindowsMessage_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("damage");
        const QStringList names = {"empty diary", "diary cut in a row", "set 1 cut short", "set 2 holding set 3",
                                   "set 3 named after a control", "set 4 not a set file", "set 2 with a broken JPEG",
                                   "set 3 named after a window"};
        const QStringList files = {"diary.dat", "diary.dat", "graphics1.dat", "graphics2.dat",
                                   "graphics3.dat", "graphics4.dat", "graphics2.dat", "graphics3.dat"};
        for (int i = 0; i < names.size(); ++i) QTest::newRow(qPrintable(names[i])) << files[i] << i;
    }
    void damagedFilesGiveTheWindowsMessage()
    {
        QFETCH(QString, file);
        QFETCH(int, damage);
        switch (damage) {
        case 0: writeFile(file, {}); break;
        case 1:
            writeDiary({{encodeDate(2009, 3, 1), "one"}, {encodeDate(2009, 3, 2), "two"}});
            writeFile(file, readFixtureFile(file).chopped(12)); // inside the last row's date
            break;
        case 2: writeSet(1, "piclist1"); writeFile(file, readFixtureFile(file).left(200000)); break;
        case 3: writeSet(2, "piclist3"); break;
        case 4: writeSet(3, "Calendar"); break;
        case 5: writeFile(file, "MZ\x90\x01"); break;
        case 6: {
            writeSet(2, "piclist2");
            QByteArray bytes = readFixtureFile(file);
            bytes[86] = 0; // the first JPEG's start-of-image marker
            writeFile(file, bytes);
            break;
        }
        case 7: writeSet(3, "Wallpaper"); break;
        }
        auto form = fx->start();
        const int set = file.startsWith(u'g') ? file.mid(8, 1).toInt() : 1;
        if (set > 1) form->ch[size_t(set - 1)]->click();
        QString shown = QStringLiteral("ok"); // the first error box, which reports the file
        for (const QString& box : fx->boxes.log) {
            if (!box.startsWith(QLatin1StringView("error: "))) continue;
            shown = box.mid(7);
            break;
        }
        QCOMPARE(shown == u"ok", damage == 7); // a window's name is no clash: the list is renamed
        cli::Streams io;
        const int status = cli::run({"check", file}, io);
        QCOMPARE(status, shown == u"ok" ? 0 : 1);
        const QString line = QString::fromUtf8(io.out).chopped(1).mid(file.size() + 2);
        QCOMPARE(line.startsWith(QLatin1StringView("ok, ")) ? QStringLiteral("ok") : line, shown);
    }

private:
    static QByteArray readFixtureFile(const QString& name) { return readFile(name); }
};

QTEST_MAIN(TestCheckAgainstWindow)
#include "tst_checkagainstwindow.moc"
