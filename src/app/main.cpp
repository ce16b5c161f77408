// Quadrel: tests a serial PPM interface by showing its channels live.
#include <QAction>
#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/qt_program.h"
#include "app/shutdown_signals.h"
#include "ui/program_icon.h"

namespace {

// Qt ends the process with an abort and advice to reinstall when no
// display can be reached; one plain line says what is wrong instead. Its
// other messages while starting are held back until it has started.
QStringList startMessages;

void onQtMessageWhileStarting(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        startMessages << message;
        return;
    }
    const QString why =
        startMessages.isEmpty() ? message.section('\n', 0, 0) : startMessages.first();
    std::fprintf(stderr, "quadrel: cannot open its window, it needs a graphical session: %s\n",
                 qPrintable(why));
    std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const quadrel::StartDecision start =
        quadrel::decideStart(args, [](const char* name) { return std::getenv(name); });
    if (start.action == quadrel::StartDecision::Action::PrintAndExit) {
        std::fputs(start.text.c_str(), start.exitCode == 0 ? stdout : stderr);
        return start.exitCode;
    }

    const QtMessageHandler previous = qInstallMessageHandler(onQtMessageWhileStarting);
    QApplication application(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& m : startMessages) std::fprintf(stderr, "%s\n", qPrintable(m));
    if (argc > 1) {  // Qt has taken the options it knows
        std::fprintf(stderr, "quadrel: unknown option '%s'\nTry 'quadrel --help'.\n", argv[1]);
        return 2;
    }
    QApplication::setWindowIcon(quadrel::programIcon());

    quadrel::QtProgram program(quadrel::defaultSettingsPath());
    // A signal ends the run through File > Exit itself.
    quadrel::ShutdownSignals stopSignals;
    QObject::connect(&stopSignals, &quadrel::ShutdownSignals::shutdownRequested, &program,
                     [&program] {
                         if (auto* exit = program.mainWindow().findChild<QAction*>("FExit"))
                             exit->trigger();
                     });
    program.start();
    return application.exec();
}
