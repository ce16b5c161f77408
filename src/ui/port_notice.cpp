#include "ui/port_notice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/widget_support.h"

namespace quadrel {

PortPermissionNotice::PortPermissionNotice(QWidget* owner) : QDialog(owner) {
    nameControl(this, "PortNotice", "Cannot open the serial port");
    setWindowTitle("Quadrel: cannot open the serial port");
    setWindowModality(Qt::NonModal);
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto* icon = new QLabel(this);
    nameControl(icon, "PortNoticeIcon", "Warning");
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));

    text_ = new QLabel(this);
    nameControl(text_, "PortNoticeText", "Why the port could not be opened");
    text_->setWordWrap(true);
    // The command in it can be copied.
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setMinimumWidth(320);

    auto* ok = new QPushButton("OK", this);
    nameControl(ok, "PortNoticeOk", "OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::hide);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

void PortPermissionNotice::offer(bool permissionRefused, const QString& reason) {
    if (shown_ || !permissionRefused || reason.isEmpty()) return;
    shown_ = true;
    text_->setText(reason +
                   "\n\nSettings > Comms... shows this reason too; its Ok tries the port again.");
    adjustSize();
    if (const QWidget* owner = parentWidget())
        move(owner->frameGeometry().center() - rect().center());
    show();
}

}  // namespace quadrel
