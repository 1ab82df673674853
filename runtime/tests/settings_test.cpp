#include "runtime/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vortel;

class Settings : public ::testing::Test {
protected:
    void SetUp() override { settings_restore_defaults(); }
    void TearDown() override { settings_restore_defaults(); }
};

TEST_F(Settings, names_keep_their_binding_indexes)
{
    struct row {
        int index;
        const char* name;
        const char* default_value;
    };
    const row rows[] = {
        {0, "SET_DECIMAL", "4"},
        {1, "SET_DATEFORMAT", "YYYY.MM.DD"},
        {6, "SET_HUN_LOWER", "\xF6\xFC\xF3\xF5\xFA\xE9\xE1\xFB\xED"},  // Windows-1250 bytes, not UTF-8
        {7, "SET_HUN_UPPER", "\xD6\xDC\xD3\xD5\xDA\xC9\xC1\xDB\xCD"},
        {22, "SET_OEMTOANSI", "1"},
        {51, "SET_GET_ST_COLOR", "255"},
    };
    EXPECT_EQ(setting_count, 52);
    for (const row& r : rows) {
        EXPECT_EQ(setting_name(r.index), r.name);
        EXPECT_EQ(setting_by_index(r.index), r.default_value) << r.name;
        EXPECT_EQ(setting_by_name(r.name), r.default_value) << r.name;
    }
    for (int i = 0; i < setting_count; ++i) {
        EXPECT_TRUE(setting_name(i).starts_with("SET_")) << i;
        EXPECT_EQ(setting_index_of(setting_name(i)), i);
    }
}

TEST_F(Settings, a_write_returns_the_old_value_and_an_empty_value_only_reads)
{
    EXPECT_EQ(setting_by_index(SET_DATEFORMAT, "DD/MM/YYYY"), "YYYY.MM.DD");
    EXPECT_EQ(setting_by_index(SET_DATEFORMAT), "DD/MM/YYYY");
    EXPECT_EQ(setting_by_name("SET_DATEFORMAT", ""), "DD/MM/YYYY");

    EXPECT_EQ(setting_by_name("SET_HUN_CMP", "0"), "1");
    EXPECT_EQ(setting_by_index(SET_HUN_CMP), "0");

    settings_restore_defaults();
    EXPECT_EQ(setting_by_index(SET_DATEFORMAT), "YYYY.MM.DD");
    EXPECT_EQ(setting_by_index(SET_HUN_CMP), "1");
}

TEST_F(Settings, unknown_names_and_indexes_read_empty_and_change_nothing)
{
    for (int index : {-1, static_cast<int>(setting_count), 1000}) EXPECT_EQ(setting_by_index(index, "x"), "") << index;
    EXPECT_EQ(setting_by_name("set_dateformat", "x"), "");  // names are case-sensitive
    EXPECT_EQ(setting_by_name("SET_DATEFORMAT "), "");
    EXPECT_EQ(setting_index_of("SET_NOPE"), -1);
    EXPECT_EQ(setting_name(setting_count), "");
    EXPECT_EQ(setting_by_index(SET_DATEFORMAT), "YYYY.MM.DD");
}

TEST_F(Settings, values_longer_than_fifty_characters_are_refused)
{
    const std::string fits(setting_value_max, 'a');
    const std::string too_long(setting_value_max + 1, 'b');
    EXPECT_TRUE(setting_value_fits(fits));
    EXPECT_FALSE(setting_value_fits(too_long));

    setting_by_index(SET_CEGNEV, fits);
    EXPECT_EQ(setting_by_index(SET_CEGNEV, too_long), fits);
    EXPECT_EQ(setting_by_index(SET_CEGNEV), fits);
}

}  // namespace
