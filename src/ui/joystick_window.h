// Joystick > Output...: whether the transmitter drives the virtual
// joystick, and for each of its axes the channel, the reverse box, the
// failsafe and a live bar of the value sent; below, the device's node or
// why it could not be made and the fix. It shows and reports; the program
// decides.
#pragma once

#include <QDialog>

#include <array>

#include "joystick/joystick_choices.h"

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

    void render(const JoystickChoices& choices, const std::array<int, kJoystickAxes>& sent,
                const QString& status);

signals:
    void choicesChanged(const quadrel::JoystickChoices& choices);

private:
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
    QLabel* status_;
    bool rendering_ = false;
};

}  // namespace quadrel
