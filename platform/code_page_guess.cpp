#include "platform/code_page_guess.h"

#include "platform/codepage.h"

#include <algorithm>
#include <enca.h>
#include <locale.h>
#include <memory>
#include <uchardet.h>
#include <wctype.h>

namespace vortel {
namespace {

bool beyond_ascii(char c) { return static_cast<unsigned char>(c) >= 0x80; }

bool well_formed_utf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const utf8_step step = decode_utf8(text, at);
        if (!step.valid) return false;
        at += step.length;
    }
    return true;
}

// Whether at least two thirds of the characters beyond ASCII that `page`
// reads in the sample are letters, and no byte is none of its characters.
bool reads_as_text(code_page page, std::string_view sample)
{
    static const locale_t unicode = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (unicode == static_cast<locale_t>(nullptr)) return true;
    // Through UTF-8, where every character of every page has its place.
    const std::string text = stored_to_utf8(page, sample);
    std::size_t letters = 0;
    std::size_t others = 0;
    for (std::size_t at = 0; at < text.size();) {
        const utf8_step step = decode_utf8(text, at);
        at += step.length;
        if (step.code_point < 0x80) continue;
        if (step.code_point == 0xFFFD) return false;
        (::iswalpha_l(static_cast<wint_t>(step.code_point), unicode) ? letters : others) += 1;
    }
    return letters >= 2 * others;
}

// ISO-8859-2 and 1250 put most Central European letters at the same bytes.
bool same_in_1250(std::string_view sample)
{
    std::string as_1250, as_latin2;
    stored_to_program(code_page::cp1250, sample, as_1250);
    const bool whole = stored_to_program(code_page::iso8859_2, sample, as_latin2);
    return whole && as_1250 == as_latin2;
}

bool hungarian_letter(char32_t c)
{
    static constexpr std::u32string_view letters = U"áéíóöőúüűÁÉÍÓÖŐÚÜŰ";
    return letters.find(c) != std::u32string_view::npos;
}

bool cyrillic_letter(char32_t c) { return c >= 0x0400 && c <= 0x04FF; }

// Whether at least two thirds of the characters beyond ASCII that `page`
// reads in the sample are the language's letters: enca judges every text
// as the language it is asked about, and Cyrillic in 866 reads as letters
// in 852 too.
bool reads_as_language(code_page page, std::string_view sample, bool (*letter)(char32_t))
{
    const std::string text = stored_to_utf8(page, sample);
    std::size_t ours = 0;
    std::size_t others = 0;
    for (std::size_t at = 0; at < text.size();) {
        const utf8_step step = decode_utf8(text, at);
        at += step.length;
        if (step.code_point < 0x80) continue;
        (letter(step.code_point) ? ours : others) += 1;
    }
    return ours >= 2 * others;
}

// enca, which tells apart the code pages of one language by its letters.
std::optional<code_page> by_language(std::string_view sample, const char* language, bool (*letter)(char32_t))
{
    const std::unique_ptr<std::remove_pointer_t<EncaAnalyser>, void (*)(EncaAnalyser)> analyser(
        ::enca_analyser_alloc(language), ::enca_analyser_free);
    if (!analyser) return std::nullopt;
    ::enca_set_ambiguity(analyser.get(), 0);
    ::enca_set_garbage_test(analyser.get(), 1);
    const EncaEncoding found = ::enca_analyse_const(analyser.get(), reinterpret_cast<const unsigned char*>(sample.data()),
                                                    sample.size());
    const char* name = ::enca_charset_name(found.charset, ENCA_NAME_STYLE_ICONV);
    const std::optional<code_page> page = name ? code_page_from_name(name) : std::nullopt;
    return page && reads_as_language(*page, sample, letter) ? page : std::nullopt;
}

std::optional<code_page> by_frequencies(std::string_view sample)
{
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(::uchardet_new(),
                                                                                             ::uchardet_delete);
    if (!detector || ::uchardet_handle_data(detector.get(), sample.data(), sample.size()) != 0) return std::nullopt;
    ::uchardet_data_end(detector.get());
    const std::string_view name = ::uchardet_get_charset(detector.get());
    const std::optional<code_page> page = code_page_from_name(name);
    // Western text is told as ISO-8859-1, whose printable characters 1252
    // holds at the same bytes; 1252 also reads its quotes and dashes.
    return page == code_page::iso8859_1 ? code_page::cp1252 : page;
}

}  // namespace

std::optional<code_page> guess_code_page(std::string_view sample)
{
    if (std::none_of(sample.begin(), sample.end(), beyond_ascii)) return std::nullopt;
    if (well_formed_utf8(sample)) return code_page::utf8;
    std::optional<code_page> page = by_language(sample, "hu", hungarian_letter);
    if (!page) page = by_language(sample, "ru", cyrillic_letter);
    if (!page) page = by_frequencies(sample);
    if (!page || *page == code_page::utf8 || !reads_as_text(*page, sample)) return std::nullopt;
    if (*page == code_page::iso8859_2 && same_in_1250(sample)) return code_page::cp1250;
    return page;
}

}  // namespace vortel
