#include "platform/companion_file.h"
#include "platform/file_identity.h"
#include "platform/staged_output.h"

#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vortel {
namespace {

using testing::read_file;
using testing::write_file;

// T.DBF and its other names; NEW.DBF does not exist yet.
class output_files_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        write_file(dir.file("T.DBF"), "table");
        write_file(dir.file("OTHER.DBF"), "other");
        ASSERT_EQ(::mkdir(dir.file("SUB").c_str(), 0777), 0);
        ASSERT_EQ(::symlink("T.DBF", dir.file("LINK.DBF").c_str()), 0);
        ASSERT_EQ(::link(dir.file("T.DBF").c_str(), dir.file("HARD.DBF").c_str()), 0);
        ASSERT_EQ(::symlink("NEW.DBF", dir.file("DANGLING").c_str()), 0);
    }

    // Writes `bytes` through a staged output of `name`; commits when asked.
    int stage(const std::string& name, const std::string& bytes, bool commit)
    {
        staged_output staged(name);
        native_file file;
        if (const int error = staged.open(file)) return error;
        std::size_t put = 0;
        if (!file.write(bytes.data(), bytes.size(), put)) return file.last_error();
        file.close();
        return commit ? staged.commit() : 0;
    }

    std::set<std::string> files() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    testing::scratch_dir dir;
};

TEST_F(output_files_test, names_are_compared_as_the_files_they_reach_and_a_staged_output_replaces_only_its_own)
{
    const struct { const char* a; const char* b; bool same; } cases[] = {
        {"T.DBF", "./T.DBF", true}, {"T.DBF", "SUB/../T.DBF", true}, {"T.DBF", "LINK.DBF", true},
        {"T.DBF", "HARD.DBF", true}, {"T.DBF", "OTHER.DBF", false},
        {"NEW.DBF", "SUB/../NEW.DBF", true},  // neither exists: folder and name
        {"NEW.DBF", "DANGLING", true},        // the link creates NEW.DBF
        {"NEW.DBF", "NEW.DBT", false}, {"NEW.DBF", "SUB/NEW.DBF", false}, {"T.DBF", "SUB/T.DBF", false},
        {"SUB", "SUB/.", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(names_one_file(dir.file(c.a), dir.file(c.b)), c.same) << c.a << " and " << c.b;
        EXPECT_EQ(names_one_file(dir.file(c.b), dir.file(c.a)), c.same) << c.b << " and " << c.a;
    }
    EXPECT_FALSE(names_one_file("", dir.file("T.DBF")));

    // A staged output takes its name only when committed and never touches
    // other files.
    ASSERT_EQ(::chmod(dir.file("OTHER.DBF").c_str(), 0640), 0);
    std::set<std::string> before = files();

    EXPECT_EQ(stage(dir.file("OTHER.DBF"), "abandoned", false), 0);
    EXPECT_EQ(read_file(dir.file("OTHER.DBF")), "other");
    EXPECT_EQ(files(), before) << "the temporary file went";

    EXPECT_EQ(stage(dir.file("OTHER.DBF"), "new", true), 0);
    EXPECT_EQ(read_file(dir.file("OTHER.DBF")), "new");
    struct stat info{};
    ASSERT_EQ(::stat(dir.file("OTHER.DBF").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file's permissions stay";
    EXPECT_EQ(files(), before);

    // A link keeps its link: the file it points to is replaced or created.
    EXPECT_EQ(stage(dir.file("LINK.DBF"), "through the link", true), 0);
    EXPECT_EQ(stage(dir.file("DANGLING"), "created", true), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("LINK.DBF")) && std::filesystem::is_symlink(dir.file("DANGLING")));
    EXPECT_EQ(read_file(dir.file("T.DBF")) + read_file(dir.file("NEW.DBF")), "through the linkcreated");

    // A file of the temporary file's name is someone else's.
    write_file(dir.file("OUT.TXT.part1"), "someone else's");
    EXPECT_EQ(stage(dir.file("OUT.TXT"), "mine", true), 0);
    EXPECT_EQ(read_file(dir.file("OUT.TXT.part1")), "someone else's");
    EXPECT_EQ(read_file(dir.file("OUT.TXT")), "mine");

    // A file some handle has open is not deleted from under it.
    native_file holder;
    ASSERT_TRUE(holder.open(dir.file("OUT.TXT"), access_read, share_read | share_write, file_creation::open_existing));
    before = files();
    EXPECT_EQ(stage(dir.file("OUT.TXT"), "refused", true), EBUSY);
    EXPECT_EQ(read_file(dir.file("OUT.TXT")), "mine");
    EXPECT_EQ(files(), before);

    // Nothing but a plain file is replaced.
    EXPECT_EQ(stage(dir.file("SUB"), "x", true), EISDIR);
    EXPECT_EQ(stage("/dev/null", "x", true), EINVAL);
    EXPECT_EQ(files(), before);

    // A name far too long for the folder is cut for the temporary file, so
    // the failure names the output's own length.
    EXPECT_EQ(stage(dir.file(std::string(300, 'L')), "long", true), ENAMETOOLONG);
    EXPECT_EQ(files(), before);
}

TEST(companion_file, is_found_whatever_its_letter_case_unless_two_would_fit)
{
    testing::scratch_dir dir;
    for (const char* name : {"pd.dbt", "PEOPLE.DBT", "two.cpg", "TWO.CPG"}) testing::write_file(dir.file(name), "x");
    const std::pair<const char*, const char*> cases[] = {  // the name wanted, the file found ("" for none)
        {"pd.dbt", "pd.dbt"},      // as it is
        {"pd.dbT", "pd.dbt"},      // the memo name of pd.dbf by the old rule
        {"PD.DBT", "pd.dbt"}, {"people.dbt", "PEOPLE.DBT"},
        {"two.cpg", "two.cpg"},    // an exact name is never ambiguous
        {"Two.cpg", ""},           // two files would fit
        {"none.dbt", ""},
    };
    for (const auto& [wanted, found] : cases) {
        EXPECT_EQ(find_ignoring_case(dir.file(wanted)), *found ? dir.file(found) : "") << wanted;
    }
    EXPECT_EQ(find_ignoring_case(dir.file("missing_folder/pd.dbt")), "");
}

}  // namespace
}  // namespace vortel
