// The password boxes on real widgets: masked fields, the focus, and a new password that
// is taken only when typed twice the same.

#include "platform/passwordbox.h"

#include <QLabel>
#include <QtTest>

using namespace vistelle;

class TestPasswordBox : public QObject {
    Q_OBJECT

private slots:
    void askBoxHasAMaskedFieldWithTheFocus()
    {
        PasswordBox box(PasswordBox::Kind::Ask, "Password for diary.dat:");
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QCOMPARE(box.windowTitle(), "Vistelle");
        auto* field = box.findChild<QLineEdit*>("password");
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QCOMPARE(QApplication::focusWidget(), field);
        QVERIFY(!box.findChild<QLineEdit*>("repeatPassword"));
        QTest::keyClicks(field, "zebra");
        field->insert(" ü");
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(box.result(), int(QDialog::Accepted));
        QCOMPARE(box.takePassword(), QString("zebra ü").toUtf8());
        QVERIFY(field->text().isEmpty());
    }

    void newPasswordMustBeTypedTwiceAlike_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("problem");
        QTest::newRow("alike") << "pass" << "pass" << "";
        QTest::newRow("differ") << "pass" << "pasS" << "The two new passwords differ.";
        QTest::newRow("empty") << "" << "" << "The password must not be empty.";
    }
    void newPasswordMustBeTypedTwiceAlike()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, problem);
        PasswordBox box(PasswordBox::Kind::Change, "New password:");
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QCOMPARE(QApplication::focusWidget(), box.findChild<QLineEdit*>("currentPassword"));
        box.findChild<QLineEdit*>("currentPassword")->setText("old");
        box.findChild<QLineEdit*>("password")->setText(first);
        box.findChild<QLineEdit*>("repeatPassword")->setText(second);
        box.accept();
        QCOMPARE(box.isVisible(), !problem.isEmpty());
        auto* shown = box.findChild<QLabel*>("passwordProblem");
        QCOMPARE(shown->isVisible() ? shown->text() : QString(), problem);
        if (problem.isEmpty()) {
            QCOMPARE(box.takeCurrent(), QByteArray("old"));
            QCOMPARE(box.takePassword(), first.toUtf8());
        }
    }
};

QTEST_MAIN(TestPasswordBox)
#include "tst_passwordbox.moc"
