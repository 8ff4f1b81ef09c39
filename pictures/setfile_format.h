#pragma once
// Constants of the picture set file, a tagged component stream (setfile_format.md).
// Shared by setfilereader.cpp and setfilewriter.cpp.

#include <QByteArray>

namespace vistelle::setfile {

inline constexpr char kSignature[] = "TPF0";
inline constexpr int kSignatureSize = 4;
inline constexpr char kListClass[] = "TLMDGraphicList";
inline constexpr char kItemClass[] = "TLMDGraphicListItem";
inline constexpr int kMaxClassName = 63; // class names in picture payloads are cut to this

// A byte 0xF0 … 0xFF before the class name holds flags; with kPrefixHasIndex set an
// integer value follows it.
inline constexpr quint8 kPrefixMask = 0xF0;
inline constexpr quint8 kPrefixHasIndex = 0x02;

enum Tag : quint8 {
    kNull = 0x00, // end of a list
    kList = 0x01,
    kInt8 = 0x02,
    kInt16 = 0x03,
    kInt32 = 0x04,
    kExtended = 0x05,
    kString = 0x06,
    kIdent = 0x07,
    kFalse = 0x08,
    kTrue = 0x09,
    kBinary = 0x0A,
    kSet = 0x0B,
    kLString = 0x0C,
    kNil = 0x0D,
    kCollection = 0x0E,
    kSingle = 0x0F,
    kCurrency = 0x10,
    kDate = 0x11,
    kWString = 0x12,
    kInt64 = 0x13,
    kUtf8String = 0x14,
};

inline constexpr int kMaxShortString = 255;

} // namespace vistelle::setfile
