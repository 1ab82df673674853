#include "desktop/qt_sort_dialog.h"

#include "commands/sort_key.h"
#include "desktop/qt_table_commands.h"
#include "desktop/qt_warning.h"

#include <QtCore/QPointer>
#include <QtGui/QFont>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

namespace vortel {
namespace {

QPointer<sort_dialog> sort_marker;

// The selected entry of `from` moved into `to`, before `to`'s selected entry
// or at its end.
void move_entry(QListWidget* from, QListWidget* to)
{
    const QList<QListWidgetItem*> chosen = from->selectedItems();
    if (chosen.isEmpty()) return;
    QListWidgetItem* item = from->takeItem(from->row(chosen.constFirst()));
    const QList<QListWidgetItem*> target = to->selectedItems();
    const int at = target.isEmpty() ? to->count() : to->row(target.constFirst());
    to->insertItem(at, item);
    from->clearSelection();
    to->clearSelection();
}

}  // namespace

sort_dialog::sort_dialog(QWidget* grid, browse_object& browse) : QDialog(grid), grid_(grid), browse_(browse)
{
    setWindowTitle(QStringLiteral("Sort"));
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(8);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);

    fields_ = new QListWidget(this);
    fields_->setObjectName(QStringLiteral("103"));
    sort_fields_ = new QListWidget(this);
    sort_fields_->setObjectName(QStringLiteral("104"));
    for (QListWidget* list : {fields_, sort_fields_}) list->setSelectionMode(QAbstractItemView::SingleSelection);
    if (browse_.table) {
        // Each entry keeps the index of its field: captions may repeat.
        int index = 0;
        for (const std::string& caption : sort_dialog_fields(*browse_.table, browse_.columns)) {
            auto* item = new QListWidgetItem(from_ansi(caption), fields_);
            item->setData(Qt::UserRole, index++);
        }
    }
    sort_fields_->setEnabled(false);

    add_ = new QPushButton(QStringLiteral("&>"), this);
    add_->setObjectName(QStringLiteral("101"));
    remove_ = new QPushButton(QStringLiteral("&<"), this);
    remove_->setObjectName(QStringLiteral("102"));
    collation_ = new QComboBox(this);
    collation_->setObjectName(QStringLiteral("105"));
    for (std::string_view name : sort_collation_names) collation_->addItem(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    collation_->setCurrentIndex(0);
    sort_ = new QPushButton(QStringLiteral("&Sort"), this);
    sort_->setObjectName(QStringLiteral("108"));
    sort_->setDefault(true);
    exit_ = new QPushButton(QStringLiteral("E&xit"), this);
    exit_->setObjectName(QStringLiteral("109"));
    connect(add_, &QPushButton::clicked, this, &sort_dialog::add_selected);
    connect(remove_, &QPushButton::clicked, this, &sort_dialog::remove_selected);
    connect(sort_, &QPushButton::clicked, this, &sort_dialog::sort);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);

    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(add_);
    moves->addWidget(remove_);
    moves->addStretch();
    auto* actions = new QVBoxLayout;
    actions->addWidget(new QLabel(QStringLiteral("ABC"), this));
    actions->addWidget(collation_);
    actions->addStretch();
    actions->addWidget(sort_);
    actions->addWidget(exit_);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Fields"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Sort fields"), this), 0, 2);
    layout->addWidget(fields_, 1, 0);
    layout->addLayout(moves, 1, 1);
    layout->addWidget(sort_fields_, 1, 2);
    layout->addLayout(actions, 1, 3);
    resize(520, 300);
}

void sort_dialog::add_selected()
{
    if (fields_->selectedItems().isEmpty()) return;
    move_entry(fields_, sort_fields_);
    sort_fields_->setEnabled(true);
}

void sort_dialog::remove_selected()
{
    move_entry(sort_fields_, fields_);
    if (sort_fields_->count() == 0) sort_fields_->setEnabled(false);
}

void sort_dialog::sort()
{
    if (!browse_.table) return;
    if (sort_fields_->count() == 0) {
        show_warning(this, sort_empty_message);
        return;
    }
    // An entry no column shows stands for no field.
    std::vector<int> fields;
    for (int i = 0; i < sort_fields_->count(); ++i) {
        const QListWidgetItem* item = sort_fields_->item(i);
        if (!item->text().isEmpty()) fields.push_back(item->data(Qt::UserRole).toInt());
    }
    const sort_collation collation =
        collation_->currentIndex() == 1 ? sort_collation::magyar : sort_collation::english;
    sort_outcome outcome{};
    {
        const wait_cursor busy;
        outcome = sort_command(*browse_.table, fields, collation);
    }
    if (outcome.status == sort_status::sorted && grid_) grid_->repaint();
    if (!outcome.message.empty()) show_warning(this, std::string_view(outcome.message));
    if (outcome.status == sort_status::key_too_long) reject();
}

void run_sort_dialog(QWidget* grid, browse_object& browse)
{
    if (sort_marker || !browse.table) return;
    auto* dialog = new sort_dialog(grid, browse);
    sort_marker = dialog;
    dialog->setWindowModality(Qt::WindowModal);
    dialog->exec();
    delete dialog;
    sort_marker = nullptr;
    if (grid) {
        grid->activateWindow();
        grid->setFocus();
    }
}

sort_dialog* open_sort_dialog()
{
    return sort_marker.data();
}

}  // namespace vortel
