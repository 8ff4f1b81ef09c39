#pragma once
// One Syncthing instance on the loopback, as a second computer's sync tool: its own home
// (keys, configuration, database), its GUI and REST API on 127.0.0.1 with an API key, and
// its sync listener on tcp://127.0.0.1. Discovery, relays, NAT traversal, usage and crash
// reporting and upgrades are off, so it talks to nothing but its peers on the loopback.
// Peers and the shared folder are added through the REST API.

#include <QJsonObject>
#include <QProcess>
#include <QString>

namespace vistelle::e2e {

class SyncthingInstance {
public:
    explicit SyncthingInstance(const QString& home);
    ~SyncthingInstance();
    SyncthingInstance(const SyncthingInstance&) = delete;
    SyncthingInstance& operator=(const SyncthingInstance&) = delete;

    // Generates keys and configuration, starts the instance and waits until its API
    // answers; false with a reason otherwise.
    bool start(QString* error);
    void stop();

    QString deviceId() const { return m_deviceId; }
    QString listenAddress() const;

    // Adds the peer. A dialling instance reaches it at its listen address; the other only
    // answers: two instances dialling each other at once can both wait out the handshake's
    // time-out (20 s) before they connect.
    bool addPeer(const SyncthingInstance& peer, const QString& name, bool dial);
    // Adds a send-receive folder shared with the peer, watched with a one-second delay.
    bool shareFolder(const QString& folderId, const QString& path, const SyncthingInstance& peer);
    bool setFolderPaused(const QString& folderId, bool paused);
    // Paused in the configuration and no longer run (its state reads empty then).
    bool folderPaused(const QString& folderId) const;

    bool connectedTo(const SyncthingInstance& peer) const;
    // Nothing to scan or pull here, and the peer has everything this instance has.
    bool idleAndComplete(const QString& folderId, const SyncthingInstance& peer) const;
    QString log() const;

    // The REST API: the reply's JSON object, empty on any failure.
    QJsonObject get(const QString& pathAndQuery) const;
    bool send(const QByteArray& verb, const QString& path, const QJsonObject& body) const;

private:
    bool request(const QByteArray& verb, const QString& pathAndQuery, const QByteArray& body, QByteArray* reply) const;

    QString m_home;
    QString m_apiKey;
    quint16 m_guiPort = 0;
    quint16 m_listenPort = 0;
    QString m_deviceId;
    QProcess m_process;
};

// A TCP port on 127.0.0.1 that was free a moment ago.
quint16 freeLoopbackPort();

} // namespace vistelle::e2e
