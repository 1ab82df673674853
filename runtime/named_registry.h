// The named-value registry: process-wide short names mapped to untyped
// pointers (the instance and main-window handles, the last Open directory,
// font faces...), so that distant parts of the program reach them without
// passing them along.
//
// Names keep at most 10 significant characters, and the operations compare
// them differently, on purpose:
// 1. named_put and named_get cut the given name after 10 characters, so
//    "SOURCE_PATH" and "SOURCE_PAT" reach the same entry.
// 2. named_release compares the stored (cut) name with the whole given
//    name, so it must be given the cut form: "SOURCE_PAT", not "SOURCE_PATH".
//
// Where a lookup finds nothing a shared empty text comes back instead of
// null, so callers that expect a text always get a usable one. The registry
// stores the pointers it is given and owns none of the values, except when
// named_release is told to free one. Single-threaded, like the whole shell.
#pragma once

#include <cstddef>
#include <string_view>

namespace vortel {

// Stored name length; longer names are cut to it.
inline constexpr std::size_t named_name_max = 10;

// Gives the entry for `name` the pointer `value` and returns the pointer it
// held; appends a new entry and returns null when there was none. An empty
// `name` removes every entry (values untouched) and returns a shared empty
// text.
void* named_put(std::string_view name, void* value);

// The pointer stored under `name`, or a shared empty text when there is none.
void* named_get(std::string_view name);

// Removes the entry whose stored name equals `name` as a whole. `mode` says
// what becomes of its value:
//   'C'  a block from std::malloc; it is freed with std::free.
//   'O'  a drawing object; it is passed to the deleter installed with
//        set_drawing_object_deleter, unless it is null or none is installed.
//   'P'  (and any other letter) the value is left alone.
// An empty `name` removes every entry and leaves all values alone, whatever
// the mode: one mode cannot suit entries of different kinds.
void named_release(std::string_view name, char mode);

// The front-end that creates drawing objects (fonts, bitmaps) installs the
// function that deletes one; null uninstalls it.
void set_drawing_object_deleter(void (*deleter)(void* object));

// Back to the state at program start: no entries (values untouched) and no
// drawing-object deleter. For tests.
void named_registry_reset();

}  // namespace vortel
