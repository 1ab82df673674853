#include "print/preview_model.h"

#include <sys/stat.h>

#include "grid/input_codes.h"
#include "runtime/settings.h"
#include "text/text_to_number.h"

namespace vortel {
namespace {

// Each fallback serves only its own case; the portrait ones differ from the
// settings' defaults.
constexpr view_factors factor_fallbacks = {1.0f, 2.0f, 1.45f, 1.45f, 1.3f, 2.0f, 1.7f, 1.1f};
constexpr std::int32_t page_step = 100;

bool file_exists(const std::string& name)
{
    struct stat facts {};
    return !name.empty() && ::stat(name.c_str(), &facts) == 0 && S_ISREG(facts.st_mode);
}

std::int32_t cut(double value)
{
    if (!(value > INT32_MIN && value < INT32_MAX)) return 0;
    return static_cast<std::int32_t>(value);
}

void page_up(std::int32_t& origin)
{
    origin = preview_minimum_origin + page_step < origin ? origin - page_step : preview_minimum_origin;
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

page_extent preview_extent(const preview_surface& surface)
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

std::optional<page_view> preview_view(const preview_surface& surface)
{
    const page_extent extent = preview_extent(surface);
    if (extent.x <= 0 || extent.y <= 0) return std::nullopt;
    page_view view;
    view.origin_x = surface.origin_x;
    view.origin_y = surface.origin_y;
    view.scale_x = static_cast<double>(surface.right - surface.left) / extent.x;
    view.scale_y = static_cast<double>(surface.bottom - surface.top) / extent.y;
    return view;
}

scroll_ranges preview_scroll_ranges(const preview_surface& surface)
{
    if (surface.unzoomed) return {surface.page_height * 2, surface.page_width * 4};
    return {surface.page_height, surface.page_width};
}

void scroll_to(preview_surface& surface, std::optional<std::int32_t> x, std::optional<std::int32_t> y)
{
    if (x) surface.origin_x = *x;
    if (y) surface.origin_y = *y;
    surface.vertical_thumb = surface.origin_y - preview_minimum_origin;
    surface.horizontal_thumb = surface.origin_x - preview_minimum_origin;
}

bool preview_scroll(preview_surface& surface, int code, bool control_held, std::int32_t thumb)
{
    constexpr std::int32_t least = preview_minimum_origin;
    std::int32_t x = surface.origin_x;
    std::int32_t y = surface.origin_y;
    switch (code) {
    case sb_lineup:
    case vk_up: y -= 1; break;
    case sb_linedown:
    case vk_down: y += 1; break;
    case sb_pageup:
    case vk_prior: page_up(y); break;
    case sb_pagedown:
    case vk_next: y += page_step; break;
    case sb_thumbposition:
    case sb_thumbtrack: y = least + thumb; break;
    case vk_end:
        if (control_held) y = surface.bottom + least;
        else x = surface.right + least;
        break;
    case vk_home:
        if (control_held) y = least;
        else x = least;
        break;
    case sb_lineup + preview_horizontal:
    case vk_left:
        if (x > least) x -= 1;
        break;
    case sb_linedown + preview_horizontal:
    case vk_right: x += 1; break;
    case sb_pageup + preview_horizontal: page_up(x); break;
    case sb_pagedown + preview_horizontal: x += page_step; break;
    case sb_thumbposition + preview_horizontal:
    case sb_thumbtrack + preview_horizontal: x = least + thumb; break;
    default: return false;
    }
    scroll_to(surface, x, y);
    return true;
}

void preview_drag(preview_surface& surface, std::int32_t dx, std::int32_t dy)
{
    scroll_to(surface, surface.origin_x - dx, surface.origin_y - dy);
}

void select_page(preview_surface& surface, const std::string& name)
{
    surface.page_name = file_exists(name) ? name : std::string();
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
        scroll_to(surface, preview_minimum_origin, preview_minimum_origin);
        surface.unzoomed = !surface.unzoomed;
        break;
    case preview_print: return preview_outcome::print;
    case preview_exit: return preview_outcome::exit;
    default: return preview_outcome::ignored;
    }
    return preview_outcome::handled;
}

}  // namespace vortel
