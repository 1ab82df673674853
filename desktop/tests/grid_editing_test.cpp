// A table window edited as users of spreadsheets expect: typing on a cell,
// a double click, Tab, a filtered paste and Ctrl+Z; the grid
// following another process's changes; a search that shows progress and
// stops on Escape.
#include "desktop/qt_cell_editor.h"
#include "desktop/qt_open_tables.h"
#include "desktop/qt_search_progress.h"
#include "desktop/qt_table_window.h"
#include "desktop/qt_warning.h"
#include "desktop/tests/qt_test_support.h"
#include "engine/table.h"
#include "engine/tests/table_fixture.h"
#include "grid/cell_text.h"
#include "testing/child_process.h"

#include <QtGui/QClipboard>
#include <QtTest/QtTest>
#include <QtWidgets/QProgressDialog>


using namespace vortel;
using testing::box_recorder;
using testing::field_of;
using testing::run_program;

namespace {

// Sample columns: 1 NEV, 2 VAROS, 3 SZULETETT (a date), 5 FIZETES (a number).
constexpr int name_column = 1, born_column = 3, pay_column = 5;

}  // namespace

class grid_editing_test : public QObject, testing::sample_fixture {
    Q_OBJECT

    // A table window on the sample, its current cell on record 2 in `column`.
    table_window* open_on(int column) { return open_sample_at(2, column); }
    std::string name_of(std::int32_t record) { return field_of(table_, record, "NEV"); }

private slots:
    void initTestCase() { testing::start_desktop(); }
    void init() { begin_test(); }
    void cleanup() { end_test(); }

    void typing_or_a_double_click_opens_the_editor_and_tab_stores_and_moves()
    {
        box_recorder boxes;
        table_window* window = open_on(name_column);
        QVERIFY(window);
        QTest::keyClicks(window, QStringLiteral("K"));
        QVERIFY(window->editor());
        QCOMPARE(window->editor()->text(), QStringLiteral("K"));
        QTest::keyClicks(window->editor(), QStringLiteral("ata"));
        QTest::keyClick(window->editor(), Qt::Key_Tab);
        QVERIFY(!window->editor());
        QCOMPARE(window->browse().current_column, name_column + 1);
        QCOMPARE(name_of(2).substr(0, 5), std::string("Kata "));

        // Shift+Tab stores and moves back; a number column refuses a letter.
        QTest::keyClicks(window, QStringLiteral("P"));
        QVERIFY(window->editor());
        QTest::keyClicks(window->editor(), QStringLiteral("ecs"));
        QTest::keyClick(window->editor(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(window->browse().current_column, name_column);
        QCOMPARE(field_of(table_, 2, "VAROS").substr(0, 5), std::string("Pecs "));
        for (int i = name_column; i < pay_column; ++i) QTest::keyClick(window, Qt::Key_Right);
        QTest::keyClicks(window, QStringLiteral("x"));
        QVERIFY(!window->editor());

        // A double click edits too; a date emptied there stores blank.
        for (int i = born_column; i < pay_column; ++i) testing::press(window, Qt::Key_Left);
        const browse_object& grid = window->browse();
        const column_descriptor& column = grid.columns[born_column];
        const QPoint cell(column.x + column.width / 2, grid.current_row * grid.row_height + grid.row_height / 2);
        QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, cell);
        QVERIFY(window->editor());
        window->editor()->clear();
        QTest::keyClick(window->editor(), Qt::Key_Return);
        QVERIFY(!window->editor());
        QCOMPARE(field_of(table_, 2, "SZULETETT"), std::string("        "));
        QVERIFY(boxes.boxes.isEmpty());
    }

    void paste_goes_through_the_key_filter_whole_or_not_at_all()
    {
        const struct {
            int column;
            QString clipboard;
            QString text;  // the editor's text after Ctrl+V over its whole text; null: unchanged, refused
        } cases[] = {
            {name_column, QStringLiteral("Kovács Éva\n"), QStringLiteral("Kovács Éva")},
            {pay_column, QStringLiteral("12a"), QStringLiteral("634000")},
            {pay_column, QStringLiteral("-42"), QStringLiteral("-42")},
            {born_column, QStringLiteral("2001.02.03"), QStringLiteral("2001.02.03")},
            {born_column, QStringLiteral("tomorrow"), QStringLiteral("1997.08.13")},
            // Windows-1250 has no Cyrillic: pasted, it would be stored as '?'.
            {name_column, QStringLiteral("Жуков"), QString()},
        };
        for (const auto& c : cases) {
            box_recorder boxes;
            table_window* window = open_on(c.column);
            QVERIFY(window);
            QTest::keyClick(window, Qt::Key_Return);
            QVERIFY(window->editor());
            const QString before = window->editor()->text();
            QGuiApplication::clipboard()->setText(c.clipboard);
            QTest::keyClick(window->editor(), Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(window->editor()->text(), c.text.isNull() ? before : c.text);
            QCOMPARE(boxes.boxes.size(), c.text.isNull() ? 1 : 0);
            }
    }

    // Shift with Down or with a click chooses rows from where the range
    // began; Ctrl+C puts them on the clipboard as tab-separated lines under
    // the captions; a move without Shift lets them go.
    void rows_chosen_with_shift_copy_to_the_clipboard_for_spreadsheets()
    {
        table_window* window = open_on(name_column);
        QVERIFY(window);
        QTest::keyClick(window, Qt::Key_Down, Qt::ShiftModifier);
        const browse_object& grid = window->browse();
        const column_descriptor& column = grid.columns[name_column];
        QTest::mouseClick(window, Qt::LeftButton, Qt::ShiftModifier,
                          QPoint(column.x + column.width / 2, 5 * grid.row_height + grid.row_height / 2));
        QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier);
        QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 1 + 4 + 1);  // the captions, records 2 to 5, the last line's end
        QVERIFY(lines[0].startsWith(QStringLiteral("NEV\tVAROS\tSZULETETT\t")));
        for (std::int32_t record = 2; record <= 5; ++record) {
            QCOMPARE(lines[record - 1].section(QLatin1Char('\t'), 0, 0),
                     from_ansi(name_of(record)).trimmed());
        }

        QTest::keyClick(window, Qt::Key_Down);
        QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), from_ansi(name_of(6)).trimmed());
    }

    void ctrl_z_undoes_the_windows_edits_but_never_another_process_later_change()
    {
        box_recorder boxes;
        const std::string before = testing::read_file(table_);
        table_window* window = open_on(name_column);
        QVERIFY(window);
        QTest::keyClicks(window, QStringLiteral("M"));
        QTest::keyClick(window->editor(), Qt::Key_Return);
        QTest::keyClick(window, Qt::Key_Delete);
        QTest::keyClick(window, Qt::Key_Insert);
        window->grab();
        QVERIFY(window->windowTitle().endsWith(QStringLiteral(" - 121/121")));
        QCOMPARE(window->history().size(), 3u);
        for (int i = 0; i < 3; ++i) QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(boxes.boxes, QStringList());
        QCOMPARE(testing::read_file(table_), before);
        QCOMPARE(window->browse().current_record, 2);
        QCOMPARE(window->browse().current_column, name_column);  // the grid shows what came back

        QTest::keyClicks(window, QStringLiteral("M"));
        QTest::keyClick(window->editor(), Qt::Key_Return);
        QCOMPARE(run_program(TABLE_PROBE, {"set", table_, "2", "1", "Theirs"}), 0);
        QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(boxes.boxes.size(), 1);
        QVERIFY(boxes.boxes.front().contains(QStringLiteral("another program has changed the record")));
        QCOMPARE(name_of(2).substr(0, 7), std::string("Theirs "));
    }

    void another_process_changes_appear_without_a_key()
    {
        table_window* window = open_on(name_column);
        QVERIFY(window);
        window->show();
        const std::int32_t count = window->browse().record_count;
        QCOMPARE(run_program(TABLE_PROBE, {"append", table_, "2", "NEW"}), 0);
        const QString title = QString::fromStdString(" - " + std::to_string(count + 2) + "/2");
        QTRY_VERIFY_WITH_TIMEOUT(window->windowTitle().endsWith(title), 5000);

        int paints = 0;
        const testing::event_watcher counter([&](QObject* target, QEvent* event) {
            if (target == window && event->type() == QEvent::Paint) ++paints;
        });
        QCOMPARE(run_program(TABLE_PROBE, {"set", table_, "2", "1", "Theirs"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(paints > 0, 5000);
        QCOMPARE(cell_of(window->browse(), name_column).text.substr(0, 7), std::string("Theirs "));
        QCOMPARE(window->browse().current_record, 2);  // the user stays on the record
    }

    void a_long_search_shows_progress_and_escape_stops_it()
    {
        // Two read blocks of records that do not hold the text.
        const std::vector<field_list_entry> fields = {{"NAME", 'C', 19, 0}};
        std::vector<testing::fixture_record> records(120000, {testing::record_of(fields, {"row"})});
        const std::string big = dir_->file("BIG.DBF");
        testing::write_table(big, fields, records);
        table_window* window = open_table_window(nullptr, big);
        QVERIFY(window);
        window->grab();
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* progress = window->findChild<QProgressDialog*>();
            seen = progress && progress->isVisible();
            if (progress) QTest::keyClick(progress, Qt::Key_Escape);
        });
        const search_result result =
            search_with_progress(window, window, window->browse(), {"nowhere"}, std::chrono::milliseconds(0));
        QVERIFY(seen);
        QVERIFY(result.cancelled);
        QVERIFY(!result.found);
        QCOMPARE(current_record(*window->browse().table), 1);
        QVERIFY(!window->busy());
    }
};

QTEST_MAIN(grid_editing_test)
#include "grid_editing_test.moc"
