#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/temp_dir.h"
#include "print/page_device.h"
#include "print/page_store.h"
#include "print/tests/recording_surface.h"
#include "print/tests/scoped_tmpdir.h"
#include "testing/scratch_dir.h"

namespace vortel {
namespace {

namespace fs = std::filesystem;

TEST(page_file_name, has_at_least_four_digits_and_fits_its_room)
{
    EXPECT_EQ(page_file_name("/tmp/", 1), "/tmp/BT0001.WMF");
    EXPECT_EQ(page_file_name("/tmp/", 9999), "/tmp/BT9999.WMF");
    EXPECT_EQ(page_file_name("/tmp/", 10000), "/tmp/BT10000.WMF");
    const std::string longest(page_name_room - 1 - 10, 'd');
    EXPECT_EQ(page_file_name(longest, 1).size(), page_name_room - 1);
    EXPECT_EQ(page_file_name(longest + "d", 1), "");
}

// Each test gets its own temporary directory, so that parallel runs never
// share page-file names.
class page_store : public ::testing::Test {
protected:
    void SetUp() override { printer_ = print_testing::a4_600_dpi(); }
    void print_pages(page_device& device, int pages, const char* text)
    {
        open_page_device(device, &printer_, nullptr, "Listing", true, 80, true);
        ASSERT_EQ(start_document(device, "Listing"), 1);
        for (int page = 0; page < pages; ++page) {
            start_page(device);
            put_text(device, 0, 0, text, nullptr, nullptr, 0, false);
            end_page(device);
        }
    }
    std::string page(int number) { return page_file_name(scratch_.path() + "/", number); }

    print_testing::scoped_tmpdir scratch_;
    printer_facts printer_;
};

TEST_F(page_store, temporary_directory_ends_in_a_separator_and_ignores_unusable_settings)
{
    EXPECT_EQ(temp_directory(), scratch_.path() + "/");
    ::setenv("TMPDIR", "relative/dir", 1);
    EXPECT_EQ(temp_directory(), "/tmp/");
    ::setenv("TMPDIR", (scratch_.path() + "/missing").c_str(), 1);
    EXPECT_EQ(temp_directory(), "/tmp/");
}

TEST_F(page_store, pages_live_from_start_page_until_the_device_closes)
{
    page_device device;
    print_pages(device, 12, "x");
    ASSERT_EQ(list_count(device.pages), 12);
    int number = 1;
    for (void* name = list_first(device.pages); name != nullptr; name = list_next(device.pages), ++number) {
        EXPECT_EQ(static_cast<const char*>(name), page(number));
        EXPECT_TRUE(fs::exists(page(number)));
    }
    EXPECT_FALSE(fs::exists(page(13)));
    close_page_device(device);
    EXPECT_EQ(list_count(device.pages), 0);
    EXPECT_TRUE(fs::is_empty(scratch_.path()));
}

TEST_F(page_store, job_without_pages_leaves_no_files_and_preview_sees_an_empty_list)
{
    page_device device;
    std::int32_t seen = -1;
    print_pages(device, 0, "");
    device.preview = [](page_device& shown, void* context) { *static_cast<std::int32_t*>(context) = list_count(shown.pages); };
    device.preview_context = &seen;
    end_document(device);
    EXPECT_EQ(seen, 0);
    EXPECT_TRUE(fs::is_empty(scratch_.path()));
    close_page_device(device);
}

TEST_F(page_store, next_job_replaces_files_left_behind_under_the_same_names)
{
    testing::write_file(page(1), std::string(5000, 'z'));
    page_device device;
    print_pages(device, 1, "new");
    const std::string bytes = testing::read_file(page(1));
    EXPECT_LT(bytes.size(), 5000u);
    EXPECT_NE(bytes.find("n"), std::string::npos);
    close_page_device(device);
    EXPECT_FALSE(fs::exists(page(1)));
}

TEST_F(page_store, page_that_cannot_be_created_keeps_its_name_and_loses_its_text)
{
    page_device device;
    open_page_device(device, &printer_, nullptr, "Listing", true, 80, true);
    device.temp_directory = scratch_.path() + "/gone/";
    start_page(device);
    put_text(device, 0, 0, "lost", nullptr, nullptr, 0, false);
    end_page(device);
    ASSERT_EQ(list_count(device.pages), 1);
    EXPECT_EQ(static_cast<const char*>(list_first(device.pages)), scratch_.path() + "/gone/BT0001.WMF");
    close_page_device(device);
    EXPECT_TRUE(fs::is_empty(scratch_.path()));
}

TEST_F(page_store, page_left_open_is_finished_by_the_next_and_by_the_document_end)
{
    page_device device;
    open_page_device(device, &printer_, nullptr, "Listing", true, 80, true);
    start_page(device);
    put_text(device, 0, 0, "one", nullptr, nullptr, 0, false);
    start_page(device);
    put_text(device, 0, 0, "two", nullptr, nullptr, 0, false);
    end_document(device);
    EXPECT_NE(testing::read_file(page(1)).find('o'), std::string::npos);
    EXPECT_NE(testing::read_file(page(2)).find('w'), std::string::npos);
    close_page_device(device);
}

}  // namespace
}  // namespace vortel
