// The main window: eight channel rows, the calibrate button, the mode,
// transmitter and stick frames and the status lines. It paints what the
// receiver and the program say and reports the user's clicks; it decides
// nothing itself.
#pragma once

#include <QMainWindow>

#include <array>
#include <optional>

#include "link/link_summary.h"
#include "receiver/receiver.h"
#include "serial/port_settings.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

namespace quadrel {

class PictureLayer;

class MainWindow : public QMainWindow {
    Q_OBJECT

signals:
    // What the user did; the program decides what follows.
    void calibrateClicked();
    void recalibrateTriggered();   // Settings > Recalibrate
    void commsTriggered();         // Settings > Comms...
    void zhenHuaTriggered();       // Zhen Hua
    void aboutTriggered();         // Help > About...
    void linkMonitorTriggered();   // Diagnostics > Link Monitor...
    void findSettingsTriggered();  // Diagnostics > Find Settings...
    void linkSummaryClicked();     // the verdict beside the port line
    void joystickTriggered();      // Joystick > Output...
    void exitTriggered();          // File > Exit
    void closeRequested();         // the close box
    void reverseChanged(int channel, quadrel::ReverseBox box);
    void modeChosen(quadrel::StickMode mode);
    void typeChosen(quadrel::TransmitterType type);

public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Brings every widget whose value changed up to date.
    void render(const ReceiverView& view, const StatusLine& status);
    // Whether the widgets show these already.
    bool shows(const ReceiverView& view, const StatusLine& status) const;
    // The link's verdict in the status bar, right of the port line.
    void showLinkSummary(const LinkSummary& summary);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildChannelRows(QWidget* client);
    void buildOptionFrames(QWidget* client);
    void buildStatusArea(QWidget* client);

    std::array<QLabel*, kChannels> values_{};
    std::array<QLabel*, kChannels> widths_{};
    std::array<QProgressBar*, kChannels> bars_{};
    std::array<QCheckBox*, kReverseBoxes> reverseBoxes_{};
    std::array<QRadioButton*, kStickModes> modes_{};
    std::array<QRadioButton*, kTransmitterTypes> types_{};
    QButtonGroup* modeGroup_ = nullptr;
    QButtonGroup* typeGroup_ = nullptr;
    QPushButton* calibrate_ = nullptr;
    QLabel* noSignal_ = nullptr;
    QLabel* status_ = nullptr;
    QToolButton* linkSummary_ = nullptr;
    std::optional<LinkSummary> summaryShown_;
    QWidget* rightStick_ = nullptr;
    QWidget* leftStick_ = nullptr;
    PictureLayer* rowsLayer_ = nullptr;   // paints the values and bars
    PictureLayer* stickLayer_ = nullptr;  // paints the boxes and markers

    // What the widgets show now.
    struct Shown {
        ReceiverView view;
        StatusLine status;
    };
    std::optional<Shown> shown_;
};

}  // namespace quadrel
