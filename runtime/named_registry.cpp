#include "runtime/named_registry.h"

#include "runtime/pointer_list.h"

#include <cstdlib>
#include <string>

namespace vortel {
namespace {

struct named_entry {
    std::string name;  // at most named_name_max characters
    void* value;
};

// Created on the first store, like every registry user expects: until then
// every lookup simply finds nothing.
pointer_list* registry = nullptr;

void (*drawing_object_deleter)(void*) = nullptr;

// Two distinct shared empty texts: one for lookups that find nothing, one
// for named_put with an empty name.
char empty_lookup_text[1] = "";
char empty_put_text[1] = "";

std::string_view significant(std::string_view name)
{
    return name.substr(0, named_name_max);
}

named_entry* find(std::string_view stored_name)
{
    if (registry == nullptr) return nullptr;
    for (void* item = list_first(*registry); item != nullptr; item = list_next(*registry)) {
        auto* entry = static_cast<named_entry*>(item);
        if (entry->name == stored_name) return entry;
    }
    return nullptr;
}

void remove_all_entries()
{
    if (registry == nullptr) return;
    for (void* item = list_first(*registry); item != nullptr; item = list_next(*registry)) {
        delete static_cast<named_entry*>(item);
    }
    list_clear(*registry);
}

void release_value(void* value, char mode)
{
    switch (mode) {
    case 'C':
        std::free(value);
        break;
    case 'O':
        if (value != nullptr && drawing_object_deleter != nullptr) drawing_object_deleter(value);
        break;
    default:
        break;
    }
}

}  // namespace

void* named_put(std::string_view name, void* value)
{
    if (registry == nullptr) registry = new pointer_list;
    if (name.empty()) {
        remove_all_entries();
        return empty_put_text;
    }
    if (named_entry* entry = find(significant(name))) {
        void* previous = entry->value;
        entry->value = value;
        return previous;
    }
    list_append(*registry, new named_entry{std::string(significant(name)), value});
    return nullptr;
}

void* named_get(std::string_view name)
{
    named_entry* entry = find(significant(name));
    return entry != nullptr ? entry->value : empty_lookup_text;
}

void named_release(std::string_view name, char mode)
{
    if (name.empty()) {
        remove_all_entries();
        return;
    }
    // A name longer than a stored one can never match: no cutting here.
    named_entry* entry = find(name);
    if (entry == nullptr) return;
    list_remove(*registry, entry);
    release_value(entry->value, mode);
    delete entry;
}

void set_drawing_object_deleter(void (*deleter)(void* object))
{
    drawing_object_deleter = deleter;
}

void named_registry_reset()
{
    remove_all_entries();
    list_destroy(registry, list_delete_header);
    registry = nullptr;
    drawing_object_deleter = nullptr;
}

}  // namespace vortel
