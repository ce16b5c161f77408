// The windows were designed for a narrow system font. Where the desktop's
// font is wider, a one-line caption that no longer fits its box is set a
// little smaller rather than cut off.
#pragma once

#include <QFont>
#include <QWidget>

namespace quadrel {

inline void shrinkToFit(QWidget* w, double smallestPointSize = 6.5) {
    QFont f = w->font();
    if (f.pointSizeF() <= 0) return;  // sized in pixels: leave it
    while (w->sizeHint().width() > w->width() && f.pointSizeF() - 0.25 >= smallestPointSize) {
        f.setPointSizeF(f.pointSizeF() - 0.25);
        w->setFont(f);
    }
}

}  // namespace quadrel
