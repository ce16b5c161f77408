#include "ui/find_settings_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/widget_support.h"

namespace quadrel {
namespace {

// Room for `lines` lines whatever it says, so that a longer finding neither
// cuts itself off nor makes the window jump.
QLabel* wrappedLabel(QWidget* parent, const char* name, const QString& spoken, int lines) {
    auto* label = new QLabel(parent);
    nameControl(label, name, spoken);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumHeight(label->fontMetrics().lineSpacing() * lines + 2);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return label;
}

}  // namespace

FindSettingsWindow::FindSettingsWindow(QWidget* parent) : QDialog(parent) {
    nameControl(this, "FindSettings", "Find Settings");
    setWindowTitle("Find Settings");
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(this);

    auto* intro = wrappedLabel(this, "FindSettingsIntro", "What the search does", 2);
    intro->setText(
        "Quadrel tries the control lines, baud rates and parities in turn and listens for "
        "frames at each. Keep the transmitter on.");
    layout->addWidget(intro);

    everyPort_ = new QCheckBox("Try every &port", this);
    nameControl(everyPort_, "TryEveryPort", "Try every port");
    layout->addWidget(everyPort_);
    auto* warning = wrappedLabel(this, "TryEveryPortNote", "About trying every port", 2);
    warning->setText(
        "Raising RTS or DTR resets some other devices (a board or a modem on another port).");
    warning->setContentsMargins(20, 0, 0, 0);  // under the box's caption
    everyPort_->setToolTip(warning->text());
    layout->addWidget(warning);

    progress_ = new QProgressBar(this);
    nameControl(progress_, "SearchProgress", "Search progress");
    layout->addWidget(progress_);
    trying_ = wrappedLabel(this, "TryUnderWay", "Try under way", 1);
    layout->addWidget(trying_);
    finding_ = wrappedLabel(this, "Finding", "Finding", 3);
    finding_->setFont(designFont(font().pointSizeF(), true));
    finding_->setMinimumHeight(finding_->fontMetrics().lineSpacing() * 3 + 2);
    layout->addWidget(finding_);
    evidence_ = wrappedLabel(this, "Evidence", "Evidence", 4);
    layout->addWidget(evidence_);
    layout->addStretch();

    auto* buttons = new QHBoxLayout;
    use_ = new QPushButton("&Use these settings", this);
    nameControl(use_, "UseTheseSettings", "Use these settings");
    again_ = new QPushButton("&Search again", this);
    nameControl(again_, "SearchAgain", "Search again");
    cancel_ = new QPushButton("Cancel", this);
    nameControl(cancel_, "CancelSearch", "Cancel");
    close_ = new QPushButton("&Close", this);
    nameControl(close_, "CloseFindSettings", "Close");
    buttons->addWidget(use_);
    buttons->addWidget(again_);
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    connect(use_, &QPushButton::clicked, this, &FindSettingsWindow::useClicked);
    connect(again_, &QPushButton::clicked, this, [this] { emit searchClicked(everyPort()); });
    connect(cancel_, &QPushButton::clicked, this, &FindSettingsWindow::cancelClicked);
    connect(close_, &QPushButton::clicked, this, &QWidget::hide);

    // Wide enough for a finding in two or three lines; as tall as it needs.
    setFixedWidth(fontMetrics().horizontalAdvance(QString(70, 'n')));
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

bool FindSettingsWindow::everyPort() const {
    return everyPort_->isChecked();
}

void FindSettingsWindow::render(const SettingsSearch& search) {
    searching_ = search.running();
    const auto& finding = search.finding();
    progress_->setRange(0, std::max(1, search.mostTries()));
    progress_->setValue(searching_ || !finding ? search.triesMade() : progress_->maximum());
    if (const auto t = search.trying())
        trying_->setText(QString("Trying %1 (try %2)")
                             .arg(QString::fromStdString(describeTry(*t)))
                             .arg(search.triesMade() + 1));
    else
        trying_->setText(search.cancelled() ? "Cancelled: the port is as it was." : "");
    finding_->setText(finding && !searching_ ? QString::fromStdString(finding->text) : "");
    evidence_->setText(finding && !searching_ ? QString::fromStdString(finding->evidence) : "");

    use_->setEnabled(!searching_ && finding && finding->settings);
    use_->setDefault(use_->isEnabled());
    again_->setEnabled(!searching_);
    everyPort_->setEnabled(!searching_);
    cancel_->setVisible(searching_);
    close_->setVisible(!searching_);
}

void FindSettingsWindow::reject() {
    // Closing mid-search (the close box, Esc) stops it: the port goes back
    // as it was.
    if (searching_) emit cancelClicked();
    QDialog::reject();
}

}  // namespace quadrel
