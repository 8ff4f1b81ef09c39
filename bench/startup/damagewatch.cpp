#include "damagewatch.h"

#include <X11/extensions/damagewire.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/uio.h>

double monotonicMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

namespace {

xcb_extension_t damageExtension = {DAMAGE_NAME, 0};

// Sends one request of the extension whose body (header included) is `bytes` long;
// xcb fills in the opcodes and the length.
unsigned sendDamageRequest(xcb_connection_t* c, quint8 opcode, void* body, size_t bytes, bool hasReply)
{
    iovec parts[3];
    parts[2].iov_base = body;
    parts[2].iov_len = bytes;
    const xcb_protocol_request_t request = {1, &damageExtension, opcode, quint8(hasReply ? 0 : 1)};
    return xcb_send_request(c, hasReply ? XCB_REQUEST_CHECKED : 0, parts + 2, &request);
}

// The wire layout of DamageNotify: type, level, sequence, drawable, damage, timestamp,
// then the damaged area and the drawable's geometry as x, y, width, height.
struct DamageNotifyWire {
    quint8 type, level;
    quint16 sequence;
    quint32 drawable, damage, timestamp;
    qint16 x, y;
    quint16 width, height;
    qint16 gx, gy;
    quint16 gwidth, gheight;
};
static_assert(sizeof(DamageNotifyWire) == 32);

} // namespace

DamageWatch::DamageWatch(const QString& display)
{
    int screenNumber = 0;
    m_connection = xcb_connect(display.toLocal8Bit().constData(), &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        m_error = QStringLiteral("cannot connect to ") + display;
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
    m_root = screens.data->root;

    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(m_connection, &damageExtension);
    if (!ext || !ext->present) {
        m_error = QStringLiteral("the X server has no DAMAGE extension");
        return;
    }
    m_damageEvent = ext->first_event + XDamageNotify;

    // The server accepts damage requests only from a client that told its version.
    quint32 version[3] = {0, DAMAGE_MAJOR, DAMAGE_MINOR};
    const unsigned cookie = sendDamageRequest(m_connection, X_DamageQueryVersion, version, sizeof version, true);
    xcb_generic_error_t* failure = nullptr;
    std::free(xcb_wait_for_reply(m_connection, cookie, &failure));
    if (failure) {
        std::free(failure);
        m_error = QStringLiteral("DAMAGE version query failed");
        return;
    }

    // Damage on the root window covers every window drawn inside it.
    quint32 create[4] = {0, xcb_generate_id(m_connection), m_root, XDamageReportRawRectangles};
    sendDamageRequest(m_connection, X_DamageCreate, create, sizeof create, false);
    const quint32 mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);
}

DamageWatch::~DamageWatch()
{
    if (m_connection) xcb_disconnect(m_connection);
}

bool DamageWatch::translate(void* generic, ScreenEvent& event)
{
    const auto* e = static_cast<xcb_generic_event_t*>(generic);
    const int type = e->response_type & 0x7f;
    if (type == m_damageEvent) {
        DamageNotifyWire wire;
        std::memcpy(&wire, e, sizeof wire);
        // The server's timestamp is its monotonic clock in milliseconds, modulo 2^32: the
        // time of the drawing itself, however late the report is read.
        const double now = monotonicMs();
        const quint32 age = quint32(quint64(now)) - wire.timestamp;
        event = {ScreenEvent::Drawing, now - (age < 60000 ? double(age) : 0.0), QRect(wire.x, wire.y, wire.width, wire.height)};
        return true;
    }
    if (type == XCB_MAP_NOTIFY) {
        const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(e);
        event = {ScreenEvent::Mapped, monotonicMs(), {}};
        xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, map->window), nullptr);
        if (g) event.area = QRect(g->x, g->y, g->width, g->height);
        std::free(g);
        return true;
    }
    return false;
}

bool DamageWatch::next(double deadline, ScreenEvent& event)
{
    for (;;) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(m_connection)) {
            const bool known = translate(e, event);
            std::free(e);
            if (known) return true;
        }
        const double left = deadline - monotonicMs();
        if (left <= 0 || xcb_connection_has_error(m_connection)) return false;
        pollfd fd = {xcb_get_file_descriptor(m_connection), POLLIN, 0};
        poll(&fd, 1, int(left) + 1);
    }
}

void DamageWatch::drain()
{
    xcb_flush(m_connection);
    while (xcb_generic_event_t* e = xcb_poll_for_event(m_connection)) std::free(e);
}
