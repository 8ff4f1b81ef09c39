#include "programrun.h"

#include <QDir>
#include <QFile>
#include <QThread>

namespace vistelle::e2e {

ProgramRun::ProgramRun(const XSession& x, const QString& program, const QString& workDir, const QString& home)
    : m_x(x), m_program(program), m_workDir(workDir), m_home(home)
{
}

ProgramRun::~ProgramRun() { kill(); }

bool ProgramRun::start()
{
    QDir().mkpath(m_home + QStringLiteral("/runtime"));
    QFile::setPermissions(m_home + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = m_x.environment();
    env.insert(QStringLiteral("HOME"), m_home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(m_workDir);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    // A file, not a pipe: nobody reads a pipe while the test waits on the window system.
    m_process.setStandardErrorFile(m_home + QStringLiteral("/stderr.txt"));
    endWithParent(m_process);
    m_process.start(m_program, {});
    return m_process.waitForStarted(30000);
}

bool ProgramRun::settled(WindowId window) const
{
    const QRect before = m_x.geometry(window);
    QThread::msleep(250);
    return before.isValid() && m_x.geometry(window) == before;
}

WindowId ProgramRun::waitForMainWindow(int timeoutMs)
{
    m_main = 0;
    waitUntil(
        [&] {
            if (!running()) return true;
            m_main = m_x.waitForWindow(MainTitle, 100);
            return m_main != 0;
        },
        timeoutMs);
    if (!m_main) return 0;
    if (!waitUntil([&] { return settled(m_main); }, timeoutMs)) return 0;
    return m_main;
}

void ProgramRun::click(QPoint clientPos, int button, const QString& modifier)
{
    m_x.activate(m_main);
    m_x.click(m_main, clientPos, button, modifier);
}

void ProgramRun::type(const QString& text)
{
    m_x.activate(m_main);
    m_x.type(text);
}

void ProgramRun::key(const QString& keys)
{
    m_x.activate(m_main);
    m_x.key(keys);
}

void ProgramRun::sendCloseOnce()
{
    m_x.activate(m_main);
    m_x.key(QStringLiteral("alt+F4"));
}

void ProgramRun::requestClose()
{
    constexpr int Attempts = 5;
    for (int i = 0; i < Attempts; ++i) {
        sendCloseOnce();
        const bool answered = waitUntil(
            [&] {
                return !running() || !m_x.findWindows(MainTitle).contains(m_main) ||
                       !m_x.findWindows(ConfirmTitle).isEmpty() || !m_x.findWindows(ErrorBoxTitle).isEmpty();
            },
            3000);
        if (answered) return;
        qWarning("the close request was not taken up; sending it again");
    }
}

bool ProgramRun::waitForExit(int timeoutMs)
{
    return !running() || m_process.waitForFinished(timeoutMs);
}

void ProgramRun::kill()
{
    if (!running()) return;
    m_process.kill();
    m_process.waitForFinished(10000);
}

QString ProgramRun::errorOutput() const
{
    QFile f(m_home + QStringLiteral("/stderr.txt"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
}

} // namespace vistelle::e2e
