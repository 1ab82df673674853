// The desktop program's entry: start-up state, the main window, and the
// table named on the command line opened at its first activation.
#include "desktop/qt_main_window.h"
#include "desktop/qt_startup.h"

#include <QtGui/QIcon>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // The arguments as the program was given them, before Qt takes its own.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    QApplication application(argc, argv);
    vortel::load_desktop_resources();
    vortel::start_up();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/VORTEL")));

    vortel::main_window window(vortel::command_line_text(arguments));
    // Maximised also where no window manager maximises it.
    if (const QScreen* screen = window.screen()) window.setGeometry(screen->availableGeometry());
    window.showMaximized();
    window.activateWindow();
    return QApplication::exec() == 0 ? 0 : 1;
}
