#pragma once
// A private X server (Xvfb, display number picked by the server itself) with the openbox
// window manager, and the xdotool commands that drive programs in it as a user would:
// find windows by title, click, type, press keys, take screenshots. Every wait polls
// with a deadline, so a loaded machine slows the tests down instead of breaking them.

#include <QList>
#include <functional>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>

namespace vistelle::e2e {

using WindowId = qulonglong;

class XSession {
public:
    XSession() = default;
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Starts the server and the window manager; false with a reason when either fails.
    bool start(QString* error);
    QString display() const { return m_display; }
    // DISPLAY set; the caller adds HOME and the rest.
    QProcessEnvironment environment() const;

    // Visible windows whose title matches the extended regular expression (whole title:
    // anchor it), newest last.
    QList<WindowId> findWindows(const QString& titleRegex) const;
    // The first matching window within the timeout, 0 when none appeared.
    WindowId waitForWindow(const QString& titleRegex, int timeoutMs) const;
    bool waitForNoWindow(const QString& titleRegex, int timeoutMs) const;
    QString title(WindowId window) const;
    QRect geometry(WindowId window) const; // client area in root coordinates
    // The client area with the window manager's frame around it (_NET_FRAME_EXTENTS).
    QRect frameGeometry(WindowId window) const;
    // Replaces the server's resource database (as xrdb does); empty text removes it.
    // Programs read it when they start, Xft.dpi among it.
    bool setResources(const QString& text) const;
    bool isViewable(WindowId window) const;

    // Gives the window the input focus through the window manager and waits for it.
    bool activate(WindowId window, int timeoutMs = 10000) const;
    WindowId activeWindow() const;
    WindowId focusWindow() const;
    void click(WindowId window, QPoint clientPos, int button = 1, const QString& modifier = {}) const;
    // Presses at from, moves in steps to to and releases there, holding the modifier key.
    void drag(WindowId window, QPoint from, QPoint to, const QString& modifier) const;
    void moveMouse(WindowId window, QPoint clientPos) const;
    // Types printable text; line breaks must be sent as keys (Return), not typed.
    void type(const QString& text) const;
    void key(const QString& keys) const;

    bool screenshot(const QString& pngPath) const;
    // Stops and continues the window manager, as a busy one is for a while: windows shown
    // meanwhile are framed and placed only when it goes on.
    void stopWindowManager(bool stop) const;

    // Runs xdotool; its standard output, trimmed.
    QString xdotool(const QStringList& args, int* exitCode = nullptr) const;

private:
    bool waitForWindowManager(int timeoutMs) const;
    QString run(const QString& program, const QStringList& args, int* exitCode = nullptr) const;

    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
};

// The process is killed when the test ends, also when the test itself is killed (a
// time-out), so no server or program outlives it.
void endWithParent(QProcess& process);

// Polls check every 50 ms until it returns true or timeoutMs has passed.
bool waitUntil(const std::function<bool()>& check, int timeoutMs);

} // namespace vistelle::e2e
