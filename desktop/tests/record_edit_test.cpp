// Edits in a table window land on the field and the record the user saw:
// the second of two fields of one name, and a cell editor or memo dialog
// left open while another process works on the table and the window
// repaints (deleted records hidden, so a repaint passes over one that is
// deleted meanwhile).
#include "desktop/qt_cell_editor.h"
#include "desktop/qt_dialogs.h"
#include "desktop/qt_open_tables.h"
#include "desktop/qt_table_window.h"
#include "desktop/tests/qt_test_support.h"
#include "engine/table.h"
#include "engine/tests/table_fixture.h"
#include "grid/cell_text.h"
#include "runtime/settings.h"
#include "testing/child_process.h"

#include <QtTest/QtTest>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>

#include <algorithm>


using namespace vortel;
using testing::box_recorder;
using testing::field_of;
using testing::memo_of;
using testing::run_program;
using testing::when_dialog;

namespace {

// What another process does to the sample table while our editor is open on
// record 3, and what record 3 then holds besides our edit.
struct other_action {
    const char* what;
    const char* program;
    std::vector<std::string> arguments;  // "%" stands for the table's path
    int status;
    const char* city;  // VAROS of record 3 afterwards; null: as before
};

const std::vector<other_action> others = {
    {"deletes record 3", TABLE_PROBE, {"delete", "%", "3"}, 0, nullptr},
    {"sets VAROS of record 3", TABLE_PROBE, {"set", "%", "3", "2", "Elsewhere"}, 0, "Elsewhere"},
    {"appends records", TABLE_PROBE, {"append", "%", "2", "NEW"}, 0, nullptr},
    {"packs", VORTEL_CLI, {"pack", "%"}, 1, nullptr},
    {"modifies the structure", VORTEL_CLI, {"modify", "%", "NEV:C:30"}, 1, nullptr},
};

int run_other(const other_action& other, const std::string& path)
{
    std::vector<std::string> arguments = other.arguments;
    std::replace(arguments.begin(), arguments.end(), std::string("%"), path);
    return run_program(other.program, arguments);
}

}  // namespace

class record_edit_test : public QObject, testing::sample_fixture {
    Q_OBJECT

    std::string hidden_before_;

private slots:
    void initTestCase() { testing::start_desktop(); }

    void init()
    {
        begin_test();
        hidden_before_ = setting_by_index(SET_DELETED, "1");
    }

    void cleanup()
    {
        setting_by_index(SET_DELETED, hidden_before_);
        end_test();
    }

    // A GPS export holds a text and a numeric POINT_ID.
    void the_second_of_two_fields_of_one_name_is_shown_and_edited_in_its_own_column()
    {
        const std::vector<field_list_entry> fields = {{"POINT_ID", 'C', 12, 0}, {"POINT_ID", 'N', 9, 0}};
        const std::string gps = dir_->file("GPS.DBF");
        testing::write_table(gps, fields, {{testing::record_of(fields, {"A-17", "       42"})}});
        table_window* window = open_table_window(nullptr, gps);
        QVERIFY(window);
        window->grab();
        QCOMPARE(cell_of(window->browse(), 2).text, std::string("       42"));
        QTest::keyClick(window, Qt::Key_Right);
        QTest::keyClick(window, Qt::Key_Right);
        QTest::keyClick(window, Qt::Key_Return);
        QVERIFY(window->editor());
        QCOMPARE(window->editor()->text(), QStringLiteral("42"));
        QTest::keyClicks(window->editor(), QStringLiteral("77"));
        QTest::keyClick(window->editor(), Qt::Key_Return);
        delete window;
        const std::string bytes = testing::read_file(gps);
        QCOMPARE(bytes.substr(bytes.size() - 21), std::string("A-17               77"));
    }

    void an_open_cell_editor_writes_the_record_it_opened_on_whatever_another_process_does()
    {
        for (const other_action& other : others) {
            testing::copy_sample_table(dir_->path());
            const std::string name4 = field_of(table_, 4, "NEV");
            const std::string city3 = field_of(table_, 3, "VAROS");
            box_recorder boxes;
            table_window* window = open_sample_at(3, 1);
            QVERIFY(window);
            QTest::keyClick(window, Qt::Key_Return);
            QVERIFY(window->editor());

            QCOMPARE(run_other(other, table_), other.status);
            window->grab();  // a repaint
            QTest::keyClicks(window->editor(), QStringLiteral("Mine"));
            QTest::keyClick(window->editor(), Qt::Key_Return);
            delete window;

            QVERIFY2(boxes.boxes.isEmpty(), other.what);
            QVERIFY2(field_of(table_, 3, "NEV").rfind("Mine ", 0) == 0, other.what);
            const std::string city = field_of(table_, 3, "VAROS");
            QVERIFY2(other.city ? city.rfind(std::string(other.city) + " ", 0) == 0 : city == city3, other.what);
            QVERIFY2(field_of(table_, 4, "NEV") == name4, other.what);
        }
    }

    void an_open_memo_dialog_saves_into_the_record_it_opened_on()
    {
        for (const bool memo_too : {false, true}) {
            testing::copy_sample_table(dir_->path());
            const std::string memo4 = memo_of(table_, 4);
            table_window* window = open_sample_at(3, 8);
            QVERIFY(window);
            bool ran = false;
            when_dialog<memo_dialog>([&](memo_dialog* dialog) {
                ran = true;
                // Another process rewrites the memo, or deletes the record; the window repaints.
                if (memo_too) QCOMPARE(run_program(TABLE_PROBE, {"memo", table_, "3", "8", "theirs"}), 0);
                QCOMPARE(run_program(TABLE_PROBE, {"delete", table_, "3"}), 0);
                window->grab();  // a repaint
                dialog->text_box()->setPlainText(QStringLiteral("mine\nsecond"));
                dialog->save_button()->click();
            });
            QTest::keyClick(window, Qt::Key_Return);
            delete window;
            QVERIFY(ran);
            QCOMPARE(memo_of(table_, 3), std::string("mine\r\nsecond"));  // stored with the file's line ends
            QCOMPARE(memo_of(table_, 4), memo4);
        }
    }
};

QTEST_MAIN(record_edit_test)
#include "record_edit_test.moc"
