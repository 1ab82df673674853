// The question a CSV append asks about a value its field refuses: stop
// (nothing is written), skip the row, or store the field blank.
#pragma once

#include "engine/csv_import.h"

#include <QtCore/QString>

#include <functional>

class QWidget;

namespace vortel {

// Answers the question instead of the user while installed. For tests.
using refused_value_hook = std::function<csv_on_error(const QString& text)>;
refused_value_hook set_refused_value_hook(refused_value_hook hook);

// A Stop / Skip row / Store blank box showing `refusal` (program text,
// "line 7, column AMOUNT: ..."); Stop is the default and what Escape and
// closing the box give, as stopping is the choice that writes nothing.
csv_on_error ask_about_refused_value(QWidget* owner, const std::string& refusal);

}  // namespace vortel
