// How the desktop program's windows behave around the user, on the
// offscreen platform: an edit the user turns away from is finished, typed
// text is never dropped without a question, names from files show as the
// characters they are, windows keep above their owner and within the
// screen, and a memo of any length opens at once.
#include "commands/cell_store.h"
#include "commands/table_info.h"
#include "desktop/qt_cell_editor.h"
#include "desktop/qt_dialogs.h"
#include "desktop/qt_main_window.h"
#include "desktop/qt_open_tables.h"
#include "desktop/qt_startup.h"
#include "desktop/qt_structure_dialog.h"
#include "desktop/qt_table_window.h"
#include "desktop/tests/qt_test_support.h"
#include "engine/table.h"
#include "engine/tests/table_fixture.h"
#include "platform/error_text.h"
#include "platform/fault_injection.h"
#include "testing/child_process.h"

#include <QtCore/QElapsedTimer>
#include <QtGui/QScreen>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QTreeWidget>

#include <filesystem>

using namespace vortel;
using testing::box_recorder;
using testing::field_of;
using testing::memo_of;
using testing::press;
using testing::settle;
using testing::type_text;
using testing::when_dialog;
using testing::when_modal;

namespace {

// A key as the user presses it: to whatever has the focus.
void key_to_focus(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = QApplication::activePopupWidget();
    if (!target) target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    QVERIFY(target);
    QTest::keyClick(target, key, modifiers);
    settle();
}

// The answers to a question about unsaved text, and what each does.
const struct unsaved_case {
    const char* name;
    unsaved_choice choice;
    bool closes, stores;
} unsaved_cases[] = {
    {"kept open", unsaved_choice::keep_open, false, false},
    {"dropped", unsaved_choice::discard, true, false},
    {"stored", unsaved_choice::save, true, true},
};

QString trimmed_field(const std::string& table, std::int32_t record, const char* field)
{
    return from_ansi(field_of(table, record, field)).trimmed();
}

}  // namespace

class window_conduct_test : public QObject, testing::sample_fixture {
    Q_OBJECT

    // The editor over the NEV cell of the current record, holding `text`.
    void edit_name(table_window* window, const QString& text)
    {
        press(window, Qt::Key_Return);
        QVERIFY(window->editor());
        type_text(window->editor(), text);
    }

private slots:
    void initTestCase() { testing::start_desktop(); }

    void init() { begin_test(); }
    void cleanup() { end_test(); }

    // Whatever the user turns to, the typed value is stored as Enter
    // stores it and the grid takes input again.
    void an_edit_the_user_turns_from_is_finished_as_enter_finishes_it()
    {
        box_recorder boxes;
        table_window* window = open_sample();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        press(window, Qt::Key_Right);
        const struct {
            const char* way;
            std::function<void()> leave;
        } ways[] = {
            {"click on another cell", [&] { QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(300, 100)); }},
            {"scroll bar", [&] {
                 window->findChildren<QScrollBar*>().first()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
             }},
            {"focus elsewhere", [&] { window->setFocus(Qt::OtherFocusReason); }},
        };
        std::int32_t record = 1;
        for (const auto& way : ways) {
            record = current_record(*window->browse().table);
            edit_name(window, QStringLiteral("Kiss %1").arg(record));
            QVERIFY(window->editor()->hasFocus());
            way.leave();
            settle();
            QVERIFY2(!window->editor(), way.way);
            QCOMPARE(trimmed_field(table_, record, "NEV"), QStringLiteral("Kiss %1").arg(record));
            // The grid answers keys again.
            press(window, Qt::Key_Down);
            QVERIFY2(current_record(*window->browse().table) != record, way.way);
        }

        // A refused value is told on leaving, and the editor stays with the
        // text and the focus, to be corrected.
        for (int i = 0; i < 5; ++i) press(window, Qt::Key_Right);
        record = current_record(*window->browse().table);
        press(window, Qt::Key_Return);
        QVERIFY(window->editor());
        type_text(window->editor(), QStringLiteral("99999"));
        QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(300, 100));
        settle();
        QCOMPARE(boxes.boxes.size(), 1);
        QVERIFY(window->editor());
        QCOMPARE(window->editor()->text(), QStringLiteral("99999"));
        QVERIFY(window->editor()->hasFocus());
        QTest::keyClick(window->editor(), Qt::Key_Escape);
        settle();
        QVERIFY(!window->editor());
        QCOMPARE(current_record(*window->browse().table), record);
    }

    // Closing a window or the program with typed text asks first; each
    // answer is kept to. Text left as it was is no reason to ask.
    void typed_text_is_never_dropped_without_a_question()
    {
        const QString before = trimmed_field(table_, 1, "NEV");
        for (const auto& c : unsaved_cases) {
            box_recorder boxes;
            boxes.choices = {c.choice};
            table_window* window = open_sample();
            press(window, Qt::Key_Right);
            edit_name(window, QStringLiteral("Kovács"));
            const QPointer<table_window> guard = window;
            QTest::keyClick(window, Qt::Key_Escape);  // the window's own Escape, past the editor
            window->close();
            settle();
            QCOMPARE(boxes.boxes.size(), 1);
            QVERIFY2(boxes.boxes.first().endsWith(QString::fromLatin1(unsaved_cell_text)), c.name);
            QCOMPARE(guard.isNull(), c.closes);
            QCOMPARE(trimmed_field(table_, 1, "NEV"), c.stores ? QStringLiteral("Kovács") : before);
            if (guard) delete guard.data();
        }

        // The program's end asks each window; a window kept open keeps the
        // program running.
        {
            box_recorder boxes;
            boxes.choices = {unsaved_choice::keep_open};
            main_window main(std::string{});
            table_window* window = open_sample(&main);
            press(window, Qt::Key_Right);
            edit_name(window, QStringLiteral("Nagy"));
            QVERIFY(!main.close());
            QCOMPARE(boxes.boxes.size(), 1);
            QVERIFY(table_slot_in_use(window->slot()));
            window->editor()->discard();
            settle();
            QVERIFY(main.close());
            QVERIFY(!table_slot_in_use(0));
            QVERIFY(boxes.boxes.size() == 1);
        }
        start_up();
    }

    void the_memo_dialog_keeps_changed_text_until_told()
    {
        table_window* window = open_sample();
        press(window, Qt::Key_End);
        const auto memo_now = [&] { return memo_of(table_, 1); };
        const std::string before = memo_now();
        for (const auto& c : unsaved_cases) {
            box_recorder boxes;
            boxes.choices = {c.choice};
            bool open_after = false;
            when_dialog<memo_dialog>([&](memo_dialog* memo) {
                memo->text_box()->insertPlainText(QStringLiteral("új sor"));
                memo->reject();
                open_after = memo->isVisible();
                if (open_after) memo->text_box()->document()->setModified(false);
            });
            press(window, Qt::Key_Return);
            QCOMPARE(boxes.boxes.size(), 1);
            QVERIFY2(boxes.boxes.first().endsWith(QString::fromLatin1(memo_unsaved_text)), c.name);
            QCOMPARE(open_after, !c.closes);
            QCOMPARE(memo_now() != before, c.stores);
        }
    }

    // A memo of one very long line, or a very long text, opens and paints
    // within a second, read-only behind a warning; editing it is offered.
    // (Editing it takes the widget minutes, which is the warning's point.)
    void a_memo_of_any_length_opens_at_once()
    {
        const std::string memo_file = dir_->file("LONG.TXT");
        testing::write_file(memo_file, std::string(8'000'000, 'a') + "\r\nend");
        QCOMPARE(testing::run_program(VORTEL_CLI, {"memo", table_, "1", "MEGJEGYZES", "--write", memo_file}), 0);
        table_window* window = open_sample();
        press(window, Qt::Key_End);
        qint64 opened_in = -1;
        QElapsedTimer clock;
        when_modal([&](QWidget* dialog) {
            dialog->grab();
            opened_in = clock.elapsed();
            auto* memo = qobject_cast<memo_dialog*>(dialog);
            QVERIFY(memo);
            QVERIFY(memo->view_warning());
            QCOMPARE(memo->view_warning()->textFormat(), Qt::PlainText);
            QVERIFY(memo->text_box()->isReadOnly());
            QVERIFY(!memo->save_button()->isEnabled());
            QVERIFY(memo->text_box()->toPlainText().endsWith(QStringLiteral("\nend")));
            QVERIFY(memo->edit_button() && memo->edit_button()->isEnabled());
        });
        clock.start();
        press(window, Qt::Key_Return);
        QVERIFY(opened_in >= 0);
        // Well under a second alone; the bound leaves room for a loaded
        // machine and the sanitized run. Shown whole, this memo took more
        // than a minute.
        QVERIFY2(opened_in < 5000, qPrintable(QString::number(opened_in)));
    }

    // Names from files reach boxes, captions and labels as characters,
    // never as markup, and a path as its characters, not its UTF-8 bytes.
    void names_from_files_show_as_their_characters()
    {
        const std::string spoof = dir_->file("<h1><font color=red>PAYMENT OVERDUE.DBF");
        testing::write_file(spoof, "not a table");
        box_recorder boxes;
        QVERIFY(!open_table_window(nullptr, spoof));
        QCOMPARE(boxes.boxes.size(), 1);
        const std::unique_ptr<QMessageBox> box =
            make_message_box(nullptr, QMessageBox::Warning, QStringLiteral("Warning"), boxes.boxes.first(), QMessageBox::Ok);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QVERIFY(box->text().contains(QStringLiteral("<h1><font color=red>")));
        // A caption is shown whole, however long.
        const QString caption = QStringLiteral("Modify structure : ") + QString(60, QLatin1Char('x'));
        const std::unique_ptr<QMessageBox> wide =
            make_message_box(nullptr, QMessageBox::Information, caption, QStringLiteral("OK"), QMessageBox::Ok);
        QVERIFY(wide->sizeHint().width() > QFontMetrics(wide->font()).horizontalAdvance(caption));
        QCOMPARE(literal_title(QStringLiteral("a[*]b")), QStringLiteral("a[*][*]b"));

        const std::string accented = dir_->file("ÚJTÁBLA.DBF");
        std::filesystem::copy_file(table_, accented);
        std::filesystem::copy_file(dir_->file("DOLGOZO.DBT"), dir_->file("ÚJTÁBLA.DBT"));
        auto table = table_new(accented);
        QVERIFY(table_open(*table, 0));
        QVERIFY(from_ansi(table_info_text(*table)).startsWith(QStringLiteral("Table name : ") +
                                                              QString::fromStdString(accented) + QStringLiteral("\r\n")));
        table_close(*table);
        const std::string html = dir_->file("ÁRVÍZ.HTM");
        QCOMPARE(testing::run_program(VORTEL_CLI, {"html", accented, html}), 0);
        QFile written(QString::fromStdString(html));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains(QByteArray::fromStdString("<CAPTION>" + file_name_text(html) + "</CAPTION>")));
    }

    // Table windows are owned windows, which window managers keep above
    // their owner; Modify structure keeps the table it changes in sight.
    void table_windows_stay_above_the_main_window()
    {
        main_window main(std::string{});
        main.show();
        table_window* window = open_sample(&main);
        QVERIFY(window->isWindow());
        QCOMPARE(window->parentWidget(), &main);
        // X11 names a window's owner to the window manager only for the
        // dialog kind of window; others float free and fall behind it.
        QCOMPARE(window->windowType(), Qt::Dialog);
        QCOMPARE(window->windowHandle()->transientParent(), main.windowHandle());
        QVERIFY(window->windowFlags() & Qt::WindowMinMaxButtonsHint);
        bool table_shown_under_the_dialog = false;
        when_dialog<structure_dialog>([&](structure_dialog*) {
            table_shown_under_the_dialog = window->isVisible() && !window->isMinimized();
        });
        QTest::keyClick(window, Qt::Key_F9);
        QVERIFY(table_shown_under_the_dialog);
        QVERIFY(window->isVisible());
        delete window;
        main.close();
        start_up();
    }

    // Escape ends the program from its main window, also once its menu was
    // used from the keyboard and left with Escape.
    void escape_closes_the_main_window_after_the_menu_was_used_by_keyboard()
    {
        auto* main = new main_window(std::string{});
        main->show();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        settle();
        int asked = 0;
        const chooser_hook previous = set_chooser_hook([&](const chooser_request&) {
            ++asked;
            return std::string();
        });
        key_to_focus(Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        key_to_focus(Qt::Key_O);
        QTRY_COMPARE(asked, 1);
        set_chooser_hook(previous);
        // The chooser was left with its own Escape; this one is the window's.
        key_to_focus(Qt::Key_Escape);
        QTRY_VERIFY(!main->isVisible());
        delete main;
        start_up();
    }

    // A change of structure that fails leaves the dialog's progress bar
    // empty again, not where the copy stopped.
    void a_failed_structure_change_resets_its_progress()
    {
        table_window* window = open_sample();
        int progress_at_box = -1;
        const box_hook previous = set_box_hook([&](const box_request&) {
            if (structure_dialog* dialog = open_structure_dialog()) {
                progress_at_box = dialog->findChild<QProgressBar*>(QStringLiteral("116"))->value();
            }
        });
        when_dialog<structure_dialog>([](structure_dialog* dialog) {
            dialog->field_list()->topLevelItem(1)->setSelected(true);
            dialog->delete_button()->click();
            const fault_injector fail(fault_call::rename, 1, EIO);
            dialog->create_button()->click();
            QVERIFY(fail.fired());
        });
        QTest::keyClick(window, Qt::Key_F9);
        set_box_hook(previous);
        QCOMPARE(progress_at_box, 0);
    }

    // An empty table has no record under its first row; a table without
    // fields shows its records by the delete column alone. Every key there
    // keeps to what exists: no editor or memo opens, no typed text can go
    // astray, and nothing is told.
    void a_table_without_fields_opens_with_the_delete_column_alone_and_an_empty_one_opens_no_editor()
    {
        const std::string empty = dir_->file("EMPTY.DBF"), no_fields = dir_->file("NOFIELD.DBF");
        QCOMPARE(testing::run_program(VORTEL_CLI, {"create", empty, "NEV:C:10", "JEGYZET:M"}), 0);
        testing::write_table(no_fields, {}, {{""}, {"", true}});  // the second deleted
        const struct {
            std::string path;
            std::size_t columns;
            std::vector<Qt::Key> keys;
            QString title_end;
        } tables[] = {
            {empty, 3, {Qt::Key_Right, Qt::Key_Return, Qt::Key_Right, Qt::Key_Return}, QStringLiteral(" - 0/0")},
            {no_fields, 1, {Qt::Key_Right, Qt::Key_Down, Qt::Key_Return, Qt::Key_End, Qt::Key_Home, Qt::Key_Insert},
             QStringLiteral(" - 3/3")},
        };
        for (const auto& table : tables) {
            box_recorder boxes;
            table_window* window = open_table_window(nullptr, table.path);
            QVERIFY2(window, table.path.c_str());
            window->grab();
            QCOMPARE(window->browse().columns.size(), table.columns);
            for (const Qt::Key key : table.keys) {
                press(window, key);
                QVERIFY2(!window->editor() && !open_memo_dialog(), table.path.c_str());
            }
            QVERIFY2(window->windowTitle().endsWith(table.title_end), qPrintable(window->windowTitle()));
            QVERIFY(boxes.boxes.isEmpty());
        }
    }

    // The window keeps its size rules within the screen's free area, on a
    // scaled screen too (this program also runs with QT_SCALE_FACTOR=2).
    void a_table_window_opens_within_the_screen()
    {
        table_window* window = open_sample();
        const QRect room = window->screen()->availableGeometry();
        QVERIFY(window->width() <= room.width());
        QVERIFY(window->height() <= room.height());
        QVERIFY(window->width() >= std::min(table_window_width, room.width() - 16));
        QVERIFY(window->browse().visible_rows >= 1);
    }
};

QTEST_MAIN(window_conduct_test)
#include "window_conduct_test.moc"
