#include "examples/sample_table.h"

#include "engine/dbf_format.h"
#include "platform/codepage.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace vortel {
namespace {

// Texts are written here in UTF-8 for legibility and stored in code page
// 852, as DOS programs kept them.
constexpr std::array<std::string_view, 30> family_names{
    "Nagy", "Kovács", "Tóth", "Szabó", "Horváth", "Varga", "Kiss", "Molnár", "Németh", "Farkas",
    "Balogh", "Papp", "Takács", "Juhász", "Lakatos", "Mészáros", "Oláh", "Simon", "Rácz", "Fekete",
    "Szűcs", "Gál", "Kőrösi", "Bíró", "Győri", "Pásztor", "Vörös", "Fülöp", "Erdős", "Hegedűs"};

constexpr std::array<std::string_view, 30> given_names{
    "László", "István", "József", "János", "Zoltán", "Sándor", "Gábor", "Ferenc", "Attila", "Péter",
    "Tamás", "Zsolt", "Mária", "Erzsébet", "Katalin", "Ilona", "Éva", "Anikó", "Zsófia", "Ildikó",
    "Krisztina", "Júlia", "Ágnes", "Réka", "Dóra", "Bálint", "Ödön", "Őrs", "Ünige", "Tünde"};

constexpr std::array<std::string_view, 20> cities{
    "Budapest", "Debrecen", "Szeged", "Miskolc", "Pécs", "Győr", "Nyíregyháza", "Kecskemét",
    "Székesfehérvár", "Szombathely", "Szolnok", "Érd", "Veszprém", "Békéscsaba", "Zalaegerszeg",
    "Sopron", "Eger", "Hódmezővásárhely", "Gödöllő", "Ózd"};

constexpr std::array<std::string_view, 6> memo_sentences{
    "Árvíztűrő tükörfúrógép: a raktári leltárban szerepel, javításra vár. ",
    "Heti két napot otthonról dolgozik, a csütörtöki megbeszéléseken személyesen vesz részt. ",
    "Nyelvvizsga: angol középfok, német alapfok. Külföldi kiküldetést szívesen vállal. ",
    "A munkavédelmi oktatáson részt vett, a tűzvédelmi vizsgát sikeresen letette. ",
    "Szabadság: július első két hete; helyettese a csoport vezetője. ",
    "Őszi továbbképzés: könyvelés és bérszámfejtés, a költségeket a cég fizeti. "};

const std::vector<field_list_entry> sample_fields{
    {"NEV", 'C', 30, 0},      {"VAROS", 'C', 20, 0},    {"SZULETETT", 'D', 8, 0}, {"BELEPETT", 'D', 8, 0},
    {"FIZETES", 'N', 9, 0},   {"PREMIUM", 'N', 5, 1},   {"AKTIV", 'L', 1, 0},     {"MEGJEGYZES", 'M', 10, 0},
};

// A small fixed generator, so the files never change between builds.
struct sequence {
    std::uint32_t state = 20261206;
    int next(int bound)
    {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % static_cast<std::uint32_t>(bound));
    }
};

std::string oem(std::string_view utf8)
{
    std::string text = utf8_to_ansi(utf8);
    ansi_to_oem(text);
    return text;
}

std::string padded(std::string text, int width)
{
    text.resize(static_cast<std::size_t>(width), ' ');
    return text;
}

std::string right_aligned(const std::string& text, int width)
{
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::string dbf_date(int year, int month, int day)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d%02d%02d", year, month, day);
    return digits;
}

struct memo_store {
    std::vector<std::uint8_t> bytes;
    std::int32_t next_free_block = 2;  // block 1 is never used

    memo_store()
    {
        auto header = new_dbt_header_block();
        bytes.assign(header.begin(), header.end());
    }

    // Appends a memo in its own blocks and gives its first block.
    std::int32_t add(const std::string& text)
    {
        const std::int32_t block = next_free_block;
        bytes.resize(static_cast<std::size_t>(block) * dbt_block_size, 0);
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.insert(bytes.end(), memo_terminator.begin(), memo_terminator.end());
        next_free_block += static_cast<std::int32_t>(memo_block_count(static_cast<std::int64_t>(text.size())));
        return block;
    }

    void finish()
    {
        dbt_header header;
        header.next_free_block = next_free_block;
        header.rest[12] = dbt_version_marker;
        auto encoded = encode_dbt_header(header);
        std::copy(encoded.begin(), encoded.end(), bytes.begin());
    }
};

std::string sample_record(sequence& random, memo_store& memos, int number)
{
    std::string name = std::string(family_names[static_cast<std::size_t>(random.next(30))]) + " " +
                       std::string(given_names[static_cast<std::size_t>(random.next(30))]);
    std::string city(cities[static_cast<std::size_t>(random.next(20))]);

    // Every seventeenth record lacks dates: real tables have such gaps.
    bool dated = number % 17 != 0;
    int born_year = 1950 + random.next(50);
    std::string born = dated ? dbf_date(born_year, 1 + random.next(12), 1 + random.next(28)) : std::string(8, ' ');
    const int joined_year = std::min(born_year + 20 + random.next(15), sample_created.year - 1);
    std::string joined = dated ? dbf_date(joined_year, 1 + random.next(12), 1 + random.next(28)) : std::string(8, ' ');
    int salary = number % 23 == 0 ? 0 : 250000 + 1000 * random.next(900);
    int bonus_tenths = random.next(250);
    char bonus[16];
    std::snprintf(bonus, sizeof bonus, "%d.%d", bonus_tenths / 10, bonus_tenths % 10);
    bool active = random.next(10) != 0;

    std::string memo_field(10, ' ');
    if (random.next(3) == 0) {
        std::string text;
        int sentences = 1 + random.next(3) + (number % 11 == 0 ? 8 : 0);  // some span several blocks
        for (int i = 0; i < sentences; ++i) text += memo_sentences[static_cast<std::size_t>(random.next(6))];
        text.pop_back();  // the blank after the last sentence
        memo_field = right_aligned(std::to_string(memos.add(oem(text))), 10);
    }

    // Every twentieth record carries the delete mark.
    std::string record(1, number % 20 == 7 ? dbf_deleted_mark : dbf_live_mark);
    record += padded(oem(name), 30);
    record += padded(oem(city), 20);
    record += born;
    record += joined;
    record += right_aligned(std::to_string(salary), 9);
    record += right_aligned(bonus, 5);
    record += active ? "T" : "F";
    record += memo_field;
    return record;
}

bool write_bytes(const std::string& path, const void* data, std::size_t size)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    bool written = std::fwrite(data, 1, size, out) == size;
    return std::fclose(out) == 0 && written;
}

}  // namespace

bool write_sample_table(const std::string& dbf_path, sample_date created)
{
    std::vector<std::uint8_t> table =
        encode_new_table_header(sample_fields, created.year, created.month, created.day);
    dbf_header header = decode_dbf_header(std::span<const std::uint8_t, dbf_header_size>(table.data(), dbf_header_size));
    header.record_count = sample_record_count;
    auto head = encode_dbf_header(header);
    std::copy(head.begin(), head.end(), table.begin());

    sequence random;
    memo_store memos;
    for (int number = 1; number <= sample_record_count; ++number) {
        std::string record = sample_record(random, memos, number);
        table.insert(table.end(), record.begin(), record.end());
    }
    memos.finish();
    return write_bytes(dbf_path, table.data(), table.size()) &&
           write_bytes(dbt_file_name(dbf_path), memos.bytes.data(), memos.bytes.size());
}

}  // namespace vortel
