#pragma once
// The ways a desktop session ends a program, turned into one event of the event loop:
// SIGTERM (logout, shutdown), SIGHUP (its terminal closed), SIGINT (Ctrl+C) and the
// session manager's request to save. The signal handler only writes the signal's number
// to a pipe; everything else runs later, on the window thread.

#include <QObject>

namespace vistelle {

class SessionEnd : public QObject {
    Q_OBJECT

public:
    // Installs the handlers; one object per process.
    explicit SessionEnd(QObject* parent = nullptr);
    ~SessionEnd() override;

signals:
    // reason: the signal's name, or "session end".
    void endRequested(const QString& reason);

private:
    void readPipe();
};

} // namespace vistelle
