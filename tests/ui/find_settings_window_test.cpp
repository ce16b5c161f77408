// Find Settings as the user sees it, offscreen, over the program with a
// modelled interface on its port in virtual time: the try under way and the
// progress, Cancel putting the port back, and "Use these settings" storing
// the finding as the port dialog's Ok does.
#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include "harness.h"
#include "model_interface.h"
#include "ui/find_settings_window.h"

namespace quadrel::testing {
namespace {

std::string textOf(const QWidget& w, const char* name) {
    return w.findChild<QLabel*>(name)->text().toStdString();
}

QPushButton* button(const QWidget& w, const char* name) {
    return w.findChild<QPushButton*>(name);
}

TEST(FindSettingsWindow, ShowsTheSearchCancelsItAndUsesWhatItFound) {
    ProgramHarness h;
    h.startAndWaitForSplash();
    Program& program = h.program;
    ModelLink link({.line = *parseLineSettings("9600,E,8,1")}, h.port);
    FindSettingsWindow w;
    Time now = h.clock.now();
    QObject::connect(&w, &FindSettingsWindow::searchClicked,
                     [&](bool) { program.findSettings({}, now); });
    QObject::connect(&w, &FindSettingsWindow::cancelClicked, [&] { program.cancelSearch(now); });
    QObject::connect(&w, &FindSettingsWindow::useClicked, [&] { program.useFoundSettings(now); });
    const auto runFor = [&](int ms) {
        for (int t = 0; t < ms; t += 5) {
            now += std::chrono::milliseconds(5);
            program.received(link.readUntil(now), now);
            // As the program's deadline timer does: only when something falls due.
            if (const auto due = program.nextDeadline(); due && *due <= now) program.advance(now);
        }
        w.render(program.search());
    };
    const std::string fileBefore = h.settingsText();
    runFor(500);  // the transmitter sends already

    button(w, "SearchAgain")->click();
    runFor(1200);  // two tries of half a second made
    const auto* progress = w.findChild<QProgressBar*>("SearchProgress");
    EXPECT_EQ(progress->value(), 2);
    EXPECT_EQ(progress->maximum(), 17);
    EXPECT_EQ(textOf(w, "TryUnderWay"), "Trying COM 1, 19200,O,8,1, RTS on (try 3)");
    EXPECT_FALSE(button(w, "UseTheseSettings")->isEnabled());
    EXPECT_FALSE(button(w, "CancelSearch")->isHidden());
    EXPECT_TRUE(button(w, "CloseFindSettings")->isHidden());

    button(w, "CancelSearch")->click();
    w.render(program.search());
    EXPECT_EQ(textOf(w, "TryUnderWay"), "Cancelled: the port is as it was.");
    EXPECT_EQ(h.port.line(), *parseLineSettings("19200,N,8,1"));
    EXPECT_TRUE(h.port.isOpen() && h.port.rts && !h.port.dtr);
    EXPECT_EQ(h.settingsText(), fileBefore);
    EXPECT_FALSE(button(w, "CloseFindSettings")->isHidden());

    button(w, "SearchAgain")->click();
    runFor(4000);
    EXPECT_EQ(textOf(w, "Finding"), "Found: COM 1, 9600,E,8,1, RTS on");
    EXPECT_EQ(progress->value(), progress->maximum());
    EXPECT_TRUE(button(w, "UseTheseSettings")->isEnabled());
    EXPECT_EQ(h.port.line(), *parseLineSettings("19200,N,8,1")) << "used only when asked";

    button(w, "UseTheseSettings")->click();
    EXPECT_EQ(h.port.line(), *parseLineSettings("9600,E,8,1"));
    EXPECT_TRUE(h.port.isOpen());
    EXPECT_EQ(h.status(), " Comms Port 1: 9600,E,8,1");
    EXPECT_NE(h.settingsText().find("Settings=9600,E,8,1\nRTS=1\nDTR=0"), std::string::npos)
        << h.settingsText();

    // Closing the window mid-search stops it.
    button(w, "SearchAgain")->click();
    runFor(100);
    w.reject();
    EXPECT_FALSE(program.search().running());
}

}  // namespace
}  // namespace quadrel::testing
