// Plays a page file back onto a text surface: one to one for printing, or
// shifted and scaled for the preview.
//
// The file is untrusted: every read is checked against the bytes at hand,
// and the first record that does not fit ends the playback as damaged.
// Records other than text, font, colour and background mode are skipped;
// object-creating ones still take their slot, so later selections by index
// find the right font.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "print/text_surface.h"

namespace vortel {

// Page point (x, y) lands at ((x - origin_x) * scale_x, (y - origin_y) * scale_y).
struct page_view {
    std::int32_t origin_x = 0;
    std::int32_t origin_y = 0;
    double scale_x = 1.0;
    double scale_y = 1.0;
};

enum class play_result {
    complete,     // played up to its end-of-file record
    damaged,      // a bad record or a missing end; what came before was played
    not_a_page,   // no metafile header (or an unreadable file): nothing played
};

play_result play_page(std::string_view bytes, text_surface& surface, const page_view& view = {});

// Reads the file whole and plays it. Files above `page_file_limit` are not
// pages this program wrote and are refused unread.
inline constexpr std::size_t page_file_limit = 64u << 20;
play_result play_page_file(const std::string& path, text_surface& surface, const page_view& view = {});

}  // namespace vortel
