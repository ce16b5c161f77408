// The Link Monitor window, offscreen: the figures it shows, Freeze, freeze
// on trouble, and that it asks for reports only while shown.
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "ui/link_monitor_window.h"

namespace quadrel::testing {
namespace {

struct LinkWindow : ::testing::Test {
    LinkReport report;
    int asked = 0;
    LinkMonitorWindow window{[this] {
        ++asked;
        return report;
    }};
    QString text(const char* name) { return window.findChild<QLabel*>(name)->text(); }
};

TEST_F(LinkWindow, ShowsTheVerdictAndFigures) {
    report.verdict = Verdict::Irregular;
    report.verdictText =
        "Frames irregular: 12 % late by more than 5 ms: a loose plug or a noisy signal";
    report.bytesPerSecond = 1920;
    report.framesPerSecond = 44.4;
    report.channels = 8;
    report.lostBytes = 3;
    report.intervals = {
        .count = 10, .lastMs = 22, .minMs = 18, .meanMs = 22.5, .p99Ms = 31, .maxMs = 40};
    report.channel[2] = {
        .seen = true, .min = 40, .max = 220, .last = 130, .noise = 2, .glitches = 1};
    report.clock = {.periodMs = 22.5, .fitted = true, .expected = 444, .lost = 13};
    report.delivery.text = "delivered in 16 ms batches: timing shown to \u00b116 ms";
    report.lowLatency = LowLatency::Refused;
    report.lineErrors = {.reported = true, .counts = {.framing = 4, .breaks = 1}};
    window.render(report);

    EXPECT_EQ(text("Verdict"), QString::fromStdString(report.verdictText));
    EXPECT_EQ(text("BytesPerSecond"), "1920");
    EXPECT_EQ(text("FramesPerSecond"), "44.4");
    EXPECT_EQ(text("OutsideFrames"), "3");
    EXPECT_EQ(text("IntervalSpread"), "18.0, 31.0, 40.0");
    EXPECT_EQ(text("ChannelFigures3").simplified(), "3 130 40 220 2 1");
    EXPECT_EQ(text("ChannelFigures4").simplified(), "4 -");
    EXPECT_EQ(text("LostFrames"), "13 of 444");
    EXPECT_EQ(text("FrameClock"), "22.5 ms (44.4/s)");
    EXPECT_EQ(text("LowLatency"), "not offered");
    EXPECT_EQ(text("Delivery"),
              QString::fromUtf8("delivered in 16 ms batches: timing shown to \u00b116 ms"));
    EXPECT_EQ(text("LineErrors"), "framing 4, parity 0, overrun 0, break 1");
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith("qt_")) continue;
        EXPECT_EQ(w->accessibleDescription(), w->objectName());
    }
}

// Whatever the verdict's length and the figures' size, at the usual font and
// half as big again: the verdict keeps its three lines, nothing is cut or
// runs over the window's edge.
TEST_F(LinkWindow, KeepsItsLayoutForAnyVerdictAndFigures) {
    for (const double scale : {1.0, 1.5}) {
        LinkMonitorWindow w([this] { return report; });
        QFont f = w.font();
        f.setPointSizeF(f.pointSizeF() * scale);
        w.setFont(f);
        report.verdictText = "Link good";
        w.show();
        const int verdictHeight = w.findChild<QLabel*>("Verdict")->height();
        const int width = w.width();
        report.verdictText = std::string(6, ' ');
        for (int i = 0; i < 30; ++i) report.verdictText += "a verdict far too long ";
        report.framesPerSecond = 4255.0;
        report.bytesPerSecond = 1'001'000;
        report.intervals = {
            .count = 10, .lastMs = 4000, .minMs = 1, .meanMs = 999.9, .p99Ms = 4000, .maxMs = 4000};
        w.render(report);
        QCoreApplication::processEvents();
        EXPECT_EQ(w.findChild<QLabel*>("Verdict")->height(), verdictHeight) << scale;
        EXPECT_EQ(w.width(), width) << scale;
        for (const char* name :
             {"FramesPerSecond", "BytesPerSecond", "Intervals", "IntervalSpread"}) {
            const QLabel* l = w.findChild<QLabel*>(name);
            EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width()) << name << scale;
            EXPECT_LE(l->geometry().right(), w.rect().right()) << name << scale;
        }
    }
}

TEST_F(LinkWindow, FreezeHoldsTheViewWhileFreezeOnTroubleCatchesTheFirstLostByte) {
    report.verdictText = "Link good";
    window.render(report);
    window.findChild<QPushButton*>("Freeze")->click();
    report.verdictText = "later";
    window.render(report);
    EXPECT_EQ(text("Verdict"), "Link good");
    window.findChild<QPushButton*>("Freeze")->click();
    window.findChild<QCheckBox*>("FreezeOnTrouble")->setChecked(true);
    window.render(report);
    EXPECT_EQ(text("Verdict"), "later");

    report.lostBytes = 1;  // the first trouble is shown, then held
    report.verdictText = "Lost sync";
    window.render(report);
    report.verdictText = "after";
    window.render(report);
    EXPECT_EQ(text("Verdict"), "Lost sync");
    EXPECT_TRUE(window.frozen());
}

TEST_F(LinkWindow, RefreshesOnlyWhileShown) {
    EXPECT_FALSE(window.refreshing());
    window.show();
    EXPECT_EQ(asked, 1);  // at once, then every 100 ms
    EXPECT_TRUE(window.refreshing());
    window.hide();
    EXPECT_FALSE(window.refreshing());
}

}  // namespace
}  // namespace quadrel::testing
