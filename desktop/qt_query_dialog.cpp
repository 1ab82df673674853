#include "desktop/qt_query_dialog.h"

#include "desktop/qt_open_tables.h"
#include "desktop/qt_table_window.h"
#include "desktop/qt_warning.h"
#include "engine/table.h"
#include "grid/paint_grid.h"
#include "query/result_table.h"
#include "query/sql_session.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QPointer>
#include <QtCore/QTemporaryDir>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QProgressDialog>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

#include <memory>
#include <set>

namespace vortel {
namespace {

QPointer<query_dialog> query_marker;

// Where result tables live while the program runs; removed with it.
QTemporaryDir& result_folder()
{
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/vortel-query-XXXXXX"));
    return folder;
}

int next_query_number()
{
    static int number = 0;
    return ++number;
}

// A progress dialog while a statement runs: its Cancel stops the statement
// at the next check. Events run every tenth of a second, input only in the
// dialog itself (it is application modal).
class query_progress {
public:
    explicit query_progress(QWidget* owner) : dialog_(new QProgressDialog(owner))
    {
        dialog_->setObjectName(QStringLiteral("query_progress"));
        dialog_->setWindowTitle(QStringLiteral("Query"));
        dialog_->setLabelText(QStringLiteral("Running the query..."));
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setRange(0, 0);
        dialog_->setMinimumDuration(500);
        clock_.start();
    }
    ~query_progress() { delete dialog_.data(); }
    query_progress(const query_progress&) = delete;
    query_progress& operator=(const query_progress&) = delete;

    bool keep_going()
    {
        if (clock_.elapsed() >= 100) {
            clock_.restart();
            if (dialog_) dialog_->setValue(0);
            QCoreApplication::processEvents();
        }
        return dialog_ && !dialog_->wasCanceled();
    }

private:
    QPointer<QProgressDialog> dialog_;
    QElapsedTimer clock_;
};

}  // namespace

query_dialog::query_dialog(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("query_dialog"));
    setWindowTitle(QStringLiteral("Query"));
    statement_ = new QPlainTextEdit(this);
    statement_->setObjectName(QStringLiteral("query_statement"));
    statement_->setPlaceholderText(QStringLiteral("SELECT * FROM DOLGOZO WHERE FIZETES > 500000"));
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("query_message"));
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    run_ = new QPushButton(QStringLiteral("&Run"), this);
    run_->setObjectName(QStringLiteral("query_run"));
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    connect(run_, &QPushButton::clicked, this, [this] { run(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(run_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(statement_);
    layout->addWidget(message_);
    layout->addLayout(buttons);
    resize(520, 260);
}

table_window* query_dialog::run()
{
    message_->clear();
    const QString folder = result_folder().path();
    if (!result_folder().isValid()) {
        message_->setText(QStringLiteral("No folder for the result: ") + result_folder().errorString());
        return nullptr;
    }

    sql_session session;
    std::set<std::string> names;
    std::vector<std::unique_ptr<busy_table_window>> busy;
    for (int slot = 0; slot < table_slot_count; ++slot) {
        if (!table_slot_in_use(slot)) continue;
        table_slot& open = table_slot_at(slot);
        // Two tables of one name: the first opened keeps it.
        const std::string name = sql_table_name(table_file_name(*open.table));
        if (!names.insert(name).second) continue;
        std::string refusal;
        if (!session.add_table(*open.table, name, record_scope::as_navigated, refusal)) continue;
        // A window that painted meanwhile would move its table under the query.
        if (open.window) busy.push_back(std::make_unique<busy_table_window>(*open.window));
    }

    result_rows result;
    const sql_row_sink sink{[&result](std::span<const std::string> columns) {
                                result.names.assign(columns.begin(), columns.end());
                                return true;
                            },
                            [&result](std::span<const sql_value> values) {
                                result.rows.emplace_back(values.begin(), values.end());
                                return true;
                            }};
    std::string refusal;
    bool done = false;
    {
        query_progress progress(this);
        session.keep_going_while([&progress] { return progress.keep_going(); });
        done = session.run(statement_->toPlainText().toStdString(), sink, refusal);
    }
    busy.clear();
    if (!done) {
        message_->setText(QString::fromUtf8(refusal));
        return nullptr;
    }

    const int number = next_query_number();
    const std::string path = QFile::encodeName(folder + QStringLiteral("/QUERY%1.DBF").arg(number)).toStdString();
    if (const std::string why = write_result_table(path, result); !why.empty()) {
        message_->setText(QString::fromUtf8(why));
        return nullptr;
    }
    table_window* window = open_table_window(parentWidget(), path, true);
    if (!window) return nullptr;
    table_slot& slot = table_slot_at(window->slot());
    slot.title = "Query " + std::to_string(number);
    window->browse().title = slot.title;
    window->setWindowTitle(literal_title(QString::fromStdString(set_grid_title(window->browse()))));
    message_->setText(result.rows.size() == 1 ? QStringLiteral("1 row")
                                              : QStringLiteral("%1 rows").arg(result.rows.size()));
    return window;
}

void run_query_dialog(QWidget* owner)
{
    if (query_marker) {
        query_marker->raise();
        query_marker->activateWindow();
        return;
    }
    auto* dialog = new query_dialog(owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    query_marker = dialog;
    dialog->show();
}

query_dialog* open_query_dialog() { return query_marker.data(); }

}  // namespace vortel
