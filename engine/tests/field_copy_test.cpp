// The rules by which a value travels from a field of one shape into a field
// of another in the bulk copies, and which stored bytes an import keeps.
#include "engine/field_copy.h"

#include "engine/create_table.h"
#include "engine/record_copy.h"
#include "engine/tests/table_fixture.h"
#include "shell/settings.h"
#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

namespace vortel {
namespace {

constexpr const char* refused = "";

// Copies one record holding `bytes` (blank-padded) in a field `from` into a table with the
// field `to`, and gives the target field's bytes, or the failure noted on
// the target when the copy fails.
std::string copied(const field_list_entry& from, const std::string& bytes, const field_list_entry& to,
                   std::string& failure)
{
    testing::scratch_dir dir;
    const std::string source_path = dir.file("SOURCE.DBF");
    const std::string target_path = dir.file("TARGET.DBF");
    std::string record = bytes;
    record.resize(static_cast<std::size_t>(from.length), ' ');
    testing::write_table(source_path, {from}, {{record}});
    EXPECT_EQ(create_table(*table_new(target_path), {to}), 1);
    auto source = table_new(source_path);
    auto target = table_new(target_path);
    EXPECT_TRUE(table_open(*source) && table_open(*target) && lock_table(*source) && lock_table(*target));
    if (!copy_records(*source, *target, {0}, copy_selection::as_navigated)) {
        failure = target->failure;
        return refused;
    }
    failure.clear();
    return testing::stored_records(target_path).at(0).substr(1, static_cast<std::size_t>(to.length));
}

TEST(field_copy, a_value_keeps_its_bytes_in_the_same_shape_and_follows_the_value_rules_in_another)
{
    settings_restore_defaults();
    const field_list_entry n52{"AMOUNT", 'N', 5, 2}, n52_other{"AMOUNT", 'N', 5, 1}, n19{"ID", 'N', 19, 0},
        n20{"ID", 'N', 20, 0}, n19_2{"ID", 'N', 19, 2}, c5{"AMOUNT", 'C', 5, 0}, c20{"ID", 'C', 20, 0},
        l1{"PAID", 'L', 1, 0}, c1{"PAID", 'C', 1, 0}, d8{"BORN", 'D', 8, 0}, c10{"BORN", 'C', 10, 0};
    // `stored`: `refused` when the copy fails; `failure`: the reason noted on the target.
    const struct {
        const char* what;
        field_list_entry from;
        std::string bytes;
        field_list_entry to;
        std::string stored, failure;
    } rows[] = {
        // The same shape keeps whatever the field holds.
        {"odd number form", n52, "+1.5 ", n52, "+1.5 ", ""},
        {"blank number", n52, "     ", n52, "     ", ""},
        {"zero bytes", n52, std::string("1\0\0\0\0", 5), n52, std::string("1\0\0\0\0", 5), ""},
        {"19 digits", n19, "1234567890123456789", n19, "1234567890123456789", ""},
        {"unknown logical", l1, "?", l1, "?", ""},
        {"zero date", d8, "00000000", d8, "00000000", ""},
        // Numbers into another shape: digit for digit. Into other shapes a
        // value takes the rules of a typed value (the table test's cases); a
        // refusal names the source record.
        {"wider", n19, "   9007199254740993", n20, "    9007199254740993", ""},
        {"rescaled", n19, "   9007199254740993", n19_2, "9007199254740993.00", ""},
        {"too wide rescaled", n19, "-999999999999999999", n19_2, refused,
         "Record 1: -999999999999999999 does not fit ID N(19,2)"},
        {"rounded", n52, " 1.25", n52_other, "  1.3", ""},
        {"characters to number", c20, "  42  ", n19, "                 42", ""},
        {"text is no number", c5, "abc", n52, refused, "Record 1: abc is not a number for AMOUNT N(5,2)"},
        // Into characters: the stored text, cut.
        {"number to characters", n19, "1234567890123456789", c5, "12345", ""},
        {"date to characters", d8, "20240229", c10, "20240229  ", ""},
        // Logicals and dates from characters.
        {"yes letter", c1, "y", l1, "T", ""},
        {"no logical", c1, "x", l1, refused, "Record 1: x is not a logical value (T, F, Y, N or ?) for PAID"},
        {"date with separators", c10, "2024.02.29", d8, "20240229", ""},
    };
    for (const auto& r : rows) {
        std::string failure;
        EXPECT_EQ(copied(r.from, r.bytes, r.to, failure), r.stored) << r.what;
        EXPECT_EQ(failure, r.failure) << r.what;
    }
}

TEST(field_copy, imports_keep_the_forms_every_reader_takes)
{
    const struct { char type; std::string bytes; int decimals; bool kept; } rows[] = {
        {'N', "   12.50", 2, true},  {'N', "12.5    ", 2, true},  {'N', "+0012.5 ", 2, true},
        {'N', "    -0.0", 2, true},  {'N', "        ", 2, true},  {'N', "  12.345", 2, false},
        {'N', "   1.5e3", 2, false}, {'N', "  12. 50", 2, false}, {'N', std::string("12\0\0\0\0\0\0", 8), 2, false},
        {'N', "       -", 2, false}, {'N', "      12", 0, true},  {'N', "    12.5", 0, false},
        {'L', "T", 0, true},         {'L', "n", 0, true},         {'L', "?", 0, true},
        {'L', " ", 0, true},         {'L', "x", 0, false},        {'L', std::string(1, '\0'), 0, false},
        {'D', "20240229", 0, true},  {'D', "        ", 0, true},  {'D', "00000000", 0, true},
        {'D', "20240230", 0, false}, {'D', "2024022 ", 0, false}, {'D', std::string("2024\0\0\0\0", 8), 0, false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(holds_stored_form(r.type, reinterpret_cast<const std::uint8_t*>(r.bytes.data()), r.bytes.size(),
                                    r.decimals),
                  r.kept)
            << r.type << " \"" << r.bytes << "\"";
    }
}

}  // namespace
}  // namespace vortel
