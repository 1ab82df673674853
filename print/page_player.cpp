#include "print/page_player.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <optional>
#include <queue>
#include <vector>

#include "print/wmf_format.h"

namespace vortel {
namespace {

// Records that create an object and so take a slot in the object table.
bool creates_object(std::uint16_t function)
{
    switch (function) {
    case 0x00F7:  // palette
    case 0x0142:  // device-independent pattern brush
    case 0x01F9:  // pattern brush
    case 0x02FA:  // pen
    case 0x02FB:  // font
    case 0x02FC:  // brush
    case 0x06FF:  // region
        return true;
    default:
        return false;
    }
}

std::int32_t scaled(double value, double scale)
{
    const double result = std::round(value * scale);
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(result < low ? low : result > high ? high : result);
}

std::int16_t scaled16(std::int16_t value, double scale)
{
    const std::int32_t result = scaled(value, scale);
    return static_cast<std::int16_t>(result < -32768 ? -32768 : result > 32767 ? 32767 : result);
}

std::int16_t signed16(const unsigned char* at) { return static_cast<std::int16_t>(wmf::get16(at)); }

struct player {
    text_surface& surface;
    const page_view& view;
    // A slot per live object; only fonts keep what they hold.
    struct object_slot {
        bool used = false;
        std::optional<page_font> font;
    };
    std::vector<object_slot> objects;
    // The freed slots, lowest first: a new object takes the lowest free slot,
    // and finding it must not cost a pass over every object, or a damaged
    // page of a million object records plays for hours.
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> free_slots;

    void take_slot(std::optional<page_font> font)
    {
        if (free_slots.empty()) {
            objects.push_back({true, std::move(font)});
            return;
        }
        objects[free_slots.top()] = {true, std::move(font)};
        free_slots.pop();
    }

    void text(std::int16_t x, std::int16_t y, std::string_view characters)
    {
        surface.draw_text(scaled(static_cast<double>(x) - view.origin_x, view.scale_x),
                          scaled(static_cast<double>(y) - view.origin_y, view.scale_y), characters);
    }

    // False when the record's parameters are shorter than it claims to use.
    bool play(std::uint16_t function, const unsigned char* p, std::size_t size)
    {
        switch (function) {
        case wmf::record_create_font_indirect: {
            if (size < wmf::font_fixed_bytes) return false;
            page_font font;
            font.height = scaled16(signed16(p), view.scale_y);
            font.width = scaled16(signed16(p + 2), view.scale_x);
            font.weight = signed16(p + 8);
            font.italic = p[10];
            font.charset = p[13];
            font.pitch_and_family = p[17];
            const std::size_t room = std::min(size - wmf::font_fixed_bytes, wmf::face_bytes);
            for (std::size_t i = 0; i < room && p[wmf::font_fixed_bytes + i] != 0; ++i)
                font.face += static_cast<char>(p[wmf::font_fixed_bytes + i]);
            take_slot(std::move(font));
            return true;
        }
        case wmf::record_select_object: {
            if (size < 2) return false;
            const std::size_t index = wmf::get16(p);
            if (index < objects.size() && objects[index].font) surface.select_font(*objects[index].font);
            return true;
        }
        case wmf::record_delete_object: {
            if (size < 2) return false;
            const std::size_t index = wmf::get16(p);
            if (index < objects.size() && objects[index].used) {
                objects[index] = {};
                free_slots.push(index);
            }
            return true;
        }
        case wmf::record_set_bk_mode:
            if (size < 2) return false;
            surface.set_background_mode(wmf::get16(p));
            return true;
        case wmf::record_set_text_color:
            if (size < 4) return false;
            surface.set_text_colour(wmf::get32(p) & 0x00FFFFFFu);
            return true;
        case wmf::record_text_out: {
            if (size < 2) return false;
            const std::size_t count = wmf::get16(p);
            const std::size_t padded = count + count % 2;
            if (size < 2 + padded + 4) return false;
            text(signed16(p + 2 + padded + 2), signed16(p + 2 + padded),
                 std::string_view(reinterpret_cast<const char*>(p + 2), count));
            return true;
        }
        case wmf::record_ext_text_out: {
            if (size < 8) return false;
            const std::size_t count = wmf::get16(p + 4);
            const std::size_t start = (wmf::get16(p + 6) & wmf::eto_opaque_or_clipped) != 0 ? 16 : 8;
            // Any character widths after the text are not needed on a grid.
            if (size < start + count) return false;
            text(signed16(p + 2), signed16(p), std::string_view(reinterpret_cast<const char*>(p + start), count));
            return true;
        }
        default:
            if (creates_object(function)) take_slot(std::nullopt);
            return true;
        }
    }
};

}  // namespace

play_result play_page(std::string_view bytes, text_surface& surface, const page_view& view)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < wmf::header_bytes) return play_result::not_a_page;
    const std::uint16_t type = wmf::get16(data);
    const std::uint16_t header_words = wmf::get16(data + 2);
    if ((type != 1 && type != wmf::disk_metafile) || header_words != wmf::header_words ||
        header_words * std::size_t{2} > bytes.size())
        return play_result::not_a_page;

    player state{surface, view, {}, {}};
    std::size_t at = header_words * std::size_t{2};
    while (bytes.size() - at >= wmf::record_prefix_bytes) {
        const std::uint32_t words = wmf::get32(data + at);
        const std::uint16_t function = wmf::get16(data + at + 4);
        if (words < 3 || words > (bytes.size() - at) / 2) return play_result::damaged;
        if (function == wmf::record_eof) return play_result::complete;
        const std::size_t size = words * std::size_t{2} - wmf::record_prefix_bytes;
        if (!state.play(function, data + at + wmf::record_prefix_bytes, size)) return play_result::damaged;
        at += words * std::size_t{2};
    }
    return play_result::damaged;
}

play_result play_page_file(const std::string& path, text_surface& surface, const page_view& view)
{
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) return play_result::not_a_page;
    std::string bytes;
    char chunk[16384];
    bool too_big = false;
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) {
        if (bytes.size() + got > page_file_limit) {
            too_big = true;
            break;
        }
        bytes.append(chunk, got);
    }
    std::fclose(in);
    if (too_big) return play_result::not_a_page;
    return play_page(bytes, surface, view);
}

}  // namespace vortel
