// The port settings dialog as the user sees it; its behaviour is
// PortSettingsForm's. It shows the form's lists and check boxes and reports
// the user's picks and clicks; it decides nothing itself.
#pragma once

#include <QDialog>
#include <QString>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;

namespace quadrel {

class PortSettingsForm;
class WindowFootnote;

class PortSettingsDialog : public QDialog {
    Q_OBJECT

public:
    explicit PortSettingsDialog(QWidget* parent = nullptr);

    // Where a system without "COMn" names opens ports 1 to 4, one device
    // path each; empty entries show nothing.
    void setPortDevices(const std::array<QString, 4>& devices);

    // `lastFailure` says why port `failedPort` could not be opened last
    // time; empty when it opened.
    void render(const PortSettingsForm& form, const QString& lastFailure, int failedPort);

signals:
    void okClicked();         // "&Ok" and Enter
    void closeClicked();      // "&Close" and Esc
    void defaultClicked();    // "&Default"
    void discardRequested();  // the close box
    // The user picked entry `index` of Combo`list` (1 to 5).
    void listPicked(int list, int index);
    // The user ticked (1) or cleared (0) Check`box` (1 or 2).
    void checkChanged(int box, int value);

protected:
    void reject() override;  // Esc
    void closeEvent(QCloseEvent* event) override;

private:
    void showDevice(int port, const QString& lastFailure, int failedPort);

    std::array<QComboBox*, 5> combos_{};  // Combo1 to Combo5
    std::array<QCheckBox*, 2> checks_{};  // Check1, Check2
    std::array<QString, 4> devices_;
    QLabel* device_ = nullptr;   // the picked port's device
    WindowFootnote* failure_ = nullptr;  // why the picked port failed last time, all of it
};

}  // namespace quadrel
