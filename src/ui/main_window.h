// The main window: eight channel rows, the calibrate button, the mode,
// transmitter and stick frames and the status lines. It paints the core's
// state and reports the user's clicks; it decides nothing itself.
#pragma once

#include <QMainWindow>

#include <array>
#include <optional>

#include "form/main_window_state.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace quadrel {

class PictureLayer;

class MainWindow : public QMainWindow {
    Q_OBJECT

signals:
    // What the user did; the program decides what follows.
    void calibrateClicked();      // Command1
    void recalibrateTriggered();  // Settings > Recalibrate
    void commsTriggered();        // Settings > Comms...
    void zhenHuaTriggered();      // Zhen Hua
    void aboutTriggered();        // Help > About...
    void linkMonitorTriggered();  // Diagnostics > Link Monitor...
    void exitTriggered();         // File > Exit
    void closeRequested();        // the close box
    void reverseChanged(int channel, int value);
    void modeChosen(int mode);
    void typeChosen(int type);

public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Brings every widget whose value changed up to date with `state`.
    void render(const MainWindowState& state);
    // Whether the widgets show `state` already.
    bool shows(const MainWindowState& state) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildChannelRows(QWidget* client);
    void buildOptionFrames(QWidget* client);
    void buildStatusArea(QWidget* client);

    std::array<QLabel*, kChannels> in_{};
    std::array<QLabel*, kChannels> res_{};
    std::array<QProgressBar*, kChannels> bars_{};
    std::array<QCheckBox*, 4> checks_{};
    std::array<QRadioButton*, 4> modes_{};
    std::array<QRadioButton*, 5> options_{};
    QButtonGroup* modeGroup_ = nullptr;
    QButtonGroup* optionGroup_ = nullptr;
    QPushButton* command1_ = nullptr;
    QLabel* label11_ = nullptr;
    QLabel* label1_ = nullptr;
    QWidget* ball1_ = nullptr;
    QWidget* ball2_ = nullptr;
    PictureLayer* rowsLayer_ = nullptr;   // paints the values and bars
    PictureLayer* stickLayer_ = nullptr;  // paints the boxes and markers

    std::optional<MainWindowState> shown_;  // what the widgets show now
};

}  // namespace quadrel
