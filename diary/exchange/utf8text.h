#pragma once
// UTF-8 as the exchange formats read and write it: a check that runs over a stream in
// pieces, and conversions that keep a leading U+FEFF (Qt's own drop it as a byte order
// mark, but at the start of an entry it is a character of the text).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vistelle {

// Checks UTF-8 piece by piece: a sequence may run on from one piece into the next.
// Overlong forms, surrogates and code points beyond U+10FFFF are errors.
class Utf8Check {
public:
    // The index in piece of the first byte that cannot belong to UTF-8; -1 when none.
    qsizetype check(QByteArrayView piece);
    // Whether the bytes checked so far end on a whole character.
    bool complete() const { return m_need == 0; }

private:
    int m_need = 0;                       // continuation bytes still to come
    unsigned char m_low = 0x80, m_high = 0xBF; // the range of the next continuation byte
};

bool isUtf8(QByteArrayView bytes);

// bytes (valid UTF-8) as text, a leading U+FEFF kept.
QString textOfUtf8(QByteArrayView bytes);

// A stored text (bytes as the diary holds them) in UTF-8: the bytes themselves when they
// are ASCII or UTF-8, otherwise the Windows-1252 text they hold, converted.
QByteArray storedTextAsUtf8(const QByteArray& stored);

// Text read as UTF-8 in the stored form the window gives it (encodeStoredText).
QByteArray storedTextOfUtf8(const QByteArray& utf8);

} // namespace vistelle
