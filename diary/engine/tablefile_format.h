#pragma once
// Layout constants of the table image, shared by TableReader and TableWriter.
// tablefile_format.md beside this file describes the layout with a worked example.

#include "diary/engine/fieldtypes.h"

#include <QByteArray>

namespace vistelle::tablefile {

inline constexpr int HeaderSize = 17;          // length, marker, R, F, L
inline constexpr int MarkerOffset = 4;
inline constexpr int RecordCountOffset = 5;
inline constexpr char TableMarker = 'S';
inline constexpr char ErrorMarker = 'E';
inline constexpr char NotesMarker = '*';
inline constexpr char DescriptorEnd = 0x12;
inline constexpr char SectionEnd = 0x14;
inline constexpr char NameBlankReplacement = '_';
inline constexpr char TypeSeparator = ' ';
inline constexpr char PrefixSeparator = '.';
inline constexpr const char* WrittenPrefix = "XXX";
inline constexpr int SmallStrMaxSize = 35;     // larger strings are written as 's' + size
inline constexpr int DefaultStringSize = 100;  // 's' without digits
inline constexpr int VariableMapEntry = 4;     // map entry of a present String or BLOB value
inline constexpr qint32 MaxStringLength = 8191;
inline constexpr qint32 MaxBlobLength = 1073741823;
inline constexpr int MaxRowWidth = 65535;
inline constexpr qint64 MaxListCapacity = 134217727; // the largest row list that can be reserved
inline constexpr double MSecsPerDay = 86400000.0;
inline constexpr double StoredDateDelta = 693594.0;  // days from 31 December of year 0 to 30 December 1899

// Reasons a table image is refused.
inline constexpr const char* MsgCorruption = "Buffer structure corruption!";
inline constexpr const char* MsgDescriptorSection = "Error in buffer structure (field description section)";
inline constexpr const char* MsgUnexpectedEnd = "Unexpected end of buffer";
inline constexpr const char* MsgWrongLength = "Field '%s' has wrong length %d in record %d";
inline constexpr const char* MsgWrongStringLength = "String field '%s' has wrong length %d in record %d";
inline constexpr const char* MsgWrongBlobLength = "BLOB field '%s' has wrong length %d in record %d";
inline constexpr const char* MsgRecordCount = "Number of records read (%d) does not match declared record count (%d)";
inline constexpr const char* MsgListCapacity = "List capacity out of bounds (%d)";

// Type letters; SmallStr uses a size code instead ('0'-'9', 'A'-'Z').
char typeLetter(EngineType t);
EngineType typeOfLetter(char letter); // Unknown for a size code

// Bytes a fixed-size type occupies in a row image and at most in a row of the file.
int fixedWidth(EngineType t);

} // namespace vistelle::tablefile
