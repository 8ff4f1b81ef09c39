#pragma once
#include <QString>

namespace vistelle {

// Text to integer as the window-state record needs it: optional blanks, an optional sign,
// decimal digits (or "$"/"0x" followed by hex digits); anything else fails with
// "'%s' is not a valid integer value".
int strToInt(const QString& text);
bool tryStrToInt(const QString& text, int& value);

} // namespace vistelle
