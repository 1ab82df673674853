#include "desktop/qt_search_progress.h"

#include "desktop/qt_table_window.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QPointer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QProgressDialog>

#include <memory>
#include <optional>

namespace vortel {

search_result search_with_progress(QWidget* owner, QWidget* grid, browse_object& browse, const search_request& request,
                                   std::chrono::milliseconds shown_after)
{
    std::optional<busy_table_window> busy;
    if (auto* window = qobject_cast<table_window*>(grid)) busy.emplace(*window);

    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> progress;
    bool cancelled = false;
    const search_result result = search_grid(browse, request, [&](int percent) {
        if (!progress && clock.elapsed() >= shown_after.count()) {
            progress = std::make_unique<QProgressDialog>(QStringLiteral("Searching..."), QStringLiteral("Cancel"), 0,
                                                         100, owner);
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(0);
            progress->setAutoClose(false);
            progress->setAutoReset(false);
            QObject::connect(progress.get(), &QProgressDialog::canceled, [&cancelled] { cancelled = true; });
            // Escape rejects the dialog, also where no Cancel shortcut reaches it.
            QObject::connect(progress.get(), &QDialog::rejected, [&cancelled] { cancelled = true; });
            progress->show();
        }
        if (!progress) {
            // Before the window shows, only painting goes on: a key typed now
            // waits for the search's end.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return true;
        }
        progress->setValue(percent);
        QCoreApplication::processEvents();
        return !cancelled;
    });
    progress.reset();
    busy.reset();
    if (grid) grid->update();
    return result;
}

}  // namespace vortel
