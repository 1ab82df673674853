#include "runtime/pointer_list.h"

namespace vortel {

pointer_list::~pointer_list()
{
    list_clear(*this);
}

void list_init(pointer_list& list)
{
    list_clear(list);
}

pointer_node* list_append(pointer_list& list, void* data)
{
    if (data == nullptr) return nullptr;
    auto* node = new pointer_node{nullptr, list.last, data};
    if (list.last != nullptr) {
        list.last->next = node;
    } else {
        list.first = node;
    }
    list.last = node;
    list.cursor = node;
    ++list.count;
    return node;
}

void* list_first(pointer_list& list)
{
    if (list.first == nullptr) return nullptr;
    list.cursor = list.first;
    return list.cursor->data;
}

void* list_next(pointer_list& list)
{
    if (list.cursor == nullptr) return nullptr;
    list.cursor = list.cursor->next;
    return list.cursor != nullptr ? list.cursor->data : nullptr;
}

int list_remove(pointer_list& list, const void* data)
{
    // The cursor may sit on the node about to be freed; dropping it always
    // keeps a later list_next from reading freed memory.
    list.cursor = nullptr;
    pointer_node* node = list.first;
    while (node != nullptr && node->data != data) node = node->next;
    if (node == nullptr) return 0;

    if (node->previous != nullptr) {
        node->previous->next = node->next;
    } else {
        list.first = node->next;
    }
    if (node->next != nullptr) {
        node->next->previous = node->previous;
    } else {
        list.last = node->previous;
    }
    delete node;
    --list.count;
    return 1;
}

std::int32_t list_count(const pointer_list& list)
{
    return list.count;
}

void list_clear(pointer_list& list)
{
    pointer_node* node = list.first;
    while (node != nullptr) {
        pointer_node* next = node->next;
        delete node;
        node = next;
    }
    list.first = nullptr;
    list.last = nullptr;
    list.cursor = nullptr;
    list.count = 0;
}

void list_destroy(pointer_list* list, unsigned flags)
{
    if (list == nullptr) return;
    list_clear(*list);
    if ((flags & list_delete_header) != 0) delete list;
}

}  // namespace vortel
