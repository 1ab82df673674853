// The drawing surface the portable grid (and later the page layer) paints
// on. The desktop program implements it over QPainter; tests record the
// calls. Coordinates are device pixels; colours are 0x00BBGGRR values as the
// grid's colour constants are written; texts are Windows-1250.
#pragma once

#include <cstdint>
#include <string_view>

namespace vortel {

using canvas_colour = std::uint32_t;  // 0x00BBGGRR

struct canvas_rect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

// Text placement flags, as the column alignments carry them.
enum canvas_text_flags : unsigned {
    text_left = 0x0,
    text_centre = 0x1,
    text_right = 0x2,
    text_vertical_centre = 0x4,
    text_single_line = 0x20,
    text_no_prefix = 0x800,
};

using canvas_font = std::intptr_t;    // 0: the surface's own font
using canvas_bitmap = std::intptr_t;  // the front-end's bitmap handle

class canvas {
public:
    virtual ~canvas() = default;

    // A rectangle outlined with a 1-pixel pen of `pen` and filled with `fill`.
    virtual void rectangle(const canvas_rect& area, canvas_colour pen, canvas_colour fill) = 0;
    // A 1-pixel line from (x1, y1) up to, not including, (x2, y2).
    virtual void line(int x1, int y1, int x2, int y2, canvas_colour pen) = 0;
    // Text clipped to `area`, placed by `flags`, on an opaque background.
    virtual void text(const canvas_rect& area, std::string_view text, unsigned flags, canvas_colour foreground,
                      canvas_colour background, canvas_font font) = 0;
    // A bitmap: mode 0 at its own size at (x, y), combined with AND (white
    // leaves the surface as it was); mode 1 stretched to width x height.
    virtual void bitmap(canvas_bitmap image, int x, int y, int width, int height, int mode) = 0;
};

}  // namespace vortel
