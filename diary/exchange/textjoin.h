#pragma once
// The one rule that joins two texts of a date, wherever they meet: the window's merge of a
// changed diary.dat, conflict copies of sync tools, the journal of entries not yet seen
// elsewhere, and the command line's merge and import.
//
// A text is a list of pieces: the parts between separator lines ("----- other copy -----",
// "----- imported -----"). Pieces are compared with line breaks normalised and trailing
// white space ignored, and a piece that is the start of another counts as held by the
// longer one. Joining theirs into ours keeps ours and adds each piece of theirs that ours
// does not hold; a piece of theirs that continues one of ours replaces it. Joining is
// idempotent and settles: after A into B and B into A both hold the same pieces.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vistelle {

// The separator lines that part the pieces of a text.
QString otherCopySeparator();   // "----- other copy -----"
QString importedSeparator();    // "----- imported -----"

// The pieces of a stored text, each in its comparable form (LF line breaks, no trailing
// white space on any line, no blank lines at the end).
QStringList textPieces(const QByteArray& stored);

// Theirs joined into ours (stored bytes both): ours exactly as it was when it already holds
// every piece of theirs, otherwise ours with the missing pieces added after it, each after
// CR LF, the separator line and CR LF, and with those of its pieces that a piece of theirs
// continues replaced by it.
QByteArray joinTexts(const QByteArray& ours, const QString& separatorLine, const QByteArray& theirs);

// Whether ours holds every piece of theirs (joining theirs would change nothing).
bool holdsText(const QByteArray& ours, const QByteArray& theirs);

// Whether both hold the same pieces, in any order.
bool sameText(const QByteArray& a, const QByteArray& b);

} // namespace vistelle
