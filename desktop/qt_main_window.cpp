#include "desktop/qt_main_window.h"

#include "desktop/qt_file_choosers.h"
#include "desktop/qt_open_tables.h"
#include "desktop/qt_query_dialog.h"
#include "desktop/qt_startup.h"
#include "desktop/qt_structure_dialog.h"
#include "desktop/qt_table_window.h"
#include "runtime/named_registry.h"
#include "runtime/version.h"

#include <QtCore/QPointer>
#include <QtGui/QCloseEvent>
#include <QtGui/QIcon>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QDialog>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QVBoxLayout>

#include <utility>

namespace vortel {
namespace {

const char* const about_text =
    "Vortel " VORTEL_VERSION_TEXT "\n"
    "\n"
    "A viewer and editor of dBase III tables\n"
    "(DBF tables with their DBT memo files).\n"
    "\n"
    "The Vortel project\n"
    "Questions and reports: through the project's issue list.";

}  // namespace

main_window::main_window(std::string command_line) : command_line_(std::move(command_line))
{
    setWindowTitle(QString::fromLatin1(program_title));
    setWindowIcon(QIcon(QStringLiteral(":/VORTEL")));
    auto* surface = new QWidget(this);
    surface->setAutoFillBackground(true);
    QPalette white = surface->palette();
    white.setColor(QPalette::Window, Qt::white);
    surface->setPalette(white);
    setCentralWidget(surface);

    // The window itself takes the keys (Escape) whenever nothing else of it
    // does, also when clicked.
    setFocusPolicy(Qt::StrongFocus);
    QMenu* tables = menuBar()->addMenu(QStringLiteral("&dBase III"));
    run_from_menu(tables->addAction(QStringLiteral("&Open")), open_command_id);
    run_from_menu(tables->addAction(QStringLiteral("Open &read-only...")), open_read_only_command_id);
    run_from_menu(tables->addAction(QStringLiteral("&Create table")), create_table_command_id);
    run_from_menu(tables->addAction(QStringLiteral("&Query...")), query_command_id);
    run_from_menu(menuBar()->addAction(QStringLiteral("&About")), about_command_id);

    named_put("HINSTANCE", QApplication::instance());
    named_put("HWND", this);
    setWindowState(Qt::WindowMaximized);
}

void main_window::run_from_menu(QAction* item, int id)
{
    item->setData(id);
    // Queued: the command runs once the menu has closed. Its dialogs then
    // give the focus back to this window, not to the menu bar a keyboard
    // user left it on, which would keep Escape from ending the program.
    connect(
        item, &QAction::triggered, this,
        [this, id] {
            menu_command(id);
            if (isActiveWindow()) setFocus();
        },
        Qt::QueuedConnection);
}

void main_window::open_command()
{
    const std::string path = choose_file_to_open(this, open_directory());
    if (path.empty()) return;
    remember_open_directory(path);
    open_table_window(this, path);
}

void main_window::open_read_only_command()
{
    const std::string path = choose_file_to_open(this, open_directory());
    if (path.empty()) return;
    remember_open_directory(path);
    open_table_window(this, path, true);
}

main_window::~main_window()
{
    // The registry must not name a window that is gone.
    if (named_get("HWND") == this) named_put("HWND", nullptr);
}

void main_window::create_table_command()
{
    run_structure_dialog(this);
}

void main_window::menu_command(int id)
{
    switch (id) {
    case open_command_id:
    case open_synonym_id: open_command(); break;
    case open_read_only_command_id: open_read_only_command(); break;
    case create_table_command_id:
    case create_table_synonym_id: create_table_command(); break;
    case about_command_id: about_command(); break;
    case query_command_id: run_query_dialog(this); break;
    default:
        if (id >= window_list_first_id && id < window_list_first_id + table_slot_count) show_listed_window(id);
        break;
    }
}

void main_window::about_command()
{
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("About"));
    auto* text = new QPlainTextEdit(QString::fromLatin1(about_text), &dialog);
    text->setReadOnly(true);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    dialog.resize(380, 200);
    dialog.exec();
}

QMenu* main_window::window_list_popup()
{
    auto* popup = new QMenu(this);
    for (int slot = 0; slot < table_slot_count; ++slot) {
        if (!table_slot_in_use(slot)) continue;
        // An "&" in a path is a character of the name, not a menu key.
        QAction* item = popup->addAction(path_text(table_slot_at(slot).title).replace(QLatin1Char('&'), QStringLiteral("&&")));
        const int id = window_list_first_id + slot;
        item->setData(id);
        connect(item, &QAction::triggered, this, [this, id] { show_listed_window(id); }, Qt::QueuedConnection);
    }
    return popup;
}

void main_window::show_listed_window(int id)
{
    const int slot = id - window_list_first_id;
    if (!table_slot_in_use(slot)) return;
    table_window* window = table_slot_at(slot).window;
    if (!window) return;
    window->showNormal();
    window->raise();
    window->activateWindow();
    window->setFocus();
}

bool main_window::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && first_activation_) {
        first_activation_ = false;
        // After the activation is handled: the table window takes the focus.
        QMetaObject::invokeMethod(this, [this] { open_table_window(this, command_line_); }, Qt::QueuedConnection);
    }
    return QMainWindow::event(event);
}

void main_window::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        QMainWindow::mousePressEvent(event);
        return;
    }
    QMenu* popup = window_list_popup();
    popup->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's right edge at the pointer.
    const QPoint at = event->globalPosition().toPoint();
    popup->popup(at - QPoint(popup->sizeHint().width(), 0));
}

void main_window::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void main_window::closeEvent(QCloseEvent* event)
{
    // Every table window is asked first: one that copies its table, or
    // whose typed text the user keeps, keeps the program running.
    QList<QPointer<table_window>> windows;
    for (table_window* window : findChildren<table_window*>(Qt::FindDirectChildrenOnly)) windows << window;
    for (const QPointer<table_window>& window : windows) {
        if (window && !window->may_close()) {
            event->ignore();
            return;
        }
    }
    release_start_up_values();
    // The table windows go first; each closes its table and frees its slot.
    for (const QPointer<table_window>& window : windows) delete window.data();
    event->accept();
}

}  // namespace vortel
