// A font as a page asks for it: the fields of a logical font that the page
// files carry, so that a page looks the same whoever plays it back.
#pragma once

#include <cstdint>
#include <string>

namespace vortel {

// The character set of Windows-1250 text.
inline constexpr std::uint8_t east_europe_charset = 238;

struct page_font {
    // Logical-font height in device units: positive is the cell height,
    // negative the character height; 0 leaves it to the device.
    std::int16_t height = 0;
    std::int16_t width = 0;  // 0: the face's own proportion
    std::int16_t weight = 400;
    std::uint8_t italic = 0;
    std::uint8_t charset = east_europe_charset;
    std::uint8_t pitch_and_family = 0;
    std::string face;  // at most 31 bytes are kept

    bool operator==(const page_font&) const = default;
};

// Colours as 0x00BBGGRR, the order page files store them in.
constexpr std::uint32_t page_rgb(unsigned red, unsigned green, unsigned blue)
{
    return (red & 0xFFu) | (green & 0xFFu) << 8 | (blue & 0xFFu) << 16;
}

}  // namespace vortel
