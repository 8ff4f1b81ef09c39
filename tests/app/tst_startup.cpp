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
    void busAddressIsDisabledOnlyWithoutABus_data()
    {
        // "unset" stands for a variable that is not set at all.
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<bool>("socketPresent");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("address given") << QByteArray("unix:path=/run/user/1000/bus") << false
                                       << QByteArray("unix:path=/run/user/1000/bus");
        QTest::newRow("socket in the runtime folder") << QByteArray("unset") << true << QByteArray("unset");
        QTest::newRow("no bus") << QByteArray("unset") << false << QByteArray("disabled:");
        QTest::newRow("empty address, no bus") << QByteArray("") << false << QByteArray("disabled:");
    }

    void busAddressIsDisabledOnlyWithoutABus()
    {
        QFETCH(QByteArray, address);
        QFETCH(bool, socketPresent);
        QFETCH(QByteArray, expected);
        QTemporaryDir runtime;
        if (socketPresent) QVERIFY(QFile(runtime.filePath("bus")).open(QIODevice::WriteOnly));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        if (address == "unset") qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        else qputenv("DBUS_SESSION_BUS_ADDRESS", address);

        prepareEnvironment();
        QCOMPARE(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS") ? qgetenv("DBUS_SESSION_BUS_ADDRESS") : "unset",
                 expected);
    }
};

QTEST_APPLESS_MAIN(TestStartup)
#include "tst_startup.moc"
