#include "desktop/qt_filter_dialog.h"

#include "desktop/qt_open_tables.h"
#include "desktop/qt_table_window.h"
#include "engine/table.h"
#include "grid/grid_filter.h"
#include "query/record_filter.h"
#include "desktop/qt_warning.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QPointer>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QProgressDialog>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

#include <memory>

namespace vortel {
namespace {

// The property a window keeps its last condition in, for the next dialog.
constexpr const char* condition_property = "vortel_filter_condition";

// The run's progress in records read; events run every tenth of a second,
// input only in the progress dialog itself (it is application modal).
class filter_progress {
public:
    explicit filter_progress(QWidget* owner) : dialog_(new QProgressDialog(owner))
    {
        dialog_->setObjectName(QStringLiteral("filter_progress"));
        dialog_->setWindowTitle(QStringLiteral("Filter"));
        dialog_->setLabelText(QStringLiteral("Reading the records..."));
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(500);
        clock_.start();
    }
    ~filter_progress() { delete dialog_.data(); }
    filter_progress(const filter_progress&) = delete;
    filter_progress& operator=(const filter_progress&) = delete;

    bool keep_going(std::int32_t done, std::int32_t total)
    {
        if (clock_.elapsed() >= 100) {
            clock_.restart();
            if (dialog_) {
                dialog_->setMaximum(std::max(total, 1));
                dialog_->setValue(std::min(done, total));
            }
            QCoreApplication::processEvents();
        }
        return !cancelled();
    }
    bool cancelled() const { return !dialog_ || dialog_->wasCanceled(); }

private:
    QPointer<QProgressDialog> dialog_;
    QElapsedTimer clock_;
};

}  // namespace

filter_dialog::filter_dialog(table_window& window) : QDialog(&window), window_(window)
{
    setObjectName(QStringLiteral("filter_dialog"));
    setWindowTitle(QStringLiteral("Filter"));
    auto* prompt = new QLabel(QStringLiteral("Show the records whose fields satisfy (SQL):"), this);
    condition_ = new QLineEdit(this);
    condition_->setObjectName(QStringLiteral("filter_condition"));
    condition_->setPlaceholderText(QStringLiteral("VAROS = '\u00D3zd' AND FIZETES > 500000"));
    condition_->setText(window.property(condition_property).toString());
    prompt->setBuddy(condition_);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("filter_message"));
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    run_ = new QPushButton(QStringLiteral("&Run"), this);
    run_->setObjectName(QStringLiteral("filter_run"));
    run_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    connect(run_, &QPushButton::clicked, this, [this] {
        if (run()) accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(run_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(condition_);
    layout->addWidget(message_);
    layout->addLayout(buttons);
    resize(480, 140);
}

bool filter_dialog::run()
{
    message_->clear();
    browse_object& grid = window_.browse();
    if (!grid.table) return false;
    const QString condition = condition_->text().trimmed();
    if (condition.isEmpty()) {
        message_->setText(QStringLiteral("Type a condition, or choose Clear filter to see every record."));
        return false;
    }
    std::string refusal;
    std::optional<record_set> kept;
    bool cancelled = false;
    {
        // A paint meanwhile would move the table under the run.
        const busy_table_window busy(window_);
        filter_progress progress(this);
        kept = records_matching(*grid.table, to_ansi(condition),
                                [&progress](std::int32_t done, std::int32_t total) {
                                    return progress.keep_going(done, total);
                                },
                                refusal);
        cancelled = progress.cancelled();
    }
    if (!kept) {
        message_->setText(cancelled && refusal.empty() ? QStringLiteral("cancelled") : from_ansi(refusal));
        return false;
    }
    window_.setProperty(condition_property, condition);
    set_grid_filter(grid, std::make_shared<const record_set>(std::move(*kept)));
    window_.update();
    return true;
}

void run_filter_dialog(table_window& window)
{
    filter_dialog dialog(window);
    dialog.exec();
}

void clear_window_filter(table_window& window)
{
    browse_object& grid = window.browse();
    if (!grid_filtered(grid)) return;
    set_grid_filter(grid, nullptr);
    window.update();
}

}  // namespace vortel
