// Private directories for short-lived files of one job (a print job's page
// files), inside the system's temporary directory.
//
// Invariants:
// 1. A job directory is made by mkdtemp, mode 0700, and is named
//    "vortel-job-<owner pid>-<six characters>", so that anyone can tell
//    whose it is and whether its owner still runs.
// 2. Files in it are created exclusively and never through a symbolic link
//    (O_EXCL | O_NOFOLLOW), mode 0600: a name that exists already is
//    refused, never reused.
// 3. Removing a directory, our own or an abandoned one, removes only what
//    lies directly in it, through descriptors and without following any
//    link: a link is removed as a link, a subfolder is left (and with it
//    the directory).
// 4. An abandoned directory is removed only when its name has our pattern,
//    it is a real directory of the same user (not a link to one) and its
//    owner process is gone. A pid that was reused keeps a directory alive
//    longer; it never removes a live one.
#pragma once

#include <string>

namespace vortel {

inline constexpr const char* job_directory_prefix = "vortel-job-";

// Makes a fresh job directory inside `parent` (which ends in its separator)
// after removing the abandoned ones there. On success `made` is its path
// ending in its separator and 0 is returned; otherwise the errno.
[[nodiscard]] int make_job_directory(const std::string& parent, std::string& made);

// Removes the job directory `path` and the files directly in it; quiet
// about what is already gone. A path whose last part is not of our naming
// is left alone.
void remove_job_directory(const std::string& path);

// Removes, inside `parent`, every job directory whose owner is gone.
void remove_abandoned_job_directories(const std::string& parent);

// The owner pid a job directory's name carries; 0 for a name that is not
// of our pattern.
long job_directory_owner(const std::string& name);

// Creates `path` for writing, exclusively and without following a link,
// mode 0600, through the file seam. A descriptor, or -1 with errno set.
[[nodiscard]] int create_private_file(const std::string& path);

}  // namespace vortel
