#include "ui/picture_layer.h"

#include <QPaintEvent>
#include <QStyle>

namespace quadrel {

QString lookName(const QWidget& w) {
    return QStringLiteral("quadrel:%1:%2x%3:%4:%5:%6:%7:%8:")
        .arg(QString::fromLatin1(w.metaObject()->className()))
        .arg(w.width())
        .arg(w.height())
        .arg(reinterpret_cast<quintptr>(w.style()))
        .arg(w.palette().cacheKey())
        .arg(w.font().key())
        .arg(int(w.isEnabled()))
        .arg(int(w.isActiveWindow()));
}

PictureLayer::PictureLayer(QWidget* parent) : QWidget(parent) {
    // Its background hides what lies beneath, so Qt paints nothing there.
    setAutoFillBackground(true);
}

void PictureLayer::add(LayerPart& part) {
    parts_.push_back(&part);
}

void PictureLayer::changed(const QWidget& part) {
    update(part.geometry().translated(-pos()));
}

void PictureLayer::gather(const QWidget& part) {
    gathered_ |= part.geometry().translated(-pos());
}

void PictureLayer::finish() {
    if (!gathered_.isNull()) update(gathered_);
    gathered_ = {};
}

void PictureLayer::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (LayerPart* part : parts_) {
        const QWidget& w = part->widget();
        const QRect place = w.geometry().translated(-pos());
        if (!w.isHidden() && event->region().intersects(place))
            painter.drawPixmap(place.topLeft(), part->picture());
    }
}

}  // namespace quadrel
