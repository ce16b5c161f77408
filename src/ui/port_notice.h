// Small windows beside the main window that tell, once per run and without
// blocking anything, what the user must fix outside the program: the
// status line says only "Unable to open COM 1!", and a settings file that
// cannot be read or saved is otherwise told only on standard error.
#pragma once

#include <QDialog>

class QLabel;

namespace quadrel {

class OneTimeNotice : public QDialog {
    Q_OBJECT

public:
    // Controls are named `name`, `name`Icon, `name`Text and `name`Ok.
    OneTimeNotice(QWidget* owner, const QString& name, const QString& title);

protected:
    // Shows `text` over the owner unless a notice was shown already.
    void tellOnce(const QString& text);

private:
    QLabel* text_ = nullptr;
    bool shown_ = false;
};

class PortPermissionNotice : public OneTimeNotice {
    Q_OBJECT

public:
    explicit PortPermissionNotice(QWidget* owner);

    // After every event: shows `reason` when the last open was refused for
    // lack of permission and the notice has not been shown yet this run.
    void offer(bool permissionRefused, const QString& reason);
};

class SettingsFileNotice : public OneTimeNotice {
    Q_OBJECT

public:
    explicit SettingsFileNotice(QWidget* owner);

    // After every event: shows the first problem with the settings file,
    // which names the file and the reason.
    void offer(const QString& problem);
};

}  // namespace quadrel
