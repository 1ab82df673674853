// The table window's file commands on the offscreen platform, end to end on
// a copy of the sample table: copy to, save to HTML, append from a table or
// a CSV file, the structure dialog in both modes, the sort dialog, pack and
// zap. Choosers and questions are answered through hooks; a second process
// holds locks.
#include "commands/cell_store.h"
#include "desktop/qt_main_window.h"
#include "desktop/qt_open_tables.h"
#include "desktop/qt_refused_value.h"
#include "desktop/qt_sort_dialog.h"
#include "desktop/qt_structure_dialog.h"
#include "desktop/qt_table_commands.h"
#include "desktop/qt_table_window.h"
#include "desktop/tests/qt_test_support.h"
#include "engine/table.h"
#include "engine/table_export.h"
#include "engine/tests/table_fixture.h"
#include "runtime/settings.h"
#include "testing/child_process.h"

#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QMenu>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QProgressDialog>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTreeWidget>

#include <filesystem>
#include <unistd.h>
#include <new>

using namespace vortel;
using testing::box_recorder;
using testing::chooser_answers;
using testing::event_watcher;
using testing::field_of;
using testing::only_window;
using testing::when_dialog;

namespace {

// The fields of the table at `path` as "NAME:TYPE:LENGTH:DECIMALS".
std::vector<std::string> fields_of(const std::string& path)
{
    std::vector<std::string> fields;
    const auto table = testing::open_table(path, 0);
    for (int i = 0; i < field_count(*table); ++i) {
        const field_information info = field_info(*table, i);
        fields.push_back(info.name + ":" + info.type + ":" + std::to_string(info.length) + ":" +
                         std::to_string(info.decimals));
    }
    return fields;
}

int records_in(const std::string& path)
{
    return record_count(*testing::open_table(path, 0));
}

void type_into(QLineEdit* box, const QString& text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

}  // namespace

class table_commands_test : public QObject, testing::sample_fixture {
    Q_OBJECT

private slots:
    void initTestCase() { testing::start_desktop(); }
    void init() { begin_test(); }
    void cleanup() { end_test(); }

    // The text file first: the chooser, the question before overwriting, and
    // a cancelled chooser. Then the file type the name says picks the
    // export (the bytes of each are the exports' own tests').
    void copy_to_asks_before_overwriting_and_a_cancelled_chooser_does_nothing_and_the_name_picks_the_export()
    {
        box_recorder boxes;
        table_window* window = open_sample();
        const std::string out = dir_->file("OUT.TXT");
        const std::pair<const char*, std::string> by_name[] = {
            {"OUT.CSV", "NEV,VAROS,"}, {"out.jsonl", "{\"NEV\":"}, {"OUT.XLSX", "PK\x03\x04"},
            {"OUT.sqlite", "SQLite format 3"}};
        chooser_answers chosen({out, out, out, "", dir_->file(by_name[0].first), dir_->file(by_name[1].first),
                                dir_->file(by_name[2].first), dir_->file(by_name[3].first)});  // "": Cancel
        QTest::keyClick(window, Qt::Key_F11);
        QCOMPARE(chosen.requests.size(), std::size_t(1));
        QCOMPARE(chosen.requests[0].title, QStringLiteral("DBF -> ASCII"));
        QVERIFY(chosen.requests[0].save);
        QCOMPARE(chosen.requests[0].start_directory, QDir::currentPath());
        QVERIFY(chosen.requests[0].filters.startsWith(
            QStringLiteral("Text (*.txt);;CSV (*.csv);;Excel workbook (*.xlsx);;JSON Lines (*.jsonl);;SQLite database "
                           "(*.sqlite *.db)")));
        QVERIFY(boxes.boxes.isEmpty());
        // Its bytes are export_text's (transfer_test); here the command writes them.
        const std::string written = testing::read_file(out);
        QCOMPARE(std::count(written.begin(), written.end(), '\n'), 120);

        // An existing file: Cancel leaves it, OK overwrites it.
        testing::write_file(out, "keep me");
        boxes.answers = {false};
        QTest::keyClick(window, Qt::Key_F11);
        QCOMPARE(boxes.boxes, QStringList(QStringLiteral("Warning: The file already exist, overwite ?")));
        QCOMPARE(testing::read_file(out), std::string("keep me"));
        window->popup_command(2122);
        QCOMPARE(testing::read_file(out), written);
        QCOMPARE(boxes.boxes.size(), 2);

        // A cancelled chooser does nothing and leaves the window in charge.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_F11);
        QCOMPARE(chosen.requests.size(), std::size_t(4));
        QCOMPARE(boxes.boxes.size(), 2);
        QCOMPARE(QApplication::focusWidget(), window);

        for (const auto& [name, start] : by_name) {
            QTest::keyClick(window, Qt::Key_F11);
            QVERIFY2(testing::read_file(dir_->file(name)).starts_with(start), name);
        }
        QCOMPARE(boxes.boxes.size(), 2);
    }

    void html_takes_the_company_setting_and_the_grid_captions()
    {
        box_recorder boxes;
        table_window* window = open_sample();
        const std::string previous = setting_by_index(SET_CEGNEV, to_ansi(QStringLiteral("Kő & Társa")));
        window->browse().columns[2].caption = to_ansi(QStringLiteral("Város <lakhely>"));
        window->browse().columns[1].caption = std::string(200, 'N');
        const std::string out = dir_->file("OUT.HTM");
        chooser_answers chosen({out, dir_->file("NO/SUCH/DIR.HTM")});
        QTest::keyClick(window, Qt::Key_F2);
        QCOMPARE(chosen.requests.at(0).title, QStringLiteral("DBF -> HTML"));
        setting_by_index(SET_CEGNEV, previous);
        const std::string page = testing::read_file(out);
        QVERIFY(page.find(to_ansi(QStringLiteral("Kő &amp; Társa"))) != std::string::npos);
        QVERIFY(page.find(to_ansi(QStringLiteral("Város &lt;lakhely&gt;"))) != std::string::npos);
        // Captions longer than 127 characters are cut.
        QVERIFY(page.find(std::string(127, 'N')) != std::string::npos);
        QVERIFY(page.find(std::string(128, 'N')) == std::string::npos);
        QVERIFY(boxes.boxes.isEmpty());

        // A page that cannot be written is told, with the reason.
        QTest::keyClick(window, Qt::Key_F2);
        QCOMPARE(boxes.boxes, QStringList(QStringLiteral("Warning: No such file or folder: ") +
                                          QString::fromStdString(dir_->file("NO/SUCH/DIR.HTM"))));
    }

    // A long copy runs events so that windows stay painted; the table window
    // then draws its last frame, as painting the grid would move the table
    // the copy reads.
    void exports_show_progress_while_the_window_keeps_its_last_frame()
    {
        box_recorder boxes;
        table_window* window = open_sample();
        for (int i = 0; i < 3; ++i) QTest::keyClick(window, Qt::Key_Down);
        const QImage frame = window->grab().toImage();
        table_object& table = *window->browse().table;
        const std::int32_t standing = current_record(table);
        QCOMPARE(standing, 4);

        for (const Qt::Key key : {Qt::Key_F11, Qt::Key_F2}) {  // text, then HTML
            QStringList faults;
            int steps = 0, window_paints = 0;
            bool shown = false;
            const event_watcher watcher([&](QObject* target, QEvent* event) {
                if (event->type() == QEvent::Paint && target == window && shown) ++window_paints;
                auto* dialog = qobject_cast<QProgressDialog*>(target);
                if (event->type() != QEvent::Show || !dialog || shown) return;
                shown = true;
                if (dialog->parentWidget() != window || dialog->windowModality() != Qt::WindowModal) {
                    faults << QStringLiteral("not modal to the table window");
                }
                if (dialog->findChild<QPushButton*>()) faults << QStringLiteral("a button to cut the copy short");
                QObject::connect(dialog->findChild<QProgressBar*>(), &QProgressBar::valueChanged, [&](int) {
                    ++steps;
                    const std::int32_t reading = current_record(table);
                    window->update();
                    window->repaint();
                    if (current_record(table) != reading) faults << QStringLiteral("a paint moved the table");
                    if (window->grab().toImage() != frame) faults << QStringLiteral("not the last frame");
                });
            });
            const chooser_answers chosen({dir_->file(key == Qt::Key_F2 ? "OUT.HTM" : "OUT.TXT")});
            QTest::keyClick(window, key);
            faults.removeDuplicates();
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral(", "))));
            // How the percentages climb, and that the bytes are those of a run
            // without progress, is progress_climbs_to_100_and_changes_nothing_that_is_written's.
            QVERIFY(steps > 20);
            QVERIFY(window_paints > 0);
            QVERIFY(boxes.boxes.isEmpty());
            QVERIFY(!window->busy());
            QCOMPARE(current_record(table), standing);
        }
        // Painted for real again once the command is over.
        QTest::keyClick(window, Qt::Key_Down);
        QVERIFY(window->grab().toImage() != frame);
        QCOMPARE(current_record(table), standing + 1);
    }

    // Its own table, a missing one, and a table without its memo file, whose
    // failure says why; then an exception thrown inside a command. Each is
    // told and changes nothing. (Appending is shown by the popup's test below.)
    void append_refusals_and_an_exception_inside_a_command_are_told_and_change_nothing()
    {
        box_recorder boxes;
        table_window* window = open_sample();
        const std::string before = sample_bytes();
        const std::string orphan = dir_->file("ORPHAN.DBF");
        std::filesystem::copy_file(table_, orphan);
        {
            const chooser_answers chosen({table_, dir_->file("MISSING.DBF"), orphan});
            QTest::keyClick(window, Qt::Key_F10);
            window->popup_command(2121);
            window->popup_command(2121);
            QCOMPARE(chosen.requests.size(), std::size_t(3));
            QCOMPARE(chosen.requests.at(0).title, QStringLiteral("DBF|ASCII -> DBF"));
            QVERIFY(!chosen.requests.at(0).save);
        }
        const chooser_hook previous = set_chooser_hook([](const chooser_request&) -> std::string {
            throw std::bad_alloc();
        });
        QTest::keyClick(window, Qt::Key_F11);
        window->popup_command(2121);
        set_chooser_hook(previous);
        const QString orphan_told = QStringLiteral("Warning: Append error !\n") + QString::fromStdString(orphan) +
                                    QStringLiteral(": the memo file ORPHAN.DBT is missing");
        const QString bad = QStringLiteral("Warning: Very, very, very bad program.");
        QCOMPARE(boxes.boxes, QStringList({QStringLiteral("Warning: The table busy !"), orphan_told, bad, bad}));
        QCOMPARE(sample_bytes(), before);
        QVERIFY(window->browse().table);
    }

    // Appending a CSV file whose value a field refuses asks Stop / Skip row /
    // Store blank, and the answer is followed; the chooser offers CSV files.
    void a_refused_csv_value_is_asked_about_and_the_answer_followed()
    {
        const std::string csv = dir_->file("NEW.CSV");
        testing::write_file(csv, "nev;premium;who\nAnna;1,5;x\nBela;123456;y\nCili;;z\n");
        const struct {
            csv_on_error answer;
            int records;
            QStringList boxes;
        } examples[] = {
            {csv_on_error::stop, 120,
             {QStringLiteral("Warning: Append error !\nline 3, column premium: 123456 does not fit PREMIUM N(5,1)")}},
            {csv_on_error::skip, 122,
             {QStringLiteral("Information: Column who names no field of the table: ignored\nRows skipped: 1")}},
            {csv_on_error::blank, 125,
             {QStringLiteral("Information: Column who names no field of the table: ignored\nValues stored blank: 1")}},
        };
        table_window* window = open_sample();
        for (const auto& example : examples) {
            box_recorder boxes;
            QStringList asked;
            const refused_value_hook previous = set_refused_value_hook([&](const QString& text) {
                asked << text;
                return example.answer;
            });
            const std::string before = sample_bytes();
            const chooser_answers chosen({csv});
            window->popup_command(2121);
            set_refused_value_hook(previous);

            QVERIFY(chosen.requests.at(0).filters.contains(QStringLiteral("CSV files (*.CSV *.csv)")));
            QCOMPARE(asked, QStringList({QStringLiteral("line 3, column premium: 123456 does not fit PREMIUM N(5,1)")}));
            QCOMPARE(boxes.boxes, example.boxes);
            QCOMPARE(records_in(table_), example.records);
            if (example.records == 120) QCOMPARE(sample_bytes(), before);
        }
    }

    // Chosen from the popup as a user does: the command runs once the popup
    // has closed and gone, as one that runs events while it copies would
    // otherwise free the menu whose trigger it still runs in.
    void commands_chosen_from_the_popup_run_after_the_popup_is_gone()
    {
        box_recorder boxes;
        table_window* window = open_sample();
        const std::string other = dir_->file("OTHER.DBF");
        std::filesystem::copy_file(table_, other);
        std::filesystem::copy_file(memo_, dir_->file("OTHER.DBT"));
        const struct {
            QString item;
            std::string path;
        } chosen[] = {{QStringLiteral("&Copy to ..."), dir_->file("OUT.TXT")},
                      {QStringLiteral("Sa&ve to HTML..."), dir_->file("OUT.HTM")},
                      {QStringLiteral("&Append from ..."), other}};
        for (const auto& command : chosen) {
            QPointer<QMenu> popup;
            int runs = 0;
            bool popup_alive_during_command = false;
            const chooser_hook previous = set_chooser_hook([&](const chooser_request&) {
                ++runs;
                popup_alive_during_command = !popup.isNull();
                return command.path;
            });
            QTest::mouseClick(window, Qt::RightButton, {}, QPoint(200, 100));
            popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(popup);
            QAction* item = nullptr;
            for (QAction* action : popup->actions()) {
                if (action->text().section(QLatin1Char('\t'), 0, 0) == command.item) item = action;
            }
            QVERIFY2(item, qPrintable(command.item));
            QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(item).center());
            QTRY_COMPARE(runs, 1);
            QTRY_VERIFY(!window->busy());
            set_chooser_hook(previous);
            QVERIFY2(!popup_alive_during_command, qPrintable(command.item));
            QVERIFY(std::filesystem::exists(command.path));
        }
        QVERIFY(boxes.boxes.isEmpty());
        QCOMPARE(records_in(table_), 240);
        window->grab();
        QVERIFY(window->windowTitle().contains(QStringLiteral(" - 240/")));
    }

    // Which records each keeps is rebuild_commands_test's; here the question,
    // the count and the window that comes back under the main window.
    void pack_and_zap_ask_then_reopen_the_rebuilt_table_under_the_main_window()
    {
        box_recorder boxes;
        main_window main(std::string{});
        table_window* window = open_sample(&main);
        QTest::keyClick(window, Qt::Key_Delete);  // record 1 marked
        const struct {
            const char* what;
            int popup;     // answered No
            Qt::Key key;   // answered Yes
            int records;   // afterwards
        } rebuilds[] = {{"Pack", 2118, Qt::Key_F7, 113}, {"Zap", 2119, Qt::Key_F8, 0}};
        for (const auto& rebuild : rebuilds) {
            const std::string before = sample_bytes();
            boxes.boxes.clear();
            boxes.answers = {false};
            window->popup_command(rebuild.popup);
            QCOMPARE(boxes.boxes, QStringList(QString::fromLatin1(rebuild.what) + QStringLiteral(" : ") +
                                              QString::fromStdString(table_) + QStringLiteral(": Are you sure?")));
            QCOMPARE(sample_bytes(), before);
            QCOMPARE(only_window(), window);
            QTest::keyClick(window, rebuild.key);
            testing::settle();
            table_window* rebuilt = only_window();
            QVERIFY2(rebuilt && rebuilt != window, rebuild.what);
            QCOMPARE(rebuilt->parentWidget(), &main);
            QVERIFY(!QApplication::overrideCursor());
            QCOMPARE(boxes.boxes.size(), 2);
            QCOMPARE(records_in(table_), rebuild.records);
            QCOMPARE(testing::files_in(dir_->path()), (std::set<std::string>{"DOLGOZO.DBF", "DOLGOZO.DBT"}));
            window = rebuilt;
        }
        delete window;
    }

    // The dialog's own conduct: its boxes filter what is typed, its buttons
    // edit the list and show the checks' verdicts, and Create asks before
    // overwriting. The rules themselves, duplicate and unknown names too, are
    // field_validation's.
    void structure_dialog_edits_its_list_asks_before_overwriting_and_creates_a_table()
    {
        box_recorder boxes;
        main_window main(std::string{});
        const std::string created = dir_->file("NEW.DBF");
        testing::write_file(created, "old");
        chooser_answers chosen({created});
        boxes.answers = {false, true};
        bool ran = false;
        when_dialog<structure_dialog>([&](structure_dialog* dialog) {
            ran = true;
            QVERIFY(dialog->file_box()->isReadOnly());
            // A second launch while one is open does nothing.
            main.menu_command(create_table_synonym_id);
            QCOMPARE(open_structure_dialog(), dialog);

            dialog->append_button()->click();
            type_into(dialog->name_box(), QStringLiteral("1ab"));
            QCOMPARE(dialog->name_box()->text(), QStringLiteral("1AB"));
            dialog->append_button()->click();
            QCOMPARE(boxes.boxes, QStringList({QStringLiteral("Warning: Empty field name!"),
                                               QStringLiteral("Warning: Bad field name!")}));
            type_into(dialog->name_box(), QStringLiteral("abcdefghijkl"));
            QCOMPARE(dialog->name_box()->text(), QStringLiteral("ABCDEFGHIJ"));
            dialog->append_button()->click();
            dialog->delete_button()->click();  // the only row goes without a selection
            QVERIFY(dialog->fields().empty());

            type_into(dialog->name_box(), QStringLiteral("_a1"));
            dialog->type_box()->setCurrentIndex(1);
            type_into(dialog->length_box(), QStringLiteral("2x5"));
            QCOMPARE(dialog->length_box()->text(), QStringLiteral("25"));
            type_into(dialog->decimals_box(), QStringLiteral("34"));
            QCOMPARE(dialog->decimals_box()->text(), QStringLiteral("3"));
            dialog->append_button()->click();
            QCOMPARE(dialog->length_box()->text(), QStringLiteral("19"));
            QTreeWidgetItem* number = dialog->field_list()->topLevelItem(0);
            QCOMPARE(number->text(0) + number->text(1) + number->text(2) + number->text(3),
                     QStringLiteral("_A1Numeric193"));
            QVERIFY(number->textAlignment(2) & Qt::AlignRight);
            type_into(dialog->name_box(), QStringLiteral("nev"));
            dialog->type_box()->setCurrentIndex(0);
            dialog->append_button()->click();
            type_into(dialog->name_box(), QStringLiteral("datum"));
            dialog->type_box()->setCurrentIndex(2);
            dialog->append_button()->click();
            type_into(dialog->name_box(), QStringLiteral("MEGJ"));
            dialog->type_box()->setCurrentIndex(4);
            dialog->append_button()->click();
            QCOMPARE(dialog->fields().size(), std::size_t(4));

            // Modify rewrites the row of that name; Delete takes the selected row.
            type_into(dialog->name_box(), QStringLiteral("nev"));
            dialog->type_box()->setCurrentIndex(3);
            dialog->modify_button()->click();
            QCOMPARE(dialog->field_list()->topLevelItem(1)->text(1), QStringLiteral("Logical"));
            dialog->delete_button()->click();  // no selection: nothing
            QCOMPARE(dialog->fields().size(), std::size_t(4));
            dialog->field_list()->topLevelItem(1)->setSelected(true);
            dialog->delete_button()->click();
            QCOMPARE(dialog->fields().size(), std::size_t(3));

            dialog->create_button()->click();
            QCOMPARE(boxes.boxes.last(), QStringLiteral("Warning: Empty filename!"));
            dialog->select_button()->click();
            QCOMPARE(chosen.requests.at(0).title, QStringLiteral("File save"));
            QCOMPARE(dialog->file_box()->text(), QString::fromStdString(created));
            dialog->create_button()->click();  // Cancel at the question
            QVERIFY(dialog->isVisible());
            QCOMPARE(testing::read_file(created), std::string("old"));
            dialog->create_button()->click();
            QVERIFY(!dialog->isVisible());
        });
        main.menu_command(create_table_command_id);
        QVERIFY(ran);
        QVERIFY(!open_structure_dialog());
        QCOMPARE(boxes.boxes.count(QStringLiteral("Warning: The file already exist, overwite ?")), 2);
        QCOMPARE(records_in(created), 0);
        QCOMPARE(fields_of(created), std::vector<std::string>({"_A1:N:19:3", "DATUM:D:8:0", "MEGJ:M:10:0"}));
        QVERIFY(std::filesystem::exists(dir_->file("NEW.DBT")));
    }

    // Create table from a CSV file: the proposed structure fills the list
    // for editing, a value the edited field refuses is asked about, and the
    // rows fill the table under the name Create was given; a workbook's
    // first sheet likewise.
    void create_table_starts_from_a_csv_file_or_a_workbook_whose_rows_fill_it()
    {
        box_recorder boxes;
        const std::string csv = dir_->file("PEOPLE.csv");
        const std::string created = dir_->file("PEOPLE.DBF");
        testing::write_file(csv, "N\xC3\xA9v,Born,Amount\nKiss Anna,2024-01-31,1.5\nNagy,,12\n");
        chooser_answers chosen({csv});
        QStringList asked;
        const refused_value_hook previous = set_refused_value_hook([&](const QString& text) {
            asked << text;
            return csv_on_error::skip;
        });
        when_dialog<structure_dialog>([&](structure_dialog* dialog) {
            dialog->from_csv_button()->click();
            QCOMPARE(chosen.requests.at(0).title, QStringLiteral("From CSV"));
            QCOMPARE(dialog->field_list()->topLevelItemCount(), 3);
            QCOMPARE(dialog->file_box()->text(), QString::fromStdString(created));
            QVERIFY(dialog->csv_note()->text().contains(QStringLiteral("Column N\u00e9v is field NEV")));
            type_into(dialog->name_box(), QStringLiteral("NEV"));
            type_into(dialog->length_box(), QStringLiteral("5"));
            dialog->modify_button()->click();
            dialog->create_button()->click();
            QVERIFY(!dialog->isVisible());
        });
        run_structure_dialog(nullptr);
        set_refused_value_hook(previous);
        QCOMPARE(asked,
                 QStringList({QStringLiteral("line 2, column N\u00e9v: a text of 9 characters does not fit NEV C(5)")}));
        QCOMPARE(boxes.boxes, QStringList({QStringLiteral("Information: Rows skipped: 1")}));
        QCOMPARE(fields_of(created), std::vector<std::string>({"NEV:C:5:0", "BORN:D:8:0", "AMOUNT:N:4:1"}));
        QCOMPARE(testing::table_rows(created), std::vector<std::string>({"Nagy |        |12.0"}));
        QCOMPARE(testing::files_in(dir_->path()).count("PEOPLE.NEW1.DBF"), std::size_t(0));

        // A workbook's first sheet, as Copy to writes the sample's records.
        const std::string book = dir_->file("SAMPLE.xlsx");
        export_options as_sheet;
        as_sheet.format = export_format::xlsx;
        as_sheet.deleted = deleted_records::mark;
        QCOMPARE(export_table(*testing::open_table(table_), book, as_sheet), export_written);
        const chooser_answers sheet_chosen({book});
        when_dialog<structure_dialog>([&](structure_dialog* dialog) {
            dialog->from_csv_button()->click();
            QCOMPARE(sheet_chosen.requests.at(0).filters.section(QStringLiteral(";;"), 1, 1),
                     QStringLiteral("Workbooks (*.XLSX *.xlsx)"));
            dialog->create_button()->click();
            QVERIFY(!dialog->isVisible());
        });
        run_structure_dialog(nullptr);
        const std::vector<std::string> sample_fields = fields_of(table_);
        QCOMPARE(fields_of(dir_->file("SAMPLE.DBF")).size(), sample_fields.size());
        QCOMPARE(testing::table_rows(dir_->file("SAMPLE.DBF")).size(), testing::table_rows(table_).size());
    }

    // A new table must not land on an open table's files, nor have a memo
    // file name that is its own name.
    void create_refuses_open_tables_and_memo_names_equal_to_the_table()
    {
        box_recorder boxes;
        QVERIFY(open_sample());
        QCOMPARE(::symlink("DOLGOZO.DBT", dir_->file("MEMO.DBF").c_str()), 0);
        const std::string before = sample_bytes();
        chooser_answers chosen({dir_->path() + "/./DOLGOZO.DBF", dir_->file("MEMO.DBF"), dir_->file("NEW.DAT")});
        when_dialog<structure_dialog>([&](structure_dialog* dialog) {
            type_into(dialog->name_box(), QStringLiteral("NOTE"));
            dialog->type_box()->setCurrentIndex(4);
            dialog->append_button()->click();
            for (int i = 0; i < 3; ++i) {
                dialog->select_button()->click();
                dialog->create_button()->click();
                QVERIFY(dialog->isVisible());
            }
            dialog->exit_button()->click();
        });
        run_structure_dialog(nullptr);
        const QString folder = QString::fromStdString(dir_->path());
        QCOMPARE(boxes.boxes,
                 QStringList({QStringLiteral("Warning: %1/./DOLGOZO.DBF is the table itself: choose another file"),
                              QStringLiteral("Warning: %1/MEMO.DBF is the memo file of the table: choose another file"),
                              QStringLiteral("Warning: %1/NEW.DAT cannot have memo fields: its memo file would be the "
                                             "table itself (choose a name whose last letter is not T)")})
                     .replaceInStrings(QStringLiteral("%1"), folder));
        QCOMPARE(sample_bytes(), before);
        QVERIFY(!std::filesystem::exists(dir_->file("NEW.DAT")));
    }

    void modify_structure_copies_the_records_and_closes_the_window()
    {
        box_recorder boxes;
        table_window* window = open_sample();
        const std::string before = sample_bytes();
        boxes.answers = {false};
        int progress_seen = 0;
        when_dialog<structure_dialog>([&](structure_dialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Modify stucture : ") + QString::fromStdString(table_));
            QCOMPARE(dialog->create_button()->text(), QStringLiteral("M&odify str."));
            QVERIFY(!dialog->select_button()->isEnabled());
            QCOMPARE(dialog->file_box()->text(), QString::fromStdString(table_));
            QCOMPARE(dialog->fields().size(), fields_of(table_).size());
            QCOMPARE(dialog->field_list()->topLevelItem(0)->text(1), QStringLiteral("Character"));

            // NEV becomes a memo, a new field is added.
            type_into(dialog->name_box(), QStringLiteral("NEV"));
            dialog->type_box()->setCurrentIndex(4);
            dialog->modify_button()->click();
            type_into(dialog->name_box(), QStringLiteral("UJ"));
            dialog->type_box()->setCurrentIndex(1);
            type_into(dialog->length_box(), QStringLiteral("5"));
            dialog->append_button()->click();
            dialog->create_button()->click();  // Cancel at the question
            QVERIFY(dialog->isVisible());
            QCOMPARE(sample_bytes(), before);
            QObject::connect(dialog->progress_bar(), &QProgressBar::valueChanged,
                             [&](int value) { progress_seen = std::max(progress_seen, value); });
            dialog->create_button()->click();
        });
        QPointer<table_window> old = window;
        QTest::keyClick(window, Qt::Key_F9);
        testing::settle();
        QVERIFY(!old);
        QCOMPARE(only_window(), nullptr);
        QCOMPARE(boxes.boxes, QStringList({QStringLiteral("Warning: The file already exist, overwite ?"),
                                           QStringLiteral("Warning: The file already exist, overwite ?")}));
        QVERIFY(progress_seen > 80);

        // How values cross to the new fields is structure_change_copies_values_by_field_name's.
        const std::vector<std::string> fields = fields_of(table_);
        QCOMPARE(records_in(table_), 120);
        QCOMPARE(fields.front(), std::string("NEV:M:10:0"));
        QCOMPARE(fields.back(), std::string("UJ:N:5:0"));
        QCOMPARE(testing::files_in(dir_->path()), (std::set<std::string>{"DOLGOZO.DBF", "DOLGOZO.DBT"}));
    }

    void sort_dialog_moves_captions_and_sorts_in_place()
    {
        box_recorder boxes;
        table_window* window = open_sample();
        const std::string previous_cmp = setting_by_index(SET_HUN_CMP);
        const std::string before = sample_bytes();
        window->browse().columns[2].caption = "CITY";
        when_dialog<sort_dialog>([&](sort_dialog* dialog) {
            QListWidget* fields = dialog->fields_list();
            QListWidget* chosen = dialog->sort_list();
            QCOMPARE(fields->count(), 8);
            QCOMPARE(fields->item(1)->text(), QStringLiteral("CITY"));
            QVERIFY(!chosen->isEnabled());
            QCOMPARE(dialog->collation_box()->currentText(), QStringLiteral("English"));
            QCOMPARE(dialog->collation_box()->count(), 2);

            dialog->add_button()->click();  // no selection: nothing
            QCOMPARE(chosen->count(), 0);
            dialog->sort_button()->click();
            fields->setCurrentRow(0);
            dialog->add_button()->click();
            QVERIFY(chosen->isEnabled());
            fields->setCurrentRow(0);  // CITY, now first
            chosen->setCurrentRow(0);
            dialog->add_button()->click();  // before the selected NEV
            QCOMPARE(chosen->item(0)->text(), QStringLiteral("CITY"));
            QCOMPARE(chosen->item(1)->text(), QStringLiteral("NEV"));
            chosen->setCurrentRow(1);
            dialog->remove_button()->click();
            QCOMPARE(fields->item(fields->count() - 1)->text(), QStringLiteral("NEV"));
            QCOMPARE(chosen->count(), 1);

            dialog->collation_box()->setCurrentIndex(1);
            dialog->sort_button()->click();
            QVERIFY(dialog->isVisible());
            QCOMPARE(setting_by_index(SET_HUN_CMP), previous_cmp);
            chosen->setCurrentRow(0);
            dialog->remove_button()->click();
            QVERIFY(!chosen->isEnabled());
            dialog->exit_button()->click();
        });
        QTest::keyClick(window, Qt::Key_F6);
        QVERIFY(!open_sort_dialog());
        QCOMPARE(boxes.boxes, QStringList({QStringLiteral("Warning: Empty sort table!"),
                                           QStringLiteral("Warning: The sort is ready.")}));
        // The order itself is sort_key_test's (sort_command_test).
        QVERIFY(sample_bytes() != before);
    }

    void another_program_holding_the_table_or_a_record_makes_commands_change_nothing()
    {
        box_recorder boxes;
        table_window* window = open_sample();
        const std::string before = sample_bytes();
        testing::background_program holder(TABLE_PROBE, {"hold-table", table_});
        QCOMPARE(holder.read_line(), std::string("ready"));
        const std::string out = dir_->file("OUT.TXT");
        const std::string other = dir_->file("OTHER.DBF");
        std::filesystem::copy_file(table_, other);
        std::filesystem::copy_file(memo_, dir_->file("OTHER.DBT"));
        const chooser_answers chosen({out, dir_->file("OUT.HTM"), other});
        QTest::keyClick(window, Qt::Key_F11);
        QTest::keyClick(window, Qt::Key_F2);
        window->popup_command(2121);
        QTest::keyClick(window, Qt::Key_Insert);
        QTest::keyClick(window, Qt::Key_F7);
        QTest::keyClick(window, Qt::Key_F8);
        QCOMPARE(only_window(), window);
        when_dialog<structure_dialog>([](structure_dialog* dialog) {
            type_into(dialog->name_box(), QStringLiteral("UJ"));
            dialog->append_button()->click();
            dialog->create_button()->click();
            QVERIFY(!dialog->isVisible());
        });
        QTest::keyClick(window, Qt::Key_F9);
        QCOMPARE(only_window(), window);
        when_dialog<sort_dialog>([](sort_dialog* dialog) {
            dialog->fields_list()->setCurrentRow(0);
            dialog->add_button()->click();
            dialog->sort_button()->click();
            dialog->exit_button()->click();
        });
        QTest::keyClick(window, Qt::Key_F6);
        QCOMPARE(holder.finish(), 0);

        const QString busy = QStringLiteral("Warning: The table busy !");
        const QString asked = QStringLiteral("Warning: The file already exist, overwite ?");
        const QString pack = QStringLiteral("Pack : ") + QString::fromStdString(table_) + QStringLiteral(": Are you sure?");
        const QString zap = QStringLiteral("Zap : ") + QString::fromStdString(table_) + QStringLiteral(": Are you sure?");
        QCOMPARE(boxes.boxes, QStringList({busy, busy, busy, busy, pack, busy, zap, busy, asked, busy,
                                           QStringLiteral("Warning: The sort is not succesful! The table busy !")}));
        QVERIFY(!boxes.cursor_during_box.contains(true));
        QCOMPARE(sample_bytes(), before);
        QVERIFY(!std::filesystem::exists(out));
        QCOMPARE(testing::files_in(dir_->path()),
                 (std::set<std::string>{"DOLGOZO.DBF", "DOLGOZO.DBT", "OTHER.DBF", "OTHER.DBT"}));
        // The window still works on its table.
        window->grab();
        QCOMPARE(window->windowTitle(), QString::fromStdString(table_) + QStringLiteral(" - 120/1"));

        // A record held elsewhere stops pack and a change of structure too.
        testing::background_program record_holder(TABLE_PROBE, {"hold-record", table_, "3"});
        QCOMPARE(record_holder.read_line(), std::string("ready"));
        boxes.boxes.clear();
        QTest::keyClick(window, Qt::Key_F7);
        when_dialog<structure_dialog>([](structure_dialog* dialog) {
            dialog->field_list()->topLevelItem(0)->setSelected(true);
            dialog->delete_button()->click();
            dialog->create_button()->click();
        });
        QTest::keyClick(window, Qt::Key_F9);
        QCOMPARE(record_holder.finish(), 0);
        QCOMPARE(boxes.boxes.count(busy), 2);
        QCOMPARE(sample_bytes(), before);
        QCOMPARE(only_window(), window);
    }
};

QTEST_MAIN(table_commands_test)
#include "table_commands_test.moc"
