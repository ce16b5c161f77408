// A note under a fixed window's designed area, wrapped to the window's
// width so that all of it shows: the window grows by the note's height
// while there is one and returns to its designed size without it.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QSize>

#include "ui/widget_support.h"

namespace quadrel {

class WindowFootnote : public QLabel {
public:
    // `window` has its designed size now.
    WindowFootnote(QWidget* window, const QString& name, const QString& spokenName)
        : QLabel(window), designSize_(window->size()) {
        nameControl(this, name, spokenName);
        setWordWrap(true);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setTextInteractionFlags(Qt::TextSelectableByMouse);
        hide();
    }

    // Empty text removes the note.
    void setNote(const QString& text, const QColor& color) {
        QWidget* window = parentWidget();
        if (text.isEmpty()) {
            hide();
            window->setFixedSize(designSize_);
            return;
        }
        QPalette pal = palette();
        pal.setColor(QPalette::WindowText, color);
        setPalette(pal);
        setText(text);
        const int width = designSize_.width() - 2 * kMargin;
        const int height = heightForWidth(width);
        setGeometry(kMargin, designSize_.height(), width, height);
        window->setFixedSize(designSize_.width(), designSize_.height() + height + kMargin);
        show();
    }

private:
    static constexpr int kMargin = 16;  // as the designed controls keep from the edge
    QSize designSize_;
};

}  // namespace quadrel
