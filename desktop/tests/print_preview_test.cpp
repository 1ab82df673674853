// Printing on the offscreen platform: the preview's buttons, keys, scroll
// bars and dragging, printing a page range to a PDF file, the empty job,
// and the table window's print command from the column chooser to the
// preview.
#include "desktop/qt_dialogs.h"
#include "desktop/qt_file_choosers.h"
#include "desktop/qt_page_setup.h"
#include "desktop/qt_preview.h"
#include "desktop/qt_table_window.h"
#include "desktop/tests/qt_test_support.h"
#include "engine/table.h"
#include "engine/tests/table_fixture.h"
#include "platform/fault_injection.h"
#include "print/page_device.h"
#include "print/page_setup.h"
#include "print/tests/recording_surface.h"
#include "runtime/settings.h"

#include <QtCore/QProcess>
#include <QtCore/QRegularExpression>
#include <QtCore/QStandardPaths>
#include <QtCore/QTimer>
#include <QtPrintSupport/QPrinter>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QStyle>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QTreeWidget>

#include <cmath>
#include <filesystem>
#include <optional>

using namespace vortel;
using testing::box_recorder;
using testing::when_modal;

namespace {

// A job of `pages` pages, each with its number written across its top line.
void record_pages(page_device& device, const printer_facts& printer, int pages)
{
    open_page_device(device, &printer, nullptr, "Listing", true, 80, true);
    start_document(device, "Listing");
    for (int page = 1; page <= pages; ++page) {
        start_page(device);
        put_text(device, 2, 2, "PAGE " + std::to_string(page) + std::string(40, '#'), nullptr, nullptr, 0, false);
        end_page(device);
    }
}

int pdf_pages(const std::string& path)
{
    const QByteArray bytes = QByteArray::fromStdString(testing::read_file(path));
    return static_cast<int>(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page/") +
                            bytes.count("/Type /Page "));
}

// The text pdftotext finds in a PDF file, pages split by form feeds; none
// when pdftotext is not installed.
std::optional<QString> pdf_text(const std::string& path)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) return std::nullopt;
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QString::fromStdString(path), QStringLiteral("-")});
    text.waitForFinished();
    return QString::fromUtf8(text.readAllStandardOutput());
}

// Dark pixels on the page area, scroll bars left out.
bool has_ink(QWidget* surface)
{
    const int bar = surface->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QImage image = surface->grab(QRect(0, 0, surface->width() - bar, surface->height() - bar)).toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) return true;
        }
    }
    return false;
}

// The print dialog answered with a PDF file at `out`, set up further by `more`.
void print_to_pdf(const std::string& out, std::function<void(QPrinter&)> more = {})
{
    set_print_dialog_hook([out, more](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(out));
        if (more) more(printer);
        return true;
    });
}

// Pages `from` to `to` of the job.
std::function<void(QPrinter&)> page_range(int from, int to)
{
    return [from, to](QPrinter& printer) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(from, to);
    };
}

// Sets `previewed` should a preview show up soon after, and closes it.
void watch_for_a_preview(bool& previewed)
{
    QTimer::singleShot(20, [&previewed] {
        if (auto* preview = qobject_cast<preview_dialog*>(QApplication::activeModalWidget())) {
            previewed = true;
            preview->reject();
        }
    });
}

// Answers the page setup with OK, after `choose` when given; the dialog
// after it goes to `next` when given.
void accept_page_setup(std::function<void(QWidget*)> next, std::function<void(QWidget*)> choose = {})
{
    when_modal([next, choose](QWidget* setup) {
        if (choose) choose(setup);
        if (next) when_modal(next);
        setup->findChild<QPushButton*>(QStringLiteral("page_setup_ok"))->click();
    });
}

}  // namespace

class print_preview_test : public QObject, testing::sample_fixture {
    Q_OBJECT

    printer_facts printer_ = print_testing::a4_600_dpi();
    const std::set<std::string> sample_files_ = {"DOLGOZO.DBF", "DOLGOZO.DBT"};  // and no job folder

private slots:
    void initTestCase() { testing::start_desktop(); }

    void init()
    {
        begin_test();
        ::setenv("TMPDIR", dir_->path().c_str(), 1);
    }

    void cleanup()
    {
        set_print_dialog_hook({});
        ::unsetenv("TMPDIR");  // before its folder goes
        end_test();
    }

    // An empty job is told and shows no preview; a job of pages shows them.
    void empty_job_is_told_and_toolbar_keys_bars_and_dragging_move_the_view()
    {
        box_recorder boxes;
        page_device empty;
        record_pages(empty, printer_, 0);
        show_preview(nullptr, empty, false);
        QCOMPARE(boxes.boxes, QStringList{QStringLiteral("Warning: A lekérdezésnek egy tétel sem felelt meg.")});
        QCOMPARE(setting_by_index(SET_TOOLBARX), std::string("42"));
        close_page_device(empty);

        page_device device;
        record_pages(device, printer_, 3);
        std::filesystem::remove(device.temp_directory + "BT0003.WMF");
        {
            preview_dialog dialog(nullptr, device, false);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QCOMPARE(setting_by_index(SET_TOOLBARX), std::string("32"));
            QCOMPARE(setting_by_index(SET_TOOLBARY), std::string("32"));
            QCOMPARE(dialog.toolbar()->findChildren<QAction*>(QRegularExpression(QStringLiteral("^preview_1"))).size(),
                     11);

            preview_surface_widget* surface = dialog.surface();
            preview_surface& view = surface->model();
            auto* page_of = dialog.findChild<QLabel*>(QStringLiteral("preview_page_of"));
            auto* go_to = dialog.findChild<QSpinBox*>(QStringLiteral("preview_go_to"));
            QCOMPARE(page_of->text(), QStringLiteral("Page 1 of 3"));
            QVERIFY(has_ink(surface));

            // Paging: the missing last page shows blank; the go-to box and
            // the page number follow the buttons, and the buttons the box.
            dialog.findChild<QAction*>(QStringLiteral("preview_104"))->trigger();
            QCOMPARE(dialog.pages().index, std::size_t{2});
            QCOMPARE(go_to->value(), 3);
            QVERIFY(!has_ink(surface));
            dialog.findChild<QAction*>(QStringLiteral("preview_102"))->trigger();
            QCOMPARE(view.page_name, device.temp_directory + "BT0002.WMF");
            QVERIFY(has_ink(surface));
            go_to->setValue(1);
            QCOMPARE(page_of->text(), QStringLiteral("Page 1 of 3"));
            QVERIFY(surface->hasFocus());

            // Keys and bars reach the view's scrolling, a screen less a line
            // per Page Down (keys_and_bars_step_by_lines_and_screens has
            // the steps), and the thumbs follow the origin.
            QTest::keyClick(surface, Qt::Key_PageDown);
            QCOMPARE(surface->vertical_bar()->value(), preview_step_sizes(view).page_y);
            QVERIFY(preview_step_sizes(view).page_y * preview_scales(view).y > surface->height() * 3 / 4);
            QTest::keyClick(surface, Qt::Key_End, Qt::ControlModifier);
            QCOMPARE(view.origin_y + preview_extent(view).y, view.page_height + 20);
            QTest::keyClick(surface, Qt::Key_Home, Qt::ControlModifier);

            // Ctrl+plus zooms in; then a page across goes as far as the bar says.
            const double down = preview_scales(view).y;
            QTest::keyClick(surface, Qt::Key_Plus, Qt::ControlModifier);
            QCOMPARE(preview_scales(view).y, down * 1.25);
            QTest::keyClick(surface, Qt::Key_Home);
            surface->horizontal_bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
            QCOMPARE(view.origin_x, std::min(-20 + preview_step_sizes(view).page_x,
                                             surface->horizontal_bar()->maximum() - 20));
            QCOMPARE(surface->horizontal_bar()->value(), view.origin_x + 20);

            // The wheel scrolls three lines a notch, with Ctrl it zooms.
            const auto wheel = [&](int delta, Qt::KeyboardModifiers keys) {
                QWheelEvent turn(QPointF(50, 50), surface->mapToGlobal(QPointF(50, 50)), {}, QPoint(0, delta),
                                 Qt::NoButton, keys, Qt::NoScrollPhase, false);
                QApplication::sendEvent(surface, &turn);
            };
            const std::int32_t top = view.origin_y;
            wheel(-120, Qt::NoModifier);
            QCOMPARE(view.origin_y, top + 3 * preview_step_sizes(view).line_y);
            QCOMPARE(preview_step_sizes(view).line_y, device.line_height);
            wheel(-120, Qt::ControlModifier);
            QCOMPARE(preview_scales(view).y, down);

            // Dragging pulls the page along with the pointer, as far as it went.
            QTest::keyClick(surface, Qt::Key_Home);
            const QPoint from(view.origin_x, view.origin_y);
            QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(200, 200));
            QCOMPARE(surface->cursor().shape(), Qt::SizeAllCursor);
            QMouseEvent move(QEvent::MouseMove, QPointF(190, 170), surface->mapToGlobal(QPointF(190, 170)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(surface, &move);
            QVERIFY(std::abs(view.origin_x - (from.x() + 10 / preview_scales(view).x)) < 1);
            QVERIFY(std::abs(view.origin_y - (from.y() + 30 / preview_scales(view).y)) < 1);
            QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(190, 170));
            QCOMPARE(surface->cursor().shape(), Qt::ArrowCursor);

            // Fit width keeps to a resized dialog; the views start over at the corner.
            dialog.findChild<QAction*>(QStringLiteral("preview_110"))->trigger();
            QCOMPARE(QPoint(view.origin_x, view.origin_y), QPoint(-20, -20));
            const double across = preview_scales(view).x;
            dialog.resize(dialog.width() * 2, dialog.height());
            QTRY_VERIFY(preview_scales(view).x > across * 1.9);
            QCOMPARE(preview_extent(view).x, view.page_width + 40);
            dialog.findChild<QAction*>(QStringLiteral("preview_109"))->trigger();
            QVERIFY(preview_extent(view).y >= view.page_height + 40);
            QVERIFY(has_ink(surface));
            dialog.findChild<QAction*>(QStringLiteral("preview_106"))->trigger();
            QVERIFY(view.unzoomed);
            QCOMPARE(view.fit, preview_fit::factors);
            QTest::keyClick(surface, Qt::Key_Escape);
            QVERIFY(!dialog.isVisible());
        }
        QCOMPARE(setting_by_index(SET_TOOLBARX), std::string("42"));
        close_page_device(device);
        QCOMPARE(testing::files_in(dir_->path()), sample_files_);
    }

    // What the print dialog chose reaches the printer: the range, copies,
    // collation and order. A range past the last page is refused rather
    // than printed blank; so is an open table's file, which Qt would write
    // without asking; Cancel prints nothing.
    void print_sends_the_chosen_pages_to_a_pdf_file()
    {
        QVERIFY(open_sample());
        const std::string memo_before = testing::read_file(memo_);
        page_device device;
        record_pages(device, printer_, 4);
        preview_dialog dialog(nullptr, device, true);
        dialog.show();
        QVERIFY(dialog.windowTitle().startsWith(QStringLiteral("PreView - no default printer")));
        const std::string out = dir_->file("pages.pdf"), memo_by_another_name = dir_->path() + "/./DOLGOZO.DBT";
        const struct {
            const char* name;
            std::string file;
            std::function<void(QPrinter&)> choose;
            QStringList numbers;  // of the pages in the PDF file
            QString told;
        } jobs[] = {
            {"pages 2 and 3 twice, uncollated, last first", out,
             [](QPrinter& printer) {
                 page_range(2, 3)(printer);
                 printer.setCopyCount(2);
                 printer.setCollateCopies(false);
                 printer.setPageOrder(QPrinter::LastPageFirst);
             },
             {"3", "3", "2", "2"}, {}},
            {"a range past the last page", out, page_range(5, 6), {},
             QStringLiteral("Warning: The listing has 4 pages: there is no page 5 to print.")},
            {"the memo file of an open table", memo_by_another_name, {}, {},
             QStringLiteral("Warning: ") + QString::fromStdString(memo_by_another_name) +
                 QStringLiteral(" is the memo file of the table: choose another file")},
        };
        for (const auto& job : jobs) {
            std::filesystem::remove(out);
            int asked = 0;
            print_to_pdf(job.file, [&](QPrinter& printer) {
                ++asked;
                if (job.choose) job.choose(printer);
            });
            box_recorder boxes;
            dialog.command(preview_print);
            QVERIFY2(asked == 1, job.name);
            QCOMPARE(boxes.boxes, job.told.isEmpty() ? QStringList() : QStringList(job.told));
            QVERIFY2(std::filesystem::exists(out) == !job.numbers.isEmpty(), job.name);
            if (job.numbers.isEmpty()) continue;
            QCOMPARE(pdf_pages(out), int(job.numbers.size()));
            if (const auto text = pdf_text(out)) {
                QStringList numbers;
                for (const QString& page : text->split(QChar('\f'))) {
                    const qsizetype at = page.indexOf(QStringLiteral("PAGE "));
                    if (at >= 0) numbers << page.mid(at + 5, 1);
                }
                QCOMPARE(numbers, job.numbers);
            }
        }
        QCOMPARE(testing::read_file(memo_), memo_before);

        std::filesystem::remove(out);
        set_print_dialog_hook([](QPrinter&, QWidget*) { return false; });
        dialog.command(preview_print);
        QVERIFY(!std::filesystem::exists(out));

        // Save as PDF offers a file beside the table, titles the PDF with
        // the table's name, asks before replacing a file and never writes
        // over the table's own files.
        dialog.set_table_path(table_);
        QStringList offered;
        std::string answer = memo_by_another_name;
        const chooser_hook before = set_chooser_hook([&](const chooser_request& request) {
            offered << request.start_directory;
            return answer;
        });
        box_recorder boxes;
        dialog.findChild<QAction*>(QStringLiteral("preview_111"))->trigger();
        const std::string saved = dir_->file("DOLGOZO.PDF");
        answer = saved;
        dialog.command(preview_save_pdf);
        dialog.command(preview_save_pdf);
        set_chooser_hook(before);
        QCOMPARE(offered, QStringList(3, QString::fromStdString(saved)));
        QCOMPARE(boxes.boxes, (QStringList{QStringLiteral("Warning: ") + QString::fromStdString(memo_by_another_name) +
                                               QStringLiteral(" is the memo file of the table: choose another file"),
                                           QStringLiteral("Warning: The file already exist, overwite ?")}));
        QCOMPARE(pdf_pages(saved), 4);
        QCOMPARE(testing::read_file(memo_), memo_before);
        if (!QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) {
            QProcess info;
            info.start(QStringLiteral("pdfinfo"), {QString::fromStdString(saved)});
            info.waitForFinished();
            QVERIFY(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression("Title: +DOLGOZO\\n")));
        }
        std::filesystem::remove(saved);
        dialog.findChild<QAction*>(QStringLiteral("preview_108"))->trigger();
        QVERIFY(!dialog.isVisible());
        close_page_device(device);
    }

    // The chooser offers the fields, the preview shows the pages without a
    // wait cursor and the record stays. Pages are played one to one: paper,
    // orientation or margins that leave less room than the pages were laid
    // out for are refused, never cut; larger paper takes them.
    void print_command_previews_the_chosen_columns_and_refuses_paper_they_do_not_fit()
    {
        table_window* window = open_sample();
        QVERIFY(window);
        go_to(*window->browse().table, 17);
        const std::string out = dir_->file("pages.pdf");
        QStringList rows, refused, printed;
        std::size_t pages = 0;
        QString caption;
        bool cursor_in_preview = true;
        int a3_pages = 0;
        when_modal([&](QWidget* chooser) {
            auto* list = chooser->findChild<QTreeWidget*>(QStringLiteral("print_columns"));
            for (int i = 0; list && i < list->topLevelItemCount(); ++i) {
                QTreeWidgetItem* row = list->topLevelItem(i);
                rows << row->text(0) + (row->checkState(0) == Qt::Checked ? "+" : "-");
                if (i > 2) row->setCheckState(0, Qt::Unchecked);
            }
            accept_page_setup([&](QWidget* shown) {
                auto* preview = qobject_cast<preview_dialog*>(shown);
                if (!preview) return;
                pages = preview->pages().names.size();
                caption = preview->windowTitle();
                cursor_in_preview = QApplication::overrideCursor() != nullptr;
                box_recorder boxes;
                using paper = std::tuple<QPageSize::PageSizeId, QPageLayout::Orientation, double>;
                for (const auto& [size, orientation, margin] :
                     {paper{QPageSize::Letter, QPageLayout::Portrait, 0}, paper{QPageSize::A4, QPageLayout::Landscape, 0},
                      paper{QPageSize::A4, QPageLayout::Portrait, 20}, paper{QPageSize::A3, QPageLayout::Portrait, 0}}) {
                    const QMarginsF margins(margin, margin, margin, margin);
                    print_to_pdf(out, [=](QPrinter& printer) {
                        printer.setPageSize(QPageSize(size));
                        printer.setPageOrientation(orientation);
                        if (margin > 0) printer.setPageMargins(margins, QPageLayout::Millimeter);
                    });
                    preview->command(preview_print);
                    printed << (std::filesystem::exists(out) ? "printed" : "refused");
                }
                refused = boxes.boxes;
                a3_pages = pdf_pages(out);
            });
            chooser->findChild<QPushButton*>()->click();
        });
        QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);

        QVERIFY(rows.size() > 3);
        QCOMPARE(rows.first().right(1), QStringLiteral("+"));  // deleted records are shown: marked
        QCOMPARE(rows.at(1).right(1), QStringLiteral("+"));
        QVERIFY(pages >= 2);  // 114 live records
        QVERIFY(caption.startsWith(QStringLiteral("PreView")));
        QVERIFY(!cursor_in_preview);
        QCOMPARE(current_record(*window->browse().table), 17);
        QCOMPARE(testing::files_in(dir_->path()), (std::set<std::string>{"DOLGOZO.DBF", "DOLGOZO.DBT", "pages.pdf"}));
        QCOMPARE(printed, (QStringList{"refused", "refused", "refused", "printed"}));
        // Which refusal says what is paper_fit_refusal's; here the three are told.
        QCOMPARE(refused.size(), 3);
        for (const QString& box : refused)
            QVERIFY2(box.startsWith(QStringLiteral("Warning: The pages need a printable area of ")), qPrintable(box));
        QCOMPARE(a3_pages, int(pages));
    }

    // The page setup asked after the columns lays the pages out for its
    // paper, orientation and margins, and starts from the last choice the
    // next time, as the columns' memo texts box does; Cancel prints nothing.
    void page_setup_lays_the_pages_out_for_the_paper_chosen_and_is_remembered()
    {
        table_window* window = open_sample();
        QVERIFY(window);
        QStringList offered;  // what each page setup started from
        QSize laid_out;       // the printable area the preview's pages have
        QList<bool> memos_asked;
        bool previewed = false;
        const auto offer = [&](QWidget* setup) {
            offered << setup->findChild<QComboBox*>(QStringLiteral("page_setup_paper"))->currentText() + " " +
                           (setup->findChild<QRadioButton*>(QStringLiteral("page_setup_landscape"))->isChecked()
                                ? "landscape"
                                : "portrait") +
                           " " + setup->findChild<QSpinBox*>(QStringLiteral("page_setup_margins"))->text();
        };
        when_modal([&](QWidget* chooser) {
            accept_page_setup(
                [&](QWidget* shown) {
                    if (auto* preview = qobject_cast<preview_dialog*>(shown)) {
                        const preview_surface& view = preview->surface()->model();
                        laid_out = QSize(view.page_width, view.page_height);
                    }
                },
                [&](QWidget* setup) {
                    offer(setup);
                    setup->findChild<QComboBox*>(QStringLiteral("page_setup_paper"))->setCurrentText("Letter");
                    setup->findChild<QRadioButton*>(QStringLiteral("page_setup_landscape"))->setChecked(true);
                    setup->findChild<QSpinBox*>(QStringLiteral("page_setup_margins"))->setValue(20);
                });
            auto* memos = chooser->findChild<QCheckBox*>(QStringLiteral("print_columns_memos"));
            memos_asked << memos->isChecked();
            memos->setChecked(true);
            chooser->findChild<QPushButton*>(QStringLiteral("print_columns_ok"))->click();
        });
        QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);
        // Letter across, less 20 mm each side (Qt keeps margins in whole points), at 600 dpi.
        QVERIFY2(std::abs(laid_out.width() - 5655) <= 6 && std::abs(laid_out.height() - 4155) <= 6,
                 qPrintable(QStringLiteral("%1 x %2").arg(laid_out.width()).arg(laid_out.height())));

        when_modal([&](QWidget* chooser) {
            when_modal([&](QWidget* setup) {
                offer(setup);
                watch_for_a_preview(previewed);
                setup->findChild<QPushButton*>(QStringLiteral("page_setup_cancel"))->click();
            });
            memos_asked << chooser->findChild<QCheckBox*>(QStringLiteral("print_columns_memos"))->isChecked();
            chooser->findChild<QPushButton*>(QStringLiteral("print_columns_ok"))->click();
        });
        QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);
        QTest::qWait(50);
        QVERIFY(!previewed);
        QCOMPARE(offered, (QStringList{"A4 portrait Printer's own", "Letter landscape 20 mm"}));
        QCOMPARE(memos_asked, (QList<bool>{false, true}));  // memo texts under their record, as last asked
        remembered_page_setup() = {};
    }

    // After a search the chooser offers to print only the records it finds
    // (in the column it searched), and the listing then holds those alone.
    void listing_of_the_records_the_last_search_finds()
    {
        table_window* window = open_sample();
        QVERIFY(window);
        bool offered_before = true;
        when_modal([&](QWidget* chooser) {
            offered_before = chooser->findChild<QCheckBox*>(QStringLiteral("print_columns_found"))->isVisibleTo(chooser);
            chooser->findChild<QPushButton*>(QStringLiteral("print_columns_cancel"))->click();
        });
        QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);
        QVERIFY(!offered_before);

        window->browse().current_column = 2;  // VAROS
        find_dialog find(window, window->browse());
        find.text_box()->setText(QStringLiteral("Szeged"));
        find.search();
        window->browse().current_column = 1;
        QString offered;
        std::size_t pages = 0;
        const std::string out = dir_->file("FOUND.PDF");
        const chooser_hook before = set_chooser_hook([&](const chooser_request&) { return out; });
        when_modal([&](QWidget* chooser) {
            auto* found = chooser->findChild<QCheckBox*>(QStringLiteral("print_columns_found"));
            offered = found->text();
            found->setChecked(true);
            chooser->findChild<QCheckBox*>(QStringLiteral("print_columns_memos"))->setChecked(false);
            accept_page_setup([&](QWidget* shown) {
                if (auto* preview = qobject_cast<preview_dialog*>(shown)) {
                    pages = preview->pages().names.size();
                    preview->command(preview_save_pdf);
                }
            });
            chooser->findChild<QPushButton*>(QStringLiteral("print_columns_ok"))->click();
        });
        QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);
        set_chooser_hook(before);
        QCOMPARE(offered, QStringLiteral("Only the records &found by the last search: Szeged"));
        QCOMPARE(pages, std::size_t{1});
        if (const auto text = pdf_text(out)) {
            QVERIFY(text->count(QStringLiteral("Szeged")) >= 2);
            for (const QString& elsewhere : {QStringLiteral("Kecskemét"), QStringLiteral("Ózd"), QStringLiteral("Pécs")})
                QVERIFY2(!text->contains(elsewhere), qPrintable(elsewhere));
        }
    }

    // No preview opens when OK with no field checked is refused (the chooser
    // stays) and Cancel follows, nor when the pages could not be written,
    // which is told instead, nor when printing columns that do not fit is
    // cancelled.
    void no_preview_without_a_field_after_cancel_or_when_pages_cannot_be_written()
    {
        table_window* window = open_sample();
        QVERIFY(window);
        box_recorder boxes;
        bool previewed = false;
        bool stayed = false;
        Qt::CheckState marks = Qt::Checked;  // the deleted column with deleted records passed over
        window->browse().table->navigation.hide_deleted = true;
        when_modal([&](QWidget* chooser) {
            auto* list = chooser->findChild<QTreeWidget*>(QStringLiteral("print_columns"));
            marks = list->topLevelItem(0)->checkState(0);
            window->browse().table->navigation.hide_deleted = false;
            for (int i = 0; list && i < list->topLevelItemCount(); ++i)
                list->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
            list->topLevelItem(0)->setCheckState(0, Qt::Checked);  // the deleted column is no field
            chooser->findChild<QPushButton*>(QStringLiteral("print_columns_ok"))->click();
            stayed = chooser->isVisible();
            watch_for_a_preview(previewed);
            list->topLevelItem(3)->setCheckState(0, Qt::Checked);
            chooser->findChild<QPushButton*>(QStringLiteral("print_columns_cancel"))->click();
        });
        QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);
        QTest::qWait(50);
        QVERIFY(stayed);
        QCOMPARE(marks, Qt::Unchecked);
        QCOMPARE(boxes.boxes, QStringList{QStringLiteral("Warning: Choose at least one field to print.")});

        when_modal([&](QWidget* chooser) {
            accept_page_setup({}, [&](QWidget*) { watch_for_a_preview(previewed); });
            chooser->findChild<QPushButton*>(QStringLiteral("print_columns_ok"))->click();
        });
        {
            fault_injector faults(fault_call::write, 2, ENOSPC);
            QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);
        }
        QTest::qWait(50);
        QVERIFY(!previewed);
        QCOMPARE(boxes.boxes.size(), 2);
        // What the message holds is page_that_cannot_be_written_fails_the_listing_before_the_preview's.
        QVERIFY2(boxes.boxes.last().startsWith(QStringLiteral("Warning: The pages of the listing could not be written")),
                 qPrintable(boxes.boxes.last()));
        QCOMPARE(testing::files_in(dir_->path()), sample_files_);

        // Columns past the listing's end are asked about before the layout;
        // Cancel there lays nothing out.
        window->browse().columns[1].caption = std::string(125, 'N');
        boxes.answers << false;
        when_modal([&](QWidget* chooser) {
            watch_for_a_preview(previewed);
            chooser->findChild<QPushButton*>(QStringLiteral("print_columns_ok"))->click();
        });
        QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);
        QTest::qWait(50);
        QVERIFY(!previewed);
        QVERIFY2(boxes.boxes.last().startsWith(QStringLiteral("Warning: The listing is 132 columns wide: VAROS, ")),
                 qPrintable(boxes.boxes.last()));
    }
};

QTEST_MAIN(print_preview_test)
#include "print_preview_test.moc"
