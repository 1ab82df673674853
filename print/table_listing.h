// The table listing: the records of a table window's table as a fixed-pitch
// listing of 80 or 132 columns under a five-line page header, one page file
// per page, ending in the preview.
//
// The front-end chooses the columns (each column's print_selected flag) and
// supplies the printer; everything else is decided here, so the desktop
// program and vortel-cli print the same pages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "grid/column_model.h"
#include "print/page_device.h"

namespace vortel {

inline constexpr std::int32_t narrow_listing = 80;
inline constexpr std::int32_t wide_listing = 132;
// Records start on this line of every page, below the header.
inline constexpr std::int32_t first_record_line = 5;

// The listing's width in columns for a given sum of column widths.
constexpr std::int32_t listing_width(std::int32_t width_sum)
{
    return width_sum <= narrow_listing ? narrow_listing : wide_listing;
}

// The sum that picks the width: each chosen column's width as the listing
// lays it out (the larger of its caption and its field plus one between
// columns; a date takes 11), less the gap after the last. The deleted
// column counts two, its mark and a space.
std::int32_t listing_width_sum(const table_object& table, const std::vector<column_descriptor>& columns);

// Where each column prints. Per column: its first print column, its field
// index and its picture; x is -1 (field -1, empty picture) for a column
// that is not printed: unchosen, the deleted column, or no such field.
struct listing_layout {
    std::int32_t width = narrow_listing;
    std::vector<std::int32_t> x;
    std::vector<int> field;
    std::vector<std::string> pictures;
    // Where deleted records get their "*" (headed "*" too): the place of the
    // deleted column when it is chosen, two columns wide; -1 when it is not.
    std::int32_t mark_x = -1;

    bool prints(std::size_t column) const { return x[column] != -1 && x[column] < width; }
};

listing_layout lay_out_listing(const table_object& table, const std::vector<column_descriptor>& columns,
                               std::int32_t width);

// The captions of the chosen columns the listing cannot hold whole, in
// column order: the one it cuts at its end and those past it.
std::vector<std::string> listing_columns_cut(const table_object& table, const std::vector<column_descriptor>& columns);

// What the user is told of those columns before the listing is laid out;
// empty when there are none.
std::string listing_cut_warning(const table_object& table, const std::vector<column_descriptor>& columns);

// `text` in lines of at most `width` characters: broken at its line ends
// and at the last space that fits, mid-word only for a longer word; tabs
// and the soft line breaks of word-wrapped memos become spaces. Blank lines
// at its end are left out.
std::vector<std::string> wrap_listing_text(std::string_view text, std::int32_t width);

// The listing font: `face` at 12 points on an 80-column listing and at 7 on
// a 132-column one, in the printer's device units. Cells of `cell_width`
// device units wide enough for a larger fixed-pitch letter (a wide listing
// on landscape paper) take it, up to 12 points, rather than spacing small
// letters apart.
page_font listing_font(std::string_view face, std::int32_t width, std::int32_t dots_per_inch_x,
                       std::int32_t cell_width = 0);

// What the page header shows besides the columns' captions.
struct listing_header {
    std::string company;  // the program's name; " T100" follows it
    std::string date;     // today, already through "@D"
    std::string title;    // the table's path
};

// Today through "@D", as the header shows it.
std::string listing_date();

// Draws lines 0 to 4 of page `page_number`: company and date, title and
// page number, the captions of the printed columns, and a rule of hyphens.
// The title is centred and ends before the page number: a path that does
// not fit gives way to its file name, cut at the room there is.
void print_page_header(page_device& device, const page_font& font, const listing_header& header,
                       std::int32_t page_number, const listing_layout& layout,
                       const std::vector<column_descriptor>& columns);

// What the listing needs of its surroundings.
struct listing_environment {
    const printer_facts* printer = nullptr;  // null: there is no printer, nothing is made
    std::string font_face = "Courier New";
    listing_header header;                   // its title is the document name too
    // Memo texts under their record, wrapped, instead of memo block numbers.
    bool memo_texts = false;
    // Only these records, in this order (a search's finds); null: the whole table.
    const std::vector<std::int32_t>* only_records = nullptr;
    page_preview_hook preview = nullptr;     // shows the pages; returns when the user is done
    void* preview_context = nullptr;
    // Called with true once the pages are being laid out and with false
    // before the preview, for a wait cursor.
    void (*busy)(bool on, void* context) = nullptr;
    void* busy_context = nullptr;
};

enum class listing_result {
    nothing_chosen,  // no column is chosen: nothing happened
    already_running, // another listing (its preview included) is under way
    no_printer,      // no printer, or the document could not start: no pages
    shown,           // the pages were laid out and the preview has been closed
    pages_not_written, // a page file could not be made or written whole: no preview
};

// Lays out the whole table from its first record (or the records the
// environment names), one page file per page,
// runs the preview, deletes the page files and puts the table back on the
// record that was current. With the deleted-records setting on, deleted
// records are passed over like everywhere else. The first page that cannot
// be written ends the listing; `problem` (when given) then says why.
listing_result print_listing(browse_object& browse, const listing_environment& environment,
                             std::string* problem = nullptr);

// The words before a pages_not_written problem, for the messages of both
// front-ends.
inline constexpr const char* pages_not_written_text = "The pages of the listing could not be written: ";

// True while a listing runs; a second one is refused meanwhile.
bool listing_running();

}  // namespace vortel
