#include "shell/pointer_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace vortel;

using items = std::vector<void*>;

items forward(pointer_list& list)
{
    items found;
    for (void* item = list_first(list); item != nullptr; item = list_next(list)) found.push_back(item);
    return found;
}

// Walks the previous links, which iteration never uses.
items backward(const pointer_list& list)
{
    items found;
    for (const pointer_node* node = list.last; node != nullptr; node = node->previous) found.push_back(node->data);
    return found;
}

TEST(PointerList, append_keeps_order_refuses_null_and_leaves_cursor_on_the_new_node)
{
    int a = 1, b = 2, c = 3;
    pointer_list list;
    EXPECT_EQ(list_first(list), nullptr);

    list_append(list, &a);
    list_append(list, &b);
    EXPECT_EQ(list_append(list, nullptr), nullptr);
    EXPECT_EQ(list_append(list, &c)->data, &c);
    EXPECT_EQ(list_count(list), 3);
    EXPECT_EQ(list_next(list), nullptr);  // the cursor sat on the last node

    EXPECT_EQ(forward(list), (items{&a, &b, &c}));
    EXPECT_EQ(list_next(list), nullptr);  // stays at the end
    EXPECT_EQ(backward(list), (items{&c, &b, &a}));
}

TEST(PointerList, removal_relinks_at_every_position)
{
    int a = 1, b = 2, c = 3;
    struct row {
        void* removed;
        items rest;
    };
    const row rows[] = {{&a, {&b, &c}}, {&b, {&a, &c}}, {&c, {&a, &b}}};
    for (const row& r : rows) {
        pointer_list list;
        for (void* item : {&a, &b, &c}) list_append(list, item);
        EXPECT_EQ(list_remove(list, r.removed), 1);
        EXPECT_EQ(list_count(list), 2);
        EXPECT_EQ(forward(list), r.rest);
        EXPECT_EQ(backward(list), (items{r.rest[1], r.rest[0]}));
    }
}

TEST(PointerList, removing_the_only_element_empties_the_list_for_reuse)
{
    int a = 1, b = 2;
    pointer_list list;
    list_append(list, &a);
    EXPECT_EQ(list_remove(list, &a), 1);
    EXPECT_EQ(list_count(list), 0);
    EXPECT_EQ(list_first(list), nullptr);

    list_append(list, &b);
    EXPECT_EQ(list.first, list.last);
    EXPECT_EQ(forward(list), items{&b});
}

TEST(PointerList, removal_matches_identity_takes_the_first_occurrence_and_ends_iteration)
{
    int a = 7, twin = 7, b = 8;
    pointer_list list;
    for (void* item : {&a, &b, &a}) list_append(list, item);

    EXPECT_EQ(list_remove(list, &twin), 0);  // equal content, other object
    EXPECT_EQ(list_count(list), 3);

    ASSERT_EQ(list_first(list), &a);
    EXPECT_EQ(list_remove(list, &a), 1);  // the cursor's own node
    EXPECT_EQ(list_next(list), nullptr);
    EXPECT_EQ(forward(list), (items{&b, &a}));
}

TEST(PointerList, clear_and_init_free_nodes_but_not_data)
{
    std::vector<int> owned{1, 2, 3};
    pointer_list list;
    for (int& value : owned) list_append(list, &value);
    list_clear(list);
    EXPECT_EQ(list_count(list), 0);
    EXPECT_EQ(list.first, nullptr);
    EXPECT_EQ(list.last, nullptr);
    EXPECT_EQ(list_next(list), nullptr);
    EXPECT_EQ(owned, (std::vector<int>{1, 2, 3}));

    for (int& value : owned) list_append(list, &value);
    list_init(list);  // a used list: the sanitized run reports leaked nodes
    EXPECT_EQ(list_first(list), nullptr);
}

TEST(PointerList, destroy_deletes_the_header_only_when_asked)
{
    int a = 1;
    auto* heap = new pointer_list;
    list_append(*heap, &a);
    list_destroy(heap, list_delete_header);  // the sanitized run reports a leak otherwise

    pointer_list local;
    list_append(local, &a);
    list_destroy(&local, 0);
    EXPECT_EQ(list_count(local), 0);

    list_destroy(nullptr, list_delete_header);
}

}  // namespace
