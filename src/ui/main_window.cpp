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
#include <QToolButton>

#include <algorithm>

#include "ui/control_names.h"
#include "ui/design_frame.h"
#include "ui/picture_layer.h"
#include "ui/widget_support.h"

namespace quadrel {

namespace names = control_names::main_window;
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
        style()->drawItemText(&p, contentsRect(), int(alignment()), palette(), isEnabled(), text(),
                              foregroundRole());
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

Qt::CheckState toCheckState(ReverseBox box) {
    return box == ReverseBox::Ticked   ? Qt::Checked
           : box == ReverseBox::Greyed ? Qt::PartiallyChecked
                                       : Qt::Unchecked;
}

void setBackground(QLabel* label, Rgb color) {
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
QRadioButton* addOption(QGroupBox* frame, QButtonGroup* group, const char* prefix, int n,
                        const QString& caption, double width) {
    auto* b = new QRadioButton(caption, frame);
    nameControl(b, numbered(prefix, n));
    placeAt(b, {120, 240.0 * n, width, 255});
    const QRect inner = frameInnerRect(frame->size(), frame->fontMetrics().height());
    b->resize(std::max(b->width(), inner.right() + 1 - b->x()), b->height());
    shrinkToFit(b);
    group->addButton(b, n);
    return b;
}

// The sticks' boxes, their top-left corners in twips, and a marker's travel.
constexpr double kStickBoxTop = 240.0;
constexpr double kLeftBoxLeft = 240.0;
constexpr double kRightBoxLeft = 1440.0;
constexpr double kStickTravel = 860.0;

// A marker's top or left edge for a position 0..100 along its box.
float markerTwips(double position, double boxEdge) {
    return static_cast<float>(position / 100.0 * kStickTravel + boxEdge);
}

// A marker's top-left corner in pixels.
QPoint markerPixels(const StickPosition& stick, double boxLeft) {
    return QPoint(twipsToPixels(markerTwips(stick.across, boxLeft)),
                  twipsToPixels(markerTwips(stick.down, kStickBoxTop)));
}

QString valueText(std::optional<int> v) {
    return v ? QString::number(*v) : QStringLiteral("-");
}

Rgb widthColour(std::optional<int> width) {
    return width && *width >= kWideRange ? kGreen : kRed;
}

const char* const kModeCaptions[] = {"Mode 1", "Mode 2", "Mode 3", "Mode 4"};
const char* const kTypeCaptions[] = {"JR", "Hitec/Futaba", "Multiplex/Robbe", "Sanwa/Airtronics",
                                     "Zhen Hua"};
// Once the stream turns out to come from the Zhen Hua cable, which fixes
// the type.
const char* const kCableTypeCaption = "Zhen Hua Cable";

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    // Sized by its client area below, once the menu bar is in place.
    setUpFixedWindow(this, names::kWindow, "Quadrel", 0, 0, Qt::Window);
    // The controls were laid out for an 8 point dialog font; a larger
    // platform default would cut captions in their fixed places.
    useDesignFont(this);

    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    setCentralWidget(client);

    auto* line1 = new QFrame(client);
    nameControl(line1, names::kTopLine);
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    line1->setGeometry(0, 0, client->width(), 2);

    makeHeading(client, names::kValueHeading, "PPM In", {1320, 240, 735, 255}, Qt::AlignCenter);
    calibrate_ = new QPushButton("Ca&librate", client);
    nameControl(calibrate_, names::kCalibrate, "Calibrate");
    placeAt(calibrate_, {2760, 120, 975, 375});
    calibrate_->setToolTip("Calibrate signal");
    calibrate_->setDefault(true);
    connect(calibrate_, &QPushButton::clicked, this, &MainWindow::calibrateClicked);
    // Enter anywhere in the window clicks "Calibrate".
    for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, calibrate_, &QPushButton::animateClick);
    }
    makeHeading(client, names::kWidthHeading, "Res", {4560, 240, 495, 255});
    makeHeading(client, names::kReverseHeading, "Rev", {5280, 240, 615, 255});

    buildChannelRows(client);
    buildOptionFrames(client);
    buildStatusArea(client);
    buildMenus();

    // Keyboard order: the button, the reverse boxes, then the two groups.
    QWidget* previous = calibrate_;
    for (QWidget* w : reverseBoxes_) setTabOrder(previous, w), previous = w;
    for (QWidget* w : modes_) setTabOrder(previous, w), previous = w;
    for (QWidget* w : types_) setTabOrder(previous, w), previous = w;

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
    command(menu("&File", names::kFileMenu), names::kExit, "E&xit", &MainWindow::exitTriggered);

    QMenu* settings = menu("&Settings", names::kSettingsMenu);
    command(settings, names::kRecalibrate, "&Recalibrate", &MainWindow::recalibrateTriggered);
    settings->addSeparator()->setObjectName(names::kSettingsSeparator);
    command(settings, names::kComms, "&Comms...", &MainWindow::commsTriggered);

    // A command straight on the menu bar, with no menu under it.
    command(menuBar(), names::kZhenHua, "&Zhen Hua", &MainWindow::zhenHuaTriggered);

    // Beside the window's own menus: what tells why a link fails.
    QMenu* diagnostics = menu("&Diagnostics", "DiagnosticsMenu");
    command(diagnostics, "LinkMonitorMenu", "&Link Monitor...", &MainWindow::linkMonitorTriggered);
    command(diagnostics, "FindSettingsMenu", "&Find Settings...",
            &MainWindow::findSettingsTriggered);
    command(menu("&Joystick", "JoystickMenu"), "JoystickOutputMenu", "&Output...",
            &MainWindow::joystickTriggered);
    command(menu("&Help", names::kHelpMenu), names::kAbout, "&About...",
            &MainWindow::aboutTriggered);
}

void MainWindow::buildChannelRows(QWidget* client) {
    // Beneath the values and bars, which change at every display frame.
    rowsLayer_ = new PictureLayer(client);
    nameControl(rowsLayer_, "ChannelRows", "Channel values and movement");
    placeAt(rowsLayer_,
            {1320, rowTop(1), 2160 + 2295 - 1320, rowTop(kChannels) + kRowHeight - rowTop(1)});
    for (int k = 1; k <= kChannels; ++k) {
        const double top = rowTop(k);
        const QString n = QString::number(k);
        auto* heading = makeHeading(client, numbered(names::kChannelHeading, k, "_"),
                                    "Channel " + n, {120, top, 1095, kRowHeight});
        heading->setAccessibleDescription(names::kChannelHeading);

        QLabel* in = setUpLabel(new ValueLabel(*rowsLayer_, client), numbered(names::kValue, k),
                                "-", {1320, top, 735, kRowHeight},
                                {.font = boldFont(), .align = Qt::AlignCenter});
        in->setFrameStyle(QFrame::Box | QFrame::Plain);
        in->setTextFormat(Qt::PlainText);
        in->setFixedSize(in->size());  // a new value asks for no new layout
        in->setToolTip("PPM Data");
        values_[k - 1] = in;

        auto* bar = new ChannelBar(*rowsLayer_, client);
        nameControl(bar, numbered(names::kBar, k), "Channel " + n + " movement");
        placeAt(bar, {2160, top, 2295, kRowHeight});
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->setToolTip("Channel movement");
        bars_[k - 1] = bar;

        QLabel* res = makeLabel(client, numbered(names::kWidth, k), "-",
                                {4560, top, 495, kRowHeight}, {.align = Qt::AlignCenter});
        res->setFrameStyle(QFrame::Box | QFrame::Plain);
        res->setAutoFillBackground(true);
        setBackground(res, kRed);
        res->setToolTip("Channel resolution");
        widths_[k - 1] = res;

        if (k <= 4) {
            auto* check = new ReverseCheckBox(client);
            nameControl(check, numbered(names::kReverseBox, k), "Reverse channel " + n);
            placeAt(check, {5400, top, 255, 255});
            check->setToolTip("Normal/Reverse selection");
            connect(check, &QCheckBox::stateChanged, this, [this, k](int state) {
                emit reverseChanged(k, state == Qt::Checked            ? ReverseBox::Ticked
                                       : state == Qt::PartiallyChecked ? ReverseBox::Greyed
                                                                       : ReverseBox::Clear);
            });
            reverseBoxes_[k - 1] = check;
        }
    }
}

void MainWindow::buildOptionFrames(QWidget* client) {
    QGroupBox* frame2 =
        makeFrame(client, names::kModeFrame, "Mode", "Transmitter mode", {120, 3480, 1215, 1575});
    modeGroup_ = new QButtonGroup(this);
    for (int m = 1; m <= kStickModes; ++m)
        modes_[m - 1] = addOption(frame2, modeGroup_, names::kMode, m, kModeCaptions[m - 1], 975);
    connect(modeGroup_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) emit modeChosen(static_cast<StickMode>(id));
    });

    QGroupBox* frame1 = makeFrame(client, names::kTypeFrame, "Transmitter", "Transmitter type",
                                  {1440, 3480, 1815, 1575});
    typeGroup_ = new QButtonGroup(this);
    const std::array<double, kTransmitterTypes> widths{975, 1455, 1575, 1575, 1575};
    for (int t = 1; t <= kTransmitterTypes; ++t)
        types_[t - 1] =
            addOption(frame1, typeGroup_, names::kType, t, kTypeCaptions[t - 1], widths[t - 1]);
    // The cable's caption must fit as well.
    QRadioButton* zhenHua = types_[4];
    zhenHua->setText(kCableTypeCaption);
    shrinkToFit(zhenHua);
    zhenHua->setText(kTypeCaptions[4]);
    // However a button changed (mouse, keys, assistive tools), the program
    // follows; the state the program sets itself is rendered with signals
    // blocked, so it does not come back as a choice.
    connect(typeGroup_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) emit typeChosen(static_cast<TransmitterType>(id));
    });

    QGroupBox* frame3 = makeFrame(client, names::kStickFrame, "Stick Position",
                                  "Actual stick position", {3360, 3480, 2655, 1575});
    // Beneath the boxes and the markers, which move at every display frame;
    // it reaches as far as a marker can go.
    stickLayer_ = new PictureLayer(frame3);
    nameControl(stickLayer_, "StickArea", "Stick positions");
    placeAt(stickLayer_, {kLeftBoxLeft, kStickBoxTop,
                          kRightBoxLeft + kStickTravel + 150 - kLeftBoxLeft, kStickTravel + 150});
    for (auto [name, left] : {std::pair{names::kLeftStickBox, kLeftBoxLeft},
                              std::pair{names::kRightStickBox, kRightBoxLeft}}) {
        auto* box = new BoxShape(*stickLayer_, frame3);
        nameControl(box, name);
        placeAt(box, {left, kStickBoxTop, 1005, 1005});
    }
    const StickPositions middle;
    leftStick_ = new MarkerWidget(*stickLayer_, frame3);
    nameControl(leftStick_, names::kLeftStick, "Left stick");
    leftStick_->setGeometry(
        QRect(markerPixels(middle.left, kLeftBoxLeft), pixelRect({0, 0, 150, 150}).size()));
    rightStick_ = new MarkerWidget(*stickLayer_, frame3);
    nameControl(rightStick_, names::kRightStick, "Right stick");
    rightStick_->setGeometry(
        QRect(markerPixels(middle.right, kRightBoxLeft), pixelRect({0, 0, 150, 150}).size()));
}

void MainWindow::buildStatusArea(QWidget* client) {
    noSignal_ = makeLabel(client, names::kNoSignal, "No PPM signal present...",
                          {120, 5160, 2055, 255}, {.color = kRed, .align = kLeft});
    noSignal_->setToolTip("Indicates that no interface is detected");

    // The port line keeps its place and its longest text (" Comms Port 4:
    // 19200,N,8,1.5"); the link's verdict takes the rest, up to the
    // window's edge.
    status_ =
        makeLabel(client, names::kStatus, names::kStatus, {45, 5400, 2790, 255}, {.align = kLeft});
    status_->setFrameStyle(QFrame::Box | QFrame::Plain);

    auto* panel = new QFrame(client);
    nameControl(panel, "LinkSummaryPanel");
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    placeAt(panel, {2880, 5400, kClientWidth - 45 - 2880, 255});
    linkSummary_ = new QToolButton(panel);
    nameControl(linkSummary_, "LinkSummary", "Waiting for data");
    linkSummary_->setText("Waiting for data");
    linkSummary_->setAutoRaise(true);
    linkSummary_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    linkSummary_->setGeometry(panel->contentsRect());
    linkSummary_->setIconSize(QSize(linkSummary_->height() - 6, linkSummary_->height() - 6));
    linkSummary_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    connect(linkSummary_, &QToolButton::clicked, this, &MainWindow::linkSummaryClicked);
    showLinkSummary({});
}

void MainWindow::showLinkSummary(const LinkSummary& summary) {
    if (summaryShown_ == summary) return;
    using Mark = LinkSummary::Mark;
    const QString text =
        QString::fromStdString(summary.text.empty() ? "Waiting for data" : summary.text);
    linkSummary_->setText(text);
    linkSummary_->setAccessibleName(text);
    linkSummary_->setToolTip(
        QString::fromStdString(summary.tooltip) +
        (summary.findSettings() ? "\nClick to find the settings" : "\nClick for the Link Monitor"));
    if (!summaryShown_ || summaryShown_->mark != summary.mark) {
        const Rgb colour = summary.mark == Mark::Good      ? kGreen
                           : summary.mark == Mark::Bad     ? kRed
                           : summary.mark == Mark::Warning ? kAmber
                                                           : kGrey;
        QPixmap mark(linkSummary_->iconSize() * linkSummary_->devicePixelRatio());
        mark.setDevicePixelRatio(linkSummary_->devicePixelRatio());
        mark.fill(Qt::transparent);
        QPainter painter(&mark);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(toQColor(colour));
        const QSize size = linkSummary_->iconSize();
        painter.drawEllipse(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
        linkSummary_->setIcon(QIcon(mark));
    }
    summaryShown_ = summary;
}

bool MainWindow::shows(const ReceiverView& view, const StatusLine& status) const {
    return shown_ && shown_->view == view && shown_->status == status;
}

void MainWindow::render(const ReceiverView& s, const StatusLine& status) {
    if (shows(s, status)) return;
    const ReceiverView* old = shown_ ? &shown_->view : nullptr;

    for (int i = 0; i < kChannels; ++i) {
        const ChannelRow& row = s.rows[i];
        if (!old || old->rows[i].value != row.value) {
            values_[i]->setText(valueText(row.value));
            rowsLayer_->gather(*values_[i]);
        }
        if (!old || old->rows[i].width != row.width) {
            widths_[i]->setText(valueText(row.width));
            if (!old || widthColour(old->rows[i].width) != widthColour(row.width))
                setBackground(widths_[i], widthColour(row.width));
        }
        if (!old || old->rows[i].bar != row.bar) {
            bars_[i]->setValue(static_cast<int>(row.bar));
            rowsLayer_->gather(*bars_[i]);
        }
    }
    if (!old || old->setup != s.setup || old->cableFormat != s.cableFormat) {
        const QSignalBlocker block1(modeGroup_), block2(typeGroup_);
        // A group may have no choice at all (an unusual stored setting).
        modeGroup_->setExclusive(false);
        typeGroup_->setExclusive(false);
        for (int k = 0; k < kReverseBoxes; ++k) {
            const QSignalBlocker block(reverseBoxes_[k]);
            reverseBoxes_[k]->setCheckState(toCheckState(s.setup.reverse[k]));
        }
        for (int m = 1; m <= kStickModes; ++m)
            modes_[m - 1]->setChecked(s.setup.mode == static_cast<StickMode>(m));
        for (int t = 1; t <= kTransmitterTypes; ++t)
            types_[t - 1]->setChecked(s.setup.type == static_cast<TransmitterType>(t));
        // The cable fixes the type while its format lasts.
        for (int t = 0; t < 4; ++t) types_[t]->setEnabled(!s.cableFormat);
        types_[4]->setText(s.cableFormat ? kCableTypeCaption : kTypeCaptions[4]);
        modeGroup_->setExclusive(true);
        typeGroup_->setExclusive(true);
    }
    if (!old || old->noSignal != s.noSignal) noSignal_->setVisible(s.noSignal);
    if (!shown_ || shown_->status.text != status.text)
        status_->setText(QString::fromStdString(status.text));
    if (!shown_ || shown_->status.tooltip != status.tooltip)
        status_->setToolTip(QString::fromStdString(status.tooltip));
    // Qt repaints where a marker was; the layer paints where it is.
    auto moveMarker = [this](QWidget* marker, QPoint to) {
        marker->move(to);
        stickLayer_->gather(*marker);
    };
    if (!old || old->sticks.right != s.sticks.right)
        moveMarker(rightStick_, markerPixels(s.sticks.right, kRightBoxLeft));
    if (!old || old->sticks.left != s.sticks.left)
        moveMarker(leftStick_, markerPixels(s.sticks.left, kLeftBoxLeft));
    rowsLayer_->finish();
    stickLayer_->finish();
    shown_ = Shown{s, status};
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The program decides: closing saves the settings and ends the run.
    event->ignore();
    emit closeRequested();
}

}  // namespace quadrel
