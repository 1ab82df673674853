// The few pieces of the Windows metafile format that page files use. All
// numbers are little-endian; record sizes count 16-bit words and include
// the six-byte record prefix (size, function).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vortel::wmf {

inline constexpr std::uint16_t record_eof = 0x0000;
inline constexpr std::uint16_t record_set_bk_mode = 0x0102;
inline constexpr std::uint16_t record_set_text_color = 0x0209;
inline constexpr std::uint16_t record_select_object = 0x012D;
inline constexpr std::uint16_t record_delete_object = 0x01F0;
inline constexpr std::uint16_t record_create_font_indirect = 0x02FB;
inline constexpr std::uint16_t record_text_out = 0x0521;
inline constexpr std::uint16_t record_ext_text_out = 0x0A32;

inline constexpr std::size_t header_bytes = 18;
inline constexpr std::uint16_t header_words = 9;
inline constexpr std::uint16_t disk_metafile = 2;
inline constexpr std::uint16_t version_3 = 0x0300;
inline constexpr std::size_t record_prefix_bytes = 6;
// Logical-font fields before the face name, and the face name's room.
inline constexpr std::size_t font_fixed_bytes = 18;
inline constexpr std::size_t face_bytes = 32;
// Extended text output carries a clip rectangle when either bit is set.
inline constexpr std::uint16_t eto_opaque_or_clipped = 0x0006;

inline void put16(unsigned char* at, std::uint16_t value)
{
    at[0] = static_cast<unsigned char>(value & 0xFF);
    at[1] = static_cast<unsigned char>(value >> 8);
}

inline void put32(unsigned char* at, std::uint32_t value)
{
    put16(at, static_cast<std::uint16_t>(value & 0xFFFF));
    put16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

inline std::uint16_t get16(const unsigned char* at)
{
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

inline std::uint32_t get32(const unsigned char* at)
{
    return get16(at) | static_cast<std::uint32_t>(get16(at + 2)) << 16;
}

}  // namespace vortel::wmf
