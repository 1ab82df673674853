#include "desktop/tests/qt_test_support.h"

#include "commands/cell_store.h"
#include "desktop/qt_open_tables.h"
#include "desktop/qt_startup.h"
#include "desktop/qt_table_window.h"
#include "engine/table.h"

#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QDialog>

#include <filesystem>

namespace vortel::testing {

box_recorder::box_recorder()
{
    previous_box_ = set_box_hook([this](const box_request& box) {
        boxes << box.caption + QStringLiteral(": ") + box.text;
        cursor_during_box << (QApplication::overrideCursor() != nullptr);
    });
    previous_answer_ = set_answer_hook([this](const box_request&) {
        if (answers.isEmpty()) return true;
        return answers.takeFirst();
    });
    previous_choice_ = set_choice_hook([this](const box_request&) {
        if (choices.isEmpty()) return unsaved_choice::save;
        return choices.takeFirst();
    });
}

box_recorder::~box_recorder()
{
    set_box_hook(previous_box_);
    set_answer_hook(previous_answer_);
    set_choice_hook(previous_choice_);
}

void when_modal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        timer->stop();
        timer->deleteLater();
        QPointer<QWidget> still(modal);
        act(modal);
        if (auto* dialog = qobject_cast<QDialog*>(still.data()); dialog && dialog->isVisible()) dialog->reject();
    });
    timer->start();
}

void start_desktop()
{
    load_desktop_resources();
    start_up();
}

std::string copy_sample_table(const std::string& folder)
{
    for (const char* name : {"DOLGOZO.DBF", "DOLGOZO.DBT"}) {
        std::filesystem::copy_file(std::string(SAMPLE_DIR "/") + name, folder + "/" + name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    return folder + "/DOLGOZO.DBF";
}

void sample_fixture::begin_test()
{
    dir_ = std::make_unique<scratch_dir>();
    table_ = copy_sample_table(dir_->path());
    memo_ = dir_->file("DOLGOZO.DBT");
    reset_cascade_position();
}

void sample_fixture::end_test()
{
    settle();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<table_window*>(widget)) delete widget;
    }
    settle();
    dir_.reset();
    for (int i = 0; i < table_slot_count; ++i) QVERIFY2(!table_slot_in_use(i), "a table slot left in use");
    QVERIFY(!QApplication::overrideCursor());
}

table_window* sample_fixture::open_sample(QWidget* owner) const
{
    table_window* window = open_table_window(owner, table_);
    if (window) window->grab();
    return window;
}

table_window* sample_fixture::open_sample_at(std::int32_t record, int column) const
{
    table_window* window = open_sample();
    if (!window) return nullptr;
    for (std::int32_t i = 1; i < record; ++i) QTest::keyClick(window, Qt::Key_Down);
    for (int i = 0; i < column; ++i) QTest::keyClick(window, Qt::Key_Right);
    window->grab();
    return window;
}

std::string sample_fixture::sample_bytes() const
{
    return read_file(table_) + read_file(memo_);
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(window, key, modifiers);
    window->grab();
}

void type_text(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent key(QEvent::KeyPress, c.isLetterOrNumber() && c.unicode() < 128 ? c.toUpper().unicode() : 0,
                      Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &key);
    }
}

table_window* only_window()
{
    table_window* found = nullptr;
    for (int i = 0; i < table_slot_count; ++i) {
        if (table_slot_in_use(i)) found = table_slot_at(i).window;
    }
    return found;
}

event_watcher::event_watcher(std::function<void(QObject*, QEvent*)> seen) : seen_(std::move(seen))
{
    QApplication::instance()->installEventFilter(this);
}

event_watcher::~event_watcher()
{
    QApplication::instance()->removeEventFilter(this);
}

bool event_watcher::eventFilter(QObject* target, QEvent* event)
{
    seen_(target, event);
    return false;
}

chooser_answers::chooser_answers(std::vector<std::string> paths) : paths_(std::move(paths))
{
    previous_ = set_chooser_hook([this](const chooser_request& request) {
        requests.push_back(request);
        if (paths_.empty()) return std::string();
        std::string path = paths_.front();
        paths_.erase(paths_.begin());
        return path;
    });
}

chooser_answers::~chooser_answers()
{
    set_chooser_hook(previous_);
}

std::string memo_of(const std::string& path, std::int32_t record, const std::string& field)
{
    auto table = table_new(path);
    if (!table_open(*table, 1) || !go_to_exactly(*table, record)) return "<cannot open>";
    return memo_text(*table, field_index(*table, field));
}

std::string field_of(const std::string& path, std::int32_t record, const std::string& field)
{
    auto table = table_new(path);
    if (!table_open(*table, 1) || !go_to_exactly(*table, record)) return "<cannot open>";
    return field_text(*table, field_index(*table, field));
}

}  // namespace vortel::testing
