#include "print/table_listing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/table.h"
#include "text/date_value.h"
#include "text/picture.h"

namespace vortel {
namespace {

constexpr std::int32_t date_column_width = 11;
constexpr std::uint32_t black = 0;

bool listing_busy = false;

std::int32_t text_length(std::string_view text)
{
    return static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
}

// The column's field; -1 for the deleted column or an index no field has.
int printed_field(const table_object& table, const column_descriptor& column)
{
    return column.field < field_count(table) ? column.field : -1;
}

std::int32_t column_print_width(const column_descriptor& column, std::int32_t field)
{
    const std::int32_t caption = text_length(column.caption);
    const bool date = column.type == 'D';
    // Dates print as "@D" makes them, ten characters whatever the field says.
    if (caption > field) return caption < 10 && date ? date_column_width : caption + 1;
    return date ? date_column_width : field + 1;
}

// The listing's font sizes, in points, and the width of a fixed-pitch
// letter for its size.
constexpr int largest_points = 12;
constexpr double fixed_pitch_advance = 0.6;

// Memo texts under a record start here.
constexpr std::int32_t memo_indent = 4;

// The deleted column prints as a mark: "*" and a space.
constexpr std::int32_t mark_width = 2;

bool is_mark_column(const column_descriptor& column)
{
    return column.source_name == "deleted()";
}

// "0001.PAGE" at the end of the title's line.
constexpr std::int32_t page_number_width = 9;

// Whether `length` characters centred on a line of `width` end a space
// before the page number.
bool title_fits(std::int32_t length, std::int32_t width)
{
    return length + (width - length) / 2 <= width - page_number_width - 1;
}

// The table's path when it fits, else its file name, cut at the room there is.
std::string header_title(const std::string& path, std::int32_t width)
{
    if (title_fits(text_length(path), width)) return path;
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    while (!name.empty() && !title_fits(text_length(name), width)) name.pop_back();
    return name;
}

std::string page_number_text(std::int32_t page_number)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04ld%s", static_cast<long>(page_number), ".PAGE");
    return text;
}

// Clears the busy flag however the listing ends.
struct listing_busy_scope {
    listing_busy_scope() { listing_busy = true; }
    ~listing_busy_scope() { listing_busy = false; }
    listing_busy_scope(const listing_busy_scope&) = delete;
    listing_busy_scope& operator=(const listing_busy_scope&) = delete;
};

void tell_busy(const listing_environment& environment, bool on)
{
    if (environment.busy != nullptr) environment.busy(on, environment.busy_context);
}

void print_record(page_device& device, const table_object& table, std::int32_t line, const page_font& font,
                  const listing_layout& layout, const std::vector<column_descriptor>& columns, bool memo_texts)
{
    if (layout.mark_x >= 0 && layout.mark_x < layout.width && is_deleted(table) != 0)
        put_text(device, line, layout.mark_x, "*", "", &font, black, false);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (!columns[i].print_selected || !layout.prints(i)) continue;
        const int field = layout.field[i];
        // Memo texts printed under the record stand for their block numbers.
        if (memo_texts && field_type(table, field) == 'M') continue;
        // Numbers print as stored, right-aligned in their width.
        const char* picture = field_type(table, field) == 'N' ? "" : layout.pictures[i].c_str();
        put_text(device, line, layout.x[i], field_text(table, field), picture, &font, black, false);
    }
}

// The lines under the current record: each chosen memo's text after its
// caption, wrapped at the listing's end.
std::vector<std::string> record_memo_lines(table_object& table, const listing_layout& layout,
                                           const std::vector<column_descriptor>& columns)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int field = layout.field[i];
        if (!columns[i].print_selected || field < 0 || field_type(table, field) != 'M') continue;
        const std::string text = memo_read(table, field_text(table, field));
        if (text.find_first_not_of(" \t\r\n\x8D") == std::string::npos) continue;
        for (std::string& wrapped : wrap_listing_text(columns[i].caption + ": " + text, layout.width - memo_indent))
            lines.push_back(std::move(wrapped));
    }
    return lines;
}

}  // namespace

std::vector<std::string> wrap_listing_text(std::string_view text, std::int32_t width)
{
    std::vector<std::string> lines;
    const auto room = static_cast<std::size_t>(std::max(width, 1));
    std::string paragraph;
    const auto flush = [&] {
        std::string_view rest = paragraph;
        while (rest.size() > room) {
            // At the last space that leaves a word whole; mid-word when none does.
            std::size_t cut = rest.substr(0, room + 1).find_last_of(' ');
            if (cut == std::string_view::npos || cut == 0) cut = room;
            lines.emplace_back(rest.substr(0, cut));
            rest.remove_prefix(cut);
            if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        }
        lines.emplace_back(rest);
        paragraph.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            // CR LF, LF and CR alone each end one line.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            flush();
        } else if (static_cast<unsigned char>(c) < ' ' || c == '\x8D') {
            // A tab, or the soft line break of a word-wrapped memo (0x8D before its LF).
            if (c == '\x8D' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            paragraph += ' ';
        } else {
            paragraph += c;
        }
    }
    flush();
    while (!lines.empty() && lines.back().find_first_not_of(' ') == std::string::npos) lines.pop_back();
    return lines;
}

std::int32_t listing_width_sum(const table_object& table, const std::vector<column_descriptor>& columns)
{
    std::int64_t sum = 0;
    for (const column_descriptor& column : columns) {
        if (!column.print_selected) continue;
        // Counted as lay_out_listing places it, so that the width chosen
        // holds every column it lays out.
        const int index = printed_field(table, column);
        if (is_mark_column(column)) sum += mark_width;
        else sum += index < 0 ? text_length(column.caption) + 1
                              : column_print_width(column, field_info(table, index).length);
    }
    if (sum != 0) sum -= 1;
    return static_cast<std::int32_t>(std::min<std::int64_t>(sum, INT32_MAX));
}

listing_layout lay_out_listing(const table_object& table, const std::vector<column_descriptor>& columns,
                               std::int32_t width)
{
    listing_layout layout;
    layout.width = listing_width(width);
    std::int64_t next = 0;
    for (const column_descriptor& column : columns) {
        const int index = printed_field(table, column);
        if (column.print_selected && is_mark_column(column) && layout.mark_x < 0) {
            layout.mark_x = static_cast<std::int32_t>(std::min<std::int64_t>(next, INT32_MAX));
            next += mark_width;
        }
        if (!column.print_selected || index < 0) {
            layout.x.push_back(-1);
            layout.field.push_back(-1);
            layout.pictures.emplace_back();
            continue;
        }
        // Columns past any listing's end are neither headed nor printed.
        layout.x.push_back(static_cast<std::int32_t>(std::min<std::int64_t>(next, INT32_MAX)));
        layout.field.push_back(index);
        layout.pictures.push_back(column.picture);
        next += column_print_width(column, field_info(table, index).length);
    }
    return layout;
}

std::vector<std::string> listing_columns_cut(const table_object& table, const std::vector<column_descriptor>& columns)
{
    const listing_layout layout = lay_out_listing(table, columns, listing_width_sum(table, columns));
    std::vector<std::string> cut;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (layout.x[i] < 0) continue;
        // The space after a column is no part of it.
        const std::int64_t end = std::int64_t{layout.x[i]} +
                                 column_print_width(columns[i], field_info(table, layout.field[i]).length) - 1;
        if (end > layout.width) cut.push_back(columns[i].caption);
    }
    return cut;
}

std::string listing_cut_warning(const table_object& table, const std::vector<column_descriptor>& columns)
{
    const std::vector<std::string> cut = listing_columns_cut(table, columns);
    if (cut.empty()) return {};
    std::string names;
    for (const std::string& caption : cut) names += (names.empty() ? "" : ", ") + caption;
    return "The listing is " + std::to_string(wide_listing) + " columns wide: " + names +
           (cut.size() == 1 ? " does" : " do") + " not fit and will be cut or left out.";
}

page_font listing_font(std::string_view face, std::int32_t width, std::int32_t dots_per_inch_x,
                       std::int32_t cell_width)
{
    int points = listing_width(width) == narrow_listing ? largest_points : 7;
    if (cell_width > 0 && dots_per_inch_x > 0) {
        // A fixed-pitch letter is about 0.6 of its size wide.
        const double fits = cell_width * 72.0 / dots_per_inch_x / fixed_pitch_advance;
        points = std::clamp(static_cast<int>(fits), points, largest_points);
    }
    page_font font;
    // Rounded as the platform's multiply-and-divide rounds.
    const long height = std::lround(static_cast<double>(points) * dots_per_inch_x / 72.0);
    font.height = static_cast<std::int16_t>(-std::clamp<long>(height, 0, INT16_MAX));
    font.weight = 400;
    // The records are Windows-1250 text; the western character set would
    // turn every "ő" and "ű" into a look-alike.
    font.charset = east_europe_charset;
    font.face = std::string(face.substr(0, 31));
    return font;
}

std::string listing_date()
{
    std::string today = date_to_dbf(date_today());
    return picture_format(today, "@D");
}

void print_page_header(page_device& device, const page_font& font, const listing_header& header,
                       std::int32_t page_number, const listing_layout& layout,
                       const std::vector<column_descriptor>& columns)
{
    const std::int32_t width = listing_width(layout.width);
    put_text(device, 0, 0, "", nullptr, nullptr, black, false);
    put_text(device, 1, 0, header.company + " T100", "", &font, black, false);
    put_text(device, 1, width - 10, header.date, "", &font, black, false);
    const std::string title = header_title(header.title, width);
    put_text(device, 2, (width - text_length(title)) / 2, title, "", &font, black, false);
    put_text(device, 2, width - page_number_width, page_number_text(page_number), "", &font, black, false);
    if (layout.mark_x >= 0 && layout.mark_x < width) put_text(device, 3, layout.mark_x, "*", "", &font, black, false);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].print_selected && layout.prints(i)) {
            put_text(device, 3, layout.x[i], columns[i].caption, "", &font, black, false);
        }
    }
    put_text(device, 4, 0, std::string(static_cast<std::size_t>(width), '-'), "", &font, black, false);
}

listing_result print_listing(browse_object& browse, const listing_environment& environment, std::string* problem)
{
    if (browse.table == nullptr) return listing_result::nothing_chosen;
    table_object& table = *browse.table;
    const std::vector<column_descriptor>& columns = browse.columns;
    if (std::none_of(columns.begin(), columns.end(), [](const column_descriptor& c) { return c.print_selected; })) {
        return listing_result::nothing_chosen;
    }
    const std::int32_t width = listing_width(listing_width_sum(table, columns));
    if (listing_busy) return listing_result::already_running;
    listing_busy_scope busy;

    const std::string& document = environment.header.title;
    page_device device;
    device.preview = environment.preview;
    device.preview_context = environment.preview_context;
    open_page_device(device, environment.printer, nullptr, document, true, width, true);
    const std::int32_t remembered = current_record(table);
    listing_result result = listing_result::no_printer;

    if (!device.failure.empty()) {
        result = listing_result::pages_not_written;
    } else if (start_document(device, document) != 0) {
        tell_busy(environment, true);
        const page_font font =
            listing_font(environment.font_face, width, device.printer.dots_per_inch_x, device.cell_width);
        const listing_layout layout = lay_out_listing(table, columns, width);
        std::int32_t line = 999;
        std::int32_t page_number = 0;
        const auto room_for_a_line = [&] {
            if (line <= device.lines_per_page) return;
            if (page_number != 0) end_page(device);
            start_page(device);
            print_page_header(device, font, environment.header, ++page_number, layout, columns);
            line = first_record_line;
        };
        // The records named are visited by number, the whole table by skipping.
        std::size_t named = 0;
        const auto next_record = [&] {
            if (environment.only_records == nullptr) return !at_eof(table);
            while (named < environment.only_records->size()) {
                if (go_to_exactly(table, (*environment.only_records)[named++]) != 0) return true;
            }
            return false;
        };
        if (environment.only_records == nullptr) go_top(table);
        // Past a page that could not be written the rest is not worth laying out.
        while (next_record() && device.failure.empty()) {
            room_for_a_line();
            print_record(device, table, line, font, layout, columns, environment.memo_texts);
            ++line;
            if (environment.memo_texts) {
                for (const std::string& text : record_memo_lines(table, layout, columns)) {
                    room_for_a_line();
                    put_text(device, line++, memo_indent, text, "", &font, black, false);
                }
            }
            if (environment.only_records == nullptr) skip(table, 1);
        }
        end_page(device);
        // The preview is for looking, not waiting: the wait cursor goes first.
        tell_busy(environment, false);
        // Pages that are not whole would show and print another listing than
        // the table's: none is shown.
        if (device.failure.empty()) {
            end_document(device);
            result = listing_result::shown;
        } else {
            result = listing_result::pages_not_written;
        }
        go_to(table, remembered);
    }
    if (result == listing_result::pages_not_written && problem != nullptr)
        *problem = pages_not_written_text + device.failure;
    close_page_device(device);
    return result;
}

bool listing_running()
{
    return listing_busy;
}

}  // namespace vortel
