#include "xsession.h"

#include <QElapsedTimer>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace vistelle::e2e {

namespace {

constexpr int ServerStartMs = 30000;
constexpr int CommandMs = 30000;

} // namespace

void endWithParent(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

bool waitUntil(const std::function<bool()>& check, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (check()) return true;
        if (clock.elapsed() >= timeoutMs) return false;
        QThread::msleep(50);
    }
}

XSession::~XSession()
{
    for (QProcess* p : {&m_windowManager, &m_server}) {
        if (p->state() == QProcess::NotRunning) continue;
        p->terminate();
        if (!p->waitForFinished(5000)) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
}

bool XSession::start(QString* error)
{
    // -displayfd 1: the server picks a free display and writes its number to stdout
    // once it accepts connections.
    m_server.setStandardErrorFile(QProcess::nullDevice());
    endWithParent(m_server);
    m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                           QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                           QStringLiteral("tcp"), QStringLiteral("-ac"), QStringLiteral("-noreset")});
    if (!m_server.waitForStarted(ServerStartMs)) {
        *error = QStringLiteral("Xvfb did not start: ") + m_server.errorString();
        return false;
    }
    QByteArray out;
    const bool announced = waitUntil(
        [&] {
            m_server.waitForReadyRead(100);
            out += m_server.readAllStandardOutput();
            return out.contains('\n') || m_server.state() == QProcess::NotRunning;
        },
        ServerStartMs);
    if (!announced || !out.contains('\n')) {
        *error = QStringLiteral("Xvfb announced no display");
        return false;
    }
    m_display = QStringLiteral(":") + QString::fromLatin1(out.trimmed());

    QProcessEnvironment env = environment();
    m_windowManager.setProcessEnvironment(env);
    m_windowManager.setStandardOutputFile(QProcess::nullDevice());
    m_windowManager.setStandardErrorFile(QProcess::nullDevice());
    endWithParent(m_windowManager);
    m_windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!m_windowManager.waitForStarted(ServerStartMs) || !waitForWindowManager(ServerStartMs)) {
        *error = QStringLiteral("openbox did not start on ") + m_display;
        return false;
    }
    return true;
}

QProcessEnvironment XSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("XAUTHORITY"));
    return env;
}

bool XSession::waitForWindowManager(int timeoutMs) const
{
    return waitUntil(
        [this] {
            return run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QLatin1String("window id"));
        },
        timeoutMs);
}

QString XSession::run(const QString& program, const QStringList& args, int* exitCode) const
{
    QProcess p;
    p.setProcessEnvironment(environment());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForFinished(CommandMs)) {
        p.kill();
        p.waitForFinished();
        if (exitCode) *exitCode = -1;
        return {};
    }
    if (exitCode) *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

QString XSession::xdotool(const QStringList& args, int* exitCode) const
{
    return run(QStringLiteral("xdotool"), args, exitCode);
}

QList<WindowId> XSession::findWindows(const QString& titleRegex) const
{
    QList<WindowId> ids;
    const QString out = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), titleRegex});
    for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts)) {
        bool ok = false;
        const WindowId id = line.trimmed().toULongLong(&ok);
        if (ok) ids << id;
    }
    return ids;
}

WindowId XSession::waitForWindow(const QString& titleRegex, int timeoutMs) const
{
    WindowId found = 0;
    waitUntil(
        [&] {
            const QList<WindowId> ids = findWindows(titleRegex);
            if (!ids.isEmpty()) found = ids.last();
            return found != 0;
        },
        timeoutMs);
    return found;
}

bool XSession::waitForNoWindow(const QString& titleRegex, int timeoutMs) const
{
    return waitUntil([&] { return findWindows(titleRegex).isEmpty(); }, timeoutMs);
}

QString XSession::title(WindowId window) const
{
    return xdotool({QStringLiteral("getwindowname"), QString::number(window)});
}

QRect XSession::geometry(WindowId window) const
{
    const QString out = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(window)});
    QRect r;
    for (const QString& line : out.split(u'\n')) {
        const QString key = line.section(u'=', 0, 0), value = line.section(u'=', 1);
        if (key == QLatin1String("X")) r.moveLeft(value.toInt());
        else if (key == QLatin1String("Y")) r.moveTop(value.toInt());
        else if (key == QLatin1String("WIDTH")) r.setWidth(value.toInt());
        else if (key == QLatin1String("HEIGHT")) r.setHeight(value.toInt());
    }
    return r;
}

QRect XSession::frameGeometry(WindowId window) const
{
    // xwininfo's absolute place of the client area: xdotool's counts the frame's offset twice.
    QRect client;
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    for (const QString& line : info.split(u'\n')) {
        const QString key = line.section(u':', 0, 0).trimmed(), value = line.section(u':', 1).trimmed();
        if (key == QLatin1String("Absolute upper-left X")) client.moveLeft(value.toInt());
        else if (key == QLatin1String("Absolute upper-left Y")) client.moveTop(value.toInt());
        else if (key == QLatin1String("Width")) client.setWidth(value.toInt());
        else if (key == QLatin1String("Height")) client.setHeight(value.toInt());
    }
    const QString out = run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_FRAME_EXTENTS")});
    const QStringList extents = out.section(u'=', 1).split(u',', Qt::SkipEmptyParts);
    if (extents.size() != 4) return client;
    // left, right, top, bottom
    return client.adjusted(-extents[0].trimmed().toInt(), -extents[2].trimmed().toInt(), extents[1].trimmed().toInt(),
                           extents[3].trimmed().toInt());
}

bool XSession::setResources(const QString& text) const
{
    int code = -1;
    const QString property = QStringLiteral("RESOURCE_MANAGER");
    if (text.isEmpty()) run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-remove"), property}, &code);
    else
        run(QStringLiteral("xprop"),
            {QStringLiteral("-root"), QStringLiteral("-f"), property, QStringLiteral("8s"), QStringLiteral("-set"), property, text}, &code);
    return code == 0;
}

bool XSession::isViewable(WindowId window) const
{
    return run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)})
        .contains(QLatin1String("IsViewable"));
}

WindowId XSession::activeWindow() const
{
    return xdotool({QStringLiteral("getactivewindow")}).toULongLong();
}

WindowId XSession::focusWindow() const
{
    return xdotool({QStringLiteral("getwindowfocus")}).toULongLong();
}

// Active for the window manager and holding the keyboard focus: the window manager's own
// key bindings act on the focused window.
bool XSession::activate(WindowId window, int timeoutMs) const
{
    return waitUntil(
        [&] {
            if (activeWindow() == window && focusWindow() == window) return true;
            xdotool({QStringLiteral("windowactivate"), QString::number(window)});
            QThread::msleep(100);
            return activeWindow() == window && focusWindow() == window;
        },
        timeoutMs);
}

void XSession::moveMouse(WindowId window, QPoint clientPos) const
{
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(window), QString::number(clientPos.x()),
             QString::number(clientPos.y())});
}

void XSession::click(WindowId window, QPoint clientPos, int button, const QString& modifier) const
{
    moveMouse(window, clientPos);
    QThread::msleep(50);
    if (!modifier.isEmpty()) xdotool({QStringLiteral("keydown"), modifier});
    xdotool({QStringLiteral("click"), QString::number(button)});
    if (!modifier.isEmpty()) xdotool({QStringLiteral("keyup"), modifier});
}

void XSession::drag(WindowId window, QPoint from, QPoint to, const QString& modifier) const
{
    moveMouse(window, from);
    QThread::msleep(50);
    if (!modifier.isEmpty()) xdotool({QStringLiteral("keydown"), modifier});
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    QThread::msleep(300);
    constexpr int Steps = 8;
    for (int i = 1; i <= Steps; ++i) {
        moveMouse(window, from + (to - from) * i / Steps + QPoint(0, i % 2));
        QThread::msleep(60);
    }
    moveMouse(window, to);
    QThread::msleep(200);
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    if (!modifier.isEmpty()) xdotool({QStringLiteral("keyup"), modifier});
}

void XSession::type(const QString& text) const
{
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("--"), text});
}

void XSession::key(const QString& keys) const
{
    QStringList args{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("--")};
    args += keys.split(u' ', Qt::SkipEmptyParts);
    xdotool(args);
}

void XSession::stopWindowManager(bool stop) const
{
    const pid_t pid = pid_t(m_windowManager.processId());
    if (pid > 0) ::kill(pid, stop ? SIGSTOP : SIGCONT);
}

bool XSession::screenshot(const QString& pngPath) const
{
    int code = -1;
    run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), pngPath}, &code);
    return code == 0;
}

} // namespace vistelle::e2e
