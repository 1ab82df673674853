#include "print/page_recorder.h"

#include <algorithm>
#include <limits>

#include "print/wmf_format.h"

namespace vortel {
namespace {

void append16(std::string& out, std::uint16_t value)
{
    unsigned char bytes[2];
    wmf::put16(bytes, value);
    out.append(reinterpret_cast<const char*>(bytes), 2);
}

void append32(std::string& out, std::uint32_t value)
{
    unsigned char bytes[4];
    wmf::put32(bytes, value);
    out.append(reinterpret_cast<const char*>(bytes), 4);
}

bool fits16(std::int32_t value)
{
    return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
}

std::string font_parameters(const page_font& font)
{
    std::string out;
    append16(out, static_cast<std::uint16_t>(font.height));
    append16(out, static_cast<std::uint16_t>(font.width));
    append16(out, 0);  // escapement
    append16(out, 0);  // orientation
    append16(out, static_cast<std::uint16_t>(font.weight));
    out += static_cast<char>(font.italic);
    out += '\0';  // underline
    out += '\0';  // strike-out
    out += static_cast<char>(font.charset);
    out += '\0';  // output precision: default
    out += '\0';  // clip precision: default
    out += '\0';  // quality: default
    out += static_cast<char>(font.pitch_and_family);
    // The face always ends in NUL inside its fixed room.
    std::string face = font.face.substr(0, wmf::face_bytes - 1);
    face.resize(wmf::face_bytes, '\0');
    return out + face;
}

}  // namespace

page_recorder::page_recorder(page_font device_default)
    : wanted_font_(std::move(device_default))
{
}

void page_recorder::select_font(const page_font& font) { wanted_font_ = font; }
void page_recorder::set_text_colour(std::uint32_t rgb) { wanted_colour_ = rgb & 0x00FFFFFFu; }
void page_recorder::set_background_mode(int mode) { wanted_mode_ = mode; }

void page_recorder::add_record(std::uint16_t function, const std::string& parameters)
{
    const std::uint32_t words = static_cast<std::uint32_t>((wmf::record_prefix_bytes + parameters.size()) / 2);
    append32(records_, words);
    append16(records_, function);
    records_ += parameters;
    max_record_words_ = std::max(max_record_words_, words);
}

void page_recorder::apply_state()
{
    if (current_font_ != wanted_font_) {
        auto found = std::find(objects_.begin(), objects_.end(), wanted_font_);
        if (found == objects_.end()) {
            add_record(wmf::record_create_font_indirect, font_parameters(wanted_font_));
            objects_.push_back(wanted_font_);
            found = objects_.end() - 1;
        }
        std::string index;
        append16(index, static_cast<std::uint16_t>(found - objects_.begin()));
        add_record(wmf::record_select_object, index);
        current_font_ = wanted_font_;
    }
    if (current_mode_ != wanted_mode_) {
        std::string mode;
        append16(mode, static_cast<std::uint16_t>(wanted_mode_));
        add_record(wmf::record_set_bk_mode, mode);
        current_mode_ = wanted_mode_;
    }
    if (current_colour_ != wanted_colour_) {
        std::string colour;
        append32(colour, wanted_colour_);
        add_record(wmf::record_set_text_color, colour);
        current_colour_ = wanted_colour_;
    }
}

void page_recorder::draw_text(std::int32_t x, std::int32_t y, std::string_view text)
{
    if (!fits16(x) || !fits16(y) || text.empty()) return;
    // A record's length must fit the 16-bit count.
    text = text.substr(0, std::numeric_limits<std::int16_t>::max());
    apply_state();
    std::string parameters;
    append16(parameters, static_cast<std::uint16_t>(text.size()));
    parameters += text;
    if (text.size() % 2 != 0) parameters += '\0';
    append16(parameters, static_cast<std::uint16_t>(y));
    append16(parameters, static_cast<std::uint16_t>(x));
    add_record(wmf::record_text_out, parameters);
}

std::string page_recorder::finish() const
{
    std::string file;
    const std::uint32_t total_words =
        static_cast<std::uint32_t>((wmf::header_bytes + records_.size() + wmf::record_prefix_bytes) / 2);
    append16(file, wmf::disk_metafile);
    append16(file, wmf::header_words);
    append16(file, wmf::version_3);
    append32(file, total_words);
    append16(file, static_cast<std::uint16_t>(objects_.size()));
    append32(file, max_record_words_);
    append16(file, 0);  // no parameters
    file += records_;
    append32(file, 3);
    append16(file, wmf::record_eof);
    return file;
}

}  // namespace vortel
