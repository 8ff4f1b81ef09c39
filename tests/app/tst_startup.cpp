// The process environment prepared before the application object: the session bus is
// left alone when there is one, and declared absent when there is none.

#include "app/startup.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vistelle;

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void busAddressIsEmptiedOnlyWithoutABus_data()
    {
        QTest::addColumn<bool>("addressSet");
        QTest::addColumn<bool>("socketPresent");
        QTest::addColumn<QByteArray>("expected"); // "unset" when the variable stays unset
        QTest::newRow("address given") << true << false << QByteArray("unix:path=/run/user/1000/bus");
        QTest::newRow("socket in the runtime folder") << false << true << QByteArray("unset");
        QTest::newRow("no bus") << false << false << QByteArray("");
    }

    void busAddressIsEmptiedOnlyWithoutABus()
    {
        QFETCH(bool, addressSet);
        QFETCH(bool, socketPresent);
        QFETCH(QByteArray, expected);
        QTemporaryDir runtime;
        if (socketPresent) QVERIFY(QFile(runtime.filePath("bus")).open(QIODevice::WriteOnly));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        if (addressSet) qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus");
        else qunsetenv("DBUS_SESSION_BUS_ADDRESS");

        prepareEnvironment();
        QCOMPARE(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS") ? qgetenv("DBUS_SESSION_BUS_ADDRESS") : "unset",
                 expected);
    }
};

QTEST_APPLESS_MAIN(TestStartup)
#include "tst_startup.moc"
