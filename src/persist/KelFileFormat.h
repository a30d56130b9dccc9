#pragma once
// The object file format in one place. Every integer on file is little-endian.
//
//   header      FileType (u32), TablePos (u32: offset of the class table, 0 = none)
//   lists       start marker (u16), entry count N (i16), N × [length (u8), text,
//               object], end marker (u16)
//   object      class reference number (u16, FFFF = none), then the object's bytes,
//               which begin with its version (u16)
//   long string marker (u16), length (i32), bytes
//   class table a list of class names without objects, at TablePos

#include <cstddef>
#include <cstdint>

namespace kelformat {

inline constexpr std::uint32_t kFileType = 0x01267D34; // written by this library
inline constexpr std::uint32_t kAlternateFileType = 0x72F3B2C4; // accepted on reading
inline constexpr std::uint64_t kHeaderSize = 8;
inline constexpr std::uint64_t kTablePosOffset = 4;

inline constexpr std::uint16_t kListStartMarker = 11113; // 69 2B
inline constexpr std::uint16_t kAlternateListStartMarker = 11123; // 73 2B
inline constexpr std::uint16_t kListEndMarker = 11114; // 6A 2B
inline constexpr std::uint16_t kNoObject = 0xFFFF;

inline constexpr std::uint16_t kAnsiStringMarker = 11120; // 70 2B
inline constexpr std::int64_t kMaxAnsiStringLength = 1'000'000'000;

inline constexpr int kMaxListEntries = 32767; // the count is a signed 16-bit number
inline constexpr std::size_t kMaxEntryText = 255; // the length is one byte
inline constexpr std::size_t kMaxClassTableEntries = 65535; // FFFF means "no object"
/// TablePos is read back as a signed offset by older readers: the file stays below 2^31.
inline constexpr std::uint64_t kMaxFileSize = 0x7FFFFFFF;

} // namespace kelformat
