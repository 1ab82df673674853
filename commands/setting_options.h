// The settings that shape how the engine walks a table, read where a
// front-end opens one. The engine itself reads no setting for them, so
// that what it does depends on what it is given.
#pragma once

#include "engine/table.h"

namespace vortel {

// SET_DELETED "1" (any number but 0) hides deleted records.
navigation_options navigation_by_settings();

}  // namespace vortel
