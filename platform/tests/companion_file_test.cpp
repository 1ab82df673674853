#include "platform/companion_file.h"

#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

namespace vortel {
namespace {

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
