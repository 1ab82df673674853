// Records one page's drawing as a Windows metafile, in the caller's device
// units and with no mapping of its own, so a player decides the scale.
//
// Invariants:
// 1. A font, colour or background mode is recorded only when a text is
//    drawn under it and it differs from what the page already has, so the
//    file holds what playback needs and nothing the device merely set and
//    set back. The first text records its font even when it is the
//    device's default: whoever plays the page has a default of its own.
// 2. Each distinct font becomes one metafile object, created once per page;
//    objects are never deleted, so the header's object count is their total.
// 3. Metafile coordinates are 16-bit: a text whose position does not fit is
//    dropped rather than drawn at a wrapped-around place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "print/text_surface.h"

namespace vortel {

class page_recorder final : public text_surface {
public:
    explicit page_recorder(page_font device_default);

    void select_font(const page_font& font) override;
    void set_text_colour(std::uint32_t rgb) override;
    void set_background_mode(int mode) override;
    void draw_text(std::int32_t x, std::int32_t y, std::string_view text) override;

    // The complete file: header, the records so far, end-of-file record.
    std::string finish() const;

private:
    void apply_state();
    void add_record(std::uint16_t function, const std::string& parameters);

    std::string records_;
    std::uint32_t max_record_words_ = 3;  // the end-of-file record
    std::vector<page_font> objects_;

    page_font wanted_font_;
    std::optional<page_font> current_font_;
    std::uint32_t wanted_colour_ = 0;
    std::optional<std::uint32_t> current_colour_;
    int wanted_mode_ = background_opaque;
    std::optional<int> current_mode_;
};

}  // namespace vortel
