// The "@N " number template of pictures; used by picture.cpp only.
#pragma once

#include <string>
#include <string_view>

namespace vortel {

// `picture` is the whole picture, "@N " included; `point` the decimal sign.
std::string format_number_template(std::string& raw, std::string_view picture, char point);

}  // namespace vortel
