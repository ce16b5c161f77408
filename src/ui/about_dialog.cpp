#include "ui/about_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "dialogs/about_box.h"
#include "ui/control_names.h"
#include "ui/program_icon.h"
#include "ui/widget_support.h"

namespace quadrel {

namespace names = control_names::about;

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setUpFixedWindow(this, names::kWindow, "About", 4560, 2865);

    auto* icon = new QLabel(this);
    nameControl(icon, names::kIcon, "Quadrel icon");
    icon->setPixmap(programIcon().pixmap(32, 32));
    placeAt(icon, {240, 240, 540, 540});
    icon->adjustSize();  // the picture sizes itself

    makeLabel(this, names::kTitle, " Quadrel", {1080, 120, 3375, 465},
              {.font = boldFont(13.5), .color = kBlack, .align = Qt::AlignCenter});
    makeLabel(this, names::kPurpose,
              "For testing of Serial PIC Interfaces using transmitters up to eight channels.",
              {1080, 720, 3375, 735},
              {.font = designFont(8.25, true, "Arial"), .align = Qt::AlignCenter})
        ->setWordWrap(true);
    makeLabel(this, names::kVersion, QString::fromStdString(versionLine()), {1080, 1560, 3375, 255},
              {.align = Qt::AlignCenter});
    makeLabel(this, names::kDisclaimer, "Written by the Quadrel authors.", {135, 2145, 3870, 225},
              {.color = kBlack});

    auto* ok = new QPushButton("OK", this);
    nameControl(ok, names::kOk);
    placeAt(ok, {3120, 2280, 1260, 345});
    ok->setDefault(true);  // Enter; Esc comes through reject()
    connect(ok, &QPushButton::clicked, this, &AboutDialog::okClicked);

    makeLabel(this, names::kFreeware, "Freeware", {120, 2400, 1575, 255},
              {.align = Qt::AlignLeft | Qt::AlignVCenter});
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
