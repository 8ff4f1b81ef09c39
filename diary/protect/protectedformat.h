#pragma once
// Offsets, sizes and limits of the protected form of diary.dat, shared by its reader and
// writer (protectedfile.cpp); the layout is drawn in protectedfile_format.md.

#include <QByteArrayView>
#include <cstdint>

namespace vistelle::protect {

inline constexpr char Magic[] = {'V', 'S', 'D', '\xE2', 'p', 'w', '\r', '\n'};
inline constexpr int MagicSize = 8;
inline constexpr quint16 FormatVersion = 1;

inline constexpr int VersionAt = 8;
inline constexpr int OpsLimitAt = 10;
inline constexpr int MemLimitAt = 14;
inline constexpr int SaltAt = 18;
inline constexpr int SaltSize = 16;
inline constexpr int KeyCheckAt = 34;
inline constexpr int KeyCheckSize = 16;
inline constexpr int NonceAt = 50;
inline constexpr int NonceSize = 24;
inline constexpr int ChecksumAt = 74;
inline constexpr int ChecksumSize = 16;
inline constexpr int HeaderSize = 90;
inline constexpr int TagSize = 16;
inline constexpr int KeySize = 32;

// Bounds on what a header may ask of the key derivation.
inline constexpr quint32 MinOpsLimit = 1;
inline constexpr quint32 MaxOpsLimit = 16;
inline constexpr quint32 MinMemLimitKiB = 8;
inline constexpr quint32 MaxMemLimitKiB = 512 * 1024;

inline constexpr char KeyCheckText[] = "Vistelle key check";

} // namespace vistelle::protect
