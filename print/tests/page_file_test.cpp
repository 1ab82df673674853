#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/fault_injection.h"
#include "platform/temp_dir.h"
#include "print/page_device.h"
#include "print/page_player.h"
#include "print/page_recorder.h"
#include "print/page_store.h"
#include "print/tests/recording_surface.h"
#include "print/tests/scoped_tmpdir.h"
#include "print/wmf_format.h"
#include "testing/scratch_dir.h"

namespace vortel {
namespace {

namespace fs = std::filesystem;
using print_testing::recording_surface;

const page_font default_font{100, 0, 400, 0, east_europe_charset, 0, "Courier New"};
const page_font bold_font{-80, 0, 700, 0, east_europe_charset, 0, "Arial"};

std::uint16_t u16(const std::string& bytes, std::size_t at)
{
    return wmf::get16(reinterpret_cast<const unsigned char*>(bytes.data()) + at);
}
std::uint32_t u32(const std::string& bytes, std::size_t at)
{
    return wmf::get32(reinterpret_cast<const unsigned char*>(bytes.data()) + at);
}

// Each record's size in words and its function.
using record_list = std::vector<std::pair<std::uint32_t, std::uint16_t>>;

// Walks the records after the header, trusting the sizes (the file is ours).
record_list records_of(const std::string& bytes)
{
    record_list records;
    for (std::size_t at = wmf::header_bytes; at + 6 <= bytes.size();) {
        records.emplace_back(u32(bytes, at), u16(bytes, at + 4));
        if (records.back().first < 3) break;
        at += records.back().first * 2;
    }
    return records;
}

// A font, the background mode and colour, two short texts, the end.
const record_list two_texts{{28, wmf::record_create_font_indirect}, {4, wmf::record_select_object},
                            {4, wmf::record_set_bk_mode},           {5, wmf::record_set_text_color},
                            {7, wmf::record_text_out},              {7, wmf::record_text_out},
                            {3, wmf::record_eof}};

TEST(page_file_bytes, small_page_has_a_correct_header_and_record_sizes_and_records_state_once)
{
    page_recorder small(default_font);
    small.select_font(bold_font);
    small.set_background_mode(background_transparent);
    small.set_text_colour(page_rgb(0, 0, 255));
    small.draw_text(120, 100, "A");
    small.draw_text(180, 100, "\xE1");  // a-acute in Windows-1250
    small.select_font(default_font);
    const std::string bytes = small.finish();

    // Kind, header words, version; the size; one object (the font) and the
    // largest record (the font's); no parameters.
    EXPECT_EQ(std::tuple(u16(bytes, 0), u16(bytes, 2), u16(bytes, 4)), std::tuple(wmf::disk_metafile, 9, 0x0300));
    EXPECT_EQ(u32(bytes, 6) * 2, bytes.size());
    EXPECT_EQ(std::tuple(u16(bytes, 10), u32(bytes, 12), u16(bytes, 16)), std::tuple(1, 28u, 0));

    EXPECT_EQ(records_of(bytes), two_texts);

    // Font record: height -80, weight 700, charset 238, face NUL-ended.
    EXPECT_EQ(std::tuple(static_cast<std::int16_t>(u16(bytes, 18 + 6)), u16(bytes, 18 + 6 + 8),
                         static_cast<unsigned char>(bytes[18 + 6 + 13])),
              std::tuple(-80, 700, 238));
    EXPECT_EQ(bytes.substr(18 + 6 + 18, 6), std::string("Arial\0", 6));
    // Second text output: count 1, the byte and its pad, then y and x.
    const std::size_t text = bytes.size() - 6 - 14 + 6;
    EXPECT_EQ(bytes.substr(text + 2, 2), std::string("\xE1\0", 2));
    EXPECT_EQ(std::tuple(u16(bytes, text), u16(bytes, text + 4), u16(bytes, text + 6)), std::tuple(1, 100, 180));

    // State is recorded once and positions that do not fit a word are dropped.
    page_recorder page(default_font);
    page.set_background_mode(background_transparent);
    page.draw_text(0, 0, "ab");  // even length: no pad
    page.draw_text(40000, 0, "x");
    page.draw_text(0, -40000, "y");
    page.set_background_mode(background_transparent);
    page.select_font(bold_font);
    page.select_font(default_font);  // set back before any text: nothing to record
    page.draw_text(0, 100, "c");
    // The first text records its font: the player's default is not ours.
    EXPECT_EQ(records_of(page.finish()), two_texts);
    EXPECT_EQ(u16(page.finish(), 10), 1);
}

// Lays out a page with fonts, colours and accented text through `device`.
void draw_sample(page_device& device)
{
    start_page(device);
    put_text(device, 0, 0, "Vortel \xC1rv\xEDzt\xFBr\xF5", nullptr, &bold_font, page_rgb(0, 0, 128), false);
    put_text(device, 1, 70, "ends past the edge", nullptr, nullptr, 0, false);
    put_text(device, 2, 5, "whole", nullptr, nullptr, page_rgb(10, 20, 30), true);
    put_text(device, 3, 0, "T", "@L", &bold_font, 0, false);
    put_text(device, 4, 1, "plain", nullptr, nullptr, 0, false);
    end_page(device);
}

class page_round_trip : public ::testing::Test {
protected:
    print_testing::scoped_tmpdir scratch_;
    printer_facts printer_ = print_testing::a4_600_dpi();
};

TEST_F(page_round_trip, played_page_draws_what_the_printer_would_have_drawn_shifted_and_scaled_by_a_view)
{
    recording_surface direct;
    page_device printing;
    open_page_device(printing, &printer_, &direct, "Listing", false, 80, true);
    draw_sample(printing);
    close_page_device(printing);

    page_device recording;
    open_page_device(recording, &printer_, nullptr, "Listing", true, 80, true);
    draw_sample(recording);
    recording_surface played;
    played.select_font(printer_.default_font);  // the printer's own font before playback
    EXPECT_EQ(play_page_file(static_cast<const char*>(list_first(recording.pages)), played), play_result::complete);
    close_page_device(recording);

    EXPECT_EQ(played.draws, direct.draws);
    EXPECT_GT(played.draws.size(), 20u);

    // The preview's view shifts and scales positions and fonts.
    page_recorder page(default_font);
    page.select_font(bold_font);
    page.draw_text(1000, 600, "Z");
    recording_surface viewed;
    ASSERT_EQ(play_page(page.finish(), viewed, page_view{-20, -20, 0.5, 0.25}), play_result::complete);
    ASSERT_EQ(viewed.draws.size(), 1u);
    EXPECT_EQ(viewed.draws[0], "510,155 Z [Arial -20/0/700 colour 0 mode 2]");
}

// Page damaged in the ways a torn write or a foreign file would damage it.
class damaged_page : public ::testing::Test {
protected:
    void SetUp() override
    {
        page_recorder page(default_font);
        page.select_font(bold_font);
        page.set_text_colour(page_rgb(1, 2, 3));
        for (int i = 0; i < 5; ++i) page.draw_text(i * 60, 0, std::string(1, static_cast<char>('a' + i)));
        page_ = page.finish();
        ASSERT_EQ(play_page(page_, full_), play_result::complete);
    }
    std::string page_;
    recording_surface full_;
};

TEST_F(damaged_page, every_truncation_and_bad_record_plays_a_prefix_and_reports_the_damage)
{
    for (std::size_t length = 0; length < page_.size(); ++length) {
        SCOPED_TRACE(length);
        // A copy of just the kept bytes, so the sanitizer sees any overread.
        const std::string cut = page_.substr(0, length);
        recording_surface played;
        const play_result result = play_page(cut, played);
        EXPECT_EQ(result, length < wmf::header_bytes ? play_result::not_a_page : play_result::damaged);
        ASSERT_LE(played.draws.size(), full_.draws.size());
        EXPECT_TRUE(std::equal(played.draws.begin(), played.draws.end(), full_.draws.begin()));
    }

    // A record size that cannot be, or a text longer than its record, ends
    // the playback; selecting an object that was never made is only ignored.
    const std::size_t first = wmf::header_bytes;
    for (std::uint32_t words : {0u, 2u, 0xFFFFFFFFu, static_cast<std::uint32_t>(page_.size())}) {
        SCOPED_TRACE(words);
        std::string bad = page_;
        wmf::put32(reinterpret_cast<unsigned char*>(bad.data()) + first, words);
        recording_surface played;
        EXPECT_EQ(play_page(bad, played), play_result::damaged);
        EXPECT_TRUE(played.draws.empty());
    }

    std::string long_text = page_;
    const std::size_t last_text = page_.size() - 6 - 14;
    ASSERT_EQ(u16(long_text, last_text + 4), wmf::record_text_out);
    wmf::put16(reinterpret_cast<unsigned char*>(long_text.data()) + last_text + 6, 200);
    recording_surface cut_short;
    EXPECT_EQ(play_page(long_text, cut_short), play_result::damaged);
    EXPECT_EQ(cut_short.draws.size(), full_.draws.size() - 1);

    std::string no_object = page_;
    const std::size_t select = wmf::header_bytes + 28 * 2;
    ASSERT_EQ(u16(no_object, select + 4), wmf::record_select_object);
    wmf::put16(reinterpret_cast<unsigned char*>(no_object.data()) + select + 6, 7);
    recording_surface unselected;
    EXPECT_EQ(play_page(no_object, unselected), play_result::complete);
    EXPECT_EQ(unselected.draws.size(), full_.draws.size());
    EXPECT_EQ(unselected.draws[0].find("Arial"), std::string::npos);
}

// One record: its size in words, its function, its parameters (even length).
std::string page_record(std::uint16_t function, const std::string& parameters)
{
    std::string bytes(6, '\0');
    auto* at = reinterpret_cast<unsigned char*>(bytes.data());
    wmf::put32(at, static_cast<std::uint32_t>(3 + parameters.size() / 2));
    wmf::put16(at + 4, function);
    return bytes + parameters;
}

std::string page_word(std::uint16_t value)
{
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

// A page another program wrote: a header of its own kind, the records, the end.
std::string foreign_page(const std::string& records)
{
    return std::string("\x01\x00\x09\x00\x00\x03", 6) + std::string(wmf::header_bytes - 6, '\0') + records +
           page_record(wmf::record_eof, "");
}

std::string font_record(const char* face, std::uint16_t weight = 0)
{
    std::string parameters(wmf::font_fixed_bytes, '\0');
    parameters[0] = 50;
    parameters.replace(8, 2, page_word(weight));
    parameters[13] = static_cast<char>(east_europe_charset);
    return page_record(wmf::record_create_font_indirect, parameters + face + std::string(2, '\0'));
}

std::string select_record(std::uint16_t slot) { return page_record(wmf::record_select_object, page_word(slot)); }

const std::string pen_record = page_record(0x02FA, std::string(10, '\0'));

TEST(foreign_page, header_is_checked_extended_text_and_other_objects_are_understood_and_freed_slots_reused)
{
    recording_surface played;
    EXPECT_EQ(play_page("not a metafile at all", played), play_result::not_a_page);
    EXPECT_EQ(play_page_file("/nonexistent/BT0001.WMF", played), play_result::not_a_page);

    // A pen takes slot 0, a font slot 1, then an extended text output at
    // y 7, x 9 of two characters, clipped (option 4) to a rectangle.
    const std::string text = page_word(7) + page_word(9) + page_word(2) + page_word(4) + std::string(8, '\0') + "OK";
    const std::string page = foreign_page(pen_record + font_record("Ab", 400) + select_record(1) +
                                          page_record(wmf::record_ext_text_out, text));
    EXPECT_EQ(play_page(page, played), play_result::complete);
    ASSERT_EQ(played.draws.size(), 1u);
    EXPECT_EQ(played.draws[0], "9,7 OK [Ab 50/0/400 colour 0 mode 2]");

    // A new object takes the lowest freed slot.
    const auto remove = [](std::uint16_t slot) { return page_record(wmf::record_delete_object, page_word(slot)); };
    std::string records = pen_record + font_record("F1") + pen_record + font_record("F3");  // slots 0 to 3
    records += remove(2) + remove(0) + remove(1) + remove(1);
    records += font_record("N0") + font_record("N1") + font_record("N2") + font_record("N4");
    for (std::uint16_t slot = 0; slot < 5; ++slot) records += select_record(slot);

    recording_surface slots;
    ASSERT_EQ(play_page(foreign_page(records), slots), play_result::complete);
    EXPECT_EQ(slots.calls, (std::vector<std::string>{"font N0 50/0/0", "font N1 50/0/0", "font N2 50/0/0",
                                                      "font F3 50/0/0", "font N4 50/0/0"}))
        << "freed slots are filled lowest first, each once";
}

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
    void print_pages(page_device& device, int pages, const std::string& text)
    {
        open_page_device(device, &printer_, nullptr, "Listing", true, 80, true);
        ASSERT_EQ(start_document(device, "Listing"), 1);
        for (int page = 0; page < pages; ++page) {
            start_page(device);
            put_text(device, 0, 0, text, nullptr, nullptr, 0, false);
            end_page(device);
        }
    }
    static std::string page(const page_device& device, int number)
    {
        return page_file_name(device.temp_directory, number);
    }

    // Runs `job` in a child process, as another program would; true when it
    // succeeded there.
    static bool in_other_process(const std::function<bool()>& job)
    {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(job() ? 0 : 1);
        int status = -1;
        return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    print_testing::scoped_tmpdir scratch_;
    printer_facts printer_ = print_testing::a4_600_dpi();
};

TEST_F(page_store, pages_live_in_a_job_directory_of_the_temporary_directory_until_the_device_closes)
{
    page_device device;
    print_pages(device, 12, "x");
    EXPECT_EQ(device.failure, "");
    const fs::path job = fs::path(device.temp_directory).parent_path();
    EXPECT_EQ(job.parent_path(), scratch_.path());
    ASSERT_EQ(list_count(device.pages), 12);
    int number = 1;
    for (void* name = list_first(device.pages); name != nullptr; name = list_next(device.pages), ++number) {
        EXPECT_EQ(static_cast<const char*>(name), job.string() + page_file_name("/", number));
    }
    EXPECT_FALSE(fs::exists(page(device, 13)));
    close_page_device(device);
    EXPECT_EQ(list_count(device.pages), 0);
    EXPECT_TRUE(fs::is_empty(scratch_.path()));

    // A job without pages leaves no files.
    page_device next;
    std::int32_t seen = -1;
    print_pages(next, 0, "");
    next.preview = [](page_device& shown, void* context) { *static_cast<std::int32_t*>(context) = list_count(shown.pages); };
    next.preview_context = &seen;
    end_document(next);
    EXPECT_EQ(seen, 0);
    EXPECT_TRUE(fs::is_empty(next.temp_directory));
    close_page_device(next);
    EXPECT_TRUE(fs::is_empty(scratch_.path()));

    // A page left open is finished by the next and by the document's end.
    open_page_device(next, &printer_, nullptr, "Listing", true, 80, true);
    start_page(next);
    put_text(next, 0, 0, "one", nullptr, nullptr, 0, false);
    start_page(next);
    put_text(next, 0, 0, "two", nullptr, nullptr, 0, false);
    end_document(next);
    EXPECT_NE(testing::read_file(page(next, 1)).find('o'), std::string::npos);
    EXPECT_NE(testing::read_file(page(next, 2)).find('w'), std::string::npos);
    close_page_device(next);

    // The temporary directory ends in a separator and ignores unusable settings.
    EXPECT_EQ(temp_directory(), scratch_.path() + "/");
    ::setenv("TMPDIR", "relative/dir", 1);
    EXPECT_EQ(temp_directory(), "/tmp/");
    ::setenv("TMPDIR", (scratch_.path() + "/missing").c_str(), 1);
    EXPECT_EQ(temp_directory(), "/tmp/");
}

// Another program's job runs while this one's pages exist: each keeps its
// own pages, and neither removes the other's.
TEST_F(page_store, jobs_of_two_processes_keep_their_own_pages_and_a_killed_jobs_pages_go_with_the_next_job)
{
    page_device mine;
    print_pages(mine, 2, "mine");
    const std::string my_page = testing::read_file(page(mine, 2));
    ASSERT_NE(my_page.find('m'), std::string::npos);

    EXPECT_TRUE(in_other_process([&] {
        page_device theirs;
        print_pages(theirs, 3, "theirs");
        const bool own_pages = theirs.temp_directory != mine.temp_directory &&
                               testing::read_file(page(theirs, 2)).find('t') != std::string::npos &&
                               testing::read_file(page(mine, 2)) == my_page;
        close_page_device(theirs);
        return own_pages && theirs.failure.empty();
    }));
    EXPECT_EQ(testing::read_file(page(mine, 2)), my_page);
    EXPECT_TRUE(fs::exists(page(mine, 1)));
    close_page_device(mine);
    EXPECT_TRUE(fs::is_empty(scratch_.path()));

    // A job killed with its pages on disk leaves its directory behind; the
    // next job removes it once the process is gone.
    ASSERT_TRUE(in_other_process([&]() -> bool {
        page_device device;
        print_pages(device, 2, "left");
        ::_exit(device.failure.empty() ? 0 : 1);  // as if killed: the device is never closed
    }));
    ASSERT_FALSE(fs::is_empty(scratch_.path()));

    page_device next;
    print_pages(next, 1, "next");
    for (const auto& entry : fs::directory_iterator(scratch_.path()))
        EXPECT_EQ(entry.path().string() + "/", next.temp_directory);
    close_page_device(next);
    EXPECT_TRUE(fs::is_empty(scratch_.path()));
}

// A page that cannot be made or written whole fails the job, names the
// page and the reason, and the pages after it are not made.
TEST_F(page_store, page_that_cannot_be_written_whole_is_the_jobs_failure)
{
    const struct { fault_call call; long fail_at; int error, failed_page; const char* words; } cases[] = {
        {fault_call::open, 2, EMFILE, 2, "Too many open files"}, {fault_call::write, 1, ENOSPC, 1, "Disk full"},
        {fault_call::write, 3, EDQUOT, 3, "Disk quota exceeded"},
        {fault_call::close, 2, EIO, 2, "Input/output error"},
    };
    for (const auto& c : cases) {
        page_device device;
        {
            fault_injector faults(c.call, c.fail_at, c.error);
            print_pages(device, 4, "text");
        }
        EXPECT_EQ(device.failure, c.words + (": " + page(device, c.failed_page))) << c.words;
        for (int later = c.failed_page + 1; later <= 4; ++later) EXPECT_FALSE(fs::exists(page(device, later)));
        close_page_device(device);
        EXPECT_TRUE(fs::is_empty(scratch_.path())) << c.words;
    }
}

}  // namespace
}  // namespace vortel
