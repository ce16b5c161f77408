// Find Settings: the settings search as it goes (the try under way and a
// progress bar), then its finding with the evidence, and the buttons to use
// the setting found, search again, cancel or close. It shows the search's
// state and reports clicks; the program runs the search.
#pragma once

#include <QDialog>

#include "search/settings_search.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace quadrel {

class FindSettingsWindow : public QDialog {
    Q_OBJECT

public:
    explicit FindSettingsWindow(QWidget* parent = nullptr);

    void render(const SettingsSearch& search);
    bool everyPort() const;

signals:
    void searchClicked(bool everyPort);  // "Search again"
    void cancelClicked();                // "Cancel", and closing while searching
    void useClicked();                   // "Use these settings"

public slots:
    void reject() override;

private:
    QCheckBox* everyPort_;
    QProgressBar* progress_;
    QLabel* trying_;
    QLabel* finding_;
    QLabel* evidence_;
    QPushButton* use_;
    QPushButton* again_;
    QPushButton* cancel_;
    QPushButton* close_;
    bool searching_ = false;
};

}  // namespace quadrel
