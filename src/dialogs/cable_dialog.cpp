#include "dialogs/cable_dialog.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <optional>

#include "app/program_icon.h"
#include "app/widget_support.h"
#include "dialogs/cable_diagram.h"

namespace quadrel {
namespace {

QLabel* addLabel(QWidget* parent, const QString& name, const QString& text, const TwipsRect& r,
                 std::optional<QFont> font = {}, std::optional<QColor> colour = {}) {
    auto* label = new QLabel(text, parent);
    nameControl(label, name);
    placeAt(label, r);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (font) label->setFont(*font);
    if (colour) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, *colour);
        label->setPalette(pal);
    }
    return label;
}

QFont sizedFont(double pointSize, bool bold = false) {
    QFont f;
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

QPointF pixelPoint(int x, int y) { return QPointF(x / kTwipsPerPixel, y / kTwipsPerPixel); }

}  // namespace

CableDialog::CableDialog(QWidget* parent) : QDialog(parent) {
    setUpFixedWindow(this, "Form4", "Zhen Hua Cable", 3825, 5160, Qt::Window);
    useDesignFont(this);

    const QColor red(255, 0, 0), blue(0, 0, 255);
    auto* title = addLabel(this, "Label5", "ZHEN HUA Type Tx Cable", {120, 45, 3600, 330}, sizedFont(13.5));
    title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    QFont note = sizedFont(8.25, true);
    note.setUnderline(true);
    addLabel(this, "Label9", "Note:", {240, 480, 495, 255}, note);
    // Wider than designed where the window has room, for wider fonts.
    addLabel(this, "Label10", "Set baudrate to 19200 baud", {840, 480, 2925, 255});
    addLabel(this, "Label7", "5", {2565, 945, 165, 240});
    addLabel(this, "Label6", "1", {2550, 2220, 180, 255});
    addLabel(this, "Label8", "Alternative", {945, 2400, 1500, 255}, {}, red);
    addLabel(this, "Label2", "DB9", {2715, 2670, 780, 465}, boldFont());
    addLabel(this, "Label1", "S-Video", {555, 2760, 1080, 285}, boldFont());
    addLabel(this, "Label3", "Female", {2580, 2925, 1005, 330}, boldFont());
    addLabel(this, "Label4", "As seen from the solder side of all connectors", {300, 3240, 3405, 255});
    auto* drivers = addLabel(this, "Label11",
                             "Please note that this cable will only work correct in FMS when used with the "
                             "PPJoy and PPJoyCom drivers from Morvik.",
                             {240, 3600, 3255, 855}, sizedFont(8.25, true), blue);
    drivers->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    drivers->setWordWrap(true);
    for (QLabel* label : findChildren<QLabel*>())
        if (!label->wordWrap()) shrinkToFit(label);

    auto* close = new QPushButton("Close", this);
    nameControl(close, "Command1", "Close");
    placeAt(close, {1440, 4680, 975, 375});
    close->setDefault(true);  // Enter; Esc comes through reject()
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

void CableDialog::reject() { hide(); }

void CableDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(toQColor(cable::kBlack), 1));
    for (const cable::Shape& s : cable::kShapes) {
        // The outline stays inside the shape's box, as a one-pixel border does.
        const QRectF box(s.left / kTwipsPerPixel, s.top / kTwipsPerPixel, s.width / kTwipsPerPixel - 1,
                         s.height / kTwipsPerPixel - 1);
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
