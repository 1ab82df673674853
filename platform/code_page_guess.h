// The code page of a text that does not say which it is in, judged from
// its bytes: for tables that carry neither a .cpg file nor a language
// driver byte this program reads.
#pragma once

#include "platform/code_page.h"

#include <optional>
#include <string_view>

namespace vortel {

// Nothing when the sample is plain ASCII (every code page reads it alike)
// or when no judgement is sure enough; a wrong guess shows every accented
// letter garbled, so a doubtful one is no guess. In this order:
//  1. Well-formed UTF-8 with at least one sequence beyond ASCII: UTF-8.
//  2. Hungarian text, told apart by its letters: 852, 1250 or ISO-8859-2.
//     ISO-8859-2 text whose every character 1250 holds at the same byte is
//     taken for 1250, the page such tables are written in on Windows.
//  3. Russian, told apart by its letters: 866 or 1251.
//  4. Other languages by their letters' frequencies: 1252, 437, 850, 936 ...
// A judgement of 2, 3 or 4 stands only when most of the sample's characters
// beyond ASCII are letters in that code page, as they are in real text.
std::optional<code_page> guess_code_page(std::string_view sample);

}  // namespace vortel
