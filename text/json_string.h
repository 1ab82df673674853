// JSON strings of UTF-8 text, as the JSON Lines export and vortel-cli's
// sql write them.
#pragma once

#include <string>
#include <string_view>

namespace vortel {

// Appends `text` as a JSON string: quotes, backslashes and control
// characters escaped, everything else as it is.
void append_json_string(std::string& out, std::string_view text);

}  // namespace vortel
