// The preview's state without a window system: which page is shown, how it
// is scaled into the surface, and where every key, scroll-bar action and
// toolbar button moves it. The Qt dialog feeds input in and paints what
// this leaves.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "print/page_player.h"

namespace vortel {

// The page point shown at the surface's top left corner at the start, and
// the least either coordinate of the origin can be moved to; the page ends
// the same distance before the greatest.
inline constexpr std::int32_t preview_minimum_origin = -20;

// The toolbar's buttons by command id, in toolbar order.
enum preview_command : int {
    preview_first = 101,
    preview_previous = 102,
    preview_next = 103,
    preview_last = 104,
    preview_start_position = 105,
    preview_zoom = 106,
    preview_print = 107,
    preview_exit = 108,
    // Buttons without a bitmap, after those above.
    preview_fit_page = 109,
    preview_fit_width = 110,
    preview_save_pdf = 111,
};

struct preview_button {
    preview_command id;
    const char* bitmap;   // resource name of its image
    const char* tooltip;
};

inline constexpr std::array<preview_button, 8> preview_buttons = {{
    {preview_first, "FIRST", "First page"},
    {preview_previous, "PREV", "Previous page"},
    {preview_next, "NEXT", "Next page"},
    {preview_last, "LAST", "Last Page"},
    {preview_start_position, "LEFTTOP", "Start position"},
    {preview_zoom, "ZOOM", "Zoom+-"},
    {preview_print, "PRINT", "Print..."},
    {preview_exit, "EXIT", "Exit"},
}};

struct preview_text_button {
    preview_command id;
    const char* text;
};

inline constexpr std::array<preview_text_button, 3> preview_text_buttons = {{
    {preview_fit_page, "Fit page"},
    {preview_fit_width, "Fit width"},
    {preview_save_pdf, "Save as PDF..."},
}};

// Where "Save as PDF..." offers to write the listing of the table at
// `table_path`: beside it, named as it is with the extension PDF in the
// letter case of the table's own; empty without a table.
std::string preview_pdf_name(const std::string& table_path);

// The table's name for the PDF's title: its file name without directory
// or extension.
std::string preview_pdf_title(const std::string& table_path);

// Windows-1250, as every text of the program.
inline constexpr const char* preview_empty_job_text = "A lek\xE9rdez\xE9snek egy t\xE9tel sem felelt meg.";

// The eight view factors in settings order: landscape zoomed width and
// height, landscape unzoomed width and height, then the same for portrait.
using view_factors = std::array<float, 8>;

// The factors as the settings hold them; one that is no number above 0
// takes its own fallback.
view_factors read_view_factors();

// How the page is scaled into the surface.
enum class preview_fit {
    factors,  // the zoomed or unzoomed view the view factors make (the start)
    page,     // the whole page
    width,    // the page's width across the surface
    scale,    // a scale zoomed to with the wheel or Ctrl+plus and minus
};

struct preview_surface {
    std::string page_name;  // the page to show; empty for none
    std::int32_t origin_x = preview_minimum_origin;
    std::int32_t origin_y = preview_minimum_origin;
    bool unzoomed = false;  // which of the two factor views
    preview_fit fit = preview_fit::factors;
    double zoom_scale = 0;  // surface pixels per page unit, for preview_fit::scale
    // One line of the listing in page units: an arrow key's step. 0 when
    // unknown; the step is then about a line's height on the screen.
    std::int32_t line_height = 0;
    // The surface's rectangle in the dialog; bottom and right are inclusive.
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int32_t page_width = 0;   // the printer's printable area, device units
    std::int32_t page_height = 0;
    bool landscape = false;        // page width >= page height
    view_factors factors{};
    std::int32_t vertical_thumb = 0;
    std::int32_t horizontal_thumb = 0;
};

// A surface over `page_width` x `page_height` device units, placed in the
// dialog at (left, top) with the given size, showing `page_name`.
preview_surface make_preview_surface(std::int32_t left, std::int32_t top, std::int32_t width,
                                     std::int32_t height, std::int32_t page_width, std::int32_t page_height,
                                     const std::string& page_name);

// Follows a resized surface; the origin stays where it can.
void resize_preview_surface(preview_surface& surface, std::int32_t width, std::int32_t height);

// Surface pixels per page unit across and down. The factor views stretch
// the page differently each way; the others keep its shape.
struct preview_scale {
    double x = 0;
    double y = 0;
};
preview_scale preview_scales(const preview_surface& surface);

// The page area the surface shows at once ("window extent"), in page units.
struct page_extent {
    std::int32_t x = 0;
    std::int32_t y = 0;
};
page_extent preview_extent(const preview_surface& surface);

// How a page is played into the surface; nullopt when nothing can be
// shown (an extent of 0).
std::optional<page_view> preview_view(const preview_surface& surface);

// Scroll-bar ranges (from 0): as far as the origin can go, which shows the
// page's far edge and the margin beyond it at the surface's far side.
struct scroll_ranges {
    std::int32_t vertical = 0;
    std::int32_t horizontal = 0;
};
scroll_ranges preview_scroll_ranges(const preview_surface& surface);

// Moves the origin, kept within the page and its margin; a coordinate not
// given stays. The thumbs follow.
void scroll_to(preview_surface& surface, std::optional<std::int32_t> x, std::optional<std::int32_t> y);

// How far the keys move the origin, in page units: a line is a line of the
// listing down (across: as many screen pixels), a page is a screen less a line.
struct preview_steps {
    std::int32_t line_x = 1, line_y = 1;
    std::int32_t page_x = 1, page_y = 1;
};
preview_steps preview_step_sizes(const preview_surface& surface);

// Horizontal scroll-bar codes are the vertical ones plus this.
inline constexpr int preview_horizontal = 1024;

// One input code: a key code, a vertical scroll-bar code, or a horizontal
// one plus preview_horizontal. `thumb` is the bar's position for the thumb
// codes. Codes without a meaning do nothing; false then.
bool preview_scroll(preview_surface& surface, int code, bool control_held, std::int32_t thumb);

// Dragging by (dx, dy) pixels of pointer travel moves the page with it,
// as far as the pointer went.
void preview_drag(preview_surface& surface, std::int32_t dx, std::int32_t dy);

// Zooms by `factor` to a scale of the user's, keeping the page point under
// the surface pixel (at_x, at_y) where it is. The scale stays between half
// the whole page and eight times the page's width.
void zoom_preview(preview_surface& surface, double factor, std::int32_t at_x, std::int32_t at_y);

// A turn of the wheel by `notches` (positive away from the user): three
// lines each, across when `across`; with `zoom`, a zoom by 1.25 a notch
// about the pointer at (at_x, at_y).
void preview_wheel(preview_surface& surface, double notches, bool across, bool zoom, std::int32_t at_x,
                   std::int32_t at_y);

// Shows the page as `fit` scales it, from its top left corner.
void set_preview_fit(preview_surface& surface, preview_fit fit);

// Shows `name`, or nothing when no such file exists. The origin stays.
void select_page(preview_surface& surface, const std::string& name);

// The pages of the job and which one is shown.
struct preview_pages {
    std::vector<std::string> names;
    std::size_t index = 0;
};

// "Page N of M", N counted from 1.
std::string preview_page_text(const preview_pages& pages);

// Shows page `number` (from 1); false, and nothing changes, when the job
// has no such page.
bool go_to_preview_page(preview_pages& pages, preview_surface& surface, std::int64_t number);

// Runs toolbar command `id` on the pages and the surface. Print, Save as PDF
// and Exit are the front-end's; they only report themselves here.
enum class preview_outcome { handled, print, save_pdf, exit, ignored };
preview_outcome run_preview_command(preview_pages& pages, preview_surface& surface, int id);

}  // namespace vortel
