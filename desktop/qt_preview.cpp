#include "desktop/qt_preview.h"

#include <QtCore/QTimer>
#include <QtGui/QAction>
#include <QtGui/QKeyEvent>
#include <QtGui/QPainter>
#include <QtGui/QWheelEvent>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>
#include <QtWidgets/QLabel>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QStyle>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QVBoxLayout>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <sstream>

#include "desktop/qt_file_choosers.h"
#include "desktop/qt_input_codes.h"
#include "desktop/qt_page_painter.h"
#include "desktop/qt_page_setup.h"
#include "desktop/qt_print_pages.h"
#include "desktop/qt_table_commands.h"
#include "desktop/qt_warning.h"
#include "grid/input_codes.h"
#include "platform/error_text.h"
#include "platform/staged_output.h"
#include "print/page_device.h"
#include "print/page_order.h"
#include "print/page_player.h"
#include "print/page_setup.h"
#include "runtime/settings.h"

namespace vortel {
namespace {

// 520 x 320 dialog units of an 8-point dialog font: the size it opens at.
constexpr int preview_width = 780;
constexpr int preview_height = 520;
constexpr const char* toolbar_size = "32";
constexpr int toolbar_gap = 12;  // between the toolbar's buttons and the surface
constexpr int last_printable_page = 999;
constexpr double zoom_step = 1.25;  // Ctrl+plus, and one notch of the wheel with Ctrl
constexpr double wheel_notch = 120; // of Qt's angle delta

print_dialog_hook dialog_hook;
bool preview_open = false;

std::string read_page(const std::string& name)
{
    if (name.empty()) return {};
    std::ifstream in(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string all = bytes.str();
    return all.size() > page_file_limit ? std::string() : all;
}

bool ask_where_to_print(QPrinter& printer, QWidget* owner)
{
    if (dialog_hook) return dialog_hook(printer, owner);
    QPrintDialog dialog(&printer, owner);
    dialog.setMinMax(1, last_printable_page);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

print_dialog_hook set_print_dialog_hook(print_dialog_hook hook)
{
    print_dialog_hook previous = std::move(dialog_hook);
    dialog_hook = std::move(hook);
    return previous;
}

preview_surface_widget::preview_surface_widget(QWidget* parent, preview_surface model)
    : QWidget(parent), model_(std::move(model)), vertical_(new QScrollBar(Qt::Vertical, this)),
      horizontal_(new QScrollBar(Qt::Horizontal, this))
{
    setObjectName(QStringLiteral("MetaFile"));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    for (QScrollBar* bar : {vertical_, horizontal_}) bar->setFocusPolicy(Qt::NoFocus);
    connect(vertical_, &QScrollBar::actionTriggered, this, [this](int action) { scroll_action(false, action); });
    connect(horizontal_, &QScrollBar::actionTriggered, this, [this](int action) { scroll_action(true, action); });
    setMinimumSize(120, 120);
    refresh();
}

void preview_surface_widget::refresh()
{
    const scroll_ranges ranges = preview_scroll_ranges(model_);
    for (auto [bar, range, thumb] : {std::tuple{vertical_, ranges.vertical, model_.vertical_thumb},
                                     std::tuple{horizontal_, ranges.horizontal, model_.horizontal_thumb}}) {
        const QSignalBlocker quiet(bar);
        bar->setRange(0, std::max(range, 0));
        // Only the thumb's length: every step the bar asks for is the model's.
        const page_extent shown = preview_extent(model_);
        bar->setPageStep(std::max(bar == vertical_ ? shown.y : shown.x, 1));
        bar->setSliderPosition(thumb);
        bar->setValue(thumb);
    }
    setWindowTitle(QString::fromStdString(model_.page_name));
    update();
}

void preview_surface_widget::resizeEvent(QResizeEvent*)
{
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    vertical_->setGeometry(width() - bar, 0, bar, height() - bar);
    horizontal_->setGeometry(0, height() - bar, width() - bar, bar);
    // The page is shown beside the bars, not under them.
    resize_preview_surface(model_, width() - bar, height() - bar);
    refresh();
}

void preview_surface_widget::wheelEvent(QWheelEvent* event)
{
    if (painting_) return;
    const QPoint turn = event->angleDelta();
    const bool zoom = (event->modifiers() & Qt::ControlModifier) != 0;
    // A sideways wheel, or the wheel with Shift, scrolls across.
    const bool across = !zoom && (turn.x() != 0 || (event->modifiers() & Qt::ShiftModifier) != 0);
    const int delta = turn.x() != 0 && across ? turn.x() : turn.y();
    const QPoint at = event->position().toPoint();
    preview_wheel(model_, delta / wheel_notch, across, zoom, at.x(), at.y());
    refresh();
    event->accept();
}

void preview_surface_widget::paintEvent(QPaintEvent*)
{
    if (painting_) return;
    painting_ = true;
    if (loaded_name_ != model_.page_name) {
        loaded_name_ = model_.page_name;
        loaded_bytes_ = read_page(loaded_name_);
    }
    const std::optional<page_view> view = preview_view(model_);
    if (!loaded_bytes_.empty() && view) {
        QPainter painter(this);
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        painter.setClipRect(0, 0, width() - bar, height() - bar);
        qt_page_painter surface(painter);
        play_page(loaded_bytes_, surface, *view);
    }
    painting_ = false;
}

void preview_surface_widget::input(int code, std::int32_t thumb)
{
    if (painting_) return;
    if (preview_scroll(model_, code, false, thumb)) refresh();
}

void preview_surface_widget::keyPressEvent(QKeyEvent* event)
{
    if (painting_) return;
    const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
    if (control && (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal || event->key() == Qt::Key_Minus)) {
        const double factor = event->key() == Qt::Key_Minus ? 1 / zoom_step : zoom_step;
        zoom_preview(model_, factor, (model_.right - model_.left) / 2, (model_.bottom - model_.top) / 2);
        refresh();
        return;
    }
    // Code 0 is "no such key" here, not the bar's line up.
    const int code = virtual_key(*event);
    if (code != 0 && preview_scroll(model_, code, control, 0)) {
        refresh();
        return;
    }
    // Keys the preview does not scroll by reach the dialog (Escape closes it).
    QWidget::keyPressEvent(event);
}

void preview_surface_widget::scroll_action(bool horizontal, int action)
{
    QScrollBar* bar = horizontal ? horizontal_ : vertical_;
    input(scroll_code(action) + (horizontal ? preview_horizontal : 0), bar->sliderPosition());
    // The bar shows where the model put the origin, not where the action
    // alone would have left the thumb.
    bar->setSliderPosition(horizontal ? model_.horizontal_thumb : model_.vertical_thumb);
}

void preview_surface_widget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    setCursor(Qt::SizeAllCursor);
    setFocus();
    drag_from_ = event->position().toPoint();
    dragging_ = true;
}

void preview_surface_widget::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_ || painting_) return;
    setCursor(Qt::SizeAllCursor);
    const QPoint at = event->position().toPoint();
    preview_drag(model_, at.x() - drag_from_.x(), at.y() - drag_from_.y());
    drag_from_ = at;
    refresh();
}

void preview_surface_widget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    setCursor(Qt::ArrowCursor);
    dragging_ = false;
}

preview_dialog::preview_dialog(QWidget* owner, page_device& device, bool no_printer)
    : QDialog(owner), device_(device)
{
    QString caption = QStringLiteral("PreView");
    if (no_printer) {
        caption += QStringLiteral(" - no default printer: %1 pages, Print... writes a PDF file")
                       .arg(QString::fromStdString(remembered_page_setup().paper));
    }
    setWindowTitle(caption);
    setModal(true);
    setSizeGripEnabled(true);
    resize(preview_width, preview_height);

    // The toolbar's size settings are the preview's while it is open.
    saved_toolbar_y_ = setting_by_index(SET_TOOLBARY, toolbar_size);
    saved_toolbar_x_ = setting_by_index(SET_TOOLBARX, toolbar_size);
    const int button_x = std::atoi(setting_by_index(SET_TOOLBARX).c_str());
    const int button_y = std::atoi(setting_by_index(SET_TOOLBARY).c_str());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(toolbar_gap);
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("preview_toolbar"));
    toolbar_->setIconSize(QSize(button_x, button_y));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    layout->addWidget(toolbar_);
    for (const preview_button& button : preview_buttons) {
        const QPixmap image = QPixmap(QStringLiteral(":/") + QLatin1String(button.bitmap))
                                  .scaled(button_x, button_y, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QAction* action = toolbar_->addAction(QIcon(image), QString::fromUtf8(button.tooltip));
        action->setToolTip(QString::fromUtf8(button.tooltip));
        action->setObjectName(QStringLiteral("preview_%1").arg(static_cast<int>(button.id)));
        const int id = button.id;
        connect(action, &QAction::triggered, this, [this, id] { command(id); });
    }

    for (void* name = list_first(device.pages); name != nullptr; name = list_next(device.pages)) {
        pages_.names.emplace_back(static_cast<const char*>(name));
    }
    if (pages_.names.empty()) {
        // Told once the dialog is up; then it closes by itself.
        QTimer::singleShot(0, this, [this] {
            show_warning(this, std::string_view(preview_empty_job_text));
            reject();
        });
        return;
    }
    toolbar_->addSeparator();
    for (const preview_text_button& button : preview_text_buttons) {
        QAction* action = toolbar_->addAction(QString::fromUtf8(button.text));
        action->setObjectName(QStringLiteral("preview_%1").arg(static_cast<int>(button.id)));
        const int id = button.id;
        connect(action, &QAction::triggered, this, [this, id] { command(id); });
    }
    toolbar_->addSeparator();
    page_of_ = new QLabel(toolbar_);
    page_of_->setObjectName(QStringLiteral("preview_page_of"));
    page_of_->setContentsMargins(8, 0, 8, 0);
    toolbar_->addWidget(page_of_);
    go_to_ = new QSpinBox(toolbar_);
    go_to_->setObjectName(QStringLiteral("preview_go_to"));
    go_to_->setToolTip(QStringLiteral("Go to page"));
    go_to_->setRange(1, static_cast<int>(std::min<std::size_t>(pages_.names.size(), INT_MAX)));
    go_to_->setKeyboardTracking(false);
    toolbar_->addWidget(go_to_);
    connect(go_to_, &QSpinBox::valueChanged, this, [this](int number) { go_to_page(number); });

    surface_ = new preview_surface_widget(
        this, make_preview_surface(0, 0, preview_width, preview_height - button_y - toolbar_gap,
                                   device.printer.printable_width, device.printer.printable_height,
                                   pages_.names.front()));
    surface_->model().line_height = device.line_height;
    layout->addWidget(surface_, 1);
    show_page_number();
    surface_->setFocus();
}

preview_dialog::~preview_dialog()
{
    // An empty saved text is not stored, so the preview's size then stays.
    setting_by_index(SET_TOOLBARY, saved_toolbar_y_);
    setting_by_index(SET_TOOLBARX, saved_toolbar_x_);
}

void preview_dialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (surface_ != nullptr) surface_->setFocus();
}

void preview_dialog::command(int id)
{
    if (surface_ == nullptr) {
        if (id == preview_exit) reject();
        return;
    }
    switch (run_preview_command(pages_, surface_->model(), id)) {
    case preview_outcome::print: print_pages(); break;
    case preview_outcome::save_pdf: save_pdf(); break;
    case preview_outcome::exit: reject(); break;
    case preview_outcome::handled:
    case preview_outcome::ignored: break;
    }
    show_page_number();
    surface_->refresh();
}

void preview_dialog::go_to_page(int number)
{
    if (surface_ == nullptr || !go_to_preview_page(pages_, surface_->model(), number)) return;
    show_page_number();
    surface_->refresh();
    surface_->setFocus();
}

void preview_dialog::show_page_number()
{
    page_of_->setText(QString::fromStdString(preview_page_text(pages_)));
    const QSignalBlocker quiet(go_to_);
    go_to_->setValue(static_cast<int>(std::min<std::size_t>(pages_.index + 1, INT_MAX)));
}

void preview_dialog::print_pages()
{
    // The dialog starts on the printer and paper the pages were laid out for.
    const page_printer chosen = set_up_page_printer(remembered_page_setup());
    QPrinter& printer = *chosen.printer;
    // Pages are in the job's device units; at the job's resolution they come
    // out the size they were laid out for.
    printer.setResolution(device_.printer.dots_per_inch_x);
    printer.setFromTo(1, last_printable_page);
    printer.setDocName(QStringLiteral("Nyomtatás"));
    if (!ask_where_to_print(printer, this)) return;
    // Printing to a file must not overwrite an open table: Qt writes the
    // file it was given without asking.
    if (!printer.outputFileName().isEmpty()) {
        const std::string refusal = open_table_file_refusal(path_bytes(printer.outputFileName()));
        if (!refusal.empty()) {
            show_warning(this, std::string_view(refusal));
            return;
        }
    }
    // The paper, orientation and margins are the dialog's: pages that would
    // not fit them are refused rather than cut.
    // Measured in the job's units whatever resolution the printer took.
    const int job_dpi = device_.printer.dots_per_inch_x;
    const QRect room = printer.pageLayout().paintRectPixels(job_dpi);
    const drawn_area needed = page_drawn_area(device_);
    const std::string refusal = paper_fit_refusal(needed.width, needed.height, room.width(), room.height(), job_dpi);
    if (!refusal.empty()) {
        show_warning(this, std::string_view(refusal));
        return;
    }

    print_range range;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        range.from = printer.fromPage();
        range.to = std::min(printer.toPage(), last_printable_page);
    } else {
        range.to = last_printable_page;
    }
    // A printer that makes copies itself gets the pages once, and collates
    // them itself.
    range.copies = printer.supportsMultipleCopies() ? 1 : printer.copyCount();
    range.collate = printer.collateCopies();
    range.reverse = printer.pageOrder() == QPrinter::LastPageFirst;
    const page_order order = print_page_order(static_cast<int>(pages_.names.size()), range);
    if (!order.refusal.empty()) {
        show_warning(this, std::string_view(order.refusal));
        return;
    }
    errno = 0;
    if (!print_page_files(printer, pages_.names, order.pages)) {
        const QString reason = errno != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                          : QStringLiteral("The printer could not start the document.");
        show_error(this, QStringLiteral("GetLastError"), reason);
    }
}

void preview_dialog::save_pdf()
{
    const std::string offered = table_path_.empty() ? chooser_directory() : preview_pdf_name(table_path_);
    const std::string path = choose_file_to_save(this, offered, QStringLiteral("Save as PDF"),
                                                 QStringLiteral("PDF files (*.PDF *.pdf);;All files (*)"));
    if (path.empty()) return;
    if (const std::string refusal = open_table_file_refusal(path); !refusal.empty()) {
        show_warning(this, std::string_view(refusal));
        return;
    }
    if (!may_overwrite(this, path)) return;
    // The PDF takes the file's name only once it is whole.
    staged_output staged(path);
    native_file created;
    if (const int error = staged.open(created)) {
        show_warning(this, std::string_view(file_error_text(error, path)));
        return;
    }
    created.close();
    // The page the listing was laid out for, on a PDF page of that layout.
    const std::unique_ptr<QPrinter> printer = pdf_page_printer(staged.temporary_name(), remembered_page_setup());
    printer->setPageLayout(set_up_page_printer(remembered_page_setup()).printer->pageLayout());
    printer->setResolution(device_.printer.dots_per_inch_x);
    const std::string title = table_path_.empty() ? device_.document_name : preview_pdf_title(table_path_);
    printer->setDocName(table_path_.empty() ? from_ansi(title) : path_text(title));
    const int count = static_cast<int>(pages_.names.size());
    const int error = print_page_files(*printer, pages_.names, print_page_order(count, {1, count}).pages)
                          ? staged.commit()
                          : EIO;
    if (error != 0) show_warning(this, std::string_view(file_error_text(error, path)));
}

void show_preview(QWidget* owner, page_device& device, bool no_printer, const std::string& table_path)
{
    if (preview_open) return;
    preview_open = true;
    {
        preview_dialog dialog(owner, device, no_printer);
        dialog.set_table_path(table_path);
        dialog.exec();
    }
    preview_open = false;
}

}  // namespace vortel
