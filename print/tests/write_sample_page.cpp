// Writes one listing-like page through the page device into the directory
// given first, and copies its page file to the path given second before the
// device deletes it: input for the check with an independent reader.
#include <cstdlib>
#include <filesystem>

#include "print/page_device.h"
#include "print/tests/recording_surface.h"

namespace {

void copy_first_page(vortel::page_device& device, void* context)
{
    std::error_code ignored;
    std::filesystem::copy_file(static_cast<const char*>(vortel::list_first(device.pages)),
                               static_cast<const char*>(context), ignored);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
    ::setenv("TMPDIR", argv[1], 1);
    vortel::printer_facts printer = vortel::print_testing::a4_600_dpi();
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
