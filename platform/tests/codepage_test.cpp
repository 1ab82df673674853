#include "platform/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <locale.h>
#include <wctype.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace {

using namespace vortel;

// glibc's converters are an independent source of the two code pages'
// Unicode mappings, so the generated tables are checked against them.
class iconv_converter {
public:
    iconv_converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~iconv_converter()
    {
        if (ok()) iconv_close(handle_);
    }
    iconv_converter(const iconv_converter&) = delete;
    iconv_converter& operator=(const iconv_converter&) = delete;

    bool ok() const { return handle_ != reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)); }

    // nullopt when iconv refuses the input (no counterpart, or undefined).
    std::optional<std::string> convert(std::string input)
    {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char output[16];
        char* in = input.data();
        std::size_t in_left = input.size();
        char* out = output;
        std::size_t out_left = sizeof output;
        if (iconv(handle_, &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1)) return std::nullopt;
        return std::string(output, static_cast<std::size_t>(out - output));
    }

private:
    iconv_t handle_;
};

std::string byte_text(unsigned byte)
{
    return std::string(1, static_cast<char>(byte));
}

// Every byte that glibc converts must convert the same way here and come
// back unchanged; every byte it refuses has no counterpart and must get an
// ASCII stand-in, never some unrelated accented letter.
TEST(Codepage, tables_match_iconv_shared_characters_round_trip_and_buffers_convert_whole)
{
    using text_conversion = std::function<std::string(const std::string&)>;
    const auto bytewise = [](unsigned char (*convert)(unsigned char)) -> text_conversion {
        return [convert](const std::string& text) {
            return byte_text(convert(static_cast<unsigned char>(text.at(0))));
        };
    };
    struct direction {
        const char *from, *to;
        text_conversion forward, back;
        int shared;  // ASCII and the high bytes both sides have
        const char* stand_in;  // null: any ASCII character
    };
    const direction directions[] = {
        {"CP852", "CP1250", bytewise(oem_to_ansi_byte), bytewise(ansi_to_oem_byte), 128 + 99, nullptr},
        {"CP1250", "CP852", bytewise(ansi_to_oem_byte), bytewise(oem_to_ansi_byte), 128 + 99, nullptr},
        {"CP1250", "UTF-8", [](const std::string& t) { return ansi_to_utf8(t); },
         [](const std::string& t) { return utf8_to_ansi(t); }, 251, "?"},  // 81 83 88 90 98 are unused
    };
    for (const direction& d : directions) {
        iconv_converter converter(d.to, d.from);
        ASSERT_TRUE(converter.ok()) << d.from << " -> " << d.to;
        int shared = 0;
        for (unsigned byte = 0; byte < 0x100; ++byte) {
            const std::string in = byte_text(byte), out = d.forward(in);
            if (const std::optional<std::string> reference = converter.convert(in)) {
                EXPECT_EQ(out, *reference) << d.from << " " << std::hex << byte;
                EXPECT_EQ(d.back(out), in) << d.from << " " << std::hex << byte;
                ++shared;
            } else if (d.stand_in) {
                EXPECT_EQ(out, d.stand_in) << d.from << " " << std::hex << byte;
            } else {
                EXPECT_LT(static_cast<unsigned char>(out.at(0)), 0x80) << d.from << " " << std::hex << byte;
            }
        }
        EXPECT_EQ(shared, d.shared) << d.from << " -> " << d.to;
    }

    // Buffer conversion covers the whole given length, NULs included.
    char field[] = {'\xA0', '\0', '\x8B', 'x', '\x8B'};
    oem_to_ansi(field, 4);  // the last byte lies outside the given length
    EXPECT_EQ(std::string(field, 5), std::string("\xE1\0\xF5x\x8B", 5));
    ansi_to_oem(field, 4);
    EXPECT_EQ(std::string(field, 5), std::string("\xA0\0\x8Bx\x8B", 5));

    oem_to_ansi(nullptr, 0);
    ansi_to_oem(nullptr, 0);

    std::string text = "\xB5rv\xA1zt\xFBr\x8B";  // the string forms convert every byte
    oem_to_ansi(text);
    EXPECT_EQ(text, "\xC1rv\xEDzt\xFBr\xF5");
    ansi_upper(text);
    EXPECT_EQ(text, "\xC1RV\xCDZT\xDBR\xD5");
    ansi_to_oem(text);
    EXPECT_EQ(text, "\xB5RV\xD6ZT\xEBR\x8A");
}

// The input lives in a heap block of exactly its size, so that the
// sanitized build catches any read past the end of a truncated sequence.
std::string decode_exact(std::string_view utf8)
{
    std::unique_ptr<char[]> block(new char[utf8.size() + (utf8.empty() ? 1 : 0)]);
    std::memcpy(block.get(), utf8.data(), utf8.size());
    return utf8_to_ansi(std::string_view(block.get(), utf8.size()));
}

TEST(Codepage, ill_formed_utf8_becomes_one_question_mark_per_maximal_subpart_and_any_two_bytes_decode_safely)
{
    struct row { const char* name; std::string_view input, expected; };
    using namespace std::string_view_literals;
    const row rows[] = {
        {"empty", ""sv, ""sv}, {"stray continuation", "a\x80z"sv, "a?z"sv},
        {"two-byte cut at end", "a\xC3"sv, "a?"sv}, {"two-byte cut by ASCII", "\xC3z"sv, "?z"sv},
        {"three-byte cut at end", "\xE2\x82"sv, "?"sv}, {"three-byte cut by ASCII", "\xE2\x82z"sv, "?z"sv},
        {"four-byte cut at end", "\xF0\x9F\x98"sv, "?"sv}, {"overlong two-byte slash", "\xC0\xAF"sv, "??"sv},
        {"overlong three-byte", "\xE0\x80\xAF"sv, "???"sv}, {"overlong four-byte", "\xF0\x8F\xBF\xBF"sv, "????"sv},
        {"surrogate", "\xED\xA0\x80"sv, "???"sv}, {"beyond U+10FFFF", "\xF4\x90\x80\x80"sv, "????"sv},
        {"invalid lead bytes", "\xF5\xFE\xFF"sv, "???"sv},
        {"valid four-byte, no counterpart", "\xF0\x9F\x98\x80z"sv, "?z"sv},
        {"valid box drawing, no counterpart", "\xE2\x94\x80"sv, "?"sv},
        {"C1 control has no counterpart", "\xC2\x81"sv, "?"sv}, {"embedded NUL kept", "a\0b"sv, "a\0b"sv},
        {"leading byte-order mark dropped", "\xEF\xBB\xBF\xC3\xA1"sv, "\xE1"sv},
        {"only the first byte-order mark dropped", "\xEF\xBB\xBF\xEF\xBB\xBF"sv, "?"sv},
        {"later byte-order mark kept as unmappable", "a\xEF\xBB\xBF"sv, "a?"sv},
    };
    for (const row& r : rows) EXPECT_EQ(decode_exact(r.input), r.expected) << r.name;

    // Any two bytes decode safely: each output byte stands for at least one
    // input byte.
    for (unsigned first = 0; first < 0x100; ++first) {
        for (unsigned second = 0; second < 0x100; ++second) {
            const char input[] = {static_cast<char>(first), static_cast<char>(second)};
            const std::string out = decode_exact(std::string_view(input, 2));
            ASSERT_GE(out.size(), 1u);
            ASSERT_LE(out.size(), 2u);
        }
    }
}

// glibc's case mapping agrees for all 256 bytes: a byte changes exactly when
// its Unicode capital exists in Windows-1250 (so š ł ą ľ ř change; ß, µ, ÷,
// × and the dot above at FF stay).
TEST(Codepage, upper_case_matches_glibc_case_mapping)
{
    iconv_converter to_ansi("CP1250", "WCHAR_T");
    iconv_converter from_ansi("WCHAR_T", "CP1250");
    ASSERT_TRUE(to_ansi.ok() && from_ansi.ok());
    locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8 == static_cast<locale_t>(nullptr)) GTEST_SKIP() << "no C.UTF-8 locale";
    for (unsigned byte = 0; byte < 0x100; ++byte) {
        unsigned char expected = static_cast<unsigned char>(byte);
        if (const auto wide = from_ansi.convert(byte_text(byte))) {
            wchar_t letter = 0;
            std::memcpy(&letter, wide->data(), sizeof letter);
            const wchar_t capital = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(letter), utf8));
            std::string capital_bytes(sizeof capital, '\0');
            std::memcpy(capital_bytes.data(), &capital, sizeof capital);
            if (const auto back = to_ansi.convert(capital_bytes)) expected = static_cast<unsigned char>((*back)[0]);
        }
        EXPECT_EQ(ansi_upper_byte(static_cast<unsigned char>(byte)), expected) << std::hex << byte;
    }
    freelocale(utf8);
}

}  // namespace
