// Table windows over real tables for the grid's tests: a table of numbered
// records (NR holds the record number, NAME "name<n>"), opened into a
// browse object as a table window starts it, 750 pixels wide.
#pragma once

#include "engine/table.h"
#include "grid/column_model.h"
#include "testing/scratch_dir.h"
#include "text/tests/default_settings.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace vortel::testing {

class grid_test : public testing_support::with_default_settings {
protected:
    // Writes and opens a table of `count` numbered records; those in
    // `deleted` carry the delete mark.
    browse_object& open_numbered(std::int32_t count, const std::set<std::int32_t>& deleted = {},
                                 navigation_options navigation = {});
    // The NR field of the table's current record.
    std::int32_t table_nr();
    // Opens `count` numbered records on a grid of `visible_rows` and paints.
    void open(std::int32_t count, int visible_rows);
    // Paints and returns the record number drawn on the top row (0: none).
    std::int32_t paint();
    // Presses Down `times` times, painting after each key.
    void walk_down(int times);

    scratch_dir dir;
    std::string path = dir.file("ROWS.DBF");
    std::unique_ptr<table_object> table;
    browse_object browse;
};

}  // namespace vortel::testing
