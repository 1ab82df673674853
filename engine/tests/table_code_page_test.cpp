#include "engine/export.h"
#include "engine/table.h"

#include "engine/tests/table_test_base.h"

namespace vortel {
namespace {

const std::vector<field_list_entry> fields = {{"NAME", 'C', 12, 0}, {"NOTE", 'M', 10, 0}};

class table_code_page_test : public testing::table_test_base {
protected:
    // A table whose names are `names` as stored, byte 29 set to `byte`.
    std::unique_ptr<table_object> open_with(const std::vector<std::string>& names, std::uint8_t byte = 0)
    {
        std::vector<std::vector<std::string>> values;
        for (const std::string& name : names) values.push_back({name});
        testing::write_table(path, fields, testing::records_of(fields, values));
        testing::patch_file(path, 29, std::string(1, static_cast<char>(byte)));
        return testing::open_table(path);
    }
};

// "Kovács Éva" and friends in code page 852, enough to tell it by.
std::vector<std::string> hungarian_852()
{
    const std::vector<std::string> six = {"Kov\xA0" "cs \x90va", "Sz\x8Bke \x99" "d\x94n", "Gy\x8Br P\x82" "cs",
                                          "T\xA2th G\xA0" "bor",     "Sz\xFB" "cs \x9Anige",     "Kiss \xB5gnes"};
    std::vector<std::string> names;
    for (int i = 0; i < 6; ++i) names.insert(names.end(), six.begin(), six.end());
    return names;
}

TEST_F(table_code_page_test, a_cpg_file_then_byte_29_then_the_text_then_the_setting_decide)
{
    // `cpg_name`: "" for none.
    const struct {
        const char* what;
        std::string cpg_name, cpg_text;
        std::uint8_t byte;
        std::vector<std::string> names;
        const char* setting;
        std::string expected;
    } rows[] = {
        {"a .cpg in another letter case", "t.cpg", "ANSI 1250\r\n", 0x64, {"x"}, "1", "1250 (from t.cpg)"},
        {"a .cpg naming no code page", "T.CPG", "EBCDIC", 0x64, {"x"}, "1", "852 (from byte 29 = 0x64)"},
        {"byte 29", "", "", 0x57, {"x"}, "1", "1252 (from byte 29 = 0x57)"},
        {"an unknown byte 29", "", "", 0x13, hungarian_852(), "0", "852 (guessed from the text)"},
        {"plain ASCII", "", "", 0, {"Kovacs Eva"}, "0", "1250 (setting SET_OEMTOANSI)"},
        {"too little text", "", "", 0, {"Gy\x8Br"}, "1", "852 (setting SET_OEMTOANSI)"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        setting_by_index(SET_OEMTOANSI, r.setting);
        if (!r.cpg_name.empty()) write_file(dir.file(r.cpg_name), r.cpg_text);
        auto table = open_with(r.names, r.byte);
        EXPECT_EQ(code_page_description(table->codepage), r.expected);
        if (!r.cpg_name.empty()) std::remove(dir.file(r.cpg_name).c_str());
    }
}

TEST_F(table_code_page_test, text_the_program_cannot_show_reads_as_question_marks_and_is_never_stored_back)
{
    // "Москва" in UTF-8: six characters, twelve bytes.
    const std::string moscow = "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0";
    auto table = open_with({moscow, "Gy\xC5\x91r"});
    choose_code_page(*table, code_page::utf8);
    EXPECT_EQ(field_text(*table, 0), "??????");
    EXPECT_FALSE(field_shown_whole(*table, 0));
    ASSERT_EQ(go_to(*table, 2), 1);
    EXPECT_EQ(field_text(*table, 0), "Gy\xF5r       ");
    EXPECT_TRUE(field_shown_whole(*table, 0));

    // A text is cut between characters, and refused with the character the
    // code page lacks, the record buffer then as it was.
    const std::string before(table->record.begin(), table->record.end());
    ASSERT_EQ(store_field_value(*table, 0, "Kov\xE1" "cs  \xF5\xF5"), "");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(table->record.data()) + 1, 12), "Kov\xC3\xA1" "cs  \xC5\x91 ");
    choose_code_page(*table, code_page::cp852);
    std::copy(before.begin(), before.end(), table->record.begin());
    EXPECT_EQ(store_field_value(*table, 0, "10 \x80"), "NAME C(12) cannot hold \"\x80\" (U+20AC): code page 852 has no such character");
    EXPECT_EQ(std::string(table->record.begin(), table->record.end()), before);

    // A memo likewise: refused with its reason, the memo file unchanged.
    ASSERT_EQ(lock_table(*table), 1);
    const std::string memo_file = read_file(dbt_file_name(path));
    EXPECT_EQ(memo_write(*table, 1, "\x84id\xE9zet\x94"), 0);
    EXPECT_EQ(table->failure, "The memo NOTE cannot hold \"\x84\" (U+201E): code page 852 has no such character");
    EXPECT_EQ(read_file(dbt_file_name(path)), memo_file);
    unlock(*table);

    // The chosen code page outlasts opening the table again.
    table_close(*table);
    ASSERT_EQ(table_open(*table), 1);
    EXPECT_EQ(code_page_description(table->codepage), "852 (chosen)");

    // Pages of a multi-byte code page show what Windows-1250 holds.
    table = open_with({"\xD6\xD0\xCE\xC4 abc"}, 0x4D);  // "中文 abc" in 936
    const std::string page = dir.file("OUT.HTM");
    ASSERT_EQ(export_html(*table, page, "T", {"NAME", "NOTE"}), 1);
    EXPECT_NE(read_file(page).find("<TD>?? abc    </TD>"), std::string::npos);
    ASSERT_EQ(export_html(*table, page, "T", {"NAME", "NOTE"}, {}, export_encoding::utf8), 1);
    EXPECT_NE(read_file(page).find("<TD>\xE4\xB8\xAD\xE6\x96\x87 abc    </TD>"), std::string::npos);
}

}  // namespace
}  // namespace vortel
