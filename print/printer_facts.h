// What the page layout needs to know about the printer, in its device
// units. The front-end fills it from the platform's printer support; tests
// use fixed values.
#pragma once

#include <cstdint>

#include "print/page_font.h"

namespace vortel {

struct printer_facts {
    std::int32_t dots_per_inch_x = 0;
    std::int32_t dots_per_inch_y = 0;
    std::int32_t printable_width = 0;   // device units across the printable area
    std::int32_t printable_height = 0;  // device units down the printable area
    // Where the printable area starts on the sheet; device units.
    std::int32_t offset_x = 0;
    std::int32_t offset_y = 0;
    // Metrics of the printer's default font, which sets the line height.
    std::int32_t font_height = 0;  // ascent plus descent
    std::int32_t font_external_leading = 0;
    // That default font, put back after a text drawn in a font of its own.
    page_font default_font;
};

}  // namespace vortel
