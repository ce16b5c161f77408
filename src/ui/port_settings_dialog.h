// The port settings dialog as the user sees it; its behaviour is
// PortDialog's. It shows the lists' picks and the two boxes and reports the
// user's picks and clicks; it decides nothing itself.
#pragma once

#include <QDialog>
#include <QString>

#include <array>

#include "dialogs/port_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace quadrel {

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
    void render(const PortDialog& dialog, const QString& lastFailure, int failedPort);

signals:
    void okClicked();         // "&Ok" and Enter
    void closeClicked();      // "&Close" and Esc
    void defaultClicked();    // "&Default"
    void discardRequested();  // the close box
    void picked(quadrel::PortList list, int index);
    void rtsChanged(bool on);
    void dtrChanged(bool on);

protected:
    void reject() override;  // Esc
    void closeEvent(QCloseEvent* event) override;

private:
    void showDevice(int port, const QString& lastFailure, int failedPort);
    QComboBox* list(PortList which) const { return lists_[static_cast<std::size_t>(which)]; }

    std::array<QComboBox*, kPortLists> lists_{};  // in the order of PortList
    QCheckBox* rts_ = nullptr;
    QCheckBox* dtr_ = nullptr;
    std::array<QString, 4> devices_;
    QLabel* device_ = nullptr;           // the picked port's device
    WindowFootnote* failure_ = nullptr;  // why the picked port failed last time, all of it
};

}  // namespace quadrel
