#include "print/qt_print_columns.h"

#include <QtWidgets/QDialog>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTreeWidget>
#include <QtWidgets/QVBoxLayout>

#include "commands/qt_warning.h"
#include "grid/column_model.h"

namespace vortel {
namespace {

// 197 x 198 dialog units of an 8-point dialog font.
constexpr int dialog_width = 296;
constexpr int dialog_height = 322;
constexpr int name_column_width = 300;

}  // namespace

void choose_print_columns(QWidget* owner, browse_object& browse)
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
    for (const column_descriptor& column : browse.columns) {
        auto* row = new QTreeWidgetItem(rows, {from_ansi(column.caption)});
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(0, column.source_name == "deleted()" ? Qt::Unchecked : Qt::Checked);
    }

    auto* ok = new QPushButton(QStringLiteral("&OK"), &dialog);
    ok->setObjectName(QStringLiteral("print_columns_ok"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(rows);
    layout->addWidget(ok, 0, Qt::AlignRight);

    if (dialog.exec() != QDialog::Accepted) return;
    for (int i = 0; i < rows->topLevelItemCount() && i < static_cast<int>(browse.columns.size()); ++i) {
        browse.columns[static_cast<std::size_t>(i)].print_selected =
            rows->topLevelItem(i)->checkState(0) == Qt::Checked;
    }
}

}  // namespace vortel
