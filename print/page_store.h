// The page files of one print job: one metafile per page in the job's
// private directory (platform/job_directory.h), named by page number,
// listed in page order, deleted together.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/pointer_list.h"

namespace vortel {

// Room of a page-file name, its terminating NUL included.
inline constexpr std::size_t page_name_room = 256;

// "<directory>BT<number, at least four digits>.WMF"; a name that would not
// fit its room comes back empty. The directory ends in its separator.
std::string page_file_name(std::string_view directory, std::int32_t number);

// Appends a copy of `name` (a new page_name_room text) to the list; the
// list's owner frees it with delete_page_files.
void add_page_name(pointer_list& pages, std::string_view name);

// Deletes every listed file (failures are ignored: a missing file is
// already gone), frees the names and empties the list.
void delete_page_files(pointer_list& pages);

}  // namespace vortel
