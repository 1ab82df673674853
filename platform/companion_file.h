// Files that go with a table (its memo file, its code-page file) are found
// by name whatever their letter case, as they are where tables come from:
// a table written on one system as pd.dbf with pd.dbt must open on another
// that looks for PD.DBT, and the reverse.
#pragma once

#include <string>

namespace vortel {

// `wanted` itself when a file of that name exists; otherwise the one entry
// of its folder whose name equals the last part of `wanted` apart from the
// letter case of A-Z; "" when there is none, or more than one (which of two
// would be a guess).
std::string find_ignoring_case(const std::string& wanted);

}  // namespace vortel
