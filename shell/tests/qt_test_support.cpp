#include "shell/tests/qt_test_support.h"

#include "engine/table.h"
#include "shell/qt_startup.h"

#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QDialog>

#include <filesystem>

namespace vortel::testing {

box_recorder::box_recorder()
{
    previous_box_ = set_box_hook([this](const box_request& box) {
        boxes << box.caption + QStringLiteral(": ") + box.text;
        cursor_during_box << (QApplication::overrideCursor() != nullptr);
    });
    previous_answer_ = set_answer_hook([this](const box_request&) {
        if (answers.isEmpty()) return true;
        return answers.takeFirst();
    });
    previous_choice_ = set_choice_hook([this](const box_request&) {
        if (choices.isEmpty()) return unsaved_choice::save;
        return choices.takeFirst();
    });
}

box_recorder::~box_recorder()
{
    set_box_hook(previous_box_);
    set_answer_hook(previous_answer_);
    set_choice_hook(previous_choice_);
}

void when_modal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        timer->stop();
        timer->deleteLater();
        QPointer<QWidget> still(modal);
        act(modal);
        if (auto* dialog = qobject_cast<QDialog*>(still.data()); dialog && dialog->isVisible()) dialog->reject();
    });
    timer->start();
}

void start_desktop()
{
    load_desktop_resources();
    start_up();
}

std::string copy_sample_table(const std::string& folder)
{
    for (const char* name : {"DOLGOZO.DBF", "DOLGOZO.DBT"}) {
        std::filesystem::copy_file(std::string(SAMPLE_DIR "/") + name, folder + "/" + name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    return folder + "/DOLGOZO.DBF";
}

std::string field_of(const std::string& path, std::int32_t record, const std::string& field)
{
    auto table = table_new(path);
    if (!table_open(*table, 1) || !go_to_exactly(*table, record)) return "<cannot open>";
    return field_text(*table, field_index(*table, field));
}

}  // namespace vortel::testing
