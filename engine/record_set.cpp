#include "engine/record_set.h"

#include <bit>

namespace vortel {
namespace {

constexpr std::int32_t word_bits = 64;

}  // namespace

std::int32_t record_set::next_after(std::int32_t number) const
{
    if (number < 0) number = 0;
    if (number >= table_records_) return 0;
    // Bit i of word w is record w * 64 + i + 1; the search starts at bit `number`.
    std::size_t word = static_cast<std::size_t>(number) / word_bits;
    std::uint64_t bits = words_[word] & (~std::uint64_t{0} << (number % word_bits));
    while (bits == 0) {
        if (++word == words_.size()) return 0;
        bits = words_[word];
    }
    return static_cast<std::int32_t>(word * word_bits) + std::countr_zero(bits) + 1;
}

std::int32_t record_set::last_before(std::int32_t number) const
{
    if (number > table_records_ + 1) number = table_records_ + 1;
    if (number <= 1) return 0;
    // Records below `number` are bits 0 .. number - 2.
    const std::int32_t last_bit = number - 2;
    std::size_t word = static_cast<std::size_t>(last_bit) / word_bits;
    const int kept = last_bit % word_bits + 1;
    std::uint64_t bits = words_[word] & (kept == word_bits ? ~std::uint64_t{0} : (std::uint64_t{1} << kept) - 1);
    while (bits == 0) {
        if (word-- == 0) return 0;
        bits = words_[word];
    }
    return static_cast<std::int32_t>(word * word_bits) + (word_bits - 1 - std::countl_zero(bits)) + 1;
}

std::int32_t record_set::rank(std::int32_t number) const
{
    if (number < 1) return 0;
    if (number >= table_records_) return members_;
    const std::size_t whole = static_cast<std::size_t>(number) / word_bits;
    std::int32_t count = 0;
    for (std::size_t w = 0; w < whole; ++w) count += std::popcount(words_[w]);
    const int rest = number % word_bits;
    if (rest != 0) count += std::popcount(words_[whole] & ((std::uint64_t{1} << rest) - 1));
    return count;
}

std::int32_t record_set::select(std::int32_t position) const
{
    if (position < 1 || position > members_) return 0;
    std::int32_t left = position;
    for (std::size_t w = 0; w < words_.size(); ++w) {
        std::uint64_t bits = words_[w];
        const int here = std::popcount(bits);
        if (left > here) {
            left -= here;
            continue;
        }
        while (--left > 0) bits &= bits - 1;  // drop the lower members
        return static_cast<std::int32_t>(w * word_bits) + std::countr_zero(bits) + 1;
    }
    return 0;
}

record_set record_set::with_appended(std::int32_t first, std::int32_t last) const
{
    record_set grown = *this;
    if (last > grown.table_records_) {
        grown.table_records_ = last;
        grown.words_.resize((static_cast<std::size_t>(last) + word_bits - 1) / word_bits, 0);
    }
    for (std::int32_t number = first; number <= last; ++number) grown.add(number);
    return grown;
}

}  // namespace vortel
