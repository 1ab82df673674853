// A surface that writes down every text it is given together with the
// state it is drawn in, so that two ways of drawing a page compare equal
// whenever they would look the same.
#pragma once

#include <string>
#include <vector>

#include "print/text_surface.h"

namespace vortel::print_testing {

class recording_surface : public print_target {
public:
    std::vector<std::string> draws;
    std::vector<std::string> calls;  // every call, state changes included
    int start_result = 1;

    void select_font(const page_font& font) override
    {
        font_ = font;
        calls.push_back("font " + describe(font));
    }
    void set_text_colour(std::uint32_t rgb) override
    {
        colour_ = rgb;
        calls.push_back("colour " + std::to_string(rgb));
    }
    void set_background_mode(int mode) override
    {
        mode_ = mode;
        calls.push_back("mode " + std::to_string(mode));
    }
    void draw_text(std::int32_t x, std::int32_t y, std::string_view text) override
    {
        draws.push_back(std::to_string(x) + "," + std::to_string(y) + " " + std::string(text) + " [" +
                        describe(font_) + " colour " + std::to_string(colour_) + " mode " +
                        std::to_string(mode_) + "]");
        calls.push_back("text " + std::string(text));
    }
    int start_document(std::string_view name) override
    {
        calls.push_back("start document " + std::string(name));
        return start_result;
    }
    void start_page() override { calls.push_back("start page"); }
    void end_page() override { calls.push_back("end page"); }
    void end_document() override { calls.push_back("end document"); }

    static std::string describe(const page_font& font)
    {
        return font.face + " " + std::to_string(font.height) + "/" + std::to_string(font.width) + "/" +
               std::to_string(font.weight) + (font.italic != 0 ? " italic" : "");
    }

private:
    page_font font_;
    std::uint32_t colour_ = 0;
    int mode_ = background_opaque;
};

// A 600 dpi A4 printer with a quarter-inch unprintable edge, whose default
// font is 100 units high with no external leading.
inline printer_facts a4_600_dpi()
{
    printer_facts facts;
    facts.dots_per_inch_x = facts.dots_per_inch_y = 600;
    facts.printable_width = 4660;
    facts.printable_height = 6716;
    facts.offset_x = facts.offset_y = 150;
    facts.font_height = 100;
    facts.default_font = page_font{100, 0, 400, 0, east_europe_charset, 0, "Courier New"};
    return facts;
}

}  // namespace vortel::print_testing
