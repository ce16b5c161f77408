// The status line says only "Unable to open COM 1!". When the reason is a
// missing permission, which the user must fix outside the program, a small
// window beside the main window tells the whole reason once per run,
// without blocking anything.
#pragma once

#include <QDialog>

class QLabel;

namespace quadrel {

class PortPermissionNotice : public QDialog {
    Q_OBJECT

public:
    explicit PortPermissionNotice(QWidget* owner);

    // After every event: shows `reason` when the last open was refused for
    // lack of permission and the notice has not been shown yet this run.
    void offer(bool permissionRefused, const QString& reason);

private:
    QLabel* text_ = nullptr;
    bool shown_ = false;
};

}  // namespace quadrel
