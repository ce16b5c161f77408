#include "ui/port_settings_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "ui/control_names.h"
#include "ui/program_icon.h"
#include "ui/widget_support.h"
#include "ui/window_footnote.h"

namespace quadrel {

namespace names = control_names::port_dialog;
namespace {

QPushButton* addButton(QWidget* parent, const QString& name, const QString& caption,
                       const QString& spoken, const TwipsRect& r) {
    auto* button = new QPushButton(caption, parent);
    nameControl(button, name, spoken);
    placeAt(button, r);
    return button;
}

}  // namespace

PortSettingsDialog::PortSettingsDialog(QWidget* parent) : QDialog(parent) {
    setUpFixedWindow(this, names::kWindow, "Port Settings", 3105, 3180);
    useDesignFont(this);

    struct ListPlace {
        PortList list;
        const char* name;
        const char* spoken;
        TwipsRect rect;
    };
    const ListPlace places[] = {
        {PortList::Baud, names::kBaudList, "Baud Rate", {240, 1080, 1215, 315}},
        {PortList::Parity, names::kParityList, "Parity", {240, 1680, 1215, 315}},
        {PortList::DataBits, names::kDataBitsList, "Data Bits", {1680, 1080, 1215, 315}},
        {PortList::StopBits, names::kStopBitsList, "Stop Bits", {1680, 1680, 1215, 315}},
        {PortList::Port, names::kPortList, "Port", {240, 360, 1095, 315}},
    };
    for (const ListPlace& place : places) {
        auto* combo = new QComboBox(this);  // not editable: only the entries can be picked
        nameControl(combo, place.name, place.spoken);
        placeAt(combo, place.rect);
        for (int i = 0; i < PortDialog::entryCount(place.list); ++i)
            combo->addItem(QString::fromStdString(PortDialog::entryText(place.list, i)));
        // Any change of pick reaches the program, however it was made;
        // render() blocks signals, so its own updates do not come back.
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, list = place.list](int index) { emit picked(list, index); });
        lists_[static_cast<std::size_t>(place.list)] = combo;
    }
    QComboBox* const port = list(PortList::Port);
    makeLabel(this, names::kPortLabel, "Port", {240, 120, 1335, 255})->setBuddy(port);
    makeLabel(this, names::kBaudLabel, "Baud Rate", {240, 840, 1335, 255})
        ->setBuddy(list(PortList::Baud));
    makeLabel(this, names::kDataBitsLabel, "Data Bits", {1680, 840, 1215, 255})
        ->setBuddy(list(PortList::DataBits));
    makeLabel(this, names::kParityLabel, "Parity", {240, 1440, 1215, 255})
        ->setBuddy(list(PortList::Parity));
    makeLabel(this, names::kStopBitsLabel, "Stop Bits", {1680, 1440, 1215, 255})
        ->setBuddy(list(PortList::StopBits));
    for (QLabel* label : findChildren<QLabel*>()) shrinkToFit(label);

    // Wider than designed, up to the next control, for wider fonts.
    const auto addBox = [this](const char* name, const char* caption, const TwipsRect& r,
                               void (PortSettingsDialog::*changed)(bool)) {
        auto* box = new QCheckBox(caption, this);
        nameControl(box, name);
        placeAt(box, r);
        connect(box, &QCheckBox::toggled, this, changed);
        shrinkToFit(box);
        return box;
    };
    rts_ =
        addBox(names::kRts, "RTS Enable", {240, 2160, 1425, 255}, &PortSettingsDialog::rtsChanged);
    dtr_ =
        addBox(names::kDtr, "DTR Enable", {1680, 2160, 1425, 255}, &PortSettingsDialog::dtrChanged);

    // Only where ports have no "COMn" names: which device the picked port opens.
    device_ = makeLabel(this, "PortDevice", {}, {240, 2415, 2655, 225});
    QFont small = device_->font();
    small.setPointSizeF(7);
    device_->setFont(small);
    device_->hide();
    failure_ = new WindowFootnote(this, "PortFailure", "Why the port could not be opened");

    auto* ok = addButton(this, names::kOk, "&Ok", "Ok", {240, 2640, 1095, 375});
    auto* close = addButton(this, names::kClose, "&Close", "Close", {1800, 2640, 1095, 375});
    auto* defaults =
        addButton(this, names::kDefault, "&Default", "Default", {1680, 360, 1095, 375});
    ok->setDefault(true);  // Enter; Esc comes through reject()
    connect(ok, &QPushButton::clicked, this, &PortSettingsDialog::okClicked);
    connect(close, &QPushButton::clicked, this, &PortSettingsDialog::closeClicked);
    connect(defaults, &QPushButton::clicked, this, &PortSettingsDialog::defaultClicked);

    QWidget* const tabOrder[] = {port,
                                 list(PortList::Baud),
                                 list(PortList::DataBits),
                                 list(PortList::Parity),
                                 list(PortList::StopBits),
                                 ok,
                                 close,
                                 rts_,
                                 dtr_,
                                 defaults};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
    port->setFocus();
}

void PortSettingsDialog::setPortDevices(const std::array<QString, 4>& devices) {
    devices_ = devices;
    QComboBox* ports = list(PortList::Port);
    for (int i = 0; i < ports->count(); ++i) {
        const int port = ports->itemText(i).toInt();
        const QString device =
            port >= 1 && port <= 4 ? devices_[static_cast<std::size_t>(port - 1)] : QString();
        ports->setItemData(i, device.isEmpty() ? QVariant() : QVariant(device), Qt::ToolTipRole);
    }
}

void PortSettingsDialog::render(const PortDialog& dialog, const QString& lastFailure,
                                int failedPort) {
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        const QSignalBlocker quiet(lists_[i]);
        lists_[i]->setCurrentIndex(dialog.picked(static_cast<PortList>(i)));
    }
    const QSignalBlocker quiet1(rts_), quiet2(dtr_);
    rts_->setChecked(dialog.rts());
    dtr_->setChecked(dialog.dtr());
    showDevice(list(PortList::Port)->currentText().toInt(), lastFailure, failedPort);
}

void PortSettingsDialog::showDevice(int port, const QString& lastFailure, int failedPort) {
    const bool failed = !lastFailure.isEmpty() && port == failedPort;
    const QString device =
        port >= 1 && port <= 4 ? devices_[static_cast<std::size_t>(port - 1)] : QString();
    const QString text =
        device.isEmpty() ? QString() : QString("COM %1 opens %2").arg(port).arg(device);
    device_->setVisible(!text.isEmpty());
    device_->setToolTip(text);
    device_->setText(
        QFontMetrics(device_->font()).elidedText(text, Qt::ElideMiddle, device_->width()));
    failure_->setNote(failed ? lastFailure : QString(), QColor(255, 0, 0));
    list(PortList::Port)->setToolTip(failed ? lastFailure : text);
}

void PortSettingsDialog::reject() {
    emit closeClicked();
}

void PortSettingsDialog::closeEvent(QCloseEvent* event) {
    event->ignore();  // the program discards the dialog itself
    emit discardRequested();
}

}  // namespace quadrel
