// The direct field copy must store exactly the bytes set_field_text stores
// for the same text, for every text it accepts: bulk copies rely on it to
// write the same files as the general way.
#include "engine/field_copy.h"

#include "engine/table.h"
#include "engine/tests/table_fixture.h"
#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <random>

namespace vortel {
namespace {

const std::vector<field_list_entry> fields = {{"NAME", 'C', 6, 0}, {"PRICE", 'N', 7, 2}, {"COUNT", 'N', 4, 0},
                                              {"WIDE", 'N', 18, 3}, {"BORN", 'D', 8, 0}, {"OK", 'L', 1, 0}};

// Texts of the forms fields hold and near misses of them.
std::vector<std::string> sample_texts()
{
    std::vector<std::string> texts = {"",         " ",        "   1.50",  "  -1.50",  "   0.00",  "  -0.00",
                                      "  -0.50",  "  01.50",  "   1.5 ",  "  1.500",  " 1e3.00",  "   .50",
                                      "   1",     "  -0",     "  00",     "0",        "9999",     "-999",
                                      " 12",      "20240229", "20230229", "2024022",  "2024-02-2", "00000000",
                                      "T",        "y",        "n",        "?",        "x\xA0y",   "   12345678901.123",
                                      "  123456789012.123", "1234567890123456.1", "  -12345678901.123"};
    std::mt19937 random(7);
    const std::string alphabet = " 0123456789.-+eEyYtTfFa";
    for (int i = 0; i < 20000; ++i) {
        std::string text(random() % 19, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        texts.push_back(text);
    }
    return texts;
}

TEST(field_copy, stores_the_bytes_set_field_text_stores)
{
    testing::scratch_dir dir;
    const std::string path = dir.file("T.DBF");
    testing::write_table(path, fields, {});
    auto table = table_new(path);
    ASSERT_EQ(table_open(*table), 1);
    table->conversion = 0;  // bulk copies pass bytes unconverted
    table->record = table->blank_record;

    int direct = 0;
    for (const std::string& text : sample_texts()) {
        for (int i = 0; i < field_count(*table); ++i) {
            const field_information field = field_info(*table, i);
            const auto offset = static_cast<std::size_t>(field_offset(*table, i));
            const auto width = static_cast<std::size_t>(field.length);
            std::fill(table->record.begin(), table->record.end(), '#');
            ASSERT_EQ(set_field_text(*table, i, text), 1);
            const std::string expected(table->record.begin() + static_cast<std::ptrdiff_t>(offset),
                                       table->record.begin() + static_cast<std::ptrdiff_t>(offset + width));
            std::string got(width, '#');
            if (store_field_directly(reinterpret_cast<std::uint8_t*>(got.data()), field.type, width, field.decimals,
                                     text)) {
                ++direct;
                EXPECT_EQ(got, expected) << field.name << " from \"" << text << "\"";
            } else {
                EXPECT_EQ(got, std::string(width, '#')) << "nothing written for \"" << text << "\"";
            }
        }
    }
    EXPECT_GT(direct, 20000);
}

TEST(field_copy, a_stored_text_ends_at_the_first_zero_byte)
{
    const std::uint8_t bytes[] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(stored_text(bytes, 4), "ab");
    EXPECT_EQ(stored_text(bytes, 2), "ab");
}

}  // namespace
}  // namespace vortel
