// The whole program in-process, headless, with COM1 on a pseudo-terminal
// and the splash already closed, for tests of its windows.
#pragma once

#include <QApplication>
#include <QTest>

#include <memory>
#include <string>

#include "pty.h"
#include "app/qt_program.h"
#include "temp_dir.h"

namespace quadrel::testing {

inline constexpr int kWaitMs = 5000;  // the longest any event-loop wait may take

struct RunningProgram {
    TempDir dir;
    Pty pty;
    std::unique_ptr<QtProgram> app;

    explicit RunningProgram(const std::string& extraSettings = {}) {
        writeFile(dir / "Quadrel.ini", "[Devices]\nCOM1=" + pty.slavePath() + "\n" + extraSettings);
        app = std::make_unique<QtProgram>(dir / "Quadrel.ini", [] {});
        app->start();
        program().about().cmdOK_Click();  // no need to wait for the splash
        app->refresh();
    }
    Program& program() { return app->program(); }
    std::string settingsText() const { return readFile(dir / "Quadrel.ini"); }

    // Settings > Comms..., as the menu does it.
    PortSettingsDialog* openPortSettings() {
        emit app->mainWindow().commsTriggered();
        return app->portSettingsDialog();
    }
    template <typename Widget = QWidget>
    Widget* portControl(const char* name) {
        return app->portSettingsDialog()->findChild<Widget*>(name);
    }
};

}  // namespace quadrel::testing
