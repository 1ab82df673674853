// Runs a function when the scope it guards ends, by return or by exception,
// so that whatever a command changed for its own work (a lock, the record
// the table stands on, a flag) is put back on every way out.
#pragma once

#include <utility>

namespace vortel {

template <class Undo>
class scope_exit {
public:
    explicit scope_exit(Undo undo) : undo_(std::move(undo)) {}
    ~scope_exit() { undo_(); }
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;

private:
    Undo undo_;
};

}  // namespace vortel
