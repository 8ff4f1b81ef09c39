#include "diary/exchange/markdownlines.h"

#include "core/error.h"

#include <QIODevice>

#include <cstring>

namespace vistelle {

namespace {

constexpr qsizetype PieceSize = 256 * 1024;
const QByteArray ByteOrderMark("\xEF\xBB\xBF");

} // namespace

MarkdownLines::MarkdownLines(QIODevice& in) : m_in(in) {}

// Reading stops at the first byte that is not UTF-8; the lines before it are still given
// out, so that a fault earlier in the file is the one reported.
bool MarkdownLines::fill()
{
    if (m_end) return false;
    if (m_pos > 0 && m_pos * 2 >= m_buffer.size()) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    const qsizetype old = m_buffer.size();
    m_buffer.resize(old + PieceSize);
    const qint64 got = m_in.read(m_buffer.data() + old, PieceSize);
    m_buffer.truncate(old + qMax<qint64>(got, 0));
    if (got < 0) raise(QStringLiteral("line %1: %2").arg(m_number + 1).arg(m_in.errorString()));
    if (got == 0) {
        m_end = true;
        if (!m_utf8.complete()) m_bad = m_buffer.size();
        return false;
    }
    const qsizetype bad = m_utf8.check(QByteArrayView(m_buffer.constData() + old, got));
    if (bad >= 0) {
        m_bad = old + bad;
        m_end = true;
    }
    return true;
}

void MarkdownLines::notUtf8(qint64 line) const
{
    raise(QStringLiteral("line %1: not a Vistelle diary export: the file is not UTF-8 text").arg(line));
}

bool MarkdownLines::beginsWith(QByteArrayView prefix)
{
    const qsizetype need = ByteOrderMark.size() + prefix.size();
    while (m_buffer.size() - m_pos < need && fill()) {
    }
    if (m_bad >= 0 && m_bad - m_pos < need) notUtf8(1);
    const QByteArrayView start(m_buffer.constData() + m_pos, m_buffer.size() - m_pos);
    if (!m_started && start.startsWith(ByteOrderMark)) m_pos += ByteOrderMark.size();
    m_started = true;
    return QByteArrayView(m_buffer.constData() + m_pos, m_buffer.size() - m_pos).startsWith(prefix);
}

bool MarkdownLines::next(QByteArrayView& line, bool& crlf, qsizetype limit, bool headingsOnly)
{
    if (!m_started) beginsWith({});
    for (;;) {
        const qsizetype from = m_pos + m_scanned;
        const qsizetype readable = m_bad >= 0 ? m_bad : m_buffer.size();
        const void* lf = from < readable ? std::memchr(m_buffer.constData() + from, '\n', size_t(readable - from)) : nullptr;
        const qsizetype end = lf ? static_cast<const char*>(lf) - m_buffer.constData() : readable;
        // Cut off whether or not its end was read yet, so that how the stream comes in pieces
        // changes nothing.
        const QByteArrayView partial(m_buffer.constData() + m_pos, end - m_pos);
        if (limit >= 0 && partial.size() > limit && (!headingsOnly || partial.startsWith("## "))) {
            line = partial.first(limit);
            crlf = false;
            m_cutOff = true;
            ++m_number;
            return true;
        }
        if (lf) {
            crlf = end > m_pos && m_buffer[end - 1] == '\r';
            line = QByteArrayView(m_buffer.constData() + m_pos, end - m_pos - (crlf ? 1 : 0));
            m_pos = end + 1;
            m_scanned = 0;
            ++m_number;
            return true;
        }
        if (m_bad >= 0) notUtf8(m_number + 1);
        m_scanned = m_buffer.size() - m_pos; // counted from m_pos, which fill may move
        if (!fill()) break;
    }
    if (m_bad >= 0) notUtf8(m_number + 1); // a character cut off at the end
    if (m_pos >= m_buffer.size()) return false;
    line = QByteArrayView(m_buffer.constData() + m_pos, m_buffer.size() - m_pos);
    crlf = false;
    m_pos = m_buffer.size();
    m_scanned = 0;
    ++m_number;
    return true;
}

} // namespace vistelle
