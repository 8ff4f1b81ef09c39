#include "platform/sessionend.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vistelle {

namespace {

int pipeEnds[2] = {-1, -1};
const int Signals[] = {SIGTERM, SIGHUP, SIGINT};

extern "C" void onSignal(int number)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t n = ::write(pipeEnds[0], &byte, 1);
    errno = saved;
}

QString nameOf(int number)
{
    switch (number) {
    case SIGTERM: return QStringLiteral("SIGTERM");
    case SIGHUP: return QStringLiteral("SIGHUP");
    case SIGINT: return QStringLiteral("SIGINT");
    default: return QStringLiteral("signal %1").arg(number);
    }
}

} // namespace

SessionEnd::SessionEnd(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeEnds) != 0) return;
    auto* notifier = new QSocketNotifier(qintptr(pipeEnds[1]), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { readPipe(); });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : Signals) ::sigaction(number, &action, nullptr);
#ifndef QT_NO_SESSIONMANAGER
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
            emit endRequested(QStringLiteral("session end"));
        }, Qt::DirectConnection);
    }
#endif
}

SessionEnd::~SessionEnd()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int number : Signals) ::sigaction(number, &action, nullptr);
    for (int& fd : pipeEnds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void SessionEnd::readPipe()
{
    unsigned char byte;
    while (::read(pipeEnds[1], &byte, 1) == 1) emit endRequested(nameOf(byte));
}

} // namespace vistelle
