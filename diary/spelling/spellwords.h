#pragma once
// Which parts of a text are words to look up in the spelling dictionary. Text is cut
// into runs of letters and digits (an apostrophe between two of them belongs to the
// word: "don't"); a hyphen or any other character separates words. Not looked up:
// numbers and words holding a digit, words without a small letter (all capitals,
// "NASA"), and web and e-mail addresses as a whole.

#include <QList>
#include <QStringView>
#include <optional>

namespace vistelle {

struct WordRange {
    int start = 0;
    int length = 0;
    int end() const { return start + length; }
    bool operator==(const WordRange&) const = default;
};

QList<WordRange> wordsToCheck(QStringView text);

// The word to look up that holds position (its end included), if any.
std::optional<WordRange> wordToCheckAt(QStringView text, int position);

} // namespace vistelle
