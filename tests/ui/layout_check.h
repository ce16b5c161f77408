// What goes wrong when fonts differ from the design: a control outside its
// window or frame, a cut caption, overlap. Pixels round: one is allowed.
#pragma once

#include <QtWidgets>

#include <gtest/gtest.h>

#include "ui/design_frame.h"

namespace quadrel::testing {

// Where `w` shows something: a label its text, a button its caption and box.
inline QRect inkRect(const QWidget* w) {
    const auto* b = qobject_cast<const QAbstractButton*>(w);
    const auto* l = qobject_cast<const QLabel*>(w);
    const QFontMetrics fm = w->fontMetrics();
    if (b && b->inherits("QPushButton")) return {w->pos(), fm.size(0, b->text().remove('&'))};
    if (b) return {w->pos(), QSize(b->sizeHint().width(), w->height())};
    if (!l || l->text().isEmpty()) return w->geometry();
    const int wrap = l->wordWrap() ? Qt::TextWordWrap : 0;
    return fm.boundingRect(l->contentsRect(), int(l->alignment()) | wrap, l->text())
        .translated(w->pos());
}

// Checks the controls of a window's client area, and those of its frames.
inline void expectTidyLayout(const QWidget* parent) {
    const auto* frame = qobject_cast<const QGroupBox*>(parent);
    const QFontMetrics fm = parent->fontMetrics();
    const QRect room = frame ? frameInnerRect(parent->size(), fm.height()) : parent->rect();
    std::vector<std::pair<QRect, std::string>> inks;
    if (frame)
        inks.push_back({{6, 0, fm.horizontalAdvance(frame->title()) + 4, fm.height()}, "title"});
    for (const QWidget* c : parent->findChildren<const QWidget*>(Qt::FindDirectChildrenOnly)) {
        const std::string name = c->objectName().toStdString();
        const QString kind = c->metaObject()->className();
        if (c->isHidden() || c->isWindow()) continue;
        EXPECT_TRUE(room.adjusted(-1, -1, 1, 1).contains(c->geometry())) << name << " is outside";
        EXPECT_TRUE(c->geometry().adjusted(-1, -1, 1, 1).contains(inkRect(c))) << name << " is cut";
        if (kind == "QFrame" || kind == "QWidget") continue;  // shapes and markers may overlap
        for (const auto& [other, otherName] : inks)
            EXPECT_FALSE(inkRect(c).adjusted(1, 1, -1, -1).intersects(other))
                << name << " covers " << otherName;
        inks.push_back({inkRect(c), name});
        if (c->inherits("QGroupBox")) expectTidyLayout(c);
    }
}

}  // namespace quadrel::testing
