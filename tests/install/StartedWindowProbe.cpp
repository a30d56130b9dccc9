// Loaded into an installed tinselwick with LD_PRELOAD, so that the program itself stays
// as it ships: once the program has started (and retrieved the document named on its
// command line) it prints the participants list's lines and the help file the Help
// command opens, then ends the program.

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QTextBrowser>
#include <QTimer>

#include <cstdio>

namespace {

void PrintParticipantsAndHelp()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (const auto* givers = window->findChild<QAbstractItemView*>(QStringLiteral("MGivers"))) {
            for (int row = 0; row < givers->model()->rowCount(); ++row)
                std::printf("participant: %s\n", qPrintable(givers->model()->index(row, 0).data().toString()));
        }
        if (auto* help = window->findChild<QAction*>(QStringLiteral("Help2")))
            help->trigger();
    }
    for (QWidget* window : QApplication::topLevelWidgets())
        if (const auto* text = window->findChild<QTextBrowser*>(QStringLiteral("HelpText")))
            std::printf("help: %s\n", qPrintable(text->source().toLocalFile()));
    std::fflush(stdout);
    QCoreApplication::quit();
}

// Runs as the application object is made; the report waits for the event loop, which
// starts once main() has shown the window and retrieved the document.
void ReportOnceRunning()
{
    QTimer::singleShot(0, PrintParticipantsAndHelp);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(ReportOnceRunning)
