#include "ui/joystick_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/widget_support.h"

namespace quadrel {
namespace {

const char* const kAxisNames[] = {"X", "Y", "Z", "RX", "RY", "RZ", "Throttle", "Rudder"};
const char* const kFailsafeNames[] = {"Hold", "Centre", "Value"};

}  // namespace

JoystickWindow::JoystickWindow(QWidget* parent) : QDialog(parent) {
    nameControl(this, "JoystickOutput", "Joystick Output");
    setWindowTitle("Joystick Output");
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(this);

    enabled_ = new QCheckBox("&Enable joystick output", this);
    nameControl(enabled_, "EnableJoystick", "Enable joystick output");
    layout->addWidget(enabled_);
    connect(enabled_, &QCheckBox::toggled, this, &JoystickWindow::changed);

    auto* grid = new QGridLayout;
    const char* const headings[] = {"Axis", "Channel", "Reverse", "Failsafe", "Value", "Sent"};
    for (int c = 0; c < 6; ++c) grid->addWidget(new QLabel(headings[c], this), 0, c);
    for (int a = 0; a < kJoystickAxes; ++a) {
        Row& row = rows_[static_cast<std::size_t>(a)];
        const QString axis = kAxisNames[a];
        grid->addWidget(new QLabel(axis, this), a + 1, 0);
        row.channel = new QComboBox(this);
        nameControl(row.channel, "Channel" + axis, axis + " channel");
        for (int k = 1; k <= 8; ++k) row.channel->addItem("Channel " + QString::number(k));
        row.reversed = new QCheckBox(this);
        nameControl(row.reversed, "Reverse" + axis, axis + " reversed");
        row.failsafe = new QComboBox(this);
        nameControl(row.failsafe, "Failsafe" + axis, axis + " failsafe");
        for (const char* name : kFailsafeNames) row.failsafe->addItem(name);
        row.value = new QSpinBox(this);
        nameControl(row.value, "FailsafeValue" + axis, axis + " failsafe value");
        row.value->setRange(kAxisMin, kAxisMax);
        row.bar = new QProgressBar(this);
        nameControl(row.bar, "Sent" + axis, axis + " value sent");
        row.bar->setRange(kAxisMin, kAxisMax);
        row.bar->setTextVisible(false);
        grid->addWidget(row.channel, a + 1, 1);
        grid->addWidget(row.reversed, a + 1, 2, Qt::AlignCenter);
        grid->addWidget(row.failsafe, a + 1, 3);
        grid->addWidget(row.value, a + 1, 4);
        grid->addWidget(row.bar, a + 1, 5);
        connect(row.channel, &QComboBox::currentIndexChanged, this, &JoystickWindow::changed);
        connect(row.reversed, &QCheckBox::toggled, this, &JoystickWindow::changed);
        connect(row.failsafe, &QComboBox::currentIndexChanged, this, &JoystickWindow::changed);
        connect(row.value, &QSpinBox::valueChanged, this, &JoystickWindow::changed);
    }
    layout->addLayout(grid);

    status_ = new QLabel(this);
    nameControl(status_, "JoystickStatus", "Joystick status");
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_->setMinimumHeight(status_->fontMetrics().lineSpacing() * 3);
    layout->addWidget(status_);
}

JoystickChoices JoystickWindow::choices() const {
    JoystickChoices c;
    c.enabled = enabled_->isChecked();
    for (std::size_t a = 0; a < rows_.size(); ++a) {
        const Row& row = rows_[a];
        c.axes[a] = {row.channel->currentIndex() + 1, row.reversed->isChecked(),
                     static_cast<Failsafe>(row.failsafe->currentIndex()), row.value->value()};
    }
    return c;
}

void JoystickWindow::changed() {
    if (rendering_) return;
    emit choicesChanged(choices());
}

void JoystickWindow::render(const JoystickChoices& c, const std::array<int, kJoystickAxes>& sent,
                            const QString& status) {
    rendering_ = true;
    enabled_->setChecked(c.enabled);
    for (std::size_t a = 0; a < rows_.size(); ++a) {
        Row& row = rows_[a];
        const AxisChoice& axis = c.axes[a];
        row.channel->setCurrentIndex(axis.channel - 1);
        row.reversed->setChecked(axis.reversed);
        row.failsafe->setCurrentIndex(static_cast<int>(axis.failsafe));
        row.value->setValue(axis.failsafeValue);
        row.value->setEnabled(axis.failsafe == Failsafe::Value);
        row.bar->setValue(sent[a]);
    }
    status_->setText(status);
    rendering_ = false;
}

}  // namespace quadrel
