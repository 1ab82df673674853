#include "print/page_device.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/error_text.h"
#include "platform/file_ops.h"
#include "platform/job_directory.h"
#include "platform/temp_dir.h"
#include "print/page_store.h"
#include "text/picture.h"

namespace vortel {
namespace {

// The shown text of a cell is built in a 256-byte work text.
constexpr std::size_t shown_text_max = 255;

void fail(page_device& device, int error, const std::string& path)
{
    if (device.failure.empty()) device.failure = file_error_text(error != 0 ? error : EIO, path);
}

// Writes the whole page and closes it; a short write is a full disk.
int write_whole(int fd, const std::string& bytes)
{
    const file_ops& ops = active_file_ops();
    std::size_t done = 0;
    int error = 0;
    while (done < bytes.size() && error == 0) {
        const ssize_t wrote = ops.write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote > 0)
            done += static_cast<std::size_t>(wrote);
        else if (wrote == 0)
            error = ENOSPC;
        else if (errno != EINTR)
            error = errno;
    }
    if (ops.close(fd) != 0 && error == 0) error = errno;
    return error;
}

}  // namespace

void open_page_device(page_device& device, const printer_facts* printer, print_target* output,
                      std::string_view document_name, bool page_files, std::int32_t columns_wanted,
                      bool cell_placement)
{
    device.landscape = false;
    device.has_printer = printer != nullptr;
    if (!device.has_printer) return;
    device.printer = *printer;
    device.printer_output = output;
    device.page_files = page_files;
    if (!page_files) start_document(device, document_name);
    device.document_name = document_name;
    device.cell_placement = cell_placement;
    device.columns = std::max(columns_wanted, page_columns_min);
    measure_cells(device);
    device.failure.clear();
    if (!page_files) return;
    const std::string parent = temp_directory();
    if (const int error = make_job_directory(parent, device.temp_directory)) fail(device, error, parent);
}

void measure_cells(page_device& device)
{
    const printer_facts& printer = device.printer;
    // Zero or negative metrics would divide by zero; a one-unit line keeps
    // the arithmetic defined and the fault visible on the page.
    device.line_height = std::max(printer.font_height + printer.font_external_leading, 1);
    device.lines_per_page = std::max(printer.printable_height / device.line_height - 2, 0);
    device.cell_width = printer.printable_width / std::max(device.columns, page_columns_min);
}

drawn_area page_drawn_area(const page_device& device)
{
    return {device.columns * device.cell_width, (device.lines_per_page + 1) * device.line_height};
}

int start_document(page_device& device, std::string_view document_name)
{
    if (!device.has_printer) return 0;
    if (device.page_files) return 1;
    if (device.printer_output == nullptr) return 0;
    const int started = device.printer_output->start_document(document_name);
    if (started >= 1) device.drawing = device.printer_output;
    return started;
}

void start_page(page_device& device)
{
    if (!device.has_printer) return;
    if (!device.page_files) {
        if (device.printer_output != nullptr) device.printer_output->start_page();
        ++device.page_count;
        return;
    }
    // A page left open would lose its drawing; finish it first.
    if (device.drawing != nullptr) end_page(device);
    ++device.page_count;
    const std::string name = page_file_name(device.temp_directory, device.page_count);
    add_page_name(device.pages, name);
    if (!device.failure.empty()) return;
    // The file is made now, so that a page that cannot be created is known
    // before anything is drawn on it.
    if (name.empty()) return fail(device, ENAMETOOLONG, device.temp_directory);
    device.recording_fd = create_private_file(name);
    if (device.recording_fd < 0) return fail(device, errno, name);
    device.recording_path = name;
    device.recorder = std::make_unique<page_recorder>(device.printer.default_font);
    device.drawing = device.recorder.get();
}

void put_text(page_device& device, std::int32_t line, std::int32_t column, std::string_view text,
              const char* picture, const page_font* font, std::uint32_t rgb, bool whole_string)
{
    text_surface* surface = device.drawing;
    if (surface == nullptr) return;
    if (font != nullptr) surface->select_font(*font);
    surface->set_background_mode(background_transparent);
    surface->set_text_colour(rgb);

    std::string shown(text);
    if (picture != nullptr) shown = picture_format(shown, picture);
    if (shown.size() > shown_text_max) shown.resize(shown_text_max);

    const std::int32_t y = line * device.line_height;
    if (whole_string || !device.cell_placement) {
        surface->draw_text(column * device.cell_width, y, shown);
    } else {
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const std::int64_t cell = std::int64_t{column} + static_cast<std::int64_t>(i);
            if (cell >= device.columns) break;
            if (cell < 0) continue;
            surface->draw_text(static_cast<std::int32_t>(cell) * device.cell_width, y,
                               std::string_view(shown).substr(i, 1));
        }
    }
    if (font != nullptr) surface->select_font(device.printer.default_font);
}

void end_page(page_device& device)
{
    if (!device.has_printer) return;
    if (!device.page_files) {
        if (device.printer_output != nullptr) device.printer_output->end_page();
        return;
    }
    if (device.recorder == nullptr) return;
    if (const int error = write_whole(device.recording_fd, device.recorder->finish()))
        fail(device, error, device.recording_path);
    device.recording_fd = -1;
    device.recorder.reset();
    device.recording_path.clear();
    device.drawing = nullptr;
}

void end_document(page_device& device)
{
    if (!device.has_printer) return;
    if (device.page_files) {
        if (device.drawing != nullptr) end_page(device);
        if (device.preview != nullptr) device.preview(device, device.preview_context);
        return;
    }
    if (device.printer_output != nullptr) device.printer_output->end_document();
    device.drawing = nullptr;
}

void close_page_device(page_device& device)
{
    if (device.recording_fd >= 0) active_file_ops().close(device.recording_fd);
    device.recording_fd = -1;
    device.recorder.reset();
    device.recording_path.clear();
    device.drawing = nullptr;
    delete_page_files(device.pages);
    if (!device.temp_directory.empty()) remove_job_directory(device.temp_directory);
    device.printer_output = nullptr;
    device.has_printer = false;
    device.document_name.clear();
    device.temp_directory.clear();
}

}  // namespace vortel
