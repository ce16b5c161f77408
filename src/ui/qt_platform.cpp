#include "ui/qt_platform.h"

#include <QApplication>

#include <algorithm>

#include "ui/cable_dialog.h"
#include "ui/twips.h"

namespace quadrel {

void QtBeeper::beep() {
    QApplication::beep();
}

DeadlineTimer::DeadlineTimer(std::function<Time()> now, std::function<void(Time)> onDue,
                             QObject* parent)
    : QObject(parent), now_(std::move(now)), onDue_(std::move(onDue)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        armedFor_.reset();
        onDue_(now_());
    });
}

void DeadlineTimer::follow(std::optional<Time> next) {
    if (!next) {
        timer_.stop();
        armedFor_.reset();
        return;
    }
    if (armedFor_ && *armedFor_ <= *next) return;
    // Whole milliseconds, rounded up: never before it is due.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - now_());
    timer_.start(static_cast<int>(std::max<std::int64_t>(0, wait.count())));
    armedFor_ = next;
}

QtCableWindow::~QtCableWindow() {
    delete dialog_.data();
}

void QtCableWindow::create() {
    if (dialog_) return;
    dialog_ = new CableDialog();
    dialog_->setAttribute(Qt::WA_DeleteOnClose);  // the close box discards it
    // Its first position is the design one: 585, 3390 twips from the screen's corner.
    dialog_->move(twipsToPixels(585), twipsToPixels(3390));
}

void QtCableWindow::apply() {
    if (!wanted_) return;
    const bool show = *wanted_;
    wanted_.reset();
    create();
    if (show && !dialog_->isVisible()) {
        dialog_->show();
        dialog_->raise();
    } else if (!show && dialog_->isVisible()) {
        dialog_->hide();
    }
}

}  // namespace quadrel
