// The page device: the one drawing target of a print job. Text is placed on
// a fixed grid of character cells over the printer's printable area, in the
// printer's device units, so a proportional font prints like a fixed-pitch
// one. Each page becomes a page file (page-file mode) or goes straight to a
// print target (printer mode).
//
// Call order: open_page_device, start_document, then per page start_page,
// any number of put_text, end_page; then end_document, close_page_device.
// One device serves exactly one job.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "print/page_recorder.h"
#include "print/printer_facts.h"
#include "print/text_surface.h"
#include "runtime/pointer_list.h"

namespace vortel {

inline constexpr std::int32_t page_columns_min = 80;

struct page_device;
// Shows the recorded pages; returns when the user is done with them.
using page_preview_hook = void (*)(page_device& device, void* context);

struct page_device {
    bool has_printer = false;  // false: no printer was found and no page can be made
    printer_facts printer;
    print_target* printer_output = nullptr;  // printer mode only; not owned

    // Where drawing goes: the printer output, or the recorder of the open
    // page file; null between pages in page-file mode.
    text_surface* drawing = nullptr;
    std::unique_ptr<page_recorder> recorder;
    std::string recording_path;  // page file of the open page; empty if it could not be made
    int recording_fd = -1;       // its descriptor, open from start_page to end_page

    pointer_list pages;  // page-file names (page_name_room texts), page order
    std::string temp_directory;  // the job's private directory, ending in its separator
    // The first page file that could not be made or written whole, in the
    // user's words; empty while every page is whole. The job's pages are
    // then not worth showing or printing.
    std::string failure;
    std::string document_name;
    std::int32_t page_count = 0;

    std::int32_t line_height = 0;
    std::int32_t lines_per_page = 0;  // callers break when the line number exceeds it
    std::int32_t cell_width = 0;
    std::int32_t columns = 0;

    bool page_files = false;
    bool cell_placement = false;
    bool landscape = false;

    page_preview_hook preview = nullptr;
    void* preview_context = nullptr;
};

// `printer` null means there is no printer: start_document then fails.
// In printer mode the document starts at once on `output`. In page-file
// mode the job's private directory is made (see platform/job_directory.h);
// a directory that cannot be made is the device's failure.
void open_page_device(page_device& device, const printer_facts* printer, print_target* output,
                      std::string_view document_name, bool page_files, std::int32_t columns_wanted,
                      bool cell_placement);

// Line height, lines per page and cell width from the printer's facts.
void measure_cells(page_device& device);

// How much of the printable area the pages can draw on, device units:
// every cell of every line from 0 to lines_per_page.
struct drawn_area {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
drawn_area page_drawn_area(const page_device& device);

// Non-zero on success.
int start_document(page_device& device, std::string_view document_name);
void start_page(page_device& device);

// Draws `text` (Windows-1250) from cell (line, column); with a picture
// (even an empty one) the text is formatted through it first. With
// `font` the text is drawn in it and the device's default font is put back
// after. Unless `whole_string` is set or cell placement is off, every
// character takes a cell of its own and characters past the last column
// are dropped.
void put_text(page_device& device, std::int32_t line, std::int32_t column, std::string_view text,
              const char* picture, const page_font* font, std::uint32_t rgb, bool whole_string);

void end_page(page_device& device);
// Page-file mode: runs the preview hook; printer mode: ends the printer's document.
void end_document(page_device& device);
// Deletes every page file and the job's directory and releases the
// device's state.
void close_page_device(page_device& device);

}  // namespace vortel
