// The desktop program on the offscreen platform: start-up, opening tables,
// keys and clicks in a table window, the cell editor, the memo editor, the
// dialogs and the warnings. Modal boxes are answered through the box hook;
// modal dialogs by a timer that acts on the dialog once it runs.
#include "commands/cell_store.h"
#include "commands/rebuild_journal.h"
#include "desktop/qt_canvas.h"
#include "desktop/qt_cell_editor.h"
#include "desktop/qt_dialogs.h"
#include "desktop/qt_main_window.h"
#include "desktop/qt_open_tables.h"
#include "desktop/qt_startup.h"
#include "desktop/qt_table_window.h"
#include "desktop/tests/qt_test_support.h"
#include "engine/table.h"
#include "engine/tests/table_fixture.h"
#include "grid/cell_text.h"
#include "platform/native_file.h"
#include "platform/read_only_medium.h"
#include "runtime/named_registry.h"
#include "runtime/settings.h"
#include "testing/child_process.h"

#include <QtGui/QClipboard>
#include <QtGui/QPainter>
#include <QtTest/QtTest>

#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QScrollBar>

#include <cerrno>
#include <filesystem>
#include <unistd.h>

using namespace vortel;
using testing::box_recorder;
using testing::field_of;
using testing::press;
using testing::settle;
using testing::type_text;
using testing::when_dialog;

class desktop_test : public QObject, testing::sample_fixture {
    Q_OBJECT

    QString title_for(int count, int record) const
    {
        return QString::fromStdString(table_) + QStringLiteral(" - %1/%2").arg(count).arg(record);
    }

private slots:
    void initTestCase() { testing::start_desktop(); }
    void init() { begin_test(); }
    void cleanup() { end_test(); }

    void command_line_is_one_file_name_with_outer_quotes_removed()
    {
        QCOMPARE(command_line_text({}), std::string());
        QCOMPARE(command_line_text({"My", "Table.dbf"}), std::string("My Table.dbf"));
        QCOMPARE(command_line_text({"\"/tmp/a b.dbf\""}), std::string("/tmp/a b.dbf"));
        QCOMPARE(command_line_text({"\"/tmp/a", "b.dbf\""}), std::string("/tmp/a b.dbf"));
        QCOMPARE(command_line_text({"\"/tmp/a.dbf"}), std::string("\"/tmp/a.dbf"));
        QCOMPARE(command_line_text({"\""}), std::string());
    }

    void start_up_fills_settings_and_named_values()
    {
        QCOMPARE(setting_by_index(SET_CEGNEV), std::string("Vortel ") + vortel_version);
        char cwd[4096];
        QVERIFY(getcwd(cwd, sizeof cwd));
        QCOMPARE(open_directory(), std::string(cwd));
        QCOMPARE(std::string(static_cast<const char*>(named_get("PRINT_FONT"))), std::string("Courier New"));
        QCOMPARE(std::string(static_cast<const char*>(named_get("HELP_FONT"))), std::string("Comic Sans MS"));

        remember_open_directory("/data/tables/A.DBF");
        QCOMPARE(open_directory(), std::string("/data/tables"));
        const std::string deep = "/" + std::string(300, 'd') + "/B.DBF";
        remember_open_directory(deep);
        QCOMPARE(open_directory(), deep.substr(0, deep.rfind('/')));
        remember_open_directory("B.DBF");
        QCOMPARE(open_directory(), std::string());
        remember_open_directory(cwd + std::string("/x.dbf"));
    }

    void opening_a_table_gives_a_titled_window_and_a_failure_is_told_and_moves_nothing()
    {
        table_window* window = open_sample();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), title_for(120, 1));
        QCOMPARE(cascade_position(), QPoint(20, 40));
        QVERIFY(table_slot_in_use(window->slot()));
        QCOMPARE(window->browse().visible_rows, 19);
        QCOMPARE(window->vertical_bar()->maximum(), 119);
        QVERIFY(QFontInfo(window->cell_font()).fixedPitch());

        const int slot = window->slot();
        window->close();  // deletes itself
        settle();
        QVERIFY(!table_slot_in_use(slot));

        // Failures to open are told and move nothing.
        box_recorder boxes;
        QVERIFY(!open_table_window(nullptr, dir_->file("MISSING.DBF")));
        testing::write_file(dir_->file("BAD.DBF"), "not a table at all, not at all");
        QVERIFY(!open_table_window(nullptr, dir_->file("BAD.DBF")));
        QVERIFY(!open_table_window(nullptr, ""));
        QCOMPARE(boxes.boxes, QStringList({QStringLiteral("Warning: ") + QString::fromStdString(dir_->file("MISSING.DBF")),
                                             QStringLiteral("Warning: Can't open : ") + QString::fromStdString(dir_->file("BAD.DBF")) +
                                                 QStringLiteral("\nthe file is shorter than a table header (32 bytes)")}));
        QVERIFY(!std::filesystem::exists(dir_->file("MISSING.DBF")));
        QCOMPARE(cascade_position(), QPoint(20, 40));
    }

    void a_table_a_killed_rebuild_moved_aside_opens_again_with_word_of_it()
    {
        // As a kill between the moves leaves it: the old pair under its
        // backup names, the table's names empty, the journal beside them.
        const std::string& memo = memo_;
        file_identity table_id, memo_id;
        QVERIFY(path_identity(table_, table_id) && path_identity(memo, memo_id));
        std::filesystem::rename(table_, dir_->file("DOLGOZO.OLD1.DBF"));
        std::filesystem::rename(memo, dir_->file("DOLGOZO.OLD1.DBT"));
        const auto line = [](const char* word, const file_identity& id, const char* name) {
            return std::string(word) + " " + std::to_string(id.device) + " " + std::to_string(id.inode) + " " + name + "\n";
        };
        testing::write_file(dir_->file("DOLGOZO.DBF.rebuild"),
                            std::string(journal_first_line) + "\n" + line("table", table_id, "DOLGOZO.DBF") +
                                line("memo", memo_id, "DOLGOZO.DBT") + "backup DOLGOZO.OLD1.DBF\nbackup DOLGOZO.OLD1.DBT\n");
        box_recorder boxes;
        table_window* window = open_sample();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), title_for(120, 1));
        QCOMPARE(boxes.boxes.size(), 1);
        QVERIFY2(boxes.boxes[0].startsWith(QStringLiteral("Information: An interrupted rebuild of")) &&
                     boxes.boxes[0].contains(QStringLiteral("put back")),
                 qPrintable(boxes.boxes[0]));
        QCOMPARE(testing::files_in(dir_->path()), (std::set<std::string>{"DOLGOZO.DBF", "DOLGOZO.DBT"}));
    }

    // The window list names the slots in use in slot order; a freed slot is
    // the next one given, at the cascade's start again.
    void fifteen_slots_then_refusal_and_cascade_wraps()
    {
        box_recorder boxes;
        main_window main(std::string{});
        std::vector<table_window*> windows;
        for (int i = 0; i < table_slot_count; ++i) windows.push_back(open_table_window(&main, table_));
        QCOMPARE(windows[13]->pos(), QPoint(280, 300));
        QCOMPARE(windows[14]->pos(), QPoint(300, 320));
        QVERIFY(!open_table_window(&main, table_));
        QCOMPARE(boxes.boxes, QStringList(QStringLiteral("Warning: Too many files opened !")));
        QCOMPARE(cascade_position(), QPoint(300, 320));
        delete windows[1];
        delete windows[3];
        delete windows[4];
        std::unique_ptr<QMenu> popup(main.window_list_popup());
        QList<int> ids;
        for (QAction* item : popup->actions()) ids << item->data().toInt();
        QCOMPARE(ids.size(), table_slot_count - 3);
        QCOMPARE(ids.first(3), QList<int>({2000, 2002, 2005}));
        QCOMPARE(popup->actions().first()->text(), QString::fromStdString(table_));
        windows[5]->showMinimized();
        main.show_listed_window(2005);
        QVERIFY(!windows[5]->isMinimized());
        table_window* again = open_table_window(&main, table_);
        QCOMPARE(again->slot(), 1);
        QCOMPARE(again->pos(), QPoint(20, 20));
    }

    void main_window_opens_the_command_line_and_the_chosen_file()
    {
        auto* main = new main_window(table_);
        main->show();
        QTRY_VERIFY(table_slot_in_use(0));
        QCOMPARE(table_slot_at(0).title, table_);

        chooser_request asked;
        const chooser_hook previous = set_chooser_hook([&](const chooser_request& request) {
            asked = request;
            return table_;
        });
        main->open_command();
        QCOMPARE(asked.title, QStringLiteral("File select"));
        QVERIFY(asked.filters.startsWith(QStringLiteral("dBase III files")));
        QVERIFY(table_slot_in_use(1));
        QCOMPARE(open_directory(), dir_->path());
        main->menu_command(open_read_only_command_id);
        QVERIFY(table_slot_in_use(2));
        QCOMPARE(table_slot_at(2).table->read_only, std::string(asked_read_only_reason));
        set_chooser_hook(previous);
        const QList<QAction*> items = main->menuBar()->actions().first()->menu()->actions();
        QCOMPARE(items.at(1)->text(), QStringLiteral("Open &read-only..."));
        QCOMPARE(items.at(1)->data().toInt(), open_read_only_command_id);
        // Escape and the table windows going with it are window_conduct_test's;
        // closing also frees what start-up put in the named values.
        main->close();
        delete main;
        start_up();
    }

    // The keys reach the grid's navigation and the window follows it; the
    // moves themselves are the navigation's own tests.
    void keys_wheel_and_thumb_move_the_current_record()
    {
        table_window* window = open_sample();
        press(window, Qt::Key_Down);
        QCOMPARE(window->windowTitle(), title_for(120, 2));
        press(window, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(window->windowTitle(), title_for(120, 120));
        QCOMPARE(window->vertical_bar()->value(), 119);
        press(window, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(window->windowTitle(), title_for(120, 1));
        press(window, Qt::Key_End);
        QCOMPARE(window->browse().current_column, 8);

        // The wheel moves one record per notch; the thumb jumps.
        QWheelEvent wheel(QPointF(100, 100), QPointF(100, 100), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(window, &wheel);
        window->grab();
        QCOMPARE(window->windowTitle(), title_for(120, 2));
        window->vertical_bar()->setSliderPosition(59);
        window->vertical_bar()->triggerAction(QAbstractSlider::SliderMove);
        window->grab();
        QCOMPARE(window->windowTitle(), title_for(120, 60));
    }

    void clicks_select_cells_and_drag_column_borders()
    {
        table_window* window = open_sample();
        browse_object& grid = window->browse();
        const column_descriptor city = grid.columns[2];
        QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(city.x + 10, 3 * 20 + 5));
        window->grab();
        QCOMPARE(grid.current_column, 2);
        QCOMPARE(window->windowTitle(), title_for(120, 3));

        const int width_before = grid.columns[1].width;
        QTest::mousePress(window, Qt::LeftButton, {}, QPoint(city.x, 10));
        QCOMPARE(window->cursor().shape(), Qt::SizeHorCursor);
        QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(city.x + 30, 10));
        window->grab();
        QCOMPARE(grid.columns[1].width, width_before + 30);
    }

    // The checked item of the popup's code-page submenu.
    static QString checked_code_page(table_window* window)
    {
        std::unique_ptr<QMenu> popup(window->command_popup());
        const QMenu* pages = popup->actions().last()->menu();
        for (QAction* item : pages ? pages->actions() : QList<QAction*>{}) {
            if (item->isChecked()) return item->text();
        }
        return {};
    }

    void popup_offers_every_command_and_a_code_page_choice_kept_for_the_file()
    {
        table_window* window = open_sample();
        std::unique_ptr<QMenu> popup(window->command_popup());
        QCOMPARE(popup->actions().size(), 19);  // the commands, then the filter's two and a separator
        // Each command names the key that runs it.
        QStringList texts;
        for (QAction* item : popup->actions()) texts << item->text();
        for (const char* text : {"&New record\tIns", "&Print...\tCtrl+P", "&Search\tF3", "Pac&k\tF7",
                                 "&Append from ...\tF10", "&Exit\tEsc"}) {
            QVERIFY2(texts.contains(QString::fromLatin1(text)), text);
        }
        QCOMPARE(popup->actions().last()->text(), QStringLiteral("Code &page"));
        QCOMPARE(popup->actions().last()->menu()->actions().first()->data().toInt(), 3000);
        QCOMPARE(checked_code_page(window), QStringLiteral("852"));

        press(window, Qt::Key_Right);
        window->popup_command(3001);  // 1250
        QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier);
        // Code page 852 bytes read as 1250: "Ágnes" no longer reads right.
        QVERIFY(!QGuiApplication::clipboard()->text().startsWith(QStringLiteral("Hegedűs Ágnes")));
        QCOMPARE(checked_code_page(window), QStringLiteral("1250"));

        // Opened again, the file keeps the choice; 852 again reads right.
        popup.reset();  // the window owns it
        delete window;
        window = open_sample();
        QCOMPARE(checked_code_page(window), QStringLiteral("1250"));
        QCOMPARE(window->browse().table->codepage.origin, code_page_origin::chosen);
        window->popup_command(3000);
        press(window, Qt::Key_Right);
        QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("Hegedűs Ágnes")));
    }

    // The cell editor opens over its cell on the shown value; Escape keeps
    // the record as it was.
    void the_cell_editor_opens_over_its_cell_and_escape_keeps_the_record()
    {
        table_window* window = open_sample_at(1, 1);
        press(window, Qt::Key_Return);
        cell_editor* editor = window->editor();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("Hegedűs Ágnes"));
        QCOMPARE(editor->geometry(), QRect(window->browse().columns[1].x, 20, window->browse().columns[1].width + 1, 21));
        const std::string stored = field_of(table_, 1, "NEV");
        type_text(editor, QStringLiteral("Other"));
        QTest::keyClick(editor, Qt::Key_Escape);
        settle();
        QVERIFY(!window->editor());
        QCOMPARE(field_of(table_, 1, "NEV"), stored);
        for (int i = 0; i < 5; ++i) press(window, Qt::Key_Right);
        press(window, Qt::Key_Return);
        QCOMPARE(window->editor()->text(), QStringLiteral("15.1"));
        QVERIFY(window->editor()->alignment() & Qt::AlignRight);
    }

    // What is typed passes the column's key filter and Enter stores it; a
    // value the field refuses is told and keeps the editor open on it.
    void typed_values_are_filtered_then_stored_or_refused_with_the_editor_kept()
    {
        const struct {
            int column;
            const char* field;
            QString typed, shown;
            QString stored;  // null: refused, the field as it was
            QString told;
        } cases[] = {
            {1, "NEV", QStringLiteral("Őri Ödön"), QStringLiteral("Őri Ödön"), QStringLiteral("Őri Ödön"), {}},
            {3, "SZULETETT", QStringLiteral("2001x-0601"), QStringLiteral("2001.06.01"), QStringLiteral("20010601"), {}},
            {3, "SZULETETT", QStringLiteral("20011301"), QStringLiteral("2001.13.01"), {},
             QStringLiteral("Warning: Bad date !")},
            {6, "PREMIUM", QStringLiteral("12,5"), QStringLiteral("12,5"), QStringLiteral(" 12.5"), {}},
            {6, "PREMIUM", QStringLiteral("99999"), QStringLiteral("99999"), {},
             QStringLiteral("Warning: 99999 does not fit PREMIUM N(5,1)")},
        };
        for (const auto& c : cases) {
            box_recorder boxes;
            table_window* window = open_sample_at(1, c.column);
            press(window, Qt::Key_Return);
            QVERIFY2(window->editor(), qPrintable(c.typed));
            type_text(window->editor(), c.typed);
            QCOMPARE(window->editor()->text(), c.shown);
            const std::string before = field_of(table_, 1, c.field);
            QTest::keyClick(window->editor(), Qt::Key_Return);
            settle();
            if (c.stored.isNull()) {
                QCOMPARE(boxes.boxes, QStringList(c.told));
                QCOMPARE(field_of(table_, 1, c.field), before);
                QVERIFY2(window->editor() && window->editor()->text() == c.shown, qPrintable(c.typed));
            } else {
                QVERIFY2(boxes.boxes.isEmpty() && !window->editor(), qPrintable(c.typed));
                const QString stored = from_ansi(field_of(table_, 1, c.field));
                QVERIFY2(stored.startsWith(c.stored) && stored.trimmed() == c.stored.trimmed(), qPrintable(stored));
            }
            delete window;
        }
    }

    // A cell, the delete mark and the memo of a record another program
    // holds: each store is told and refused; the memo dialog keeps its text.
    void a_record_held_by_another_program_is_told_not_lost()
    {
        box_recorder boxes;
        table_window* window = open_sample();
        testing::background_program holder(TABLE_PROBE, {"hold-record", table_, "1"});
        QCOMPARE(holder.read_line(), std::string("ready"));
        const std::string before = sample_bytes();

        press(window, Qt::Key_Right);
        press(window, Qt::Key_Return);
        type_text(window->editor(), QStringLiteral("Kiss"));
        QTest::keyClick(window->editor(), Qt::Key_Return);
        press(window, Qt::Key_Delete);
        press(window, Qt::Key_End);
        when_dialog<memo_dialog>([&](memo_dialog* memo) {
            memo->text_box()->setPlainText(QStringLiteral("x"));
            memo->save_button()->click();
            QVERIFY(memo->isVisible());
            QCOMPARE(memo->text_box()->toPlainText(), QStringLiteral("x"));
            memo->text_box()->document()->setModified(false);
        });
        press(window, Qt::Key_Return);
        QCOMPARE(boxes.boxes, QStringList(3, QStringLiteral("Warning: The record busy.")));
        QCOMPARE(sample_bytes(), before);
        QCOMPARE(holder.finish(), 0);
    }

    // Asked for, or forced by a file we may not write: the title says so,
    // reading goes on, and every change is refused with the reason, before
    // any editor or dialog asks for more.
    void read_only_tables_say_so_and_refuse_every_change_with_the_reason()
    {
        box_recorder boxes;
        const std::string before = sample_bytes();
        // Read-only as asked: main_window_opens_the_command_line_and_the_chosen_file.
        table_window* window = nullptr;
        {
            read_only_medium medium(EACCES);
            window = open_table_window(nullptr, table_);
        }
        QVERIFY(window);
        window->grab();
        const QString reason = QStringLiteral("the file is read-only (permission denied)");
        QCOMPARE(boxes.boxes, QStringList({QStringLiteral("Information: ") + QString::fromStdString(table_) +
                                           QStringLiteral(" opens read-only:\n") + reason}));
        boxes.boxes.clear();
        press(window, Qt::Key_Down);
        press(window, Qt::Key_Insert);
        press(window, Qt::Key_Delete);
        press(window, Qt::Key_Right);
        press(window, Qt::Key_Return);
        QVERIFY(!window->editor());
        for (const int popup : {2117, 2118, 2119, 2120, 2121}) window->popup_command(popup);
        const QString refusal = QStringLiteral("Warning: The table is read-only: ") + reason;
        QCOMPARE(boxes.boxes, QStringList(8, refusal));
        QCOMPARE(window->windowTitle(), QString::fromStdString(table_) + QStringLiteral(" (read-only) - 120/2"));

        // The memo shows, and says why it cannot be saved.
        press(window, Qt::Key_End);
        bool shown = false;
        when_dialog<memo_dialog>([&](memo_dialog* memo) {
            QVERIFY(!memo->save_button()->isEnabled());
            auto* why = memo->findChild<QLabel*>(QStringLiteral("read_only_reason"));
            QVERIFY(why);
            QCOMPARE(QStringLiteral("Warning: ") + why->text(), refusal);
            shown = true;
            memo->reject();
        });
        press(window, Qt::Key_Return);
        QVERIFY(shown);
        QCOMPARE(sample_bytes(), before);
    }

    void a_table_without_its_memo_file_shows_its_memos_as_unavailable()
    {
        std::filesystem::remove(dir_->file("DOLGOZO.DBT"));
        box_recorder boxes;
        table_window* window = open_sample();
        QVERIFY(window);
        const QString reason = QStringLiteral("the memo file DOLGOZO.DBT is missing");
        QCOMPARE(boxes.boxes, QStringList({QStringLiteral("Information: ") + QString::fromStdString(table_) +
                                           QStringLiteral(" opens read-only:\n") + reason}));
        QCOMPARE(cell_of(window->browse(), 8).text, std::string("<no memo file>"));
        press(window, Qt::Key_End);
        press(window, Qt::Key_Return);
        QVERIFY(!open_memo_dialog());
        QCOMPARE(boxes.boxes.last(), QStringLiteral("Warning: The memo cannot be shown: ") + reason);
    }

    void table_info_search_and_go_to_dialogs()
    {
        box_recorder boxes;
        table_window* window = open_sample();
        when_dialog<info_dialog>([](info_dialog* info) {
            QCOMPARE(info->windowTitle(), QStringLiteral("Table information"));
            // The text is the table information's own (its tests check it).
            QVERIFY(info->text_box()->toPlainText().contains(QStringLiteral("  1 NEV        C     30       0")));
            QVERIFY(info->text_box()->isReadOnly());
            info->accept();
        });
        press(window, Qt::Key_F12);

        press(window, Qt::Key_Right);
        press(window, Qt::Key_Right);
        when_dialog<find_dialog>([&](find_dialog* find) {
            QCOMPARE(find->text_box()->text(), QStringLiteral("Ózd"));
            find->text_box()->setText(QStringLiteral("szeged"));
            find->ok_button()->click();
            window->grab();
            QCOMPARE(window->windowTitle(), title_for(120, 3));
            QCOMPARE(window->browse().current_row, 1);
            find->case_box()->setChecked(true);
            find->ok_button()->click();
            window->grab();
            QCOMPARE(window->windowTitle(), title_for(120, 3));
            QCOMPARE(boxes.boxes, QStringList(QStringLiteral("Error: Search string not found.")));
            // A second launch while it is open does nothing.
            QTest::keyClick(window, Qt::Key_F3);
            find->reject();
        });
        press(window, Qt::Key_F3);
        QVERIFY(!open_find_dialog());

        when_dialog<go_to_dialog>([&](go_to_dialog* go) {
            type_text(go->number_box(), QStringLiteral("x5"));
            QCOMPARE(go->number_box()->text(), QStringLiteral("5"));
            go->go_button()->click();
            window->grab();
            QCOMPARE(window->windowTitle(), title_for(120, 5));
            go->number_box()->setText(QStringLiteral("121"));
            go->go_button()->click();
            go->reject();
        });
        press(window, Qt::Key_F5);
        QCOMPARE(window->windowTitle(), title_for(120, 5));
        QCOMPARE(boxes.boxes.last(), QStringLiteral("Warning: Out of range."));
    }

    void canvas_draws_cells_and_ands_bitmaps()
    {
        QImage surface(40, 20, QImage::Format_RGB32);
        surface.fill(Qt::white);
        QImage mark(4, 4, QImage::Format_RGB32);
        mark.fill(Qt::white);
        mark.setPixel(1, 1, qRgb(255, 0, 0));
        {
            QPainter painter(&surface);
            qt_canvas canvas(painter);
            canvas.set_bitmaps({&mark});
            canvas.rectangle({0, 0, 10, 10}, 0x0000FF, 0x00FFFF);  // red border, yellow inside
            canvas.bitmap(1, 2, 2, 99, 99, 0);
            canvas.line(20, 5, 30, 5, 0x000000);
        }
        QCOMPARE(surface.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(surface.pixel(9, 9), qRgb(255, 0, 0));
        QCOMPARE(surface.pixel(10, 10), qRgb(255, 255, 255));
        QCOMPARE(surface.pixel(5, 5), qRgb(255, 255, 0));  // white in the mark left it
        QCOMPARE(surface.pixel(3, 3), qRgb(255, 0, 0));    // red AND yellow
        QCOMPARE(surface.pixel(29, 5), qRgb(0, 0, 0));
        QCOMPARE(surface.pixel(30, 5), qRgb(255, 255, 255));

        QImage kuka(QStringLiteral(":/KUKA"));
        QCOMPARE(kuka.size(), QSize(16, 16));
        QVERIFY(!QImage(QStringLiteral(":/INFO")).isNull());
    }
};

QTEST_MAIN(desktop_test)
#include "desktop_test.moc"
