#include "engine/table.h"

#include "engine/tests/table_test_base.h"

#include <unistd.h>

namespace vortel {
namespace {

const std::vector<field_list_entry> people_fields = {
    {"NAME", 'C', 10, 0}, {"PRICE", 'N', 8, 2}, {"BORN", 'D', 8, 0}, {"ACTIVE", 'L', 1, 0}, {"NOTES", 'M', 10, 0}};

class table_test : public testing::table_test_base {
protected:
    // Records named R1, R2, ...; `deleted` lists the numbers carrying the mark.
    std::unique_ptr<table_object> numbered(int count, std::vector<int> deleted = {}, navigation_options navigation = {})
    {
        std::vector<fixture_record> records;
        for (int i = 1; i <= count; ++i) {
            bool is_deleted = std::find(deleted.begin(), deleted.end(), i) != deleted.end();
            records.push_back({record_of(people_fields, {"R" + std::to_string(i), "    1.50", "20240229", "T", ""}),
                               is_deleted});
        }
        return open_new_table(path, people_fields, records, navigation);
    }

    static std::string name_of(const table_object& table) { return field_text(table, 0).substr(0, 2); }

    struct move {
        const char* what;
        void (*run)(table_object&);
        std::int32_t on;
        int bof = -1, eof = -1;  // -1 when not looked at
    };

    // Makes each move in turn: the table stands on record `on`, its buffer
    // holds that record, and the file stands after it.
    static void walk(table_object& table, const std::vector<move>& moves)
    {
        for (const move& m : moves) {
            SCOPED_TRACE(m.what);
            m.run(table);
            EXPECT_EQ(current_record(table), m.on);
            EXPECT_EQ(name_of(table), "R" + std::to_string(m.on));
            EXPECT_EQ(fh_tell(table.dbf), table.header.header_length + m.on * table.header.record_length);
            EXPECT_TRUE(m.bof < 0 || at_bof(table) == m.bof);
            EXPECT_TRUE(m.eof < 0 || at_eof(table) == m.eof);
        }
    }
};

TEST_F(table_test, sound_tables_in_every_usual_form_read_as_stored_and_others_are_refused_creating_nothing)
{
    const std::vector<field_list_entry> fields = {{"D", 'D', 10, 0}, {"C", 'C', 2, 0}};
    write_table(path, fields, {{record_of({{"D", 'D', 8, 0}, {"C", 'C', 4, 0}}, {"20240101", "xy"})}});
    std::string bytes = testing::read_file(path);
    bytes.erase(32 * 3 + 1, 1);  // header length 32n + 33, as other programs write
    bytes[8] = static_cast<char>(32 * 3 + 1);
    testing::write_file(path, bytes);

    auto table = table_new(path);
    ASSERT_EQ(table_open(*table), 1);
    EXPECT_EQ(field_info(*table, 0).length, 8) << "a date is eight digits whatever the file says";
    EXPECT_EQ(field_text(*table, 0), "20240101");
    EXPECT_EQ(field_text(*table, 1), "xy");

    // The last field may break the length limits, and is held whole.
    const std::vector<field_list_entry> huge = {{"CODE", 'C', 2, 0}, {"HUGE", 'N', 70, 0}};
    table = open_new_table(dir.file("HUGE.DBF"), huge, {{record_of(huge, {"ab", std::string(69, ' ') + "7"})}});
    EXPECT_EQ(field_text(*table, 1), std::string(69, ' ') + "7");

    // Fields are found by name in any letter case; texts are raw or
    // converted from code page 852.
    const std::vector<field_list_entry> named = {{"Name", 'C', 4, 0}, {"N", 'N', 5, 1}};
    table = open_new_table(dir.file("TEXT.DBF"), named, {{record_of(named, {"\xA0\x8B", "  2.5"})}});
    EXPECT_EQ(field_index(*table, "name"), 0);
    EXPECT_EQ(field_index(*table, "NAMES"), -1);
    EXPECT_EQ(field_info(*table, 1).decimals, 1);
    EXPECT_EQ(field_info(*table, 2).type, 0);
    EXPECT_EQ(field_text(*table, -1), "");
    EXPECT_EQ(field_text(*table, 0), "\xE1\xF5  ") << "\xA0 and \x8B are a with acute and o with double acute";
    EXPECT_EQ(record_text(*table), "\xE1\xF5    2.5");
    choose_code_page(*table, code_page::cp1250);
    EXPECT_EQ(field_text(*table, 0), "\xA0\x8B  ");
    EXPECT_EQ(field_text(*table, 1), "  2.5");

    // Files that are not sound tables are refused, and none is created.
    // Each case damages one byte range of a sound five-field table.
    const struct { const char* what; std::size_t offset; std::string bytes; } cases[] = {
        {"version 0x7F, which no dBase-family program writes", 0, "\x7F"},
        {"version 0x02", 0, "\x02"},
        {"numeric field longer than 63", 32 + 32 + 16, "\x40"},
        {"character field longer than the record", 32 + 16, std::string("\x00\x01", 2)},
        {"record length shorter than the fields", 10, std::string("\x10\x00", 2)},
        {"header length past the end of the file", 8, std::string("\xFF\x7F", 2)},
    };
    for (const auto& c : cases) {
        write_table(path, people_fields, {{record_of(people_fields, {"x"})}});
        testing::patch_file(path, c.offset, c.bytes);
        EXPECT_EQ(table_open(*table_new(path)), 0) << c.what;
    }

    testing::write_file(path, std::string(31, '\x03'));
    EXPECT_EQ(table_open(*table_new(path)), 0) << "shorter than a header";

    std::string missing = dir.file("NONE.DBF");
    EXPECT_EQ(table_open(*table_new(missing)), 0);
    EXPECT_NE(::access(missing.c_str(), F_OK), 0) << "opening must not create the file";
}

TEST_F(table_test, moves_stop_at_both_ends_and_keep_the_position_invariant)
{
    auto table = numbered(5);
    walk(*table, {
                     {"opened", [](table_object&) {}, 1},
                     {"skip -1 at the top", [](table_object& t) { skip(t, -1); }, 1, 1},
                     {"skip 3", [](table_object& t) { skip(t, 3); }, 4, 0},
                     {"skip 1 to the last", [](table_object& t) { skip(t, 1); }, 5, -1, 0},
                     {"skip 1 past the last", [](table_object& t) { skip(t, 1); }, 5, -1, 1},
                     {"go to 99", [](table_object& t) { go_to(t, 99); }, 5},
                     {"go to 0", [](table_object& t) { go_to(t, 0); }, 1},
                     {"go to 3", [](table_object& t) { go_to(t, 3); }, 3},
                     {"go top", [](table_object& t) { go_top(t); }, 1},
                     {"skip -2 at the top", [](table_object& t) { skip(t, -2); }, 1},
                 });

    // An empty table stands nowhere.
    table = numbered(0);
    EXPECT_EQ(std::tuple(current_record(*table), at_eof(*table), at_bof(*table), field_text(*table, 0)),
              std::tuple(0, 1, 1, ""));
    skip(*table, 1);
    go_bottom(*table);
    EXPECT_EQ(at_eof(*table), 1);

    // A header damaged after the open to claim the largest record count:
    // moving on from the claimed last record ends the table instead of
    // wrapping round to record 1.
    table = numbered(2);
    testing::patch_file(path, 4, "\xFF\xFF\xFF\x7F");
    go_bottom(*table);
    ASSERT_EQ(current_record(*table), 2147483647);
    EXPECT_EQ(step(*table, 3), 0);
    EXPECT_EQ(current_record(*table), 2147483647);
    EXPECT_EQ(at_eof(*table), 1);

    // Hidden deleted records are passed over in both directions.
    table = numbered(6, {1, 3, 4, 6}, testing::hiding_deleted);
    walk(*table, {
                     {"go_top passes deleted records", [](table_object&) {}, 2},
                     {"skip 1", [](table_object& t) { skip(t, 1); }, 5},
                     {"only deleted records follow: stay", [](table_object& t) { skip(t, 1); }, 5, -1, 1},
                     {"skip -1", [](table_object& t) { skip(t, -1); }, 2},
                     {"skip -1 at the first shown", [](table_object& t) { skip(t, -1); }, 2, 1},
                     {"go bottom", [](table_object& t) { go_bottom(t); }, 5},
                     {"a long skip back ends on the first shown", [](table_object& t) { skip(t, -9); }, 2, 1},
                     {"shown when not hidden", [](table_object& t) {
                          t.navigation.hide_deleted = false;
                          go_top(t);
                      }, 1},
                     {"skip 2", [](table_object& t) { skip(t, 2); }, 3},
                 });
}

// A filter's walk against a model of it: the shown records are the members
// of the set (none beyond the count it was made for) that are not hidden
// deleted ones. Every move lands on a shown record, or, when none shows,
// ends the table on a hidden one.
TEST_F(table_test, moves_under_a_filter_visit_exactly_the_shown_members)
{
    const struct {
        const char* name;
        int records;
        std::vector<int> deleted;
        bool hide_deleted;
        std::int32_t set_records;
        std::vector<int> members;
    } cases[] = {
        {"empty set", 8, {}, false, 8, {}},
        {"one member", 8, {}, false, 8, {5}},
        {"first and last only", 8, {}, false, 8, {1, 8}},
        {"members among hidden deleted", 9, {2, 3, 7, 9}, true, 9, {2, 4, 7, 8, 9}},
        {"members among shown deleted", 9, {2, 3, 7, 9}, false, 9, {2, 4, 7, 8, 9}},
        {"only deleted members, hidden", 6, {3, 4}, true, 6, {3, 4}},
        {"records appended after the set", 12, {}, false, 8, {2, 8}},
        {"sparse over several words", 200, {130}, true, 200, {1, 64, 65, 130, 131, 199}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto table = numbered(c.records, c.deleted);
        record_set set(c.set_records);
        for (int member : c.members) set.add(member);
        table->navigation = {.hide_deleted = c.hide_deleted, .filter = std::make_shared<const record_set>(set)};
        std::vector<std::int32_t> shown;
        for (int member : c.members) {
            const bool deleted = std::find(c.deleted.begin(), c.deleted.end(), member) != c.deleted.end();
            if (!(deleted && c.hide_deleted)) shown.push_back(member);
        }
        const auto where = [&] { return std::tuple(current_record(*table), field_text(*table, 0)); };
        const auto at = [](std::int32_t n) {
            std::string name = "R" + std::to_string(n);
            return std::tuple(n, name.append(people_fields[0].length - name.size(), ' '));
        };

        go_top(*table);
        if (shown.empty()) {
            EXPECT_TRUE(at_eof(*table) && record_hidden(*table));
            go_bottom(*table);
            EXPECT_TRUE(at_eof(*table) && record_hidden(*table));
            go_to(*table, 1);
            EXPECT_TRUE(record_hidden(*table));
            continue;
        }
        std::vector<std::int32_t> visited{current_record(*table)};
        for (std::size_t i = 1; i < shown.size() + 2; ++i) {
            skip(*table, 1);
            if (at_eof(*table)) break;
            visited.push_back(current_record(*table));
        }
        EXPECT_EQ(visited, shown) << "forwards";
        EXPECT_EQ(where(), at(shown.back())) << "the end stays on the last shown";
        go_bottom(*table);
        visited = {current_record(*table)};
        for (std::size_t i = 1; i < shown.size() + 2; ++i) {
            skip(*table, -1);
            if (at_bof(*table)) break;
            visited.push_back(current_record(*table));
        }
        std::reverse(visited.begin(), visited.end());
        EXPECT_EQ(visited, shown) << "backwards";
        EXPECT_EQ(where(), at(shown.front()));
        EXPECT_EQ(fh_tell(table->dbf), table->header.header_length + shown.front() * table->header.record_length);
        for (std::int32_t number = 1; number <= c.records; ++number) {
            const auto next = std::lower_bound(shown.begin(), shown.end(), number);
            go_to(*table, number);
            EXPECT_EQ(where(), at(next == shown.end() ? shown.back() : *next)) << "go to " << number;
        }
        skip(*table, -1000);
        EXPECT_EQ(where(), at(shown.front()));
        skip(*table, static_cast<std::int32_t>(shown.size()) - 1);
        EXPECT_EQ(where(), at(shown.back())) << "a skip of many counts shown records";
    }
}

// A record named by its number is that record or none: hidden deleted ones
// are not passed, and a number the file cannot back leaves the table put.
TEST_F(table_test, the_exact_move_reaches_the_named_record_or_stays_put)
{
    auto table = numbered(4, {2}, testing::hiding_deleted);
    // The fourth record loses its last byte: counted, but not whole.
    const std::string bytes = testing::read_file(path);
    testing::write_file(path, bytes.substr(0, bytes.size() - 1));
    // `standing`: where the table is afterwards.
    const struct { std::int32_t number; int moved; std::int32_t standing; } cases[] = {
        {2, 1, 2}, {3, 1, 3}, {1, 1, 1}, {0, 0, 1}, {-1, 0, 1}, {5, 0, 1}, {4, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(go_to_exactly(*table, c.number), c.moved);
        EXPECT_EQ(current_record(*table), c.standing);
        EXPECT_EQ(name_of(*table), "R" + std::to_string(c.standing)) << "the buffer holds the record stood on";
        EXPECT_EQ(fh_tell(table->dbf), table->header.header_length + c.standing * table->header.record_length);
    }
    ASSERT_EQ(go_to_exactly(*table, 2), 1);
    EXPECT_EQ(is_deleted(*table), 1);
    ASSERT_EQ(lock_record(*table), 1) << "the position invariant holds for the record lock";
    EXPECT_EQ(table->lock_offset, table->header.header_length + table->header.record_length);
    unlock(*table);
}

TEST_F(table_test, a_value_is_stored_by_its_fields_rules_or_refused_leaving_the_record_alone)
{
    const std::vector<field_list_entry> fields = {{"NAME", 'C', 5, 0},  {"PREMIUM", 'N', 5, 1}, {"ID", 'N', 19, 0},
                                                  {"BORN", 'D', 8, 0},  {"PAID", 'L', 1, 0},    {"NOTES", 'M', 10, 0}};
    auto table = open_new_table(path, fields, {{record_of(fields, {})}});
    choose_code_page(*table, code_page::cp1250);
    const std::string nines(400, '9');
    // `stored`: the field's bytes, or "" when refused.
    const struct { int field; std::string text; std::string stored; std::string reason; } rows[] = {
        {0, "abcdefgh", "abcde", ""}, {0, "ab", "ab   ", ""},
        {1, "12.5", " 12.5", ""}, {1, " -3 ", " -3.0", ""}, {1, "0.05", "  0.1", ""}, {1, "-0.04", "  0.0", ""},
        {1, "", "     ", ""}, {1, "   ", "     ", ""}, {1, "1e2", "100.0", ""},
        {1, "99999", "", "99999 does not fit PREMIUM N(5,1)"},
        {1, nines, "", nines.substr(0, 30) + "... does not fit PREMIUM N(5,1)"},
        {1, "12,5", "", "12,5 is not a number for PREMIUM N(5,1)"},
        {1, "inf", "", "inf is not a number for PREMIUM N(5,1)"},
        {1, "junk", "", "junk is not a number for PREMIUM N(5,1)"},
        {2, "9007199254740993", "   9007199254740993", ""}, {2, "1234567890123456789", "1234567890123456789", ""},
        {2, "-999999999999999999", "-999999999999999999", ""},
        {2, "12345678901234567890", "", "12345678901234567890 does not fit ID N(19)"},
        {3, "20240229", "20240229", ""}, {3, "2024.02.29", "20240229", ""}, {3, "", "        ", ""},
        {3, "2024.02.30", "", "2024.02.30 is not a valid date for BORN"},
        {3, "00000000", "", "00000000 is not a valid date for BORN"},
        {3, "29.02.2024", "", "29.02.2024 is not a valid date for BORN"},
        {4, "y", "T", ""}, {4, "t", "T", ""}, {4, "N", "F", ""}, {4, "?", "?", ""}, {4, "", " ", ""},
        {4, "x", "", "x is not a logical value (T, F, Y, N or ?) for PAID"},
        {4, "yes", "", "yes is not a logical value (T, F, Y, N or ?) for PAID"},
        {5, "         7", "         7", ""}, {5, "12", std::string("12\0\0\0\0\0\0\0\0", 10), ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE("field " + std::to_string(r.field) + " given '" + r.text + "'");
        const auto offset = static_cast<std::size_t>(field_offset(*table, r.field));
        const std::size_t width = static_cast<std::size_t>(field_info(*table, r.field).length);
        std::fill(table->record.begin(), table->record.end(), '#');
        EXPECT_EQ(store_field_value(*table, r.field, r.text), r.reason);
        const std::string after(reinterpret_cast<char*>(table->record.data()) + offset, width);
        EXPECT_EQ(after, r.reason.empty() ? r.stored : std::string(width, '#'));
        EXPECT_EQ(set_field_text(*table, r.field, r.text), r.reason.empty() ? 1 : 0);
    }
    EXPECT_EQ(set_field_text(*table, 6, "x"), 0);
    EXPECT_EQ(set_field_text(*table, -1, "x"), 0);

    choose_code_page(*table, code_page::cp852);
    ASSERT_EQ(set_field_text(*table, 0, "\xE1"), 1);
    EXPECT_EQ(table->record[1], 0xA0) << "stored in code page 852";
}

}  // namespace
}  // namespace vortel
