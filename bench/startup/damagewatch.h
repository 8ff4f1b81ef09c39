#pragma once
// Watches what is drawn on an X server's screen: every drawing the server performs on the
// root window or any window inside it (the DAMAGE extension, raw rectangles), and every
// top-level window that is mapped. Times are on the monotonic clock, in milliseconds: a
// drawing carries the server's own time of it, a mapping the time its report arrived.

#include <QRect>
#include <QString>

struct xcb_connection_t;

double monotonicMs();

struct ScreenEvent {
    enum Kind { Drawing, Mapped } kind = Drawing;
    double at = 0;
    QRect area; // the rectangle drawn, or the mapped window's bounds
};

class DamageWatch {
public:
    explicit DamageWatch(const QString& display);
    ~DamageWatch();
    DamageWatch(const DamageWatch&) = delete;
    DamageWatch& operator=(const DamageWatch&) = delete;

    // Empty when the watch is in place.
    QString error() const { return m_error; }
    // The next event, waiting at most until the monotonic time `deadline`; false when none came.
    bool next(double deadline, ScreenEvent& event);
    // Drops every event that has arrived.
    void drain();

private:
    bool translate(void* generic, ScreenEvent& event);

    xcb_connection_t* m_connection = nullptr;
    quint32 m_root = 0;
    int m_damageEvent = -1;
    QString m_error;
};
