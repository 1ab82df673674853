// One field of a structure to create: what the user or a caller asks for.
#pragma once

#include <string>

namespace vortel {

struct field_list_entry {
    std::string name;  // at most 10 characters
    char type = 'C';   // C, N, D, L or M
    int length = 0;
    int decimals = 0;  // N only
};

}  // namespace vortel
