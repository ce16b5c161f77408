#include "ui/port_notice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/widget_support.h"

namespace quadrel {

OneTimeNotice::OneTimeNotice(QWidget* owner, const QString& name, const QString& title)
    : QDialog(owner) {
    nameControl(this, name, title);
    setWindowTitle("Quadrel: " + title.left(1).toLower() + title.mid(1));
    setWindowModality(Qt::NonModal);
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto* icon = new QLabel(this);
    nameControl(icon, name + "Icon", "Warning");
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));

    text_ = new QLabel(this);
    nameControl(text_, name + "Text", title);
    text_->setWordWrap(true);
    // The command or path in it can be copied.
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setMinimumWidth(320);

    auto* ok = new QPushButton("OK", this);
    nameControl(ok, name + "Ok", "OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::hide);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

void OneTimeNotice::tellOnce(const QString& text) {
    if (shown_ || text.isEmpty()) return;
    shown_ = true;
    text_->setText(text);
    adjustSize();
    if (const QWidget* owner = parentWidget())
        move(owner->frameGeometry().center() - rect().center());
    show();
}

PortPermissionNotice::PortPermissionNotice(QWidget* owner)
    : OneTimeNotice(owner, "PortNotice", "Cannot open the serial port") {}

void PortPermissionNotice::offer(bool permissionRefused, const QString& reason) {
    if (!permissionRefused || reason.isEmpty()) return;
    tellOnce(reason +
             "\n\nSettings > Comms... shows this reason too; its Ok tries the port again.");
}

SettingsFileNotice::SettingsFileNotice(QWidget* owner)
    : OneTimeNotice(owner, "SettingsNotice", "A problem with the settings file") {}

void SettingsFileNotice::offer(const QString& problem) {
    if (problem.isEmpty()) return;
    // "cannot save settings to /home/ann/.config/Quadrel.ini: Permission denied"
    tellOnce("Quadrel " + problem +
             ".\n\nThe program goes on with what it has; choices that cannot be saved are "
             "lost when it ends.");
}

}  // namespace quadrel
