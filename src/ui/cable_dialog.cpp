#include "ui/cable_dialog.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "ui/cable_diagram.h"
#include "ui/control_names.h"
#include "ui/program_icon.h"
#include "ui/widget_support.h"

namespace quadrel {

namespace names = control_names::cable;
namespace {

QPointF pixelPoint(int x, int y) {
    return QPointF(x / kTwipsPerPixel, y / kTwipsPerPixel);
}

}  // namespace

CableDialog::CableDialog(QWidget* parent) : QDialog(parent) {
    setUpFixedWindow(this, names::kWindow, "Zhen Hua Cable", 3825, 5160, Qt::Window);
    useDesignFont(this);

    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignTop;
    makeLabel(this, names::kTitle, "ZHEN HUA Type Tx Cable", {120, 45, 3600, 330},
              {.font = designFont(13.5), .align = centred});

    QFont note = designFont(8.25, true);
    note.setUnderline(true);
    makeLabel(this, names::kNote, "Note:", {240, 480, 495, 255}, {.font = note});
    // Wider than designed where the window has room, for wider fonts.
    makeLabel(this, names::kBaudNote, "Set baudrate to 19200 baud", {840, 480, 2925, 255});
    makeLabel(this, names::kPin5, "5", {2565, 945, 165, 240});
    makeLabel(this, names::kPin1, "1", {2550, 2220, 180, 255});
    makeLabel(this, names::kAlternative, "Alternative", {945, 2400, 1500, 255}, {.color = kRed});
    makeLabel(this, names::kDb9, "DB9", {2715, 2670, 780, 465}, {.font = boldFont()});
    makeLabel(this, names::kSVideo, "S-Video", {555, 2760, 1080, 285}, {.font = boldFont()});
    makeLabel(this, names::kFemale, "Female", {2580, 2925, 1005, 330}, {.font = boldFont()});
    makeLabel(this, names::kSolderSide, "As seen from the solder side of all connectors",
              {300, 3240, 3405, 255});
    makeLabel(this, names::kDriverNote,
              "Please note that this cable will only work correct in FMS when used with the "
              "PPJoy and PPJoyCom drivers from Morvik.",
              {240, 3600, 3255, 855},
              {.font = designFont(8.25, true), .color = kBlue, .align = centred})
        ->setWordWrap(true);
    for (QLabel* label : findChildren<QLabel*>())
        if (!label->wordWrap()) shrinkToFit(label);

    auto* close = new QPushButton("Close", this);
    nameControl(close, names::kClose, "Close");
    placeAt(close, {1440, 4680, 975, 375});
    close->setDefault(true);  // Enter; Esc comes through reject()
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

void CableDialog::reject() {
    hide();
}

void CableDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(toQColor(kBlack), 1));
    for (const cable::Shape& s : cable::kShapes) {
        // The outline stays inside the shape's box, as a one-pixel border does.
        const QRectF box(s.left / kTwipsPerPixel, s.top / kTwipsPerPixel,
                         s.width / kTwipsPerPixel - 1, s.height / kTwipsPerPixel - 1);
        if (s.kind == cable::ShapeKind::Circle)
            p.drawEllipse(box);
        else
            p.drawRect(box);
    }
    for (const cable::Line& l : cable::kLines) {
        QPen pen(toQColor(l.colour), l.width, l.dotted ? Qt::DotLine : Qt::SolidLine);
        p.setPen(pen);
        p.drawLine(pixelPoint(l.x1, l.y1), pixelPoint(l.x2, l.y2));
    }
}

}  // namespace quadrel
