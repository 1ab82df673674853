#include "print/preview_model.h"

#include <algorithm>
#include <cmath>

#include "grid/input_codes.h"
#include "runtime/settings.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"

namespace vortel {
namespace {

// Each fallback serves only its own case; the portrait ones differ from the
// settings' defaults.
constexpr view_factors factor_fallbacks = {1.0f, 2.0f, 1.45f, 1.45f, 1.3f, 2.0f, 1.7f, 1.1f};
// The margin shown around the page, as far as the origin goes either way.
constexpr std::int32_t margin = -preview_minimum_origin;
// Without a known line height a line step is about this many screen pixels.
constexpr double line_pixels = 20;

std::int32_t cut(double value)
{
    if (!(value > INT32_MIN && value < INT32_MAX)) return 0;
    return static_cast<std::int32_t>(value);
}

std::int32_t narrow(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

// The extent of the two factor views.
page_extent factor_extent(const preview_surface& surface)
{
    // The across extent comes from the page's height and the down extent
    // from its width; the factors were chosen for exactly that.
    const double h = surface.page_height;
    const double w = surface.page_width;
    const std::size_t base = surface.landscape ? 0 : 4;
    const view_factors& f = surface.factors;
    if (surface.unzoomed) return {cut(h * double{f[base + 2]}), cut(w * double{f[base + 3]})};
    return {cut(h / double{f[base]}), cut(w / double{f[base + 1]})};
}

// The greatest origin along a page side of `length` when `shown` of it
// fits the surface: the page's end and its margin at the surface's end.
std::int32_t farthest(std::int32_t length, std::int32_t shown)
{
    return narrow(std::max<std::int64_t>(std::int64_t{length} + margin - shown, preview_minimum_origin));
}

}  // namespace

view_factors read_view_factors()
{
    view_factors factors{};
    for (std::size_t i = 0; i < factors.size(); ++i) {
        const double value = text_to_double(setting_by_index(SET_LAND_WIDTH_ZOOM + static_cast<int>(i)));
        factors[i] = value > 0 ? static_cast<float>(value) : factor_fallbacks[i];
    }
    return factors;
}

preview_surface make_preview_surface(std::int32_t left, std::int32_t top, std::int32_t width,
                                     std::int32_t height, std::int32_t page_width, std::int32_t page_height,
                                     const std::string& page_name)
{
    preview_surface surface;
    surface.left = left;
    surface.top = top;
    surface.right = left + width - 1;
    surface.bottom = top + height - 1;
    surface.page_width = page_width;
    surface.page_height = page_height;
    surface.landscape = page_width >= page_height;
    surface.factors = read_view_factors();
    select_page(surface, page_name);
    return surface;
}

void resize_preview_surface(preview_surface& surface, std::int32_t width, std::int32_t height)
{
    surface.right = surface.left + width - 1;
    surface.bottom = surface.top + height - 1;
    scroll_to(surface, surface.origin_x, surface.origin_y);
}

preview_scale preview_scales(const preview_surface& surface)
{
    const double across = surface.right - surface.left;
    const double down = surface.bottom - surface.top;
    const double page_across = surface.page_width + 2.0 * margin;
    const double page_down = surface.page_height + 2.0 * margin;
    switch (surface.fit) {
    case preview_fit::factors: {
        const page_extent extent = factor_extent(surface);
        if (extent.x <= 0 || extent.y <= 0) return {};
        return {across / extent.x, down / extent.y};
    }
    case preview_fit::page: {
        const double scale = std::min(across / page_across, down / page_down);
        return {scale, scale};
    }
    case preview_fit::width: return {across / page_across, across / page_across};
    case preview_fit::scale: return {surface.zoom_scale, surface.zoom_scale};
    }
    return {};
}

page_extent preview_extent(const preview_surface& surface)
{
    if (surface.fit == preview_fit::factors) return factor_extent(surface);
    const preview_scale scale = preview_scales(surface);
    if (!(scale.x > 0 && scale.y > 0)) return {};
    // Rounded: a fit view's extent is the page's size, not a unit short of it.
    return {cut(std::round((surface.right - surface.left) / scale.x)),
            cut(std::round((surface.bottom - surface.top) / scale.y))};
}

std::optional<page_view> preview_view(const preview_surface& surface)
{
    const page_extent extent = preview_extent(surface);
    if (extent.x <= 0 || extent.y <= 0) return std::nullopt;
    const preview_scale scale = preview_scales(surface);
    page_view view;
    view.origin_x = surface.origin_x;
    view.origin_y = surface.origin_y;
    view.scale_x = scale.x;
    view.scale_y = scale.y;
    return view;
}

scroll_ranges preview_scroll_ranges(const preview_surface& surface)
{
    const page_extent extent = preview_extent(surface);
    return {farthest(surface.page_height, extent.y) - preview_minimum_origin,
            farthest(surface.page_width, extent.x) - preview_minimum_origin};
}

void scroll_to(preview_surface& surface, std::optional<std::int32_t> x, std::optional<std::int32_t> y)
{
    const page_extent extent = preview_extent(surface);
    if (x) surface.origin_x = std::clamp(*x, preview_minimum_origin, farthest(surface.page_width, extent.x));
    if (y) surface.origin_y = std::clamp(*y, preview_minimum_origin, farthest(surface.page_height, extent.y));
    surface.vertical_thumb = surface.origin_y - preview_minimum_origin;
    surface.horizontal_thumb = surface.origin_x - preview_minimum_origin;
}

preview_steps preview_step_sizes(const preview_surface& surface)
{
    const preview_scale scale = preview_scales(surface);
    if (!(scale.x > 0 && scale.y > 0)) return {};
    preview_steps steps;
    steps.line_y = surface.line_height > 0 ? surface.line_height : cut(line_pixels / scale.y);
    steps.line_x = cut(steps.line_y * scale.y / scale.x);
    const page_extent extent = preview_extent(surface);
    steps.page_y = extent.y - steps.line_y;
    steps.page_x = extent.x - steps.line_x;
    for (std::int32_t* step : {&steps.line_x, &steps.line_y, &steps.page_x, &steps.page_y}) *step = std::max(*step, 1);
    return steps;
}

bool preview_scroll(preview_surface& surface, int code, bool control_held, std::int32_t thumb)
{
    constexpr std::int32_t least = preview_minimum_origin;
    constexpr std::int32_t most = INT32_MAX;  // scroll_to stops at the page's end
    const preview_steps step = preview_step_sizes(surface);
    std::int64_t x = surface.origin_x;
    std::int64_t y = surface.origin_y;
    switch (code) {
    case sb_lineup:
    case vk_up: y -= step.line_y; break;
    case sb_linedown:
    case vk_down: y += step.line_y; break;
    case sb_pageup:
    case vk_prior: y -= step.page_y; break;
    case sb_pagedown:
    case vk_next: y += step.page_y; break;
    case sb_thumbposition:
    case sb_thumbtrack: y = std::int64_t{least} + thumb; break;
    case vk_end:
        if (control_held) y = most;
        else x = most;
        break;
    case vk_home:
        if (control_held) y = least;
        else x = least;
        break;
    case sb_lineup + preview_horizontal:
    case vk_left: x -= step.line_x; break;
    case sb_linedown + preview_horizontal:
    case vk_right: x += step.line_x; break;
    case sb_pageup + preview_horizontal: x -= step.page_x; break;
    case sb_pagedown + preview_horizontal: x += step.page_x; break;
    case sb_thumbposition + preview_horizontal:
    case sb_thumbtrack + preview_horizontal: x = std::int64_t{least} + thumb; break;
    default: return false;
    }
    scroll_to(surface, narrow(x), narrow(y));
    return true;
}

void preview_drag(preview_surface& surface, std::int32_t dx, std::int32_t dy)
{
    const preview_scale scale = preview_scales(surface);
    if (!(scale.x > 0 && scale.y > 0)) return;
    scroll_to(surface, cut(std::round(surface.origin_x - dx / scale.x)),
              cut(std::round(surface.origin_y - dy / scale.y)));
}

void zoom_preview(preview_surface& surface, double factor, std::int32_t at_x, std::int32_t at_y)
{
    const preview_scale before = preview_scales(surface);
    if (!(before.x > 0 && before.y > 0 && factor > 0)) return;
    preview_surface whole = surface;
    whole.fit = preview_fit::page;
    preview_surface wide = surface;
    wide.fit = preview_fit::width;
    const double least = preview_scales(whole).y / 2;
    const double most = std::max(preview_scales(wide).y * 8, least);
    // The factor views stretch the page; zooming goes on from their scale down.
    const double scale = std::clamp(before.y * factor, least, most);
    const double page_x = surface.origin_x + at_x / before.x;
    const double page_y = surface.origin_y + at_y / before.y;
    surface.fit = preview_fit::scale;
    surface.zoom_scale = scale;
    scroll_to(surface, cut(std::round(page_x - at_x / scale)), cut(std::round(page_y - at_y / scale)));
}

void preview_wheel(preview_surface& surface, double notches, bool across, bool zoom, std::int32_t at_x,
                   std::int32_t at_y)
{
    if (zoom) {
        zoom_preview(surface, std::pow(1.25, notches), at_x, at_y);
        return;
    }
    const preview_steps step = preview_step_sizes(surface);
    const double lines = -3 * notches * (across ? step.line_x : step.line_y);
    if (across) scroll_to(surface, cut(std::round(surface.origin_x + lines)), std::nullopt);
    else scroll_to(surface, std::nullopt, cut(std::round(surface.origin_y + lines)));
}

void set_preview_fit(preview_surface& surface, preview_fit fit)
{
    surface.fit = fit;
    scroll_to(surface, preview_minimum_origin, preview_minimum_origin);
}

void select_page(preview_surface& surface, const std::string& name)
{
    surface.page_name = file_exists(name) ? name : std::string();
}

namespace {

// The file name part of `path` and where its extension starts in it.
std::pair<std::string, std::size_t> file_name_and_extension(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    return {name, dot == std::string::npos || dot == 0 ? name.size() : dot};
}

}  // namespace

std::string preview_pdf_name(const std::string& table_path)
{
    if (table_path.empty()) return {};
    const auto [name, dot] = file_name_and_extension(table_path);
    const std::string directory = table_path.substr(0, table_path.size() - name.size());
    const bool small = std::any_of(name.begin() + static_cast<std::ptrdiff_t>(dot), name.end(),
                                   [](char c) { return c >= 'a' && c <= 'z'; });
    return directory + name.substr(0, dot) + (small ? ".pdf" : ".PDF");
}

std::string preview_pdf_title(const std::string& table_path)
{
    const auto [name, dot] = file_name_and_extension(table_path);
    return name.substr(0, dot);
}

std::string preview_page_text(const preview_pages& pages)
{
    return "Page " + std::to_string(pages.index + 1) + " of " + std::to_string(pages.names.size());
}

bool go_to_preview_page(preview_pages& pages, preview_surface& surface, std::int64_t number)
{
    if (number < 1 || static_cast<std::uint64_t>(number) > pages.names.size()) return false;
    pages.index = static_cast<std::size_t>(number - 1);
    select_page(surface, pages.names[pages.index]);
    return true;
}

preview_outcome run_preview_command(preview_pages& pages, preview_surface& surface, int id)
{
    const std::size_t count = pages.names.size();
    auto show = [&](std::size_t index) {
        pages.index = index;
        if (index < count) select_page(surface, pages.names[index]);
    };
    switch (id) {
    case preview_first: show(0); break;
    case preview_previous:
        if (pages.index > 0) show(pages.index - 1);
        break;
    case preview_next:
        if (pages.index + 1 < count) show(pages.index + 1);
        break;
    case preview_last:
        if (count > 0) show(count - 1);
        break;
    case preview_start_position: scroll_to(surface, preview_minimum_origin, preview_minimum_origin); break;
    case preview_zoom:
        surface.unzoomed = !surface.unzoomed;
        set_preview_fit(surface, preview_fit::factors);
        break;
    case preview_fit_page: set_preview_fit(surface, preview_fit::page); break;
    case preview_fit_width: set_preview_fit(surface, preview_fit::width); break;
    case preview_print: return preview_outcome::print;
    case preview_save_pdf: return preview_outcome::save_pdf;
    case preview_exit: return preview_outcome::exit;
    default: return preview_outcome::ignored;
    }
    return preview_outcome::handled;
}

}  // namespace vortel
