// Controls that change many times a second, painted together. Each such
// control stays a real widget (its name, text or value, tooltip and
// accessibility are its own), but it does not paint itself: a layer beneath
// it paints the pictures of all its controls in one paint event. Qt walks
// every sibling and paints every changed widget apart; for eight values,
// eight bars and two markers at each display frame that cost more than the
// rest of the program. A picture is kept in QPixmapCache, named after the
// control's looks and what it shows, so a value seen before is not drawn
// again.
#pragma once

#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QWidget>

#include <vector>

namespace quadrel {

class PictureLayer;

// A control as the layer sees it.
class LayerPart {
public:
    virtual ~LayerPart() = default;
    virtual QWidget& widget() = 0;
    // What the control looks like now, at its size and pixel ratio.
    virtual QPixmap picture() = 0;
};

// Lies beneath its parts (siblings laid over it) and paints them.
class PictureLayer : public QWidget {
public:
    explicit PictureLayer(QWidget* parent);

    // `part` must be a sibling over this layer; it is painted in the order
    // added.
    void add(LayerPart& part);
    // A part shows something new: its place is painted again.
    void changed(const QWidget& part);
    // The same, gathered into one place painted at finish(): for parts that
    // change together, which cost Qt less as one rectangle than as many.
    void gather(const QWidget& part);
    void finish();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<LayerPart*> parts_;
    QRect gathered_;
};

// Makes `Base` a part of a layer: it keeps its updates off, so setting its
// text or value marks nothing but the layer's place for it.
template <typename Base>
class LayerPainted : public Base, public LayerPart {
public:
    template <typename... Args>
    explicit LayerPainted(PictureLayer& layer, Args&&... args)
        : Base(std::forward<Args>(args)...), layer_(layer) {
        this->setUpdatesEnabled(false);
        layer.add(*this);
    }

    QWidget& widget() override { return *this; }
    QPixmap picture() override;

protected:
    // What the control shows beyond its looks (a text, a value).
    virtual QString shown() const { return {}; }
    virtual void paintPicture(QPainter& painter) = 0;

    bool event(QEvent* event) override;
    // Only a layer-less paint (a grab of this control alone) gets here.
    void paintEvent(QPaintEvent*) override { QPainter(this).drawPixmap(0, 0, picture()); }

private:
    const QString& look();

    PictureLayer& layer_;
    QString look_;
    qreal ratio_ = 0;
};

// Names a look: the kind of control, its size, style, palette, font and
// state. Made again after any change of these.
QString lookName(const QWidget& w);

template <typename Base>
const QString& LayerPainted<Base>::look() {
    if (look_.isEmpty()) look_ = lookName(*this) + QString::number(ratio_) + u':';
    return look_;
}

template <typename Base>
QPixmap LayerPainted<Base>::picture() {
    const qreal ratio = this->devicePixelRatioF();
    if (ratio != ratio_) look_.clear(), ratio_ = ratio;
    const QString key = look() + shown();
    QPixmap picture;
    if (!QPixmapCache::find(key, &picture)) {
        picture = QPixmap(this->size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        paintPicture(painter);
        painter.end();
        QPixmapCache::insert(key, picture);
    }
    return picture;
}

template <typename Base>
bool LayerPainted<Base>::event(QEvent* event) {
    const bool handled = Base::event(event);
    switch (event->type()) {
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
        case QEvent::FontChange:
        case QEvent::EnabledChange:
        case QEvent::ActivationChange:
        case QEvent::Resize:
            look_.clear();
            layer_.changed(*this);
            break;
        default:
            break;
    }
    return handled;
}

}  // namespace quadrel
