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
const char* const kButtonNames[] = {"Trigger", "Thumb", "Thumb 2", "Top"};

}  // namespace

// A heading or a row's name; a screen reader reads its text.
QLabel* JoystickWindow::heading(const QString& text, const char* kind, int n) {
    auto* label = new QLabel(text, this);
    nameControl(label, kind + QString::number(n + 1));
    return label;
}

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
    for (int c = 0; c < 6; ++c) grid->addWidget(heading(headings[c], "AxisHeading", c), 0, c);
    for (int a = 0; a < kJoystickAxes; ++a) {
        Row& row = rows_[static_cast<std::size_t>(a)];
        const QString axis = kAxisNames[a];
        grid->addWidget(heading(axis, "AxisName", a), a + 1, 0);
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
    // The buttons below the axes, their channels in the same column.
    const int top = kJoystickAxes + 2;
    grid->setRowMinimumHeight(top - 1, fontMetrics().lineSpacing() / 2);
    const char* const buttonHeadings[] = {"Button", "Channel",
                                          "Pressed above the channel's middle"};
    grid->addWidget(heading(buttonHeadings[0], "ButtonHeading", 0), top, 0);
    grid->addWidget(heading(buttonHeadings[1], "ButtonHeading", 1), top, 1);
    grid->addWidget(heading(buttonHeadings[2], "ButtonHeading", 2), top, 2, 1, 4);
    for (int b = 0; b < kJoystickButtons; ++b) {
        ButtonRow& row = buttons_[static_cast<std::size_t>(b)];
        const QString button = kButtonNames[b];
        const QString name = QString(button).remove(' ');
        grid->addWidget(heading(button, "ButtonName", b), top + 1 + b, 0);
        row.channel = new QComboBox(this);
        nameControl(row.channel, "Button" + name, button + " button channel");
        row.channel->addItem("None");
        for (int k = 1; k <= 8; ++k) row.channel->addItem("Channel " + QString::number(k));
        row.state = new QLabel(this);
        nameControl(row.state, "Pressed" + name, button + ": no channel");
        grid->addWidget(row.channel, top + 1 + b, 1);
        grid->addWidget(row.state, top + 1 + b, 2, 1, 4);
        connect(row.channel, &QComboBox::currentIndexChanged, this, &JoystickWindow::changed);
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
    for (std::size_t b = 0; b < buttons_.size(); ++b)
        c.buttons[b] = buttons_[b].channel->currentIndex();
    return c;
}

void JoystickWindow::changed() {
    if (rendering_) return;
    emit choicesChanged(choices());
}

void JoystickWindow::render(const JoystickChoices& c, const JoystickState& sent,
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
        row.bar->setValue(sent.axes[a]);
    }
    for (std::size_t b = 0; b < buttons_.size(); ++b) {
        ButtonRow& row = buttons_[b];
        row.channel->setCurrentIndex(c.buttons[b]);
        const QString state = c.buttons[b] == 0 ? "" : sent.buttons[b] ? "Pressed" : "Released";
        if (row.state->text() != state) {
            row.state->setText(state);
            row.state->setAccessibleName(QString(kButtonNames[b]) + ": " +
                                         (state.isEmpty() ? "no channel" : state));
        }
    }
    status_->setText(status);
    rendering_ = false;
}

}  // namespace quadrel
