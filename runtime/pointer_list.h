// The pointer list: an ordered, doubly linked list of untyped pointers with a
// built-in cursor, the one general container of the shell and the page
// store.
//
// Ownership:
// 1. The list owns its nodes, never the data they point to: whoever stores
//    a pointer frees the pointed-to data, before or after removing it.
// 2. Null is never stored (list_append refuses it), because list_first and
//    list_next signal the end of the list with null.
//
// Iteration: list_first, then list_next until it returns null. Removing an
// element ends the iteration; start again with list_first.
#pragma once

#include <cstdint>

namespace vortel {

struct pointer_node {
    pointer_node* next = nullptr;
    pointer_node* previous = nullptr;
    void* data = nullptr;
};

struct pointer_list {
    pointer_node* first = nullptr;
    pointer_node* last = nullptr;
    pointer_node* cursor = nullptr;  // node of the last list_first / list_next / list_append
    std::int32_t count = 0;

    pointer_list() = default;
    // Copies would share nodes and free them twice.
    pointer_list(const pointer_list&) = delete;
    pointer_list& operator=(const pointer_list&) = delete;
    // A list that goes out of scope frees its nodes, as list_clear does.
    ~pointer_list();
};

// Empties the list (freeing any nodes it still has); a new list is already
// empty, so this is only needed to reuse one.
void list_init(pointer_list& list);

// Appends `data` and moves the cursor to its node. A null `data` is refused:
// the list is unchanged and the result is null.
pointer_node* list_append(pointer_list& list, void* data);

// Data of the first node, cursor on it; null (cursor untouched) when empty.
void* list_first(pointer_list& list);

// Data of the node after the cursor, cursor on it; null past the last node
// and from then on until list_first.
void* list_next(pointer_list& list);

// Unlinks and frees the first node holding exactly this pointer (identity,
// not content). Returns 1 when one was found, 0 otherwise. Either way the
// cursor is reset: iteration restarts with list_first.
int list_remove(pointer_list& list, const void* data);

std::int32_t list_count(const pointer_list& list);

// Frees every node; the data pointed to is untouched.
void list_clear(pointer_list& list);

// Bit 0 of `flags`: the list itself was made with `new`; delete it.
inline constexpr unsigned list_delete_header = 1;

// list_clear, then, with list_delete_header set, `delete list`. A list that
// was not made with `new` (a member, a local) must be destroyed without
// that bit. A null list is ignored.
void list_destroy(pointer_list* list, unsigned flags);

}  // namespace vortel
