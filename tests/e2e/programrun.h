#pragma once
// One run of the real program in an X session: started in a given working folder with
// a private HOME, its main window found by title, closed the way the title bar's close
// button closes it (the window manager's WM_DELETE_WINDOW, here through alt+F4), or
// killed.

#include "mainwindowmap.h"
#include "xsession.h"

#include <QProcess>
#include <QString>

namespace vistelle::e2e {

// Titles as extended regular expressions for xdotool.
inline const QString MainTitle = QStringLiteral("^The Korvo Group 2009 e-Calendar {13}\\[");
inline const QString ErrorBoxTitle = QStringLiteral("^The Korvo Group 2009 e-Calendar$");
inline const QString ConfirmTitle = QStringLiteral("^Confirm$");
inline const QString SlideshowTitle = QStringLiteral("^Wallpaper$");

class ProgramRun {
public:
    ProgramRun(const XSession& x, const QString& program, const QString& workDir, const QString& home);
    ~ProgramRun();

    bool start();
    // The main window once it is shown, active and no longer moving; 0 on time-out.
    WindowId waitForMainWindow(int timeoutMs = 60000);
    WindowId mainWindow() const { return m_main; }
    QRect mainGeometry() const { return m_x.geometry(m_main); }
    MainWindowMap map() const { return MainWindowMap(mainGeometry().size()); }

    // Acts on the main window (activating it first).
    void click(QPoint clientPos, int button = 1, const QString& modifier = {});
    void type(const QString& text);
    void key(const QString& keys);
    // Asks the main window to close, as the title bar's close button does, and repeats the
    // request when nothing came of it (the program still running, its window still there,
    // no box shown). sendCloseOnce sends one request and returns at once.
    void requestClose();
    void sendCloseOnce();

    bool waitForExit(int timeoutMs = 60000);
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    void kill();
    qint64 pid() const { return m_process.processId(); }
    int exitCode() const { return m_process.exitCode(); }
    bool crashed() const { return m_process.exitStatus() == QProcess::CrashExit; }
    QString errorOutput() const;

private:
    bool settled(WindowId window) const;

    const XSession& m_x;
    QString m_program;
    QString m_workDir;
    QString m_home;
    QProcess m_process;
    WindowId m_main = 0;
};

} // namespace vistelle::e2e
