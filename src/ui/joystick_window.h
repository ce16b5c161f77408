// Joystick > Output...: whether the transmitter drives the virtual
// joystick, and for each of its axes the channel, the reverse box, the
// failsafe and a live bar of the value sent; for each button the channel
// that presses it and whether it is pressed; below, the device's node or
// why it could not be made and the fix. It shows and reports; the program
// decides.
#pragma once

#include <QDialog>

#include <array>

#include "joystick/joystick_choices.h"
#include "joystick/joystick_output.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QSpinBox;

namespace quadrel {

class JoystickWindow : public QDialog {
    Q_OBJECT

public:
    explicit JoystickWindow(QWidget* parent = nullptr);

    void render(const JoystickChoices& choices, const JoystickState& sent, const QString& status);

signals:
    void choicesChanged(const quadrel::JoystickChoices& choices);

private:
    QLabel* heading(const QString& text, const char* kind, int n);
    JoystickChoices choices() const;
    void changed();

    QCheckBox* enabled_;
    struct Row {
        QComboBox* channel;
        QCheckBox* reversed;
        QComboBox* failsafe;
        QSpinBox* value;
        QProgressBar* bar;
    };
    std::array<Row, kJoystickAxes> rows_{};
    struct ButtonRow {
        QComboBox* channel;
        QLabel* state;
    };
    std::array<ButtonRow, kJoystickButtons> buttons_{};
    QLabel* status_;
    bool rendering_ = false;
};

}  // namespace quadrel
