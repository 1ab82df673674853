// "Page Setup": the printer, paper, orientation and margins a listing is
// laid out for, asked before the layout so that the pages fit the paper
// they are printed on. The last choice is remembered while the program runs.
#pragma once

class QWidget;

namespace vortel {

struct page_setup;

// The choice of the last OK in this run; before one, A4 portrait with the
// printer's own margins on the default printer.
page_setup& remembered_page_setup();

// Shows the dialog modally over `owner`, starting from `setup`; true on OK,
// `setup` then holding the choice. Margins the paper cannot take are
// refused with a message and the dialog stays.
bool ask_page_setup(QWidget* owner, page_setup& setup);

}  // namespace vortel
