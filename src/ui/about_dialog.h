// The About window as the user sees it; its behaviour is AboutForm's.
#pragma once

#include <QDialog>

class QLabel;

namespace quadrel {

class AboutForm;

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

    void render(const AboutForm& form);

signals:
    void okClicked();         // "OK", Enter or Esc
    void discardRequested();  // the close box

protected:
    void reject() override;  // Esc
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* version_ = nullptr;
};

}  // namespace quadrel
