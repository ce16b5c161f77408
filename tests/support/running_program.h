// The whole program in-process, headless, with COM1 on a pseudo-terminal
// and (unless asked otherwise) the splash already closed.
#pragma once

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/qt_program.h"
#include "pty.h"
#include "temp_dir.h"

namespace quadrel::testing {

inline constexpr int kWaitMs = 5000;  // the longest any event-loop wait may take

// Runs the event loop until `condition` holds, failing the test after
// kWaitMs. (Qt's QTRY_ macros only return from the test when they fail.)
#define ASSERT_SOON(condition) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return condition; }, kWaitMs)) << #condition

struct RunningProgram {
    TempDir dir;
    Pty pty;
    std::unique_ptr<QtProgram> app;

    // File > Exit ends the event loop, as in the real program. With
    // `closeSplash` false the start-up splash still stands.
    explicit RunningProgram(const std::string& extraSettings = {}, bool closeSplash = true) {
        writeFile(dir / "Quadrel.ini", "[Devices]\nCOM1=" + pty.slavePath() + "\n" + extraSettings);
        app = std::make_unique<QtProgram>(dir / "Quadrel.ini");
        app->start();
        if (!closeSplash) return;
        program().aboutOk(app->now());  // no need to wait for the splash
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
