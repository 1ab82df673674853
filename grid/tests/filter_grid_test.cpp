#include "grid/grid_filter.h"

#include "engine/table.h"
#include "grid/input_codes.h"
#include "grid/navigation.h"
#include "grid/paint_grid.h"
#include "grid/row_selection.h"
#include "grid/tests/grid_fixture.h"
#include "grid/tests/recording_canvas.h"
#include "testing/child_process.h"

#include <algorithm>

namespace vortel {
namespace {

class filter_grid_test : public testing::grid_test {
protected:
    // A table of `count` numbered records filtered to `members` (a set made
    // for `set_records` records), on a grid of four rows, painted.
    void open_filtered(std::int32_t count, const std::vector<std::int32_t>& members, std::set<std::int32_t> deleted = {},
                       std::int32_t set_records = -1)
    {
        open_numbered(count, deleted, {.hide_deleted = true});
        record_set set(set_records < 0 ? count : set_records);
        for (std::int32_t member : members) set.add(member);
        set_grid_filter(browse, std::make_shared<const record_set>(set));
        browse.visible_rows = 4;
        paint();
    }

    // The record the table stands on after the key and a paint.
    std::int32_t after_key(int key, bool ctrl = false)
    {
        key_down(browse, key, ctrl);
        paint();
        return table_nr();
    }
};

// Every move lands on a shown member: the first, the last, a page on, the
// member the thumb picks; the painted thumb is the current member's place.
TEST_F(filter_grid_test, keys_pages_and_the_thumb_land_on_shown_members_only)
{
    const struct {
        const char* name;
        std::int32_t records;
        std::vector<std::int32_t> members;
        std::set<std::int32_t> deleted;
    } cases[] = {
        {"one member", 40, {17}, {}},
        {"first and last only", 40, {1, 40}, {}},
        {"sparse among hidden deleted", 300, {3, 4, 70, 71, 72, 150, 151, 152, 153, 299, 300}, {4, 152, 300}},
        {"every record", 12, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        open_filtered(c.records, c.members, c.deleted);
        std::vector<std::int32_t> shown;
        std::copy_if(c.members.begin(), c.members.end(), std::back_inserter(shown),
                     [&](std::int32_t n) { return c.deleted.count(n) == 0; });
        EXPECT_EQ(table_nr(), shown.front());
        EXPECT_EQ(browse.window_title, path + " - " + std::to_string(shown.size()) + " of " +
                                           std::to_string(c.records) + "/" + std::to_string(shown.front()))
            << "hidden deleted members are not counted";

        EXPECT_EQ(after_key(vk_end, true), shown.back()) << "Ctrl+End";
        EXPECT_EQ(browse.vertical_thumb, static_cast<int>(shown.size()) - 1);
        EXPECT_EQ(after_key(vk_next), shown.back()) << "Page Down at the end stays";
        EXPECT_EQ(after_key(vk_home, true), shown.front()) << "Ctrl+Home";

        // Page Down moves four shown records on, up to the last.
        for (std::size_t at = 4; at < shown.size() + 4; at += 4) {
            EXPECT_EQ(after_key(vk_next), shown[std::min(at, shown.size() - 1)]) << "Page Down to " << at;
        }
        EXPECT_EQ(after_key(vk_down), shown.back());

        // The thumb at position k picks the (k + 1)-th shown member and is painted there.
        for (std::size_t k = 0; k < shown.size(); ++k) {
            scroll_bar(browse, sb_thumbposition, false, static_cast<int>(k));
            paint();
            EXPECT_EQ(std::tuple(table_nr(), browse.vertical_thumb), std::tuple(shown[k], static_cast<int>(k)))
                << "thumb " << k;
        }
        EXPECT_EQ(scrolled_records(browse), static_cast<std::int32_t>(shown.size()));
    }
}

TEST_F(filter_grid_test, rows_chosen_under_a_filter_copy_its_records_only)
{
    open_filtered(10, {2, 5, 6, 9});
    extend_row_selection(browse);
    after_key(vk_down);
    after_key(vk_down);
    EXPECT_EQ(key_down(browse, vk_c, true).clipboard_text, "NR\tNAME\n2\tname2\n5\tname5\n6\tname6\n");
}

TEST_F(filter_grid_test, an_empty_result_says_so_and_offers_no_record_to_edit)
{
    open_filtered(20, {5}, {5});
    testing::recording_canvas surface;
    paint_grid(browse, surface);
    const std::vector<std::string> texts = surface.texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), no_record_matches_text), 1);
    EXPECT_EQ(texts.size(), browse.columns.size() + 1) << "the captions and the line, no record";
    EXPECT_TRUE(filter_shows_nothing(browse));
    EXPECT_EQ(browse.window_title, path + " - 0 of 20");
    for (const int key : {vk_end, vk_next, vk_down}) key_down(browse, key, key == vk_end);
    paint();
    EXPECT_TRUE(filter_shows_nothing(browse));
    EXPECT_EQ(modify_current_cell(browse).action, grid_action::none);
    bool refused = false;
    EXPECT_EQ(type_on_cell(browse, 'x', refused).action, grid_action::none);

    set_grid_filter(browse, nullptr);
    paint();
    EXPECT_EQ(std::tuple(table_nr(), browse.window_title), std::tuple(1, path + " - 20/1")) << "Clear filter";
}

// Records another process appends stay outside the set; those this window
// appends join it and stay shown.
TEST_F(filter_grid_test, records_appended_elsewhere_stay_hidden_and_the_windows_own_stay_shown)
{
    open_filtered(10, {2, 6});
    ASSERT_EQ(testing::run_program(TABLE_PROBE, {"append", path, "3", ""}), 0) << "NR -0, -1, -2";
    EXPECT_EQ(after_key(vk_end, true), 6);
    EXPECT_EQ(after_key(vk_next), 6);
    EXPECT_EQ(after_key(vk_down), 6);
    scroll_bar(browse, sb_thumbposition, false, 1);
    paint();
    EXPECT_EQ(table_nr(), 6);

    ASSERT_EQ(lock_table(*table), 1);
    ASSERT_EQ(append_blank(*table), 1);
    ASSERT_EQ(set_field_text(*table, 0, "14"), 1);
    ASSERT_EQ(write_record(*table), 1);
    unlock(*table);
    keep_appended_records(browse, 14, 14);
    after_command(browse);
    EXPECT_EQ(after_key(vk_end, true), 14);
    EXPECT_EQ(after_key(vk_up), 6) << "the records between stay outside";
    EXPECT_EQ(browse.window_title, path + " - 3 of 14/6");
}

}  // namespace
}  // namespace vortel
