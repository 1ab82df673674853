// The Query dialog on the offscreen platform: a statement over the open
// tables opens its rows in a read-only window titled "Query N"; a statement
// that cannot run says why under the text, a long one stops at Cancel, and
// the tables queried keep every byte and their place.
#include "desktop/qt_main_window.h"
#include "desktop/qt_open_tables.h"
#include "desktop/qt_query_dialog.h"
#include "desktop/qt_table_window.h"
#include "desktop/tests/qt_test_support.h"
#include "engine/table.h"

#include <QtCore/QTimer>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QProgressDialog>

using namespace vortel;

class query_dialog_test : public QObject, testing::sample_fixture {
    Q_OBJECT

private slots:
    void initTestCase() { testing::start_desktop(); }
    void init() { begin_test(); }
    void cleanup() { end_test(); }

    void a_result_opens_read_only_as_query_n_and_what_cannot_run_says_why()
    {
        const std::string before = sample_bytes();
        table_window* sample = open_sample_at(7, 2);
        QVERIFY(sample);
        main_window owner("");
        owner.menu_command(query_command_id);
        query_dialog* dialog = open_query_dialog();
        QVERIFY(dialog);

        dialog->statement_box()->setPlainText(QStringLiteral("SELEC 1"));
        QVERIFY(!dialog->run());
        QCOMPARE(dialog->message_label()->text(), QStringLiteral("near \"SELEC\": syntax error"));

        dialog->statement_box()->setPlainText(
            QStringLiteral("SELECT VAROS, COUNT(*) AS N FROM DOLGOZO WHERE VAROS = 'Ózd' GROUP BY VAROS"));
        table_window* result = dialog->run();
        QVERIFY(result);
        QCOMPARE(dialog->message_label()->text(), QStringLiteral("1 row"));
        QVERIFY(result->windowTitle().startsWith(QStringLiteral("Query 1 - 1/1")));
        const table_object& rows = *table_slot_at(result->slot()).table;
        QVERIFY(is_read_only(rows));
        QCOMPARE(field_text(rows, 0), std::string("\xD3zd"));
        QCOMPARE(field_text(rows, 1), std::string("11"));

        // A statement that never ends stops at Cancel.
        dialog->statement_box()->setPlainText(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT COUNT(*) FROM n"));
        QTimer::singleShot(700, [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* progress = qobject_cast<QProgressDialog*>(widget)) progress->cancel();
            }
        });
        QVERIFY(!dialog->run());
        QCOMPARE(dialog->message_label()->text(), QStringLiteral("cancelled"));

        // The sample stands where it stood, with every byte.
        QCOMPARE(current_record(*table_slot_at(sample->slot()).table), 7);
        dialog->close();
        testing::settle();
        delete result;
        testing::settle();
        QCOMPARE(sample_bytes(), before);
    }
};

QTEST_MAIN(query_dialog_test)
#include "query_dialog_test.moc"
