#include "print/page_store.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace vortel {

std::string page_file_name(std::string_view directory, std::int32_t number)
{
    char name[page_name_room];
    const int length = std::snprintf(name, sizeof name, "%.*sBT%04ld.WMF", static_cast<int>(directory.size()),
                                     directory.data(), static_cast<long>(number));
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof name) return {};
    return name;
}

void add_page_name(pointer_list& pages, std::string_view name)
{
    char* copy = new char[page_name_room]();
    std::memcpy(copy, name.data(), std::min(name.size(), page_name_room - 1));
    list_append(pages, copy);
}

void delete_page_files(pointer_list& pages)
{
    for (void* name = list_first(pages); name != nullptr; name = list_next(pages)) {
        ::unlink(static_cast<const char*>(name));
        delete[] static_cast<char*>(name);
    }
    list_clear(pages);
}

}  // namespace vortel
