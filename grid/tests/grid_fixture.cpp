#include "grid/tests/grid_fixture.h"

#include "engine/tests/table_fixture.h"
#include "grid/input_codes.h"
#include "grid/navigation.h"
#include "grid/paint_grid.h"
#include "grid/tests/recording_canvas.h"

#include <cstdlib>
#include <vector>

namespace vortel::testing {
namespace {

const std::vector<field_list_entry> numbered_fields = {{"NR", 'N', 6, 0}, {"NAME", 'C', 10, 0}};

}  // namespace

browse_object& grid_test::open_numbered(std::int32_t count, const std::set<std::int32_t>& deleted,
                                        navigation_options navigation)
{
    std::vector<fixture_record> records;
    records.reserve(static_cast<std::size_t>(count));
    for (std::int32_t n = 1; n <= count; ++n) {
        std::string nr = std::to_string(n);
        nr.insert(0, 6 - nr.size(), ' ');
        records.push_back({record_of(numbered_fields, {nr, "name" + std::to_string(n)}), deleted.count(n) > 0});
    }
    write_table(path, numbered_fields, records);
    table = table_new(path);
    table->navigation = navigation;
    EXPECT_EQ(table_open(*table), 1);
    browse = table_browse(*table);
    browse.width = 750;
    return browse;
}

std::int32_t grid_test::table_nr()
{
    return static_cast<std::int32_t>(std::atol(field_text(*table, 0).c_str()));
}

void grid_test::open(std::int32_t count, int visible_rows)
{
    open_numbered(count);
    browse.visible_rows = visible_rows;
    paint();
}

std::int32_t grid_test::paint()
{
    recording_canvas surface;
    paint_grid(browse, surface);
    const auto texts = surface.texts();
    const std::size_t first_row = browse.columns.size() - static_cast<std::size_t>(browse.first_visible_column);
    return texts.size() > first_row ? std::atoi(texts[first_row].c_str()) : 0;
}

void grid_test::walk_down(int times)
{
    for (int i = 0; i < times; ++i) {
        key_down(browse, vk_down, false);
        paint();
    }
}

}  // namespace vortel::testing
