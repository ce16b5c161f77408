// The Zhen Hua cable window: how the cable is wired and what it needs. Only
// hidden by "Close", Enter and Esc; its close box discards it.
#pragma once

#include <QDialog>

namespace quadrel {

class CableDialog : public QDialog {
    Q_OBJECT

public:
    explicit CableDialog(QWidget* parent = nullptr);

protected:
    void reject() override;  // Esc hides, as "Close" does
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quadrel
