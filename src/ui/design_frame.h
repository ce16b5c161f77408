// A frame as the windows were designed with: the border starts half a text
// line down, the caption sits on its top edge, and the controls inside are
// placed from the frame's own top-left corner.
#pragma once

#include <QGroupBox>
#include <QRect>

namespace quadrel {

// The area inside the border of a frame of `size` whose caption is
// `textHeight` pixels high; the controls of the frame belong in it.
inline QRect frameInnerRect(QSize size, int textHeight) {
    return QRect(QPoint(2, textHeight / 2 + 2), QPoint(size.width() - 3, size.height() - 3));
}

class DesignFrame : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override;
};

}  // namespace quadrel
