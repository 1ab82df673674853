#include "engine/record_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace vortel {
namespace {

// Every query of the set against a plain list of its members, over sets
// whose members sit at the edges of the 64-record words.
TEST(record_set_test, neighbours_ranks_and_positions_agree_with_the_member_list)
{
    const struct { std::int32_t records; std::vector<std::int32_t> members; } cases[] = {
        {0, {}}, {10, {}}, {1, {1}}, {64, {1, 64}}, {65, {64, 65}},
        {200, {63, 64, 65, 128, 129, 200}}, {130, {2, 3, 130}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.records);
        record_set set(c.records);
        for (std::int32_t member : c.members) set.add(member);
        set.add(c.records + 1);  // beyond the table: ignored
        ASSERT_EQ(set.members(), static_cast<std::int32_t>(c.members.size()));
        for (std::int32_t n = -1; n <= c.records + 2; ++n) {
            const auto after = std::upper_bound(c.members.begin(), c.members.end(), n);
            const auto below = std::lower_bound(c.members.begin(), c.members.end(), n);
            EXPECT_EQ(set.next_after(n), after == c.members.end() ? 0 : *after) << n;
            EXPECT_EQ(set.last_before(n), below == c.members.begin() ? 0 : *(below - 1)) << n;
            EXPECT_EQ(set.rank(n), after - c.members.begin()) << n;
        }
        for (std::size_t i = 0; i < c.members.size(); ++i) {
            EXPECT_EQ(set.select(static_cast<std::int32_t>(i + 1)), c.members[i]);
        }
        EXPECT_EQ(set.select(0), 0);
        EXPECT_EQ(set.select(set.members() + 1), 0);
    }
}

TEST(record_set_test, an_appended_record_joins_a_copy_and_the_records_between_stay_outside)
{
    record_set set(3);
    set.add(2);
    const record_set grown = set.with_appended(70, 70);
    EXPECT_EQ(std::tuple(grown.table_records(), grown.members(), grown.next_after(2)), std::tuple(70, 2, 70));
    EXPECT_FALSE(grown.contains(4));
    EXPECT_EQ(std::tuple(set.table_records(), set.members()), std::tuple(3, 1)) << "the original stays as it was";
    EXPECT_EQ(set.with_appended(3, 5).members(), 4);
    set.remove(2);
    set.remove(2);
    EXPECT_EQ(std::tuple(set.members(), set.contains(2)), std::tuple(0, false));
}

}  // namespace
}  // namespace vortel
