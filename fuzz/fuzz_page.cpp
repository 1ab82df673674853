// The page player over arbitrary page files, played one to one and scaled
// as the preview does: a damaged page file ends the playback, it never
// crashes the program. The surface reads every text and font name it gets,
// so that a text reaching past the file's bytes shows.
#include "fuzz/fuzz_support.h"
#include "print/page_player.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace vortel;

class null_surface final : public text_surface {
public:
    void select_font(const page_font& font) override { touch(font.face); }
    void set_text_colour(std::uint32_t rgb) override { sum_ += rgb; }
    void set_background_mode(int mode) override { sum_ += static_cast<std::uint32_t>(mode); }
    void draw_text(std::int32_t x, std::int32_t y, std::string_view text) override
    {
        sum_ += static_cast<std::uint32_t>(x) ^ static_cast<std::uint32_t>(y);
        touch(text);
    }
    std::uint32_t sum() const { return sum_; }

private:
    void touch(std::string_view bytes)
    {
        for (const char c : bytes) sum_ = sum_ * 31 + static_cast<unsigned char>(c);
    }
    std::uint32_t sum_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    null_surface surface;
    const play_result one_to_one = play_page(bytes, surface);
    const play_result scaled = play_page(bytes, surface, page_view{-120, 4000, 0.37, 2.5});
    if (one_to_one != scaled) fuzz::fail("the view changes whether a page plays");
    // Keeps the reads of the texts from being optimised away.
    volatile std::uint32_t sink = surface.sum();
    (void)sink;
    return 0;
}
