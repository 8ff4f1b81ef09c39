#include "syncthinginstance.h"

#include "xsession.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QTcpServer>

namespace vistelle::e2e {

namespace {

constexpr int StartMs = 30000;
constexpr int RequestMs = 10000;

// Replaces the value of <name>…</name>; false when the element is not there.
bool setElement(QByteArray& xml, const char* name, const QByteArray& value)
{
    const QByteArray open = '<' + QByteArray(name) + '>';
    const QByteArray close = "</" + QByteArray(name) + '>';
    const qsizetype from = xml.indexOf(open);
    const qsizetype to = from < 0 ? -1 : xml.indexOf(close, from);
    if (to < 0) return false;
    xml.replace(from + open.size(), to - from - open.size(), value);
    return true;
}

QString randomKey()
{
    static const char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString key;
    for (int i = 0; i < 32; ++i) key += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))]);
    return key;
}

} // namespace

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

SyncthingInstance::SyncthingInstance(const QString& home) : m_home(home), m_apiKey(randomKey()) {}

SyncthingInstance::~SyncthingInstance() { stop(); }

QString SyncthingInstance::listenAddress() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_listenPort); }

bool SyncthingInstance::start(QString* error)
{
    QDir().mkpath(m_home);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home);
    // One process: without this the instance runs under a monitor parent that restarts it,
    // and a kill of the parent would leave the instance running.
    env.insert(QStringLiteral("STMONITORED"), QStringLiteral("1"));
    env.insert(QStringLiteral("STNOUPGRADE"), QStringLiteral("1"));
    env.insert(QStringLiteral("STNODEFAULTFOLDER"), QStringLiteral("1"));
    for (const char* proxy : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
        env.remove(QString::fromLatin1(proxy));

    QProcess generate;
    generate.setProcessEnvironment(env);
    generate.start(QStringLiteral("syncthing"), {QStringLiteral("generate"), QStringLiteral("--home=") + m_home,
                                                 QStringLiteral("--no-default-folder"), QStringLiteral("--skip-port-probing")});
    if (!generate.waitForFinished(StartMs) || generate.exitCode() != 0) {
        *error = QStringLiteral("syncthing generate failed: ") + QString::fromLocal8Bit(generate.readAllStandardError());
        return false;
    }

    m_guiPort = freeLoopbackPort();
    m_listenPort = freeLoopbackPort();
    QFile config(m_home + QStringLiteral("/config.xml"));
    if (!config.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("no config.xml in ") + m_home;
        return false;
    }
    QByteArray xml = config.readAll();
    config.close();
    const QList<std::pair<const char*, QByteArray>> options{
        {"listenAddress", listenAddress().toLatin1()},
        {"globalAnnounceEnabled", "false"},
        {"localAnnounceEnabled", "false"},
        {"relaysEnabled", "false"},
        {"natEnabled", "false"},
        {"urAccepted", "-1"},
        {"crashReportingEnabled", "false"},
        {"autoUpgradeIntervalH", "0"},
        {"startBrowser", "false"},
        // A peer that went away is dialled again within a second or two, not a minute.
        {"reconnectionIntervalS", "1"},
    };
    for (const auto& [name, value] : options) {
        if (!setElement(xml, name, value)) {
            *error = QStringLiteral("config.xml has no <%1>").arg(QLatin1String(name));
            return false;
        }
    }
    setElement(xml, "announceLANAddresses", "false");
    setElement(xml, "stunKeepaliveStartS", "0");
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate) || config.write(xml) != xml.size()) {
        *error = QStringLiteral("cannot write ") + config.fileName();
        return false;
    }
    config.close();

    m_process.setProcessEnvironment(env);
    // Without the monitor the log goes to the standard output.
    m_process.setStandardOutputFile(m_home + QStringLiteral("/syncthing.log"));
    m_process.setStandardErrorFile(m_home + QStringLiteral("/stderr.txt"));
    endWithParent(m_process);
    m_process.start(QStringLiteral("syncthing"),
                    {QStringLiteral("serve"), QStringLiteral("--home=") + m_home, QStringLiteral("--no-browser"),
                     QStringLiteral("--no-restart"), QStringLiteral("--no-upgrade"),
                     QStringLiteral("--gui-address=http://127.0.0.1:%1").arg(m_guiPort),
                     QStringLiteral("--gui-apikey=") + m_apiKey});
    if (!m_process.waitForStarted(StartMs)) {
        *error = QStringLiteral("syncthing did not start: ") + m_process.errorString();
        return false;
    }
    const bool answering = waitUntil(
        [&] {
            if (m_process.state() == QProcess::NotRunning) return true;
            m_deviceId = get(QStringLiteral("/rest/system/status")).value(QStringLiteral("myID")).toString();
            return !m_deviceId.isEmpty();
        },
        StartMs);
    if (!answering || m_deviceId.isEmpty()) {
        *error = QStringLiteral("syncthing's API did not answer:\n") + log();
        return false;
    }
    return true;
}

void SyncthingInstance::stop()
{
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool SyncthingInstance::addPeer(const SyncthingInstance& peer, const QString& name, bool dial)
{
    // "dynamic" asks discovery, which is off: no address to dial.
    const QJsonObject device{{QStringLiteral("deviceID"), peer.deviceId()},
                             {QStringLiteral("name"), name},
                             {QStringLiteral("addresses"), QJsonArray{dial ? peer.listenAddress() : QStringLiteral("dynamic")}},
                             {QStringLiteral("autoAcceptFolders"), false}};
    return send("PUT", QStringLiteral("/rest/config/devices/") + peer.deviceId(), device);
}

bool SyncthingInstance::shareFolder(const QString& folderId, const QString& path, const SyncthingInstance& peer)
{
    // The folder marker, so the instance takes the existing folder as it is.
    QDir().mkpath(path + QStringLiteral("/.stfolder"));
    const QJsonObject folder{
        {QStringLiteral("id"), folderId},
        {QStringLiteral("label"), folderId},
        {QStringLiteral("path"), path},
        {QStringLiteral("type"), QStringLiteral("sendreceive")},
        {QStringLiteral("devices"),
         QJsonArray{QJsonObject{{QStringLiteral("deviceID"), m_deviceId}}, QJsonObject{{QStringLiteral("deviceID"), peer.deviceId()}}}},
        {QStringLiteral("rescanIntervalS"), 10},
        {QStringLiteral("fsWatcherEnabled"), true},
        {QStringLiteral("fsWatcherDelayS"), 1},
    };
    return send("PUT", QStringLiteral("/rest/config/folders/") + folderId, folder);
}

bool SyncthingInstance::setFolderPaused(const QString& folderId, bool paused)
{
    return send("PATCH", QStringLiteral("/rest/config/folders/") + folderId, QJsonObject{{QStringLiteral("paused"), paused}});
}

bool SyncthingInstance::folderPaused(const QString& folderId) const
{
    return get(QStringLiteral("/rest/config/folders/") + folderId).value(QStringLiteral("paused")).toBool() &&
           get(QStringLiteral("/rest/db/status?folder=") + folderId).value(QStringLiteral("state")) == QString();
}

bool SyncthingInstance::connectedTo(const SyncthingInstance& peer) const
{
    return get(QStringLiteral("/rest/system/connections"))
        .value(QStringLiteral("connections"))
        .toObject()
        .value(peer.deviceId())
        .toObject()
        .value(QStringLiteral("connected"))
        .toBool();
}

bool SyncthingInstance::idleAndComplete(const QString& folderId, const SyncthingInstance& peer) const
{
    const QJsonObject status = get(QStringLiteral("/rest/db/status?folder=") + folderId);
    if (status.value(QStringLiteral("state")).toString() != QLatin1String("idle")) return false;
    if (status.value(QStringLiteral("needTotalItems")).toInt(-1) != 0) return false;
    const QJsonObject completion =
        get(QStringLiteral("/rest/db/completion?folder=%1&device=%2").arg(folderId, peer.deviceId()));
    return completion.value(QStringLiteral("completion")).toDouble() == 100.0 &&
           completion.value(QStringLiteral("needItems")).toInt(-1) == 0;
}

QString SyncthingInstance::log() const
{
    QString text;
    for (const char* name : {"/stderr.txt", "/syncthing.log"}) {
        QFile f(m_home + QLatin1String(name));
        if (f.open(QIODevice::ReadOnly)) text += QString::fromLocal8Bit(f.readAll());
    }
    return text;
}

QJsonObject SyncthingInstance::get(const QString& pathAndQuery) const
{
    QByteArray reply;
    if (!request("GET", pathAndQuery, {}, &reply)) return {};
    return QJsonDocument::fromJson(reply).object();
}

bool SyncthingInstance::send(const QByteArray& verb, const QString& path, const QJsonObject& body) const
{
    QByteArray reply;
    if (request(verb, path, QJsonDocument(body).toJson(QJsonDocument::Compact), &reply)) return true;
    qWarning("%s %s failed: %s", verb.constData(), qPrintable(path), reply.constData());
    return false;
}

bool SyncthingInstance::request(const QByteArray& verb, const QString& pathAndQuery, const QByteArray& body,
                                QByteArray* reply) const
{
    if (m_guiPort == 0) return false;
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest req(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_guiPort).arg(pathAndQuery)));
    req.setRawHeader("X-API-Key", m_apiKey.toLatin1());
    req.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    req.setTransferTimeout(RequestMs);
    QNetworkReply* r = manager.sendCustomRequest(req, verb, body);
    QEventLoop loop;
    QObject::connect(r, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    *reply = r->readAll();
    const bool ok = r->error() == QNetworkReply::NoError;
    delete r;
    return ok;
}

} // namespace vistelle::e2e
