#include "grid/cell_text.h"
#include "grid/column_model.h"

#include "engine/table.h"
#include "engine/tests/table_fixture.h"
#include "runtime/settings.h"
#include "testing/scratch_dir.h"
#include "text/tests/default_settings.h"

#include <gtest/gtest.h>

namespace vortel {
namespace {

using testing::record_of;

const std::vector<field_list_entry> fields = {
    {"NAME", 'C', 10, 0}, {"PRICE", 'N', 8, 2}, {"BORN", 'D', 8, 0}, {"ACTIVE", 'L', 1, 0}, {"NOTES", 'M', 10, 0}};

class column_model_test : public testing_support::with_default_settings {
protected:
    std::unique_ptr<table_object> open_with(const std::vector<testing::fixture_record>& records,
                                            const std::vector<field_list_entry>& with = fields)
    {
        testing::write_table(path, with, records);
        auto table = table_new(path);
        EXPECT_EQ(table_open(*table), 1);
        return table;
    }

    testing::scratch_dir dir;
    std::string path = dir.file("GOODS.DBF");
};

TEST_F(column_model_test, a_table_window_gets_the_deleted_column_then_one_column_per_field_and_empty_live_cells)
{
    auto table = open_with({});
    const header_colours colours{1, 2, 3};
    const std::vector<column_descriptor> columns = build_columns(*table, colours);
    ASSERT_EQ(columns.size(), 6u);

    const column_descriptor& mark = columns[0];
    EXPECT_EQ(std::tuple(mark.width, mark.source_name, mark.caption, mark.type, mark.edit_permission(browse_object{})),
              std::tuple(20, "deleted()", "Deleted", 0, 0));

    struct expected {
        const char* name;
        int width;
        cell_alignment alignment;
        const char* picture;
        int edit_length;
    };
    const expected field_columns[] = {
        {"NAME", 110, align_left, "", 10},   {"PRICE", 90, align_right, "", 8}, {"BORN", 90, align_left, "@D", 10},
        {"ACTIVE", 20, align_left, "L", 1}, {"NOTES", 110, align_centre, "", 64000},
    };
    for (std::size_t i = 0; i < std::size(field_columns); ++i) {
        const column_descriptor& column = columns[i + 1];
        const expected& want = field_columns[i];
        SCOPED_TRACE(want.name);
        EXPECT_EQ(std::tuple(column.source_name, column.caption, column.type, column.width),
                  std::tuple(want.name, want.name, fields[i].type, want.width));
        EXPECT_EQ(std::tuple(column.alignment, column.picture, column.edit_length),
                  std::tuple(want.alignment, want.picture, want.edit_length));
        EXPECT_EQ(column.edit_permission(browse_object{}), 1);
    }
    for (const column_descriptor& column : columns) {
        EXPECT_EQ(std::pair(column.accept(browse_object{}), column.header_background), std::pair(1, 2u));
    }
    // With no record and with a vanished field the cells are empty and live.
    browse_object browse = table_browse(*table);
    EXPECT_EQ(cell_of(browse, 0).bitmap, bitmap_info);
    EXPECT_EQ(cell_of(browse, 3).text, "") << "no digits, no separators";
    browse.columns[1].field = 99;
    EXPECT_EQ(cell_of(browse, 1).text, "");

    setting_by_index(SET_DATEFORMAT, "YY.MM.DD");
    EXPECT_EQ(build_columns(*table)[3].edit_length, 8) << "the editor takes dates as long as they are shown";
}

TEST_F(column_model_test, cells_show_the_current_record_by_field_type_and_grey_when_deleted)
{
    const std::string live = record_of(fields, {"Kiss", "   12.50", "19991231", "T", "         7"});
    auto table = open_with({{live}, {live, true}});
    browse_object browse = table_browse(*table);
    browse.cell_font = 42;

    const std::pair<const char*, colour> cells[] = {  // the text, and its colour while live
        {"Kiss      ", plain_text_colour}, {"   12.50", numeric_text_colour}, {"1999.12.31", date_text_colour},
        {"T", logical_text_colour}, {"<-MEMO->", plain_text_colour},
    };
    for (int record = 1; record <= 2; ++record) {
        go_to(*table, record);
        const cell_appearance mark = cell_of(browse, 0);
        EXPECT_EQ(std::tuple(mark.bitmap, mark.text_colour, mark.background),
                  std::tuple(record == 1 ? bitmap_info : bitmap_kuka, mark_text_colour, cell_background));
        for (int column = 1; column <= 5; ++column) {
            const cell_appearance cell = cell_of(browse, column);
            const auto& [text, live_colour] = cells[column - 1];
            SCOPED_TRACE(std::to_string(record) + "/" + text);
            EXPECT_EQ(cell.text, text);
            EXPECT_EQ(cell.text_colour, record == 1 ? live_colour : deleted_text_colour);
            EXPECT_EQ(std::tuple(cell.background, cell.font, cell.bitmap), std::tuple(cell_background, 42, no_bitmap));
        }
    }

    setting_by_index(SET_DATEFORMAT, "DD.MM.YYYY");
    EXPECT_EQ(cell_of(browse, 3).text, "31.12.1999") << "dates follow the format setting at every call";
}

// Tables from other programs may hold two fields of one name (a GPS export's
// text and numeric POINT_ID): each column shows and captions its own field.
TEST_F(column_model_test, two_fields_of_one_name_each_show_in_their_own_column)
{
    const std::vector<field_list_entry> gps = {{"POINT_ID", 'C', 12, 0}, {"POINT_ID", 'N', 9, 0}};
    auto table = open_with({{record_of(gps, {"A-17", "       42"})}}, gps);
    browse_object browse = table_browse(*table);
    EXPECT_EQ(cell_of(browse, 1).text, "A-17        ");
    EXPECT_EQ(cell_of(browse, 2).text, "       42");
    browse.columns[1].caption = "Code";
    EXPECT_EQ(field_captions(*table, browse.columns), (std::vector<std::string>{"Code", "POINT_ID"}));
}

// F fields, which GIS programs write, are numbers stored as N's are.
TEST_F(column_model_test, numeric_pictures_format_trimmed_values_and_leave_zero_as_stored)
{
    for (const char type : {'N', 'F'}) {
        SCOPED_TRACE(type);
        const std::vector<field_list_entry> number = {{"SUM", type, 8, 2}};
        auto table = open_with({{record_of(number, {"  1234.5"})}, {record_of(number, {"    0.00"})}}, number);
        browse_object browse = table_browse(*table);
        EXPECT_EQ(browse.columns[1].alignment, align_right);
        EXPECT_EQ(cell_of(browse, 1).text_colour, numeric_text_colour);
        browse.columns[1].picture = "@N 9,999.99";
        EXPECT_EQ(cell_of(browse, 1).text, "1,234.50");
        go_to(*table, 2);
        EXPECT_EQ(cell_of(browse, 1).text, "    0.00");
    }
}

}  // namespace
}  // namespace vortel
