#include "ui/link_monitor_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/widget_support.h"

namespace quadrel {
namespace {
QFont monospace();
}

// A panel that draws one piece of the report on a text field's background.
template <typename Shown>
class ReportPanel : public QWidget {
public:
    using QWidget::QWidget;
    void show(const Shown& shown) {
        shown_ = shown;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Base));
        draw(p, shown_);
    }
    virtual void draw(QPainter& p, const Shown& shown) = 0;

private:
    Shown shown_{};
};

// Frame intervals of the last ten seconds, 5 ms a bar.
class IntervalHistogram : public ReportPanel<IntervalFigures> {
public:
    explicit IntervalHistogram(QWidget* parent) : ReportPanel(parent) { setMinimumHeight(70); }

protected:
    void draw(QPainter& p, const IntervalFigures& figures) override {
        const int bins = IntervalFigures::kBins;
        const int most =
            std::max(1, *std::max_element(figures.histogram.begin(), figures.histogram.end()));
        const int labelHeight = fontMetrics().height();
        const double barWidth = static_cast<double>(width()) / bins;
        const int room = height() - labelHeight - 2;
        p.setPen(palette().color(QPalette::Text));
        for (int i = 0; i < bins; ++i) {
            const int h = room * figures.histogram[static_cast<std::size_t>(i)] / most;
            const QRectF bar(i * barWidth + 1, room - h, barWidth - 2, h);
            p.fillRect(bar, palette().color(QPalette::Highlight));
            // Every other bin's start, the last with the unit.
            if (i % 2 == 0)
                p.drawText(QRectF(i * barWidth, room, barWidth * 2, labelHeight), Qt::AlignLeft,
                           i + 2 >= bins ? QString("%1 ms").arg(i * 5) : QString::number(i * 5));
        }
    }
};

// The last bytes in hex, sixteen a row, coloured by what they turned out to be.
class RawByteView : public ReportPanel<std::vector<RawByte>> {
public:
    explicit RawByteView(QWidget* parent) : ReportPanel(parent) {
        setFont(monospace());
        setMinimumSize(fontMetrics().horizontalAdvance("00 ") * 16, fontMetrics().height() * 4 + 4);
    }

protected:
    void draw(QPainter& p, const std::vector<RawByte>& bytes) override {
        const int cell = fontMetrics().horizontalAdvance("00 "), line = fontMetrics().height();
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const RawByte& b = bytes[i];
            QFont f = font();
            f.setBold(b.role == ByteRole::Sync || b.role == ByteRole::EndMark);
            p.setFont(f);
            p.setPen(colour(b.role));
            p.drawText(static_cast<int>(i % 16) * cell + 2,
                       static_cast<int>(i / 16) * line + fontMetrics().ascent() + 2,
                       QString("%1").arg(b.value, 2, 16, QChar('0')));
        }
    }

private:
    QColor colour(ByteRole role) const {
        switch (role) {
            case ByteRole::Sync:
                return toQColor(kBlue);
            case ByteRole::EndMark:
                return QColor(160, 0, 160);
            case ByteRole::Outside:
                return toQColor(kRed);
            case ByteRole::Unread:
            case ByteRole::Pending:
                return palette().color(QPalette::Disabled, QPalette::Text);
            case ByteRole::Channel:
                break;
        }
        return palette().color(QPalette::Text);
    }
    std::vector<RawByte> bytes_;
};

namespace {

// One row of the channel table, in columns under kChannelHeading.
constexpr char kChannelHeading[] = "Ch  Last   Min   Max  Noise   Glitches";
QString channelLine(int k, const ChannelFigures& c) {
    if (!c.seen) return QString("%1      -").arg(k, 2);
    return QString("%1  %2  %3  %4  %5  %6")
        .arg(k, 2)
        .arg(c.last, 4)
        .arg(c.min, 4)
        .arg(c.max, 4)
        .arg(c.noise < 0 ? QString("moving") : QString::number(c.noise), 6)
        .arg(c.glitches, 8);
}

QFont monospace() {
    QFont mono("monospace");
    mono.setStyleHint(QFont::Monospace);
    return mono;
}

}  // namespace

LinkMonitorWindow::LinkMonitorWindow(ReportSource source, QWidget* parent)
    : QDialog(parent), source_(std::move(source)) {
    nameControl(this, "LinkMonitor", "Link Monitor");
    setWindowTitle("Link Monitor");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(this);

    verdict_ = new QLabel("Waiting for data", this);
    nameControl(verdict_, "Verdict", "Verdict");
    verdict_->setWordWrap(true);
    verdict_->setFont(designFont(font().pointSizeF() + 1, true));
    // Three lines, whatever the verdict: a long one neither widens the
    // window nor pushes the figures down; the whole text is its tooltip.
    verdict_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    verdict_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for a verdict of two lines, so the figures never get squeezed.
    verdict_->setFixedHeight(verdict_->fontMetrics().lineSpacing() * 3 + 4);
    layout->addWidget(verdict_);

    auto* grid = new QGridLayout;
    bytes_ = addFigure(grid, 0, 0, "BytesPerSecond", "Bytes/s");
    frames_ = addFigure(grid, 0, 2, "FramesPerSecond", "Frames/s");
    channels_ = addFigure(grid, 1, 0, "Channels", "Channels");
    clock_ = addFigure(grid, 1, 2, "FrameClock", "Frame every");
    interval_ = addFigure(grid, 2, 0, "Intervals", "Interval ms");
    spread_ = addFigure(grid, 2, 2, "IntervalSpread", "Min, 99 %, max");
    outside_ = addFigure(grid, 3, 0, "OutsideFrames", "Lost bytes");
    shortFrames_ = addFigure(grid, 3, 2, "ShortFrames", "Short frames");
    syncLike_ = addFigure(grid, 4, 0, "SyncLikeValues", "Sync-like");
    lostFrames_ = addFigure(grid, 4, 2, "LostFrames", "Lost frames");
    lowLatency_ = addFigure(grid, 5, 0, "LowLatency", "Low latency");
    kinds_ = addFigure(grid, 6, 0, "FrameKinds", "Kinds", 3);
    delivery_ = addFigure(grid, 7, 0, "Delivery", "Delivery", 3);
    lineErrors_ = addFigure(grid, 8, 0, "LineErrors", "Line errors", 3);
    // The value columns keep room for the widest figures they show.
    const int figureWidth = fontMetrics().horizontalAdvance("88.8 (last 88.8)  ");
    grid->setColumnMinimumWidth(1, figureWidth);
    grid->setColumnMinimumWidth(3, figureWidth);
    kinds_->setToolTip(
        "Frames a second of each kind: standard (sync 255), sync 240 to 254, and "
        "the Zhen Hua cable's (sync 239)");
    interval_->setToolTip("Time between frames over the last 10 s: the mean, and the last one");
    spread_->setToolTip(
        "Time between frames over the last 10 s: smallest, 99th percentile, largest");
    syncLike_->setToolTip("Channel values the receiver will take for a sync byte");
    lostFrames_->setToolTip(
        "Frames the interface's clock says should have come over the last 10 s, and did not");
    clock_->setToolTip(
        "The interval the interface sends its frames at, found from their timing (\"about\": "
        "from the mean interval, where the timing is too coarse or irregular)");
    lowLatency_->setToolTip(
        "Whether the adapter's driver hands bytes over at once while Quadrel holds the port");
    delivery_->setToolTip(
        "How the adapter hands bytes over, and so how closely their timing can be known");
    lineErrors_->setToolTip(
        "Framing, parity, overrun and break errors the port's driver counted since it opened");
    layout->addLayout(grid);
    auto* heading = new QLabel(kChannelHeading, this);
    heading->setFont(monospace());
    layout->addWidget(heading);
    for (int k = 0; k < 8; ++k) {
        QLabel* row = new QLabel(this);
        nameControl(row, QString("ChannelFigures%1").arg(k + 1),
                    QString("Channel %1 figures").arg(k + 1));
        row->setFont(monospace());
        layout->addWidget(row);
        channelRows_[static_cast<std::size_t>(k)] = row;
    }

    histogram_ = new IntervalHistogram(this);
    nameControl(histogram_, "Histogram", "Frame intervals in milliseconds");
    layout->addWidget(histogram_);
    raw_ = new RawByteView(this);
    nameControl(raw_, "RawBytes", "Last bytes received");
    layout->addWidget(raw_);
    auto* legend = new QLabel(this);
    nameControl(legend, "ByteLegend", "Colours of the last bytes");
    const auto in = [](QColor c, const char* text, bool bold = false) {
        return QString("<span style=\"color:%1\">%2%3%4</span>")
            .arg(c.name(), bold ? "<b>" : "", text, bold ? "</b>" : "");
    };
    legend->setText(
        in(toQColor(kBlue), "sync", true) + " \u00b7 channel \u00b7 " +
        in(QColor(160, 0, 160), "end mark", true) + " \u00b7 " +
        in(toQColor(kRed), "outside frames") + " \u00b7 " +
        in(palette().color(QPalette::Disabled, QPalette::Text), "unread or not yet judged"));
    layout->addWidget(legend);

    auto* buttons = new QHBoxLayout;
    freeze_ = new QPushButton("&Freeze", this);
    nameControl(freeze_, "Freeze", "Freeze");
    freeze_->setCheckable(true);
    freezeOnTrouble_ = new QCheckBox("Freeze on &trouble", this);
    nameControl(freezeOnTrouble_, "FreezeOnTrouble", "Freeze on trouble");
    auto* reset = new QPushButton("&Reset", this);
    nameControl(reset, "Reset", "Reset the statistics");
    auto* find = new QPushButton("Find &Settings...", this);
    nameControl(find, "FindSettingsButton", "Find Settings...");
    find->setToolTip("Try the port's settings in turn until frames come");
    auto* close = new QPushButton("&Close", this);
    nameControl(close, "Close", "Close");
    for (QWidget* w :
         std::initializer_list<QWidget*>{freeze_, freezeOnTrouble_, reset, find, close})
        buttons->addWidget(w);
    layout->addLayout(buttons);
    connect(reset, &QPushButton::clicked, this, &LinkMonitorWindow::resetClicked);
    connect(find, &QPushButton::clicked, this, &LinkMonitorWindow::findSettingsClicked);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    refresh_.setInterval(100);
    connect(&refresh_, &QTimer::timeout, this, [this] { render(source_()); });
}

QLabel* LinkMonitorWindow::addFigure(QGridLayout* grid, int row, int column, const QString& name,
                                     const QString& caption, int span) {
    auto* heading = new QLabel(caption, this);
    auto* value = new QLabel(this);
    nameControl(value, name, caption);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    heading->setBuddy(value);
    grid->addWidget(heading, row, column);
    grid->addWidget(value, row, column + 1, 1, span);
    return value;
}

bool LinkMonitorWindow::frozen() const {
    return freeze_->isChecked();
}

void LinkMonitorWindow::render(const LinkReport& r) {
    const std::uint64_t trouble = r.lostBytes + r.glitches;
    if (freezeOnTrouble_->isChecked() && trouble > troubleSeen_ && !frozen()) {
        // Show the moment it went wrong, then hold it.
        troubleSeen_ = trouble;
        freeze_->setChecked(true);
    } else if (frozen()) {
        return;
    }
    troubleSeen_ = trouble;

    verdict_->setText(QString::fromStdString(r.verdictText));
    verdict_->setToolTip(verdict_->text());
    QPalette pal = verdict_->palette();
    pal.setColor(QPalette::WindowText,
                 r.verdict == Verdict::Good ? QColor(0, 128, 0) : toQColor(kRed));
    verdict_->setPalette(pal);

    bytes_->setText(QString::number(r.bytesPerSecond, 'f', 0));
    frames_->setText(QString::number(r.framesPerSecond, 'f', 1));
    kinds_->setText(QString("%1 standard, %2 sync 240..254, %3 cable, a second")
                        .arg(r.framesPerSecondByKind[0], 0, 'f', 0)
                        .arg(r.framesPerSecondByKind[1], 0, 'f', 0)
                        .arg(r.framesPerSecondByKind[2], 0, 'f', 0));
    channels_->setText(QString("%1 (changed %2)").arg(r.channels).arg(r.channelCountChanges));
    const IntervalFigures& f = r.intervals;
    const auto ms = [](double v) { return QString::number(v, 'f', 1); };
    interval_->setText(f.count == 0 ? QString("-")
                                    : QString("%1 (last %2)").arg(ms(f.meanMs), ms(f.lastMs)));
    spread_->setText(f.count == 0
                         ? QString("-")
                         : QString("%1, %2, %3").arg(ms(f.minMs), ms(f.p99Ms), ms(f.maxMs)));
    outside_->setText(QString::number(r.lostBytes));
    shortFrames_->setText(QString::number(r.shortFrames));
    syncLike_->setText(QString::number(r.syncLikeValues));
    const ClockFigures& c = r.clock;
    lostFrames_->setText(c.periodMs > 0 ? QString("%1 of %2").arg(c.lost).arg(c.expected)
                                        : QString("-"));
    clock_->setText(c.periodMs > 0
                        ? QString("%1%2 ms (%3/s)")
                              .arg(c.fitted ? QString() : QString("about "), ms(c.periodMs),
                                   QString::number(1000 / c.periodMs, 'f', 1))
                        : QString("-"));
    lowLatency_->setText(QString::fromStdString(lowLatencyText(r.lowLatency)));
    delivery_->setText(QString::fromStdString(r.delivery.text));
    lineErrors_->setText(QString::fromStdString(lineErrorsText(r.lineErrors)));
    for (int k = 0; k < 8; ++k)
        channelRows_[static_cast<std::size_t>(k)]->setText(
            channelLine(k + 1, r.channel[static_cast<std::size_t>(k)]));
    histogram_->show(r.intervals);
    raw_->show(r.recent);
}

void LinkMonitorWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const LinkReport r = source_();
    troubleSeen_ = r.lostBytes + r.glitches;  // only trouble from now on freezes
    render(r);
    refresh_.start();
}

void LinkMonitorWindow::hideEvent(QHideEvent* event) {
    refresh_.stop();
    QDialog::hideEvent(event);
}

}  // namespace quadrel
