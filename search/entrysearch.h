#pragma once
// The search's test of one diary entry. The entry is read as its stored bytes decode
// (decodeStoredText), folded to lower case one character at a time (foldLower) and
// searched for the folded needle; positions are in characters of the entry. An entry
// whose bytes are all ASCII decodes to the same characters either way and folds by
// ASCII's own rule, so it is searched where it lies, without decoding or copying; any
// other entry takes the full way.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vistelle {

class EntrySearch {
public:
    // `needle`: the search text already folded, not empty.
    explicit EntrySearch(const QString& needle);

    qsizetype needleLength() const { return m_needle.size(); }

    // The first occurrence at or after character `from` of the entry stored as `stored`;
    // -1 when there is none.
    qsizetype indexIn(QByteArrayView stored, qsizetype from = 0) const;

private:
    QString m_needle;
    QByteArray m_asciiNeedle; // empty when the needle holds a character beyond ASCII
};

// A helper of the ASCII way, exposed for its tests: the first position at or after `from`
// where `needle` (ASCII, no capital letters) occurs in `text` read with A-Z as a-z; -1 when
// none.
qsizetype indexOfAsciiFolded(QByteArrayView text, QByteArrayView needle, qsizetype from);

} // namespace vistelle
