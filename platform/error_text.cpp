#include "platform/error_text.h"

#include "platform/codepage.h"

#include <cerrno>
#include <cstring>

namespace vortel {

std::string error_text(int error)
{
    switch (error) {
    case 0: return {};
    case ENOSPC: return "Disk full";
    case EDQUOT: return "Disk quota exceeded";
    case EFBIG: return "File too large";
    case EACCES:
    case EPERM: return "Permission denied";
    case EROFS: return "Read-only file system";
    case ENAMETOOLONG: return "File name too long";
    case ENOENT: return "No such file or folder";
    case ENOTDIR: return "A part of the path is not a folder";
    case EISDIR: return "Is a folder";
    case EEXIST: return "The file already exists";
    case EIO: return "Input/output error";
    case ENOMEM: return "Not enough memory";
    case EMFILE:
    case ENFILE: return "Too many open files";
    case EXDEV: return "The files are on different file systems";
    case EBUSY: return "The file is in use by another program";
    case EAGAIN: return "The file is locked by another program";
    default: return std::strerror(error);
    }
}

std::string file_name_text(std::string_view path) { return utf8_to_ansi(path); }

std::string file_error_text(int error, std::string_view path)
{
    const std::string words = error_text(error);
    return words.empty() ? file_name_text(path) : words + ": " + file_name_text(path);
}

}  // namespace vortel
