#pragma once
// The lines of a Markdown export read from a stream, a piece at a time: each line ends in
// LF or CR LF, the last may end without either. The bytes are checked as UTF-8 as they
// arrive and reading stops at the first bad byte, which is reported when the line that
// holds it is reached (a fault in an earlier line comes first); only the line being read
// is held, so that memory stays within a few pieces plus the longest line.

#include "diary/exchange/utf8text.h"

#include <QByteArray>

class QIODevice;

namespace vistelle {

class MarkdownLines {
public:
    explicit MarkdownLines(QIODevice& in);

    // Whether the stream begins with prefix, a leading U+FEFF passed over; reads no more
    // than it needs to tell.
    bool beginsWith(QByteArrayView prefix);

    // The next line without its line break, and whether the break was CR LF; false at the
    // end. The view holds until the next call. Throws "line N: …" at a byte that is not
    // UTF-8 or when the stream fails.
    // With headingsOnly false, every line is cut off after limit bytes; with it true, only
    // a line that begins with "## ". A line cut off ends the read: cutOff() tells.
    bool next(QByteArrayView& line, bool& crlf, qsizetype limit = -1, bool headingsOnly = false);
    bool cutOff() const { return m_cutOff; }

    // The number of the line last returned, from 1.
    qint64 number() const { return m_number; }

private:
    bool fill(); // appends a piece; false at the end
    [[noreturn]] void notUtf8(qint64 line) const;

    QIODevice& m_in;
    QByteArray m_buffer;
    qsizetype m_pos = 0;     // the start of the next line in m_buffer
    qsizetype m_scanned = 0; // the bytes from m_pos on known to hold no LF
    qint64 m_number = 0;
    qsizetype m_bad = -1;    // the first byte that is not UTF-8, once read
    bool m_end = false;
    bool m_cutOff = false;
    bool m_started = false; // a leading U+FEFF passed over
    Utf8Check m_utf8;
};

} // namespace vistelle
