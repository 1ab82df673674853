#include "grid/data_source.h"

#include "engine/table.h"
#include "grid/tests/grid_fixture.h"
#include "shell/settings.h"

namespace vortel {
namespace {

using position_test = testing::grid_test;

struct position_case {
    const char* name;
    std::int32_t source_record;  // where the table stands before the paint
    std::int32_t grid_record;
    int row;
    bool pending;
    std::int32_t pending_move, expected_result, expected_top, expected_grid_record;
};

TEST_F(position_test, leaves_the_source_on_the_top_row_returns_the_current_record_and_skips_hidden_rows)
{
    const position_case cases[] = {
        {"settled_mid_table", 10, 10, 5, false, 0, 10, 6, 10},
        {"walk_back_stops_at_record_1", 3, 3, 5, false, 0, 3, 1, 3},
        {"pending_move_up", 10, 9, 4, true, -1, 9, 6, 9},
        {"pending_move_past_the_end_clamps", 28, 31, 5, true, 3, 30, 26, 30},
        {"pending_move_before_the_start_clamps", 2, -1, 1, true, -3, 1, 1, 1},
    };
    open_numbered(30);
    for (const position_case& c : cases) {
        SCOPED_TRACE(c.name);
        go_to(*table, c.source_record);
        browse.current_record = c.grid_record;
        browse.current_row = c.row;
        browse.move_pending = c.pending;
        browse.pending_move = c.pending_move;
        browse.top_offset = 1 - c.row;
        EXPECT_EQ(table_position(browse), c.expected_result);
        EXPECT_EQ(std::tuple(table_nr(), browse.current_record, browse.record_count),
                  std::tuple(c.expected_top, c.expected_grid_record, 30));
    }

    // An empty table has no current record; hidden deleted records are no rows.
    open_numbered(0);
    EXPECT_EQ(table_position(browse), 0);
    EXPECT_EQ(browse.record_count, 0);
    EXPECT_TRUE(table_at_end(browse));

    setting_by_index(SET_DELETED, "1");
    open_numbered(30, {2, 3, 29, 30});

    go_to(*table, 5);
    browse.current_row = 3;
    EXPECT_EQ(table_position(browse), 5);
    EXPECT_EQ(table_nr(), 1) << "the walk back skips records 3 and 2";

    go_to(*table, 28);
    browse.current_record = 28;
    browse.current_row = 1;
    browse.move_pending = true;
    browse.pending_move = 1;
    browse.top_offset = 0;
    EXPECT_EQ(table_position(browse), 28) << "only deleted records lie beyond 28";
    EXPECT_EQ(table_nr(), 28);
}

}  // namespace
}  // namespace vortel
