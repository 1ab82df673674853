#include "engine/xlsx_import.h"

#include "platform/error_text.h"
#include "platform/native_file.h"
#include "platform/temp_dir.h"
#include "text/csv_field.h"
#include "text/date_value.h"
#include "text/text_ops.h"

#include <expat.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string_view>
#include <vector>

namespace vortel {
namespace {

constexpr std::size_t read_block = 64 * 1024;
constexpr long sheet_rows_max = 1048576;
// A shared string table past this is taken for damage: it is held whole.
constexpr std::size_t shared_strings_max = std::size_t{512} << 20;

struct zip_closer {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using zip_archive = std::unique_ptr<zip_t, zip_closer>;

std::string_view local_name(const char* name)
{
    const std::string_view full(name);
    const std::size_t colon = full.find(':');
    return colon == std::string_view::npos ? full : full.substr(colon + 1);
}

// The value of attribute `name` (any prefix), "" when absent.
std::string attribute(const char** attributes, std::string_view name)
{
    for (const char** a = attributes; a[0]; a += 2) {
        if (local_name(a[0]) == name) return a[1];
    }
    return {};
}

// One part of the workbook read through expat, element by element.
class part_reader {
public:
    virtual ~part_reader() = default;
    virtual void start(std::string_view name, const char** attributes) = 0;
    virtual void end(std::string_view name) = 0;
    virtual void text(std::string_view) {}
    // Set by a reader that refuses what it reads.
    std::string refusal;
};

// Reads part `name` of the archive through `reader`; "" when read, or the
// reason. A missing part is "" with `found` false.
std::string read_part(zip_t* archive, const std::string& name, part_reader& reader, bool& found)
{
    found = false;
    zip_file_t* file = zip_fopen(archive, name.c_str(), 0);
    if (!file) return {};
    found = true;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &reader);
    XML_SetElementHandler(
        parser,
        [](void* data, const char* element, const char** attributes) {
            static_cast<part_reader*>(data)->start(local_name(element), attributes);
        },
        [](void* data, const char* element) { static_cast<part_reader*>(data)->end(local_name(element)); });
    XML_SetCharacterDataHandler(parser, [](void* data, const char* text, int length) {
        static_cast<part_reader*>(data)->text(std::string_view(text, static_cast<std::size_t>(length)));
    });
    std::string problem;
    std::vector<char> block(read_block);
    for (;;) {
        const zip_int64_t got = zip_fread(file, block.data(), block.size());
        if (got < 0) {
            problem = "its part " + name + " cannot be unpacked: " + zip_file_strerror(file);
            break;
        }
        if (XML_Parse(parser, block.data(), static_cast<int>(got), got == 0) == XML_STATUS_ERROR) {
            problem = "its part " + name + " is no XML (line " + std::to_string(XML_GetCurrentLineNumber(parser)) +
                      ": " + XML_ErrorString(XML_GetErrorCode(parser)) + ")";
            break;
        }
        if (!reader.refusal.empty()) {
            problem = reader.refusal;
            break;
        }
        if (got == 0) break;
    }
    XML_ParserFree(parser);
    zip_fclose(file);
    return problem;
}

struct workbook_reader final : part_reader {
    void start(std::string_view name, const char** attributes) override
    {
        if (name == "workbookPr") date1904 = attribute(attributes, "date1904") == "1" ||
                                             attribute(attributes, "date1904") == "true";
        if (name == "sheet" && first_sheet.empty()) first_sheet = attribute(attributes, "id");
    }
    void end(std::string_view) override {}
    bool date1904 = false;
    std::string first_sheet;  // its relationship id
};

struct relations_reader final : part_reader {
    void start(std::string_view name, const char** attributes) override
    {
        if (name == "Relationship") targets[attribute(attributes, "Id")] = attribute(attributes, "Target");
    }
    void end(std::string_view) override {}
    std::map<std::string, std::string> targets;
};

// Whether a number format shows dates or times: a d, m, y, h or s outside
// quoted text, brackets and escapes.
bool is_date_format(std::string_view code)
{
    bool quoted = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == '[') {
            i = std::min(code.find(']', i), code.size());
        } else if (c == ';') {
            return false;  // the first section decides
        } else if (std::string_view("dDmMyYhHsS").find(c) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

// The decimals a number format shows at least: the zeros after its point;
// none for percentages and exponents, which show another number.
std::size_t format_decimals(std::string_view code)
{
    code = code.substr(0, code.find(';'));
    if (code.find_first_of("%Ee\"") != std::string_view::npos) return 0;
    const std::size_t point = code.find('.');
    if (point == std::string_view::npos) return 0;
    std::size_t zeros = 0;
    while (point + 1 + zeros < code.size() && code[point + 1 + zeros] == '0') ++zeros;
    return zeros;
}

struct number_format {
    bool date = false;
    std::size_t decimals = 0;
};

number_format builtin_format(int id)
{
    if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58)) {
        return {true, 0};
    }
    if (id == 2 || id == 4 || id == 8 || id == 40 || id == 39 || id == 44) return {false, 2};
    return {};
}

struct styles_reader final : part_reader {
    void start(std::string_view name, const char** attributes) override
    {
        if (name == "numFmt") {
            const std::string code = attribute(attributes, "formatCode");
            const int id = std::atoi(attribute(attributes, "numFmtId").c_str());
            custom[id] = {is_date_format(code), format_decimals(code)};
        } else if (name == "cellXfs") {
            in_cell_formats = true;
        } else if (name == "xf" && in_cell_formats) {
            const int id = std::atoi(attribute(attributes, "numFmtId").c_str());
            const auto found = custom.find(id);
            cells.push_back(found != custom.end() ? found->second : builtin_format(id));
        }
    }
    void end(std::string_view name) override
    {
        if (name == "cellXfs") in_cell_formats = false;
    }
    std::map<int, number_format> custom;
    std::vector<number_format> cells;  // by style index
    bool in_cell_formats = false;
};

// A sheet's text with the characters XML cannot carry (CR, control bytes)
// written back: the workbook spells them _x000D_, and a "_x" of the text
// itself _x005F_x.
std::string unescaped_text(std::string text)
{
    const auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    std::size_t at = text.find("_x");
    while (at != std::string::npos && at + 7 <= text.size()) {
        unsigned code = 0;
        bool escape = text[at + 6] == '_';
        for (std::size_t i = at + 2; i < at + 6 && escape; ++i) {
            escape = hex(text[i]) >= 0;
            code = code * 16 + static_cast<unsigned>(std::max(0, hex(text[i])));
        }
        if (!escape || code >= 0x80) {  // only the ASCII ones are ever written so
            at = text.find("_x", at + 1);
            continue;
        }
        text.replace(at, 7, 1, static_cast<char>(code));
        at = text.find("_x", at + 1);
    }
    return text;
}

// Text of <t> elements, without the phonetic runs (<rPh>) that only
// annotate it.
struct string_collector {
    void start(std::string_view name)
    {
        if (name == "t" && phonetic == 0) in_text = true;
        if (name == "rPh") ++phonetic;
    }
    void end(std::string_view name)
    {
        if (name == "t") in_text = false;
        if (name == "rPh") --phonetic;
    }
    bool in_text = false;
    int phonetic = 0;
};

struct shared_strings_reader final : part_reader {
    void start(std::string_view name, const char**) override
    {
        if (name == "si") strings.emplace_back();
        collector.start(name);
    }
    void end(std::string_view name) override { collector.end(name); }
    void text(std::string_view text) override
    {
        if (!collector.in_text || strings.empty()) return;
        size += text.size();
        if (size > shared_strings_max) refusal = "its shared strings are larger than a sheet's texts can be";
        strings.back() += text;
    }
    std::vector<std::string> strings;
    string_collector collector;
    std::size_t size = 0;
};

// A sheet's number is a double, written by some programs with 17 digits
// (9.199999999999999 for 9.2): the shortest spelling that reads back as the
// same double, without exponent, is the number a spreadsheet shows.
std::string shortest_number(const std::string& text)
{
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end || !std::isfinite(number)) return text;
    char spelled[400];
    const auto written = std::to_chars(spelled, spelled + sizeof spelled, number, std::chars_format::fixed);
    if (written.ec != std::errc{}) return text;
    return std::string(spelled, written.ptr);
}

// "2024-01-31", "2024-01-31 13:45:00" or "13:45:00" for a serial day number;
// "" for one that names no day (the 1900 system's 29 February 1900).
std::string serial_date_text(const std::string& number, bool date1904)
{
    char* end = nullptr;
    const double serial = std::strtod(number.c_str(), &end);
    if (end == number.c_str() || *end || serial < 0 || serial > 2958466) return {};
    long days = static_cast<long>(std::floor(serial));
    long seconds = std::lround((serial - static_cast<double>(days)) * 86400.0);
    if (seconds == 86400) {
        ++days;
        seconds = 0;
    }
    std::string text;
    if (days > 0 || date1904) {
        date_value base = date1904 ? date_from_ymd(1904, 1, 1) : date_from_ymd(1899, 12, days < 60 ? 31 : 30);
        if (!date1904 && days == 60) return {};
        text = date_to_dash(date_add_days(base, days));
        if (text.empty()) return {};
    }
    if (seconds > 0 || text.empty()) {
        char time[64];
        std::snprintf(time, sizeof time, "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
        text += (text.empty() ? "" : " ") + std::string(time);
    }
    return text;
}

// Column index of a cell reference ("B3" is 1); -1 without letters.
long column_of(std::string_view reference)
{
    long column = 0;
    std::size_t i = 0;
    for (; i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z'; ++i) {
        column = column * 26 + (reference[i] - 'A' + 1);
        if (column > 16384) return -1;
    }
    return i == 0 ? -1 : column - 1;
}

class sheet_reader final : public part_reader {
public:
    sheet_reader(std::FILE* out, const std::vector<std::string>& strings, const std::vector<number_format>& formats,
                 bool date1904)
        : out_(out), strings_(strings), formats_(formats), date1904_(date1904)
    {
    }

    void start(std::string_view name, const char** attributes) override
    {
        if (name == "row") {
            const long row = std::atol(attribute(attributes, "r").c_str());
            row_ = row > row_ ? row : row_ + 1;
            cells_.clear();
            // Each row number up to it becomes a line of the CSV text.
            if (row_ > sheet_rows_max) {
                refusal = "its row " + std::to_string(row_) + " lies past the last row of a sheet";
            }
        } else if (name == "c") {
            const long column = column_of(attribute(attributes, "r"));
            column_ = column >= 0 ? column : column_ + 1;
            type_ = attribute(attributes, "t");
            style_ = std::atol(attribute(attributes, "s").c_str());
            value_.clear();
        } else if (name == "v") {
            in_value_ = true;
        } else if (name == "is") {
            in_inline_ = true;
        } else if (in_inline_) {
            collector_.start(name);
        }
    }

    void end(std::string_view name) override
    {
        if (name == "v") in_value_ = false;
        if (name == "is") in_inline_ = false;
        if (in_inline_) collector_.end(name);
        if (name == "c") finish_cell();
        if (name == "row") write_row();
    }

    void text(std::string_view text) override
    {
        if (in_value_ || (in_inline_ && collector_.in_text)) value_ += text;
    }

    bool write_failed = false;

private:
    void finish_cell()
    {
        std::string value;
        if (value_.empty()) return;  // a cell with a format only, or a formula never computed
        if (type_ == "s") {
            const long index = std::atol(value_.c_str());
            if (index < 0 || static_cast<std::size_t>(index) >= strings_.size()) {
                refusal = "row " + std::to_string(row_) + " names a shared text the workbook lacks";
                return;
            }
            value = unescaped_text(strings_[static_cast<std::size_t>(index)]);
        } else if (type_ == "b") {
            value = value_ == "1" ? "T" : value_ == "0" ? "F" : value_;
        } else if (type_ == "inlineStr" || type_ == "str") {
            value = unescaped_text(value_);
        } else if (type_ == "e") {
            value = value_;
        } else if (type_ == "d") {
            // An ISO 8601 date cell: 2024-01-31T13:45:00 as the date cells above.
            value = value_.substr(0, std::min(value_.find_first_of("Z.+"), value_.size()));
            if (value.ends_with("T00:00:00")) value.resize(value.size() - 9);
            std::replace(value.begin(), value.end(), 'T', ' ');
        } else {
            const auto style = static_cast<std::size_t>(style_);
            const number_format format = style_ >= 0 && style < formats_.size() ? formats_[style] : number_format{};
            std::string date = format.date ? serial_date_text(value_, date1904_) : std::string();
            value = !date.empty() ? date : padded(shortest_number(value_), format.decimals);
        }
        if (value.empty()) return;
        if (static_cast<std::size_t>(column_) >= cells_.size()) cells_.resize(static_cast<std::size_t>(column_) + 1);
        cells_[static_cast<std::size_t>(column_)] = std::move(value);
    }

    static std::string padded(std::string number, std::size_t decimals)
    {
        const std::size_t point = number.find('.');
        const std::size_t has = point == std::string::npos ? 0 : number.size() - point - 1;
        if (has >= decimals) return number;
        if (point == std::string::npos) number += '.';
        return number.append(decimals - has, '0');
    }

    void write_row()
    {
        line_.clear();
        // Empty lines up to this row's line.
        line_.append(static_cast<std::size_t>(std::max(0L, row_ - written_ - 1)), '\n');
        for (std::size_t i = 0; i < cells_.size(); ++i) {
            if (i > 0) line_ += ',';
            append_csv_field(line_, cells_[i], ',');
        }
        line_ += '\n';
        written_ = row_;
        column_ = -1;
        if (std::fwrite(line_.data(), 1, line_.size(), out_) != line_.size()) {
            write_failed = true;
            refusal = "the sheet's rows cannot be written";
        }
    }

    std::FILE* out_;
    const std::vector<std::string>& strings_;
    const std::vector<number_format>& formats_;
    bool date1904_;
    long row_ = 0;
    long written_ = 0;
    long column_ = -1;
    long style_ = 0;
    std::string type_;
    std::string value_;
    bool in_value_ = false;
    bool in_inline_ = false;
    string_collector collector_;
    std::vector<std::string> cells_;
    std::string line_;
};

// The archive path of a relationship target, from the workbook's folder.
std::string part_path(const std::string& target)
{
    if (target.starts_with('/')) return target.substr(1);
    return "xl/" + target;
}

}  // namespace

std::string write_sheet_as_csv(const std::string& workbook, const std::string& csv_path)
{
    const std::string name = file_name_text(workbook);
    int error = 0;
    zip_archive archive(zip_open(workbook.c_str(), ZIP_RDONLY, &error));
    if (!archive) {
        if (error == ZIP_ER_OPEN || error == ZIP_ER_READ) return file_error_text(errno, workbook);
        return name + " is no workbook: it is not a zip archive";
    }
    const auto part = [&](const std::string& path, part_reader& reader, bool needed) -> std::string {
        bool found = false;
        std::string problem = read_part(archive.get(), path, reader, found);
        if (!problem.empty()) return name + ": " + problem;
        if (!found && needed) return name + " is no workbook: it lacks its part " + path;
        return {};
    };
    workbook_reader book;
    if (std::string problem = part("xl/workbook.xml", book, true); !problem.empty()) return problem;
    relations_reader relations;
    if (std::string problem = part("xl/_rels/workbook.xml.rels", relations, false); !problem.empty()) return problem;
    const auto target = relations.targets.find(book.first_sheet);
    const std::string sheet_path =
        target != relations.targets.end() ? part_path(target->second) : "xl/worksheets/sheet1.xml";
    styles_reader styles;
    if (std::string problem = part("xl/styles.xml", styles, false); !problem.empty()) return problem;
    shared_strings_reader strings;
    if (std::string problem = part("xl/sharedStrings.xml", strings, false); !problem.empty()) return problem;

    std::FILE* out = std::fopen(csv_path.c_str(), "wb");
    if (!out) return file_error_text(errno, csv_path);
    sheet_reader sheet(out, strings.strings, styles.cells, book.date1904);
    std::string problem = part(sheet_path, sheet, true);
    if (std::fclose(out) != 0 && problem.empty()) problem = file_error_text(errno, csv_path);
    if (sheet.write_failed) problem = file_error_text(EIO, csv_path);
    return problem;
}

sheet_as_csv::sheet_as_csv(const std::string& workbook)
{
    std::random_device random;
    // A name no other run takes: created exclusively.
    for (int attempt = 0; attempt < 16 && path_.empty(); ++attempt) {
        const std::string name = temp_directory() + "vortel-sheet-" + std::to_string(random()) + ".csv";
        if (std::FILE* file = std::fopen(name.c_str(), "wbx")) {
            std::fclose(file);
            path_ = name;
        }
    }
    if (path_.empty()) {
        failure_ = file_error_text(errno, temp_directory());
        return;
    }
    failure_ = write_sheet_as_csv(workbook, path_);
}

sheet_as_csv::~sheet_as_csv()
{
    if (!path_.empty()) (void)delete_file(path_);
}

bool has_xlsx_extension(const std::string& file_name)
{
    return file_name.size() > 5 && equal_ignoring_case(std::string_view(file_name).substr(file_name.size() - 5), ".xlsx");
}

}  // namespace vortel
