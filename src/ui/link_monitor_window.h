// The Link Monitor: why a link fails, beside the main window. A verdict on
// top, the figures, the histogram of frame intervals and the last bytes in
// hex with each frame's sync and end mark marked. It asks for a fresh report
// ten times a second while it is shown, and for nothing while it is not.
#pragma once

#include <QDialog>
#include <QTimer>

#include <array>
#include <functional>

#include "link/link_monitor.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;

namespace quadrel {

class IntervalHistogram;
class RawByteView;

class LinkMonitorWindow : public QDialog {
    Q_OBJECT

public:
    using ReportSource = std::function<LinkReport()>;
    LinkMonitorWindow(ReportSource source, QWidget* parent = nullptr);

    // Shows `report` unless the view is frozen; a frozen view keeps what it
    // showed while the statistics go on.
    void render(const LinkReport& report);
    bool frozen() const;
    bool refreshing() const { return refresh_.isActive(); }

signals:
    void resetClicked();
    void findSettingsClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // A caption and its value; `span` columns for the value.
    QLabel* addFigure(QGridLayout* grid, int row, int column, const QString& name,
                      const QString& caption, int span = 1);

    ReportSource source_;
    QTimer refresh_;
    QLabel* verdict_;
    QLabel* bytes_;
    QLabel* frames_;
    QLabel* kinds_;
    QLabel* channels_;
    QLabel* interval_;
    QLabel* spread_;
    QLabel* outside_;
    QLabel* shortFrames_;
    QLabel* syncLike_;
    QLabel* lostFrames_;
    QLabel* clock_;
    QLabel* lowLatency_;
    QLabel* delivery_;
    QLabel* lineErrors_;
    std::array<QLabel*, 8> channelRows_{};
    IntervalHistogram* histogram_;
    RawByteView* raw_;
    QPushButton* freeze_;
    QCheckBox* freezeOnTrouble_;
    std::uint64_t troubleSeen_ = 0;  // lost bytes and glitches at the last render
};

}  // namespace quadrel
