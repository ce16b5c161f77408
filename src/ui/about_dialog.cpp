#include "ui/about_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "dialogs/about_form.h"
#include "ui/program_icon.h"
#include "ui/widget_support.h"

namespace quadrel {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setUpFixedWindow(this, "Form3", "About", 4560, 2865);

    auto* icon = new QLabel(this);
    nameControl(icon, "picIcon", "Quadrel icon");
    icon->setPixmap(programIcon().pixmap(32, 32));
    placeAt(icon, {240, 240, 540, 540});
    icon->adjustSize();  // the picture sizes itself

    makeLabel(this, "Title", " Quadrel", {1080, 120, 3375, 465},
              {.font = boldFont(13.5), .color = kBlack, .align = Qt::AlignCenter});
    makeLabel(this, "Label3",
              "For testing of Serial PIC Interfaces using transmitters up to eight channels.",
              {1080, 720, 3375, 735},
              {.font = designFont(8.25, true, "Arial"), .align = Qt::AlignCenter})
        ->setWordWrap(true);
    version_ = makeLabel(this, "Label1", {}, {1080, 1560, 3375, 255}, {.align = Qt::AlignCenter});
    makeLabel(this, "lblDisclaimer", "Written by the Quadrel authors.", {135, 2145, 3870, 225},
              {.color = kBlack});

    auto* ok = new QPushButton("OK", this);
    nameControl(ok, "cmdOK");
    placeAt(ok, {3120, 2280, 1260, 345});
    ok->setDefault(true);  // Enter; Esc comes through reject()
    connect(ok, &QPushButton::clicked, this, &AboutDialog::okClicked);

    makeLabel(this, "Label2", "Freeware", {120, 2400, 1575, 255},
              {.align = Qt::AlignLeft | Qt::AlignVCenter});
}

void AboutDialog::render(const AboutForm& form) {
    version_->setText(qText(form.Label1.Caption));
}

void AboutDialog::reject() {
    emit okClicked();
}

void AboutDialog::closeEvent(QCloseEvent* event) {
    event->ignore();  // the program discards the window itself
    emit discardRequested();
}

void AboutDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The etched separator: a grey line over a white one.
    QPainter p(this);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawLine(QPointF(0, 1965 / kTwipsPerPixel),
               QPointF(4320 / kTwipsPerPixel, 1965 / kTwipsPerPixel));
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(-1, 1980 / kTwipsPerPixel),
               QPointF(4320 / kTwipsPerPixel, 1980 / kTwipsPerPixel));
}

}  // namespace quadrel
