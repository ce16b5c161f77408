#include "dialogs/about_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "app/program_icon.h"
#include "app/widget_support.h"
#include "dialogs/about_form.h"

namespace quadrel {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setUpFixedWindow(this, "Form3", "About", 4560, 2865);

    auto* icon = new QLabel(this);
    nameControl(icon, "picIcon", "Quadrel icon");
    icon->setPixmap(programIcon().pixmap(32, 32));
    placeAt(icon, {240, 240, 540, 540});
    icon->adjustSize();  // the picture sizes itself

    auto* title = new QLabel(" Quadrel", this);
    nameControl(title, "Title");
    placeAt(title, {1080, 120, 3375, 465});
    title->setFont(boldFont(13.5));
    title->setAlignment(Qt::AlignCenter);
    QPalette black = title->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    title->setPalette(black);

    auto* description = new QLabel(
        "For testing of Serial PIC Interfaces using transmitters up to eight channels.", this);
    nameControl(description, "Label3");
    placeAt(description, {1080, 720, 3375, 735});
    QFont arial("Arial");
    arial.setPointSizeF(8.25);
    arial.setBold(true);
    description->setFont(arial);
    description->setAlignment(Qt::AlignCenter);
    description->setWordWrap(true);

    version_ = new QLabel(this);
    nameControl(version_, "Label1");
    placeAt(version_, {1080, 1560, 3375, 255});
    version_->setAlignment(Qt::AlignCenter);

    auto* disclaimer = new QLabel("Written by the Quadrel authors.", this);
    nameControl(disclaimer, "lblDisclaimer");
    placeAt(disclaimer, {135, 2145, 3870, 225});
    disclaimer->setPalette(black);

    auto* ok = new QPushButton("OK", this);
    nameControl(ok, "cmdOK");
    placeAt(ok, {3120, 2280, 1260, 345});
    ok->setDefault(true);  // Enter; Esc comes through reject()
    connect(ok, &QPushButton::clicked, this, &AboutDialog::okClicked);

    auto* freeware = new QLabel("Freeware", this);
    nameControl(freeware, "Label2");
    placeAt(freeware, {120, 2400, 1575, 255});
}

void AboutDialog::render(const AboutForm& form) {
    version_->setText(qText(form.Label1.Caption));
}

void AboutDialog::reject() { emit okClicked(); }

void AboutDialog::closeEvent(QCloseEvent* event) {
    event->ignore();  // the program discards the window itself
    emit discardRequested();
}

void AboutDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The etched separator: a grey line over a white one.
    QPainter p(this);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawLine(QPointF(0, 1965 / kTwipsPerPixel), QPointF(4320 / kTwipsPerPixel, 1965 / kTwipsPerPixel));
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(-1, 1980 / kTwipsPerPixel), QPointF(4320 / kTwipsPerPixel, 1980 / kTwipsPerPixel));
}

}  // namespace quadrel
