#include "ui/main_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionProgressBar>

#include <algorithm>

#include "channels/stick_display.h"
#include "ui/design_frame.h"
#include "ui/picture_layer.h"
#include "ui/widget_support.h"

namespace quadrel {
namespace {

constexpr double kClientWidth = 6165, kClientHeight = 5685;
constexpr double kRowHeight = 255;
double rowTop(int k) {
    return 600 + 360 * (k - 1);
}

// A reverse box: the user toggles it between clear and ticked; only a
// stored setting can grey it.
class ReverseCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
};

// A stick marker: a solid circle in the colour of an active title bar.
class MarkerWidget : public LayerPainted<QWidget> {
public:
    MarkerWidget(PictureLayer& layer, QWidget* parent) : LayerPainted(layer, parent) {}

protected:
    void paintPicture(QPainter& p) override {
        p.setRenderHint(QPainter::Antialiasing);
        const QColor c = palette().color(QPalette::Active, QPalette::Highlight);
        p.setPen(c);
        p.setBrush(c);
        p.drawEllipse(rect().adjusted(0, 0, -1, -1));
    }
};

// A stick's box.
class BoxShape : public LayerPainted<QFrame> {
public:
    BoxShape(PictureLayer& layer, QWidget* parent) : LayerPainted(layer, parent) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
    }

protected:
    void paintPicture(QPainter& p) override { drawFrame(&p); }
};

// A channel's movement bar. The style draws it with antialiased lines and
// gradients, which the raster engine splits among worker threads: the
// hand-off alone cost more than the rest of the window, hence its pictures.
class ChannelBar : public LayerPainted<QProgressBar> {
public:
    ChannelBar(PictureLayer& layer, QWidget* parent) : LayerPainted(layer, parent) {}

protected:
    QString shown() const override {
        return QString::number(minimum()) + u':' + QString::number(maximum()) + u':' +
               QString::number(value());
    }
    void paintPicture(QPainter& p) override {
        QStyleOptionProgressBar option;
        initStyleOption(&option);
        style()->drawControl(QStyle::CE_ProgressBar, &option, &p, this);
    }
};

// A channel's value, boxed and centred as a label draws it.
class ValueLabel : public LayerPainted<QLabel> {
public:
    ValueLabel(PictureLayer& layer, QWidget* parent) : LayerPainted(layer, parent) {}

protected:
    QString shown() const override {
        return QString::number(int(alignment())) + u':' + QString::number(frameStyle()) + u':' +
               text();
    }
    void paintPicture(QPainter& p) override {
        drawFrame(&p);
        p.setFont(font());
        style()->drawItemText(&p, contentsRect(), int(alignment()), palette(), isEnabled(),
                              text(), foregroundRole());
    }
};

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;

// A heading in the colours of a text field: window background and window
// text, not the dialog grey.
QLabel* makeHeading(QWidget* parent, const QString& name, const QString& text, const TwipsRect& r,
                    Qt::Alignment align = kLeft) {
    QLabel* label = makeLabel(parent, name, text, r, {.font = boldFont(), .align = align});
    label->setBackgroundRole(QPalette::Base);
    label->setForegroundRole(QPalette::Text);
    label->setAutoFillBackground(true);
    shrinkToFit(label);
    return label;
}

Qt::CheckState toCheckState(int value) {
    return value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

void setBackground(QLabel* label, ColorValue color) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, toQColor(color));
    label->setPalette(pal);
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& caption, const QString& tip,
                     const TwipsRect& r) {
    auto* frame = new DesignFrame(caption, parent);
    nameControl(frame, name, caption);
    placeAt(frame, r);
    frame->setToolTip(tip);
    return frame;
}

// Option button n of a frame's group, one row of 240 twips below the last.
// Fonts differ from platform to platform: a caption may use the frame's
// whole inner width, and is set a little smaller where even that is short.
QRadioButton* addOption(QGroupBox* frame, QButtonGroup* group, const QString& prefix, int n,
                        const QString& caption, double width) {
    auto* b = new QRadioButton(caption, frame);
    nameControl(b, prefix + QString::number(n));
    placeAt(b, {120, 240.0 * n, width, 255});
    const QRect inner = frameInnerRect(frame->size(), frame->fontMetrics().height());
    b->resize(std::max(b->width(), inner.right() + 1 - b->x()), b->height());
    shrinkToFit(b);
    group->addButton(b, n);
    return b;
}

// The marker's top-left corner in pixels, from its position in twips.
QPoint markerPixels(const MarkerState& m) {
    return QPoint(twipsToPixels(m.Left), twipsToPixels(m.Top));
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    // Sized by its client area below, once the menu bar is in place.
    setUpFixedWindow(this, "Form1", "Quadrel", 0, 0, Qt::Window);
    // The controls were laid out for an 8 point dialog font; a larger
    // platform default would cut captions in their fixed places.
    useDesignFont(this);

    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    setCentralWidget(client);

    auto* line1 = new QFrame(client);
    nameControl(line1, "Line1");
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    line1->setGeometry(0, 0, client->width(), 2);

    makeHeading(client, "Label16", "PPM In", {1320, 240, 735, 255}, Qt::AlignCenter);
    command1_ = new QPushButton("Ca&librate", client);
    nameControl(command1_, "Command1", "Calibrate");
    placeAt(command1_, {2760, 120, 975, 375});
    command1_->setToolTip("Calibrate signal");
    command1_->setDefault(true);
    connect(command1_, &QPushButton::clicked, this, &MainWindow::calibrateClicked);
    // Enter anywhere in the window clicks "Calibrate".
    for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, command1_, &QPushButton::animateClick);
    }
    makeHeading(client, "Label47", "Res", {4560, 240, 495, 255});
    makeHeading(client, "Label2", "Rev", {5280, 240, 615, 255});

    buildChannelRows(client);
    buildOptionFrames(client);
    buildStatusArea(client);
    buildMenus();

    // Keyboard order: the button, the reverse boxes, then the two groups.
    QWidget* previous = command1_;
    for (QWidget* w : checks_) setTabOrder(previous, w), previous = w;
    for (QWidget* w : modes_) setTabOrder(previous, w), previous = w;
    for (QWidget* w : options_) setTabOrder(previous, w), previous = w;

    setFixedSize(sizeHint());
}

void MainWindow::buildMenus() {
    // A command named after its control, running `signal` when chosen.
    auto command = [this](auto* menu, const char* name, const QString& caption,
                          void (MainWindow::*signal)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, signal);
    };
    // A menu on the bar, named after its control.
    auto menu = [this](const QString& caption, const char* name) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(name);
        return m;
    };
    command(menu("&File", "FMenu"), "FExit", "E&xit", &MainWindow::exitTriggered);

    QMenu* settings = menu("&Settings", "SMenu");
    command(settings, "SCal", "&Recalibrate", &MainWindow::recalibrateTriggered);
    settings->addSeparator()->setObjectName("SLine1");
    command(settings, "CMenu", "&Comms...", &MainWindow::commsTriggered);

    // A command straight on the menu bar, with no menu under it.
    command(menuBar(), "ZMenu", "&Zhen Hua", &MainWindow::zhenHuaTriggered);

    // Beside the window's own menus: what tells why a link fails.
    command(menu("&Diagnostics", "DiagnosticsMenu"), "LinkMonitorMenu", "&Link Monitor...",
            &MainWindow::linkMonitorTriggered);
    command(menu("&Help", "HMenu"), "AMenu", "&About...", &MainWindow::aboutTriggered);
}

void MainWindow::buildChannelRows(QWidget* client) {
    // Beneath the values and bars, which change at every display frame.
    rowsLayer_ = new PictureLayer(client);
    nameControl(rowsLayer_, "ChannelRows", "Channel values and movement");
    placeAt(rowsLayer_, {1320, rowTop(1), 2160 + 2295 - 1320, rowTop(kChannels) + kRowHeight - rowTop(1)});
    for (int k = 1; k <= kChannels; ++k) {
        const double top = rowTop(k);
        const QString n = QString::number(k);
        auto* heading =
            makeHeading(client, "Label10_" + n, "Channel " + n, {120, top, 1095, kRowHeight});
        heading->setAccessibleDescription("Label10");

        QLabel* in = setUpLabel(new ValueLabel(*rowsLayer_, client), "In" + n, "-", {1320, top, 735, kRowHeight},
                                {.font = boldFont(), .align = Qt::AlignCenter});
        in->setFrameStyle(QFrame::Box | QFrame::Plain);
        in->setTextFormat(Qt::PlainText);
        in->setFixedSize(in->size());  // a new value asks for no new layout
        in->setToolTip("PPM Data");
        in_[k - 1] = in;

        auto* bar = new ChannelBar(*rowsLayer_, client);
        nameControl(bar, "ProgressBar" + n, "Channel " + n + " movement");
        placeAt(bar, {2160, top, 2295, kRowHeight});
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->setToolTip("Channel movement");
        bars_[k - 1] = bar;

        QLabel* res = makeLabel(client, "Res" + n, "-", {4560, top, 495, kRowHeight},
                                {.align = Qt::AlignCenter});
        res->setFrameStyle(QFrame::Box | QFrame::Plain);
        res->setAutoFillBackground(true);
        setBackground(res, kRed);
        res->setToolTip("Channel resolution");
        res_[k - 1] = res;

        if (k <= 4) {
            auto* check = new ReverseCheckBox(client);
            nameControl(check, "Check" + n, "Reverse channel " + n);
            placeAt(check, {5400, top, 255, 255});
            check->setToolTip("Normal/Reverse selection");
            connect(check, &QCheckBox::stateChanged, this, [this, k](int state) {
                emit reverseChanged(k, state == Qt::Checked            ? 1
                                       : state == Qt::PartiallyChecked ? 2
                                                                       : 0);
            });
            checks_[k - 1] = check;
        }
    }
}

void MainWindow::buildOptionFrames(QWidget* client) {
    const MainWindowState design;
    QGroupBox* frame2 =
        makeFrame(client, "Frame2", "Mode", "Transmitter mode", {120, 3480, 1215, 1575});
    modeGroup_ = new QButtonGroup(this);
    for (int m = 1; m <= 4; ++m)
        modes_[m - 1] =
            addOption(frame2, modeGroup_, "Mode", m, qText(design.Mode(m).Caption), 975);
    connect(modeGroup_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) emit modeChosen(id);
    });

    QGroupBox* frame1 =
        makeFrame(client, "Frame1", "Transmitter", "Transmitter type", {1440, 3480, 1815, 1575});
    optionGroup_ = new QButtonGroup(this);
    const std::array<double, 5> widths{975, 1455, 1575, 1575, 1575};
    for (int t = 1; t <= 5; ++t)
        options_[t - 1] = addOption(frame1, optionGroup_, "Option", t,
                                    qText(design.Option(t).Caption), widths[t - 1]);
    // The "Zhen Hua Cable" caption must fit Option5 as well.
    QRadioButton* option5 = options_[4];
    option5->setText(QString::fromUtf8(kZhenHuaCableCaption));
    shrinkToFit(option5);
    option5->setText(qText(design.Option(5).Caption));
    // However a button changed (mouse, keys, assistive tools), the program
    // follows; the state the program sets itself is rendered with signals
    // blocked, so it does not come back as a choice.
    connect(optionGroup_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) emit typeChosen(id);
    });

    QGroupBox* frame3 = makeFrame(client, "Frame3", "Stick Position", "Actual stick position",
                                  {3360, 3480, 2655, 1575});
    // Beneath the boxes and the markers, which move at every display frame;
    // it reaches as far as a marker can go.
    stickLayer_ = new PictureLayer(frame3);
    nameControl(stickLayer_, "StickArea", "Stick positions");
    placeAt(stickLayer_, {kLeftBoxLeft, kStickBoxTop, kRightBoxLeft + kStickTravel + 150 - kLeftBoxLeft,
                          kStickTravel + 150});
    for (auto [name, left] :
         {std::pair{"Shape3", kLeftBoxLeft}, std::pair{"Shape4", kRightBoxLeft}}) {
        auto* box = new BoxShape(*stickLayer_, frame3);
        nameControl(box, name);
        placeAt(box, {left, kStickBoxTop, 1005, 1005});
    }
    ball2_ = new MarkerWidget(*stickLayer_, frame3);
    nameControl(ball2_, "Ball2", "Left stick");
    placeAt(ball2_, {design.Ball2.Left, design.Ball2.Top, 150, 150});
    ball1_ = new MarkerWidget(*stickLayer_, frame3);
    nameControl(ball1_, "Ball1", "Right stick");
    placeAt(ball1_, {design.Ball1.Left, design.Ball1.Top, 150, 150});
}

void MainWindow::buildStatusArea(QWidget* client) {
    label11_ = makeLabel(client, "Label11", kNoSignalText, {120, 5160, 2055, 255},
                         {.color = kRed, .align = kLeft});
    label11_->setToolTip("Indicates that no interface is detected");

    label1_ = makeLabel(client, "Label1", "Label1", {45, 5400, 6135, 255}, {.align = kLeft});
    label1_->setFrameStyle(QFrame::Box | QFrame::Plain);
}

namespace {

// Whether the window looks the same in both states: all that render()
// brings to the widgets, and only that (not the timers, say).
bool sameOnScreen(const MainWindowState& a, const MainWindowState& b) {
    for (int k = 1; k <= kChannels; ++k)
        if (a.In(k) != b.In(k) || a.Res(k) != b.Res(k) || a.ProgressBar(k) != b.ProgressBar(k))
            return false;
    for (int k = 1; k <= 4; ++k)
        if (a.Check(k) != b.Check(k)) return false;
    return a.Mode == b.Mode && a.Option == b.Option && a.Label11 == b.Label11 &&
           a.Label1 == b.Label1 && a.Label1ToolTip == b.Label1ToolTip && a.Ball1 == b.Ball1 &&
           a.Ball2 == b.Ball2;
}

}  // namespace

bool MainWindow::shows(const MainWindowState& state) const {
    return shown_ && sameOnScreen(*shown_, state);
}

void MainWindow::render(const MainWindowState& s) {
    if (shows(s)) return;
    const MainWindowState* old = shown_ ? &*shown_ : nullptr;

    for (int k = 1; k <= kChannels; ++k) {
        const int i = k - 1;
        if (!old || old->In(k).Caption != s.In(k).Caption) {
            in_[i]->setText(qText(s.In(k).Caption));
            rowsLayer_->gather(*in_[i]);
        }
        if (!old || old->Res(k).Caption != s.Res(k).Caption)
            res_[i]->setText(qText(s.Res(k).Caption));
        if (!old || old->Res(k).BackColor != s.Res(k).BackColor)
            setBackground(res_[i], s.Res(k).BackColor);
        if (!old || old->ProgressBar(k) != s.ProgressBar(k)) {
            const BarState& b = s.ProgressBar(k);
            QProgressBar* bar = bars_[i];
            if (!old || old->ProgressBar(k).Min != b.Min || old->ProgressBar(k).Max != b.Max)
                bar->setRange(static_cast<int>(b.Min), static_cast<int>(b.Max));
            bar->setValue(static_cast<int>(b.Value));
            rowsLayer_->gather(*bar);
        }
    }
    bool choicesChanged = !old || old->Mode != s.Mode || old->Option != s.Option;
    for (int k = 1; k <= 4 && !choicesChanged; ++k) choicesChanged = old->Check(k) != s.Check(k);
    if (choicesChanged) {
        const QSignalBlocker block1(modeGroup_), block2(optionGroup_);
        // A group may have no choice at all (an unusual stored setting).
        modeGroup_->setExclusive(false);
        optionGroup_->setExclusive(false);
        for (int k = 1; k <= 4; ++k) {
            const QSignalBlocker block(checks_[k - 1]);
            checks_[k - 1]->setCheckState(toCheckState(s.Check(k).Value()));
        }
        for (int m = 1; m <= 4; ++m) modes_[m - 1]->setChecked(s.Mode.Value(m));
        for (int t = 1; t <= 5; ++t) {
            QRadioButton* b = options_[t - 1];
            b->setChecked(s.Option.Value(t));
            b->setEnabled(s.Option(t).Enabled);
            if (!old || old->Option(t).Caption != s.Option(t).Caption)
                b->setText(qText(s.Option(t).Caption));
        }
        modeGroup_->setExclusive(true);
        optionGroup_->setExclusive(true);
    }
    if (!old || old->Label11.Visible != s.Label11.Visible) label11_->setVisible(s.Label11.Visible);
    if (!old || old->Label1.Caption != s.Label1.Caption) label1_->setText(qText(s.Label1.Caption));
    if (!old || old->Label1ToolTip != s.Label1ToolTip)
        label1_->setToolTip(QString::fromStdString(s.Label1ToolTip));
    // Qt repaints where a marker was; the layer paints where it is.
    auto moveMarker = [this](QWidget* ball, const MarkerState& m) {
        ball->move(markerPixels(m));
        stickLayer_->gather(*ball);
    };
    if (!old || old->Ball1 != s.Ball1) moveMarker(ball1_, s.Ball1);
    if (!old || old->Ball2 != s.Ball2) moveMarker(ball2_, s.Ball2);
    rowsLayer_->finish();
    stickLayer_->finish();
    shown_ = s;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The program decides: closing saves the settings and ends the run.
    event->ignore();
    emit closeRequested();
}

}  // namespace quadrel
