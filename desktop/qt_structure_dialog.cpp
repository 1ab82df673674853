#include "desktop/qt_structure_dialog.h"

#include "commands/csv_table_creation.h"
#include "commands/field_validation.h"
#include "commands/record_commands.h"
#include "commands/structure_change.h"
#include "desktop/qt_file_choosers.h"
#include "desktop/qt_open_tables.h"
#include "desktop/qt_refused_value.h"
#include "desktop/qt_table_commands.h"
#include "desktop/qt_table_window.h"
#include "desktop/qt_warning.h"
#include "engine/create_table.h"
#include "engine/csv_structure.h"
#include "engine/table.h"
#include "engine/xlsx_import.h"
#include "platform/error_text.h"
#include "runtime/settings.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QRegularExpression>
#include <QtGui/QFont>
#include <QtGui/QRegularExpressionValidator>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTreeWidget>
#include <QtWidgets/QVBoxLayout>

#include <algorithm>
#include <array>

namespace vortel {
namespace {

constexpr std::array<const char*, 5> type_names{"Character", "Numeric", "Date", "Logical", "Memo"};

QPointer<structure_dialog> structure_marker;

// The name edit shows what is typed in capitals, as the names are stored.
class upper_case_validator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

QString type_name(char letter)
{
    for (const char* name : type_names) {
        if (name[0] == letter) return QString::fromLatin1(name);
    }
    return QString(QLatin1Char(letter));
}

QLineEdit* digits_box(QWidget* parent, int length, const QString& text)
{
    auto* box = new QLineEdit(text, parent);
    box->setMaxLength(length);
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    return box;
}

QString with_path(const char* pattern, const QString& path)
{
    return QString::fromLatin1(pattern).replace(QStringLiteral("%s"), path);
}

void run_dialog(QWidget* owner, table_window* table)
{
    if (structure_marker) return;
    // A guard: the dialog must not be deleted twice should its owner go.
    QPointer<structure_dialog> dialog = new structure_dialog(owner, table);
    structure_marker = dialog;
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->exec();
    delete dialog.data();
    structure_marker = nullptr;
}

}  // namespace

structure_dialog::structure_dialog(QWidget* owner, table_window* table)
    : QDialog(owner), table_(table), modify_mode_(table != nullptr)
{
    setWindowTitle(QStringLiteral("Create table"));
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(8);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);

    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("105"));
    name_->setMaxLength(10);
    name_->setValidator(new upper_case_validator(name_));
    type_ = new QComboBox(this);
    type_->setObjectName(QStringLiteral("106"));
    for (const char* name : type_names) type_->addItem(QString::fromLatin1(name));
    type_->setCurrentIndex(0);
    length_ = digits_box(this, 3, QStringLiteral("10"));
    length_->setObjectName(QStringLiteral("107"));
    decimals_ = digits_box(this, 1, QStringLiteral("0"));
    decimals_->setObjectName(QStringLiteral("108"));
    file_ = new QLineEdit(this);
    file_->setObjectName(QStringLiteral("114"));
    file_->setReadOnly(true);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("109"));
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHeaderLabels({QStringLiteral("Field name"), QStringLiteral("Type"), QStringLiteral("Len"),
                            QStringLiteral("Dec.")});
    const std::array<int, 4> widths{90, 80, 40, 40};
    // The columns keep their widths; the last one does not fill the view.
    list_->header()->setStretchLastSection(false);
    for (int column = 0; column < 4; ++column) list_->setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
    list_->setMinimumWidth(90 + 80 + 40 + 40 + 2 * list_->frameWidth() + 20);
    list_->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    list_->headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);

    append_ = new QPushButton(QStringLiteral("&Append"), this);
    append_->setObjectName(QStringLiteral("1"));
    append_->setDefault(true);
    modify_ = new QPushButton(QStringLiteral("&Modify"), this);
    modify_->setObjectName(QStringLiteral("110"));
    delete_ = new QPushButton(QStringLiteral("&Delete"), this);
    delete_->setObjectName(QStringLiteral("111"));
    create_ = new QPushButton(QStringLiteral("&Create"), this);
    create_->setObjectName(QStringLiteral("112"));
    select_ = new QPushButton(QStringLiteral("&Select file"), this);
    select_->setObjectName(QStringLiteral("115"));
    exit_ = new QPushButton(QStringLiteral("E&xit"), this);
    exit_->setObjectName(QStringLiteral("2"));
    from_csv_ = new QPushButton(QStringLiteral("From C&SV/XLSX..."), this);
    from_csv_->setObjectName(QStringLiteral("117"));
    csv_note_ = new QLabel(this);
    csv_note_->setObjectName(QStringLiteral("118"));
    csv_note_->setWordWrap(true);
    csv_note_->hide();
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("116"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);

    connect(append_, &QPushButton::clicked, this, &structure_dialog::append_field_row);
    connect(modify_, &QPushButton::clicked, this, &structure_dialog::modify_field_row);
    connect(delete_, &QPushButton::clicked, this, &structure_dialog::delete_field_row);
    connect(select_, &QPushButton::clicked, this, &structure_dialog::select_file);
    connect(create_, &QPushButton::clicked, this, &structure_dialog::create);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
    connect(from_csv_, &QPushButton::clicked, this, &structure_dialog::start_from_csv);

    if (table && table->browse().table) {
        const table_object& open = *table->browse().table;
        for (int i = 0; i < field_count(open); ++i) {
            const field_information info = field_info(open, i);
            fields_.push_back({info.name, info.type, info.length, info.decimals});
        }
        const QString path = path_text(table_slot_at(table->slot()).title);
        create_->setText(QStringLiteral("M&odify str."));
        select_->setEnabled(false);
        from_csv_->hide();
        file_->setText(path);
        setWindowTitle(literal_title(with_path(modify_structure_title, path)));
    }
    show_fields();

    auto* edits = new QGridLayout;
    edits->addWidget(new QLabel(QStringLiteral("Field name"), this), 0, 0);
    edits->addWidget(new QLabel(QStringLiteral("Type"), this), 0, 1);
    edits->addWidget(new QLabel(QStringLiteral("Len"), this), 0, 2);
    edits->addWidget(new QLabel(QStringLiteral("Dec."), this), 0, 3);
    edits->addWidget(name_, 1, 0);
    edits->addWidget(type_, 1, 1);
    edits->addWidget(length_, 1, 2);
    edits->addWidget(decimals_, 1, 3);
    edits->setColumnStretch(0, 3);
    edits->setColumnStretch(1, 3);
    edits->setColumnStretch(2, 1);
    edits->setColumnStretch(3, 1);

    auto* file_row = new QHBoxLayout;
    file_row->addWidget(new QLabel(QStringLiteral("File name"), this));
    file_row->addWidget(file_, 1);
    file_row->addWidget(select_);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {append_, modify_, delete_}) buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(from_csv_);
    buttons->addWidget(create_);
    buttons->addWidget(exit_);

    auto* middle = new QHBoxLayout;
    middle->addWidget(list_, 1);
    middle->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(edits);
    layout->addLayout(middle, 1);
    layout->addLayout(file_row);
    layout->addWidget(csv_note_);
    layout->addWidget(progress_);
    resize(500, 380);
    name_->setFocus();
}

structure_dialog::~structure_dialog() = default;

namespace {

// How the rows are read: a workbook's sheet made CSV is UTF-8 with ",".
csv_import_options rows_options(bool sheet)
{
    csv_import_options options;
    options.date_layout = setting_by_index(SET_DATEFORMAT);
    if (sheet) {
        options.encoding = csv_encoding::utf8;
        options.delimiter = ',';
    }
    return options;
}

}  // namespace

void structure_dialog::show_fields()
{
    list_->clear();
    for (const field_list_entry& field : fields_) {
        auto* row = new QTreeWidgetItem(list_, {from_ansi(field.name), type_name(field.type),
                                                QString::number(field.length), QString::number(field.decimals)});
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void structure_dialog::add_or_modify(bool append)
{
    const char letter = type_names[static_cast<std::size_t>(std::max(0, type_->currentIndex()))][0];
    const field_check checked =
        check_field(to_ansi(name_->text()), letter, to_ansi(length_->text()), to_ansi(decimals_->text()));
    if (!checked.message.empty()) {
        show_warning(this, std::string_view(checked.message));
        return;
    }
    if (!(append ? append_field(fields_, checked.field) : modify_field(fields_, checked.field))) return;
    length_->setText(QString::number(checked.field.length));
    decimals_->setText(QString::number(checked.field.decimals));
    show_fields();
    name_->selectAll();
    name_->setFocus();
}

void structure_dialog::append_field_row()
{
    add_or_modify(true);
}

void structure_dialog::modify_field_row()
{
    add_or_modify(false);
}

void structure_dialog::delete_field_row()
{
    int row = -1;
    if (fields_.size() == 1) {
        row = 0;
    } else if (const QList<QTreeWidgetItem*> chosen = list_->selectedItems(); !chosen.isEmpty()) {
        row = list_->indexOfTopLevelItem(chosen.constFirst());
    }
    if (row < 0 || static_cast<std::size_t>(row) >= fields_.size()) return;
    fields_.erase(fields_.begin() + row);
    show_fields();
}

void structure_dialog::select_file()
{
    const std::string path = choose_file_to_save(this, chooser_directory());
    if (!path.empty()) file_->setText(path_text(path));
}

void structure_dialog::start_from_csv()
{
    run_guarded(this, [this] {
        const std::string source = choose_file_of_rows(this, chooser_directory(), QStringLiteral("From CSV"));
        if (source.empty()) return;
        // The page the new table is created in, whatever its name.
        const code_page page = table_new("NEW.DBF")->codepage.page;
        csv_structure structure;
        std::string refusal;
        std::unique_ptr<sheet_as_csv> sheet;
        {
            const wait_cursor busy;
            if (has_xlsx_extension(source)) {
                sheet = std::make_unique<sheet_as_csv>(source);
                refusal = sheet->failure();
            }
            if (refusal.empty()) {
                refusal = propose_csv_structure(sheet ? sheet->path() : source, rows_options(sheet != nullptr), page,
                                                structure);
            }
        }
        if (!refusal.empty()) {
            show_warning(this, std::string_view(refusal));
            return;
        }
        fields_ = structure.fields;
        sheet_ = std::move(sheet);
        csv_source_ = sheet_ ? sheet_->path() : source;
        csv_columns_ = structure.column_fields;
        show_fields();
        std::string note = "Rows from " + file_name_text(source);
        for (const std::string& rename : structure.renames) note += "\n" + rename;
        csv_note_->setText(from_ansi(note));
        csv_note_->show();
        if (file_->text().isEmpty()) {
            const std::size_t dot = source.find_last_of('.');
            file_->setText(path_text(source.substr(0, dot) + ".DBF"));
        }
    });
}

void structure_dialog::create()
{
    run_guarded(this, [this] {
        if (modify_mode_ && (!table_ || !table_->browse().table)) {
            reject();
            return;
        }
        const std::string path = path_bytes(file_->text());
        std::string message = check_table_definition(path, fields_);
        // A new table must not overwrite the files of a table a window shows.
        if (message.empty() && !modify_mode_) message = open_table_file_refusal(path);
        if (message.empty() && !modify_mode_ &&
            std::any_of(fields_.begin(), fields_.end(), [](const field_list_entry& f) { return f.type == 'M'; })) {
            message = open_table_file_refusal(dbt_file_name(path));
        }
        if (!message.empty()) {
            show_warning(this, std::string_view(message));
            return;
        }
        if (!may_overwrite(this, path)) return;
        if (modify_mode_) {
            change_table_structure();
        } else if (!csv_source_.empty()) {
            create_table_from_rows(path);
        } else {
            create_table_file(path);
        }
    });
}

void structure_dialog::create_table_file(const std::string& path)
{
    int done = 0;
    {
        const wait_cursor busy;
        done = create_table(*table_new(path), fields_);
    }
    if (!done) {
        // Left open, so that another name can be chosen.
        show_warning(this, with_path(cannot_create_text, path_text(path)));
        return;
    }
    accept();
}

void structure_dialog::create_table_from_rows(const std::string& path)
{
    csv_import_options options = rows_options(sheet_ != nullptr);
    options.on_error = csv_on_error::ask;
    options.ask = [this](const std::string& refusal) { return ask_about_refused_value(this, refusal); };
    options.column_fields = csv_columns_;
    progress_->setValue(0);
    csv_creation_result result;
    {
        const wait_cursor busy;
        // Asked already whether an existing file may go.
        result = create_table_from_csv(path, std::nullopt, fields_, csv_source_, options, true, [this](int percent) {
            progress_->setValue(std::clamp(percent, 0, 100));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    }
    if (!result.created) {
        progress_->setValue(0);
        // Left open, so that the structure or the name can be changed.
        show_warning(this, std::string_view(result.message));
        return;
    }
    std::string told;
    for (const std::string& note : result.report.notes) told += note + "\n";
    if (result.report.skipped) told += "Rows skipped: " + std::to_string(result.report.skipped) + "\n";
    if (result.report.blanked) told += "Values stored blank: " + std::to_string(result.report.blanked) + "\n";
    if (!told.empty()) show_information(this, from_ansi(told.substr(0, told.size() - 1)));
    accept();
}

void structure_dialog::change_table_structure()
{
    table_window* const open = table_.data();
    if (!open) return;
    table_window& window = *open;
    table_slot& slot = table_slot_at(window.slot());
    progress_->setRange(0, 100);
    progress_->setValue(0);
    restructure_result result;
    {
        const wait_cursor busy;
        // The busy window draws its last frame, so the waiting events may
        // run: painting the grid now would move the table being copied.
        // Input waits, so that nothing starts while the copy runs.
        const busy_table_window busy_window(window);
        result = change_structure(slot.table, fields_, [this](int percent) {
            progress_->setValue(std::clamp(percent, 0, 100));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    }
    // A change that did not happen shows no progress behind its warning.
    if (result.status != restructure_status::changed) progress_->setValue(0);
    switch (result.status) {
    case restructure_status::changed:
        // The user opens the table again; its window has nothing to show.
        window.close_without_table();
        break;
    case restructure_status::failed:
        window.close_without_table();
        show_warning(nullptr, result.message.empty() ? std::string_view(bad_program_text)
                                                     : std::string_view(result.message));
        break;
    case restructure_status::not_replaced:
        show_warning(this, result.message.empty() ? std::string_view(table_busy_text) : std::string_view(result.message));
        break;
    case restructure_status::table_busy:
        show_warning(this, std::string_view(table_busy_text));
        break;
    case restructure_status::copy_failed:
        show_warning(this, std::string_view(result.message));
        break;
    case restructure_status::not_created:
        if (!result.message.empty()) {
            show_warning(this, std::string_view(result.message));
        } else {
            show_warning(this, with_path(cannot_create_text, path_text(table_slot_at(window.slot()).title)));
        }
        break;
    }
    accept();
}

void run_structure_dialog(QWidget* owner)
{
    run_dialog(owner, nullptr);
}

void run_structure_dialog(table_window& window)
{
    if (!window.browse().table) return;
    QPointer<table_window> guard = &window;
    // Owned with the table window's owner: the table window may close while
    // the dialog still runs.
    run_dialog(window.parentWidget(), &window);
    if (table_window* const still = guard.data(); still && still->has_slot()) {
        still->activateWindow();
        still->setFocus();
    }
}

structure_dialog* open_structure_dialog()
{
    return structure_marker.data();
}

}  // namespace vortel
