// The preview: a modal, resizable dialog ("PreView") that shows a print
// job's pages one at a time, scaled into its surface, and prints them on a
// printer chosen in the print dialog. The portable preview model decides what every button,
// key and scroll-bar action does; this file paints and translates events.
#pragma once

#include <QtCore/QPoint>
#include <QtWidgets/QDialog>

#include <functional>
#include <string>

#include "print/preview_model.h"

class QLabel;
class QPrinter;
class QScrollBar;
class QSpinBox;
class QToolBar;

namespace vortel {

struct page_device;

// The page drawing area: plays the current page file scaled into itself.
class preview_surface_widget final : public QWidget {
    Q_OBJECT
public:
    preview_surface_widget(QWidget* parent, preview_surface model);

    preview_surface& model() { return model_; }
    QScrollBar* vertical_bar() const { return vertical_; }
    QScrollBar* horizontal_bar() const { return horizontal_; }
    // Applies the model's changes: thumbs, ranges and a repaint.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void scroll_action(bool horizontal, int action);
    void input(int code, std::int32_t thumb = 0);

    preview_surface model_;
    QScrollBar* vertical_;
    QScrollBar* horizontal_;
    std::string loaded_name_;   // the page whose bytes are at hand
    std::string loaded_bytes_;
    bool painting_ = false;     // input is ignored while a page is drawn
    bool dragging_ = false;
    QPoint drag_from_;
};

// Asks where and how to print; for tests, a hook answers instead of the
// print dialog. True to print with `printer` as it was left.
using print_dialog_hook = std::function<bool(QPrinter& printer, QWidget* owner)>;
print_dialog_hook set_print_dialog_hook(print_dialog_hook hook);

class preview_dialog final : public QDialog {
    Q_OBJECT
public:
    // `no_printer` says the pages were laid out for a PDF file because the
    // system has no printer; the caption tells the user, with the paper.
    preview_dialog(QWidget* owner, page_device& device, bool no_printer);
    ~preview_dialog() override;

    preview_pages& pages() { return pages_; }
    preview_surface_widget* surface() const { return surface_; }
    QToolBar* toolbar() const { return toolbar_; }
    // A toolbar button pressed, by its command id.
    void command(int id);
    // The go-to-page box given `number`.
    void go_to_page(int number);
    // The table the pages list, by its file-system path: "Save as PDF..."
    // offers a file beside it and names the PDF after it.
    void set_table_path(const std::string& path) { table_path_ = path; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void print_pages();
    void save_pdf();
    void show_page_number();

    page_device& device_;
    preview_pages pages_;
    QToolBar* toolbar_ = nullptr;
    preview_surface_widget* surface_ = nullptr;
    QLabel* page_of_ = nullptr;
    QSpinBox* go_to_ = nullptr;
    std::string table_path_;
    std::string saved_toolbar_x_;
    std::string saved_toolbar_y_;
    bool empty_told_ = false;
};

// Shows the preview of `device`'s pages of the table at `table_path`
// modally over `owner`; returns when it is closed. A second preview is
// never opened while one is.
void show_preview(QWidget* owner, page_device& device, bool no_printer, const std::string& table_path = {});

}  // namespace vortel
