// The About window as the user sees it; its behaviour is AboutBox's.
#pragma once

#include <QDialog>

class QLabel;

namespace quadrel {

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

signals:
    void okClicked();         // "OK", Enter or Esc
    void discardRequested();  // the close box

protected:
    void reject() override;  // Esc
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quadrel
