#include <QApplication>
#include <QDir>
#include <QStringList>
#include <cstdio>

#include "engine/app/program_info.h"
#include "gui/app/artwork.h"
#include "gui/app/shell.h"

int main(int argc, char** argv) {
    // --help and --version answer without a window or a display.
    if (const auto text = vantorel::app::infoOptionText({argv + 1, argv + argc})) {
        std::fputs(text->c_str(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(
        vantorel::gui::svgIcon(QStringLiteral(":/app/vantorel.svg"),
                               {64, 64}));  // a language switch closes the main window and goes on
    vantorel::gui::ShellOptions options;
    options.commandLine = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    options.startFolder = QDir::currentPath();
    vantorel::gui::Shell shell(options);
    QObject::connect(&shell, &vantorel::gui::Shell::finished, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    if (shell.startUp() == vantorel::gui::Shell::StartResult::AlreadyRunning) return 0;
    return app.exec();
}
