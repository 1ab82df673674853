#include "runtime/pointer_list.h"

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

TEST(PointerList, removal_relinks_at_every_position_and_an_emptied_list_is_reused)
{
    int a = 1, b = 2, c = 3;
    struct row {
        items before;
        void* removed;
        items rest;
    };
    const row rows[] = {
        {{&a, &b, &c}, &a, {&b, &c}}, {{&a, &b, &c}, &b, {&a, &c}}, {{&a, &b, &c}, &c, {&a, &b}}, {{&a}, &a, {}}};
    for (const row& r : rows) {
        pointer_list list;
        for (void* item : r.before) list_append(list, item);
        EXPECT_EQ(list_remove(list, r.removed), 1);
        EXPECT_EQ(list_count(list), static_cast<int>(r.rest.size()));
        EXPECT_EQ(forward(list), r.rest);
        EXPECT_EQ(backward(list), items(r.rest.rbegin(), r.rest.rend()));
        if (!r.rest.empty()) continue;
        list_append(list, &b);
        EXPECT_EQ(list.first, list.last);
        EXPECT_EQ(forward(list), items{&b});
        list_clear(list);
    }
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

// The sanitized run reports the nodes or header any of these leaks.
TEST(PointerList, clear_init_and_destroy_free_nodes_but_not_data)
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
    list_init(list);
    EXPECT_EQ(list_first(list), nullptr);

    auto* heap = new pointer_list;
    list_append(*heap, &owned[0]);
    list_destroy(heap, list_delete_header);
    list_append(list, &owned[0]);
    list_destroy(&list, 0);
    EXPECT_EQ(list_count(list), 0);
    list_destroy(nullptr, list_delete_header);
}

}  // namespace
