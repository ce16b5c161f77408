// The notices a user gets when the port may not be opened or the settings
// file not read or saved: the whole reason, readable without hovering, once
// per run, blocking nothing.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/qt_program.h"
#include "serial/port_messages.h"
#include "temp_dir.h"
#include "ui/port_notice.h"

namespace quadrel {
namespace {

TEST(PortPermissionNotice, ShowsTheWholeReasonOnceWithoutBlocking) {
    QWidget owner;
    owner.show();
    PortPermissionNotice notice(&owner);
    notice.offer(false, "COM 1 (/dev/ttyUSB0) is in use by another program");
    notice.offer(true, "");
    EXPECT_FALSE(notice.isVisible());

    const QString reason = QString::fromStdString(
        openFailureMessage(SerialError::Kind::PermissionDenied, 1, "/dev/ttyUSB0"));
    notice.offer(true, reason);
    ASSERT_TRUE(notice.isVisible());
    EXPECT_EQ(notice.windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    auto* text = notice.findChild<QLabel*>("PortNoticeText");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->text().startsWith(reason)) << text->text().toStdString();
    EXPECT_TRUE(text->text().contains("sudo usermod -aG dialout $USER"));
    EXPECT_TRUE(text->wordWrap());
    EXPECT_GE(text->height(), text->heightForWidth(text->width()));  // nothing cut off
    for (QWidget* w : {static_cast<QWidget*>(&notice), static_cast<QWidget*>(text)}) {
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        EXPECT_EQ(w->accessibleDescription(), w->objectName());
    }

    QTest::mouseClick(notice.findChild<QPushButton*>("PortNoticeOk"), Qt::LeftButton);
    EXPECT_FALSE(notice.isVisible());
    notice.offer(true, reason);  // once per run
    EXPECT_FALSE(notice.isVisible());
}

// The program with a folder where its settings file should be: it starts
// with the defaults and says why in the window, not only on standard error.
TEST(SettingsFileNotice, TheProgramTellsWhyItsSettingsCannotBeRead) {
    testing::TempDir dir;
    std::filesystem::create_directories(dir / "Quadrel.ini");
    QtProgram app(dir / "Quadrel.ini", [] {});
    app.start();
    app.program().aboutOk(app.now());
    app.refresh();
    ASSERT_TRUE(app.settingsNotice().isVisible());
    const QString text = app.settingsNotice().findChild<QLabel*>("SettingsNoticeText")->text();
    EXPECT_TRUE(text.startsWith("Quadrel cannot read settings from " +
                                QString::fromStdString((dir / "Quadrel.ini").string()) +
                                ": Is a directory"))
        << text.toStdString();
    EXPECT_EQ(app.settingsNotice().windowModality(), Qt::NonModal);
}

}  // namespace
}  // namespace quadrel
