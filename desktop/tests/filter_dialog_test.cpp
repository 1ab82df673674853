// Filter... and Clear filter in a table window on the offscreen platform:
// the grid and its title show the records a condition keeps, a condition
// that cannot run says why and leaves the grid alone, and an empty result
// says so; the table keeps every byte.
#include "desktop/qt_filter_dialog.h"
#include "desktop/qt_open_tables.h"
#include "desktop/qt_table_window.h"
#include "desktop/tests/qt_test_support.h"
#include "engine/table.h"
#include "grid/grid_filter.h"

#include <QtTest/QtTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPushButton>

using namespace vortel;

class filter_dialog_test : public QObject, testing::sample_fixture {
    Q_OBJECT

    // The popup item `name` chosen, as a click on it runs it.
    static void choose(table_window& window, const char* name)
    {
        std::unique_ptr<QMenu> popup(window.command_popup());
        QAction* item = popup->findChild<QAction*>(QString::fromLatin1(name));
        QVERIFY(item && item->isEnabled());
        item->trigger();
    }

    static std::int32_t standing(table_window& window) { return current_record(*window.browse().table); }

private slots:
    void initTestCase() { testing::start_desktop(); }
    void init() { begin_test(); }
    void cleanup() { end_test(); }

    void filter_shows_the_records_a_condition_keeps_until_clear_filter()
    {
        const std::string before = sample_bytes();
        table_window* window = open_sample_at(1, 2);
        QVERIFY(window);
        const QString title = window->windowTitle();

        // A condition SQL refuses is said in the dialog; the grid stays whole.
        testing::when_dialog<filter_dialog>([](filter_dialog* dialog) {
            dialog->condition_box()->setText(QStringLiteral("NOSUCH > 1"));
            QVERIFY(!dialog->run());
            QCOMPARE(dialog->message_label()->text(), QStringLiteral("no such column: NOSUCH"));
            dialog->condition_box()->setText(QStringLiteral("VAROS = 'Ózd' AND FIZETES > 900000"));
            dialog->run_button()->click();
        });
        choose(*window, "filter");
        testing::settle();
        window->repaint();
        QCOMPARE(standing(*window), 54);
        QVERIFY2(window->windowTitle().contains(QStringLiteral(" - 3 of 120/54")), qPrintable(window->windowTitle()));
        testing::press(window, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(standing(*window), 99);
        testing::press(window, Qt::Key_Up);
        QCOMPARE(standing(*window), 80);

        // The dialog opens on the last condition; no record matching empties the grid.
        testing::when_dialog<filter_dialog>([](filter_dialog* dialog) {
            QCOMPARE(dialog->condition_box()->text(), QStringLiteral("VAROS = 'Ózd' AND FIZETES > 900000"));
            dialog->condition_box()->setText(QStringLiteral("FIZETES < 0"));
            dialog->run_button()->click();
        });
        choose(*window, "filter");
        testing::settle();
        window->repaint();
        QVERIFY(filter_shows_nothing(window->browse()));
        QVERIFY2(window->windowTitle().endsWith(QStringLiteral(" - 0 of 120")), qPrintable(window->windowTitle()));
        testing::press(window, Qt::Key_Delete);
        testing::press(window, Qt::Key_Return);
        QVERIFY(!window->editor());

        choose(*window, "clear_filter");
        testing::settle();
        window->repaint();
        QCOMPARE(standing(*window), 1);
        QCOMPARE(window->windowTitle(), title);
        QVERIFY(!grid_filtered(window->browse()));
        QCOMPARE(sample_bytes(), before);
    }
};

QTEST_MAIN(filter_dialog_test)
#include "filter_dialog_test.moc"
