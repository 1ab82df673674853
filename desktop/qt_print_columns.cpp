#include "desktop/qt_print_columns.h"

#include <QtWidgets/QCheckBox>
#include <QtWidgets/QDialog>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTreeWidget>
#include <QtWidgets/QVBoxLayout>

#include "desktop/qt_button_row.h"
#include "desktop/qt_warning.h"
#include "engine/table.h"
#include "grid/column_model.h"

namespace vortel {
namespace {

// 197 x 198 dialog units of an 8-point dialog font.
constexpr int dialog_width = 296;
constexpr int dialog_height = 322;
constexpr int name_column_width = 300;
constexpr const char* no_print_column_text = "Choose at least one field to print.";

}  // namespace

void choose_print_columns(QWidget* owner, browse_object& browse, print_choices& choices)
{
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Columns"));
    dialog.setFixedSize(dialog_width, dialog_height);

    auto* rows = new QTreeWidget(&dialog);
    rows->setObjectName(QStringLiteral("print_columns"));
    rows->setColumnCount(1);
    rows->setHeaderLabels({QStringLiteral("Field name")});
    rows->setRootIsDecorated(false);
    rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows->header()->resizeSection(0, name_column_width);
    const bool deleted_shown = browse.table && !browse.table->navigation.hide_deleted;
    for (const column_descriptor& column : browse.columns) {
        auto* row = new QTreeWidgetItem(rows, {from_ansi(column.caption)});
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        // The deleted column marks deleted records; with them passed over
        // there would be nothing to mark.
        const bool checked = column.source_name != "deleted()" || deleted_shown;
        row->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }

    auto* memos = new QCheckBox(QStringLiteral("&Memo texts under their record"), &dialog);
    memos->setObjectName(QStringLiteral("print_columns_memos"));
    memos->setChecked(choices.memo_texts);
    auto* found = new QCheckBox(&dialog);
    found->setObjectName(QStringLiteral("print_columns_found"));
    found->setText(QStringLiteral("Only the records &found by the last search: ") + from_ansi(choices.search_text));
    found->setVisible(!choices.search_text.empty());
    found->setChecked(choices.found_only && !choices.search_text.empty());

    auto* ok = new QPushButton(QStringLiteral("&OK"), &dialog);
    ok->setObjectName(QStringLiteral("print_columns_ok"));
    ok->setDefault(true);
    // A listing of no field would be pages of headers alone: the choice is
    // refused and the dialog stays for another.
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        for (int i = 0; i < rows->topLevelItemCount() && i < static_cast<int>(browse.columns.size()); ++i) {
            if (browse.columns[static_cast<std::size_t>(i)].field >= 0 &&
                rows->topLevelItem(i)->checkState(0) == Qt::Checked) {
                dialog.accept();
                return;
            }
        }
        show_warning(&dialog, std::string_view(no_print_column_text));
    });
    QHBoxLayout* buttons = ok_cancel_row(dialog, ok, QStringLiteral("print_columns_cancel"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(rows);
    layout->addWidget(memos);
    layout->addWidget(found);
    layout->addLayout(buttons);

    if (dialog.exec() != QDialog::Accepted) return;
    choices.memo_texts = memos->isChecked();
    choices.found_only = found->isChecked();
    for (int i = 0; i < rows->topLevelItemCount() && i < static_cast<int>(browse.columns.size()); ++i) {
        browse.columns[static_cast<std::size_t>(i)].print_selected =
            rows->topLevelItem(i)->checkState(0) == Qt::Checked;
    }
}

}  // namespace vortel
