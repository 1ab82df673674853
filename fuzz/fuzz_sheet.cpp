// Reading an arbitrary file as a workbook's first sheet: whatever the file
// holds, the reading either refuses it with a reason or writes CSV text
// that the CSV reader takes whole: no value of a sheet can end a CSV value
// or row early.
//
// The input is the workbook file; the seeds are workbooks as the export
// and python3-openpyxl write them.
#include "engine/csv_reader.h"
#include "engine/file_handle.h"
#include "engine/xlsx_import.h"
#include "fuzz/fuzz_support.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vortel;
    const std::string workbook = fuzz::scratch_folder() + "BOOK.XLSX";
    const std::string csv = fuzz::scratch_folder() + "SHEET.CSV";
    fuzz::write_file(workbook, std::span<const std::uint8_t>(data, size));
    fuzz::remove_file(csv);
    const std::string refusal = write_sheet_as_csv(workbook, csv);
    if (!refusal.empty()) return 0;

    file_handle file(csv, 512);
    if (!fh_open(file, import_text_mode)) fuzz::fail("the sheet's CSV text does not open");
    csv_reader reader(file, ',', std::size_t{1} << 30);
    std::vector<std::string> values;
    while (reader.next(values)) {
    }
    if (reader.failed() || !reader.error().empty()) fuzz::fail("the sheet's CSV text is no CSV the reader takes");
    return 0;
}
