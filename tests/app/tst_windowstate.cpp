#include "app/windowstate.h"
#include "core/error.h"

#include <QTest>

using namespace vistelle;

class TestWindowState : public QObject {
    Q_OBJECT

    // Applies a record and returns what was applied, piece by piece, and the error if any.
    static QString run(const QString& record, QList<int>& applied)
    {
        applied.clear();
        try {
            applyWindowRecord(record, [&](int piece, int value) {
                QCOMPARE(piece, int(applied.size()));
                applied << value;
            });
        } catch (const Error& e) {
            return e.message();
        }
        return {};
    }

private slots:
    void designedWindowComposesTheKnownRecord()
    {
        QCOMPARE(composeWindowRecord({415, 736, 163, 266, 407, 203}), QStringLiteral("415x736y163z266j407k203"));
        QCOMPARE(composeWindowRecord({1032, 1936, -8, -8, 900, 400}), QStringLiteral("1032x1936y-8z-8j900k400"));
    }

    void goodRecordAppliesAllSixPiecesInOrder()
    {
        QList<int> applied;
        QCOMPARE(run("415x736y163z266j407k203", applied), QString());
        QCOMPARE(applied, (QList<int>{415, 736, 163, 266, 407, 203}));
        QCOMPARE(run("1032x1936y-8z-8j900k400", applied), QString());
        QCOMPARE(applied, (QList<int>{1032, 1936, -8, -8, 900, 400}));
    }

    void recordWithoutKFailsAtBarZeroAfterTheBounds()
    {
        QList<int> applied;
        QCOMPARE(run("415x736y163z266j407", applied), QStringLiteral("'' is not a valid integer value"));
        QCOMPARE(applied, (QList<int>{415, 736, 163, 266}));
    }

    void badPiecesFailWithThePieceAsCutOut_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("appliedBefore");
        QTest::newRow("extra characters") << "415x736y163z266j407k203q" << "'203q' is not a valid integer value" << 5;
        QTest::newRow("empty height") << "x736y163z266j407k203" << "'' is not a valid integer value" << 0;
        QTest::newRow("separators out of order") << "415y736x163z266j407k203" << "'415y736' is not a valid integer value" << 0;
        QTest::newRow("no separators at all") << "hello" << "'' is not a valid integer value" << 0;
        QTest::newRow("blank inside") << "415x7 36y163z266j407k203" << "'7 36' is not a valid integer value" << 1;
        QTest::newRow("empty record") << "" << "'' is not a valid integer value" << 0;
    }
    void badPiecesFailWithThePieceAsCutOut()
    {
        QFETCH(QString, record);
        QFETCH(QString, message);
        QFETCH(int, appliedBefore);
        QList<int> applied;
        QCOMPARE(run(record, applied), message);
        QCOMPARE(int(applied.size()), appliedBefore);
    }
};

QTEST_APPLESS_MAIN(TestWindowState)
#include "tst_windowstate.moc"
