// vortel-cli's tests run the program in-process, as main() does, with its
// standard streams captured.
#pragma once

#include "cli/cli_app.h"

#include "engine/dbf_format.h"
#include "runtime/settings.h"
#include "testing/scratch_dir.h"

#include <sstream>
#include <string>
#include <vector>

namespace vortel::testing {

struct cli_result {
    int status;
    std::string out;
    std::string errors;
};

// Settings given with --set hold for one run only, as for the program.
inline cli_result run_cli_with(const std::vector<std::string>& arguments, const std::string& input = "")
{
    std::istringstream in(input);
    std::ostringstream out, errors;
    const int status = run_cli(arguments, in, out, errors);
    settings_restore_defaults();
    return {status, out.str(), errors.str()};
}

// The sample table and its memo file, copied to `path` for a test to change.
inline void copy_sample_table(const std::string& path)
{
    write_file(path, read_file(SAMPLE_TABLE));
    write_file(dbt_file_name(path), read_file(dbt_file_name(SAMPLE_TABLE)));
}

}  // namespace vortel::testing
