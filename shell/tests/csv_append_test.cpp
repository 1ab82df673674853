// Append from a CSV file in the table window, on the offscreen platform: the
// chooser offers CSV files, and a refused value asks Stop / Skip row / Store
// blank, answered here through the question's hook.
#include "commands/qt_file_choosers.h"
#include "commands/qt_refused_value.h"
#include "engine/table.h"
#include "grid/qt_table_window.h"
#include "shell/qt_open_tables.h"
#include "shell/tests/qt_test_support.h"
#include "testing/scratch_dir.h"

#include <QtTest/QtTest>
#include <QtWidgets/QApplication>

#include <memory>

using namespace vortel;

class csv_append_test : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::scratch_dir> dir_;
    std::string table_;

    std::string table_bytes() const
    {
        return testing::read_file(table_) + testing::read_file(dir_->file("DOLGOZO.DBT"));
    }

private slots:
    void initTestCase() { testing::start_desktop(); }

    void init()
    {
        dir_ = std::make_unique<testing::scratch_dir>();
        table_ = testing::copy_sample_table(dir_->path());
        reset_cascade_position();
    }

    void cleanup()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<table_window*>(widget)) delete widget;
        }
        dir_.reset();
    }

    void a_refused_value_is_asked_about_and_the_answer_followed()
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
        table_window* window = open_table_window(nullptr, table_);
        QVERIFY(window);
        for (const auto& example : examples) {
            testing::box_recorder boxes;
            QStringList asked;
            const refused_value_hook previous = set_refused_value_hook([&](const QString& text) {
                asked << text;
                return example.answer;
            });
            std::vector<chooser_request> requests;
            const chooser_hook previous_chooser = set_chooser_hook([&](const chooser_request& request) {
                requests.push_back(request);
                return csv;
            });
            const std::string before = table_bytes();
            window->popup_command(2121);
            set_chooser_hook(previous_chooser);
            set_refused_value_hook(previous);

            QVERIFY(requests.at(0).filters.contains(QStringLiteral("CSV files (*.CSV *.csv)")));
            QCOMPARE(asked, QStringList({QStringLiteral("line 3, column premium: 123456 does not fit PREMIUM N(5,1)")}));
            QCOMPARE(boxes.boxes, example.boxes);
            auto table = table_new(table_);
            QVERIFY(table_open(*table, 0));
            QCOMPARE(record_count(*table), example.records);
            if (example.records == 120) QCOMPARE(table_bytes(), before);
        }
    }
};

QTEST_MAIN(csv_append_test)
#include "csv_append_test.moc"
