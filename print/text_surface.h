// Where page drawing goes: the recorder of a page file, a printer, the
// preview, or a test's log. Text is Windows-1250 and is placed by its top
// left corner, in the units of whoever drives the surface.
#pragma once

#include <cstdint>
#include <string_view>

#include "print/page_font.h"

namespace vortel {

inline constexpr int background_transparent = 1;
inline constexpr int background_opaque = 2;

class text_surface {
public:
    virtual ~text_surface() = default;
    virtual void select_font(const page_font& font) = 0;
    virtual void set_text_colour(std::uint32_t rgb) = 0;
    virtual void set_background_mode(int mode) = 0;
    virtual void draw_text(std::int32_t x, std::int32_t y, std::string_view text) = 0;
};

// A printer driven directly, page by page (the device's printer mode).
class print_target : public text_surface {
public:
    // Non-zero on success.
    virtual int start_document(std::string_view name) = 0;
    virtual void start_page() = 0;
    virtual void end_page() = 0;
    virtual void end_document() = 0;
};

}  // namespace vortel
