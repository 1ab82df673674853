#include "runtime/named_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using namespace vortel;

class NamedRegistry : public ::testing::Test {
protected:
    void SetUp() override { named_registry_reset(); }
    void TearDown() override { named_registry_reset(); }
};

bool is_empty_text(void* value)
{
    return value != nullptr && *static_cast<const char*>(value) == '\0';
}

std::vector<void*> deleted_objects;
void record_deletion(void* object)
{
    deleted_objects.push_back(object);
}

TEST_F(NamedRegistry, put_returns_the_previous_pointer_and_misses_return_one_empty_text)
{
    void* before_any_store = named_get("HWND");
    EXPECT_TRUE(is_empty_text(before_any_store));

    int first = 1, second = 2;
    EXPECT_EQ(named_put("HWND", &first), nullptr);
    EXPECT_EQ(named_put("HWND", &second), &first);
    EXPECT_EQ(named_get("HWND"), &second);
    EXPECT_EQ(named_get("HINSTANCE"), before_any_store);

    // Null is a value like any other, not a missing entry.
    EXPECT_EQ(named_put("OS", nullptr), nullptr);
    EXPECT_EQ(named_get("OS"), nullptr);
}

TEST_F(NamedRegistry, put_and_get_match_the_first_ten_characters)
{
    int directory = 1, other = 2;
    named_put("SOURCE_PATH", &directory);
    EXPECT_EQ(named_get("SOURCE_PAT"), &directory);
    EXPECT_EQ(named_get("SOURCE_PATHS_AND_MORE"), &directory);
    EXPECT_TRUE(is_empty_text(named_get("SOURCE_PA")));

    EXPECT_EQ(named_put("SOURCE_PATX", &other), &directory);  // same ten characters
    EXPECT_EQ(named_get("SOURCE_PATH"), &other);
}

TEST_F(NamedRegistry, release_needs_the_cut_name)
{
    void* directory = strdup("C:\\DATA");  // heap text, as start-up stores the 'C' entries
    named_put("SOURCE_PATH", directory);

    named_release("SOURCE_PATH", 'C');
    EXPECT_EQ(named_get("SOURCE_PATH"), directory);  // untouched, still readable
    EXPECT_STREQ(static_cast<const char*>(directory), "C:\\DATA");

    named_release("SOURCE_PAT", 'C');  // frees the block: the sanitized run checks it
    EXPECT_TRUE(is_empty_text(named_get("SOURCE_PATH")));
}

TEST_F(NamedRegistry, release_modes_decide_what_happens_to_the_value)
{
    int font = 1, bitmap = 2, kept = 3;
    deleted_objects.clear();

    named_put("HELP_FONT", &kept);
    named_release("HELP_FONT", 'P');
    EXPECT_TRUE(is_empty_text(named_get("HELP_FONT")));

    named_put("PRINT_FONT", &font);
    named_release("PRINT_FONT", 'O');  // no deleter installed: left alone
    EXPECT_TRUE(deleted_objects.empty());

    set_drawing_object_deleter(record_deletion);
    named_put("PRINT_FONT", &font);
    named_put("KUKA", &bitmap);
    named_put("EMPTY", nullptr);
    named_release("PRINT_FONT", 'O');
    named_release("EMPTY", 'O');
    named_release("KUKA", 'P');
    EXPECT_EQ(deleted_objects, std::vector<void*>{&font});
    EXPECT_TRUE(is_empty_text(named_get("KUKA")));
}

TEST_F(NamedRegistry, empty_name_removes_every_entry_and_leaves_the_values)
{
    int a = 1, b = 2;
    named_put("OS", &a);
    named_put("HWND", &b);

    void* result = named_put("", &a);
    EXPECT_TRUE(is_empty_text(result));
    EXPECT_NE(result, named_get("OS"));  // its own empty text, not the lookup one
    EXPECT_TRUE(is_empty_text(named_get("OS")));
    EXPECT_TRUE(is_empty_text(named_get("HWND")));

    // Stack values: freeing either would be caught by the sanitized run.
    named_put("OS", &a);
    named_put("HWND", &b);
    named_release("", 'C');
    EXPECT_TRUE(is_empty_text(named_get("OS")));
    EXPECT_EQ(named_put("OS", &b), nullptr);  // a fresh entry again
}

}  // namespace
