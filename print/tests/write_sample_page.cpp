// Writes one listing-like page through the page device into the directory
// given first, and copies its page file to the path given second before the
// device deletes it: input for the check with an independent reader.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "print/page_device.h"

namespace {

void copy_first_page(vortel::page_device& device, void* context)
{
    const char* from = static_cast<const char*>(vortel::list_first(device.pages));
    std::FILE* in = std::fopen(from, "rb");
    std::FILE* out = std::fopen(static_cast<const char*>(context), "wb");
    if (in != nullptr && out != nullptr) {
        char chunk[4096];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) std::fwrite(chunk, 1, got, out);
    }
    if (in != nullptr) std::fclose(in);
    if (out != nullptr) std::fclose(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: write_sample_page TEMP_DIR OUT.WMF\n", stderr);
        return 2;
    }
    ::setenv("TMPDIR", argv[1], 1);
    vortel::printer_facts printer;
    printer.dots_per_inch_x = printer.dots_per_inch_y = 600;
    printer.printable_width = 4660;
    printer.printable_height = 6716;
    printer.font_height = 100;
    printer.default_font = vortel::page_font{100, 0, 400, 0, vortel::east_europe_charset, 0, "Courier New"};
    const vortel::page_font listing{-90, 0, 700, 0, vortel::east_europe_charset, 0, "Courier New"};

    vortel::page_device device;
    vortel::open_page_device(device, &printer, nullptr, "Listing", true, 80, true);
    if (vortel::start_document(device, "Listing") != 1) return 1;
    device.preview = copy_first_page;
    device.preview_context = argv[2];
    vortel::start_page(device);
    vortel::put_text(device, 0, 0, "0001.PAGE", nullptr, &listing, 0, false);
    vortel::put_text(device, 5, 2, "VORTELSAMPLE", nullptr, &listing, vortel::page_rgb(0, 0, 128), false);
    vortel::end_page(device);
    vortel::end_document(device);
    vortel::close_page_device(device);
    return 0;
}
