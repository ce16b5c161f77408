#include "ui/design_frame.h"

#include <QPaintEvent>
#include <QPainter>

namespace quadrel {

void DesignFrame::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QFontMetrics fm = fontMetrics();
    // An etched border: a dark line with a light one inside it.
    const QRect border = frameInnerRect(size(), fm.height()).adjusted(-2, -2, 2, 2);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(border.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(border.adjusted(1, 1, 0, 0));

    // The caption interrupts the top edge. A stick marker moving inside
    // repaints only its own track: no text to lay out then.
    if (!event->region().intersects(QRect(0, 0, width(), fm.height()))) return;
    const QRect caption(6, 0, fm.horizontalAdvance(title()) + 4, fm.height());
    p.fillRect(caption, palette().color(backgroundRole()));
    p.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(caption, Qt::AlignCenter, title());
}

}  // namespace quadrel
