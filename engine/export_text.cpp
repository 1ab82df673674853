#include "engine/export_rows.h"

namespace vortel {

text_recoder::text_recoder(code_page page, bool utf8)
    : page_(page), utf8_(utf8), single_byte_(single_byte_code_page(page))
{
    // A million records convert cell by cell: a single-byte page does it
    // through one lookup per byte.
    if (utf8_ && single_byte_) {
        byte_texts_.resize(256);
        for (unsigned byte = 0; byte < 256; ++byte) {
            byte_texts_[byte] = stored_to_utf8(page_, std::string(1, static_cast<char>(byte)));
        }
    }
}

void text_recoder::append(std::string& out, std::string_view stored) const
{
    if (!utf8_) {
        out += stored;
    } else if (single_byte_) {
        // ASCII passes in runs.
        std::size_t run = 0;
        for (std::size_t i = 0; i < stored.size(); ++i) {
            const auto byte = static_cast<unsigned char>(stored[i]);
            if (byte < 0x80) continue;
            out.append(stored.data() + run, i - run);
            out += byte_texts_[byte];
            run = i + 1;
        }
        out.append(stored.data() + run, stored.size() - run);
    } else {
        out += stored_to_utf8(page_, stored);
    }
}

std::string text_recoder::operator()(std::string_view stored) const
{
    std::string text;
    append(text, stored);
    return text;
}

}  // namespace vortel
