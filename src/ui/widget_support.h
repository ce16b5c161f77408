// Small helpers every window uses to lay out and name its controls.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>

#include "ui/colours.h"
#include "ui/program_icon.h"
#include "ui/twips.h"

namespace quadrel {

inline QRect pixelRect(const TwipsRect& r) {
    return QRect(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
                 twipsToPixels(r.height));
}

inline QColor toQColor(Rgb c) {
    return QColor(c.red, c.green, c.blue);
}

// Tests and assistive tools find a control by its name: the object name
// and the accessible description both carry it; the accessible name stays
// what a screen reader should say.
inline void nameControl(QWidget* w, const QString& controlName, const QString& spokenName = {}) {
    w->setObjectName(controlName);
    w->setAccessibleDescription(controlName);
    if (!spokenName.isEmpty()) w->setAccessibleName(spokenName);
}

// A numbered control's name: "In" and 3 make "In3".
inline QString numbered(const char* prefix, int n, const char* separator = "") {
    return QString(prefix) + separator + QString::number(n);
}

// Places `w` at a design position given in twips, relative to its parent.
inline void placeAt(QWidget* w, const TwipsRect& r) {
    w->setGeometry(pixelRect(r));
}

// The windows were laid out for an 8 point dialog font; a larger platform
// default would cut captions in their fixed places.
inline void useDesignFont(QWidget* window) {
    QFont f = window->font();
    if (f.pointSizeF() > 8.0) f.setPointSizeF(8.0);
    window->setFont(f);
}

// Every window of the program: its control name, caption and the program's
// icon; a fixed size (the client area of its design) with a close box but
// no minimise or maximise button.
inline void setUpFixedWindow(QWidget* w, const QString& controlName, const QString& caption,
                             double widthTwips, double heightTwips,
                             Qt::WindowType kind = Qt::Dialog) {
    nameControl(w, controlName, caption);
    w->setWindowTitle(caption);
    w->setWindowIcon(programIcon());
    w->setWindowFlags(kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                      Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    if (widthTwips > 0) w->setFixedSize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
}

// A font of the design: the desktop's family unless one is named.
inline QFont designFont(double pointSize, bool bold = false, const QString& family = {}) {
    QFont f;
    if (!family.isEmpty()) f.setFamily(family);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

// The bold heading font of the windows: 9.75 point, weight 700.
inline QFont boldFont(double pointSize = 9.75) {
    return designFont(pointSize, true);
}

struct LabelStyle {
    std::optional<QFont> font = std::nullopt;  // the window's font when not given
    std::optional<Rgb> color = std::nullopt;   // text colour; the palette's when not given
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
};

// Places and names a label (of any QLabel kind) for tests and assistive tools.
inline QLabel* setUpLabel(QLabel* label, const QString& name, const QString& text,
                          const TwipsRect& r, const LabelStyle& style = {}) {
    label->setText(text);
    nameControl(label, name);
    placeAt(label, r);
    label->setAlignment(style.align);
    if (style.font) label->setFont(*style.font);
    if (style.color) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, toQColor(*style.color));
        label->setPalette(pal);
    }
    return label;
}

// A label at its design place, named for tests and assistive tools.
inline QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text,
                         const TwipsRect& r, const LabelStyle& style = {}) {
    return setUpLabel(new QLabel(parent), name, text, r, style);
}

// The windows were designed for a narrow system font. Where the desktop's
// font is wider, a one-line caption that no longer fits its box is set a
// little smaller rather than cut off.
inline void shrinkToFit(QWidget* w, double smallestPointSize = 6.5) {
    QFont f = w->font();
    if (f.pointSizeF() <= 0) return;  // sized in pixels: leave it
    while (w->sizeHint().width() > w->width() && f.pointSizeF() - 0.25 >= smallestPointSize) {
        f.setPointSizeF(f.pointSizeF() - 0.25);
        w->setFont(f);
    }
}

}  // namespace quadrel
