// The Search dialog's search with a progress window: none for a search done
// within half a second, then a bar with Cancel, which Escape presses too.
// Meanwhile the table window draws its last frame: painting it would move
// the table being searched.
#pragma once

#include "commands/search.h"

#include <chrono>

class QWidget;

namespace vortel {

// `owner` is the window the progress window stands over (the Search
// dialog), `grid` the table window searched, repainted after a move.
search_result search_with_progress(QWidget* owner, QWidget* grid, browse_object& browse, const search_request& request,
                                   std::chrono::milliseconds shown_after = std::chrono::milliseconds(500));

}  // namespace vortel
