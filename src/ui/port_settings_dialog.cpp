#include "ui/port_settings_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "dialogs/port_settings_form.h"
#include "ui/program_icon.h"
#include "ui/widget_support.h"
#include "ui/window_footnote.h"

namespace quadrel {
namespace {

QPushButton* addButton(QWidget* parent, const QString& name, const QString& caption,
                       const QString& spoken, const TwipsRect& r) {
    auto* button = new QPushButton(caption, parent);
    nameControl(button, name, spoken);
    placeAt(button, r);
    return button;
}

QString toQString(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

PortSettingsDialog::PortSettingsDialog(QWidget* parent) : QDialog(parent) {
    setUpFixedWindow(this, "Form2", "Port Settings", 3105, 3180);
    useDesignFont(this);

    struct ListPlace {
        const char* name;
        const char* spoken;
        TwipsRect rect;
    };
    const ListPlace lists[] = {
        {"Combo1", "Baud Rate", {240, 1080, 1215, 315}},
        {"Combo2", "Parity", {240, 1680, 1215, 315}},
        {"Combo3", "Data Bits", {1680, 1080, 1215, 315}},
        {"Combo4", "Stop Bits", {1680, 1680, 1215, 315}},
        {"Combo5", "Port", {240, 360, 1095, 315}},
    };
    for (int i = 0; i < 5; ++i) {
        auto* combo = new QComboBox(this);  // not editable: only the entries can be picked
        nameControl(combo, lists[i].name, lists[i].spoken);
        placeAt(combo, lists[i].rect);
        // Any change of pick reaches the program, however it was made;
        // render() blocks signals, so its own updates do not come back.
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, i](int index) { emit listPicked(i + 1, index); });
        combos_[static_cast<std::size_t>(i)] = combo;
    }
    makeLabel(this, "Label2", "Port", {240, 120, 1335, 255})->setBuddy(combos_[4]);
    makeLabel(this, "Label1", "Baud Rate", {240, 840, 1335, 255})->setBuddy(combos_[0]);
    makeLabel(this, "Label4", "Data Bits", {1680, 840, 1215, 255})->setBuddy(combos_[2]);
    makeLabel(this, "Parity", "Parity", {240, 1440, 1215, 255})->setBuddy(combos_[1]);
    makeLabel(this, "Label3", "Stop Bits", {1680, 1440, 1215, 255})->setBuddy(combos_[3]);
    for (QLabel* label : findChildren<QLabel*>()) shrinkToFit(label);

    // Wider than designed, up to the next control, for wider fonts.
    const std::pair<const char*, TwipsRect> boxes[] = {{"RTS Enable", {240, 2160, 1425, 255}},
                                                       {"DTR Enable", {1680, 2160, 1425, 255}}};
    for (int i = 0; i < 2; ++i) {
        auto* box = new QCheckBox(boxes[i].first, this);
        nameControl(box, QString("Check%1").arg(i + 1));
        placeAt(box, boxes[i].second);
        connect(box, &QCheckBox::toggled, this,
                [this, i](bool on) { emit checkChanged(i + 1, on ? 1 : 0); });
        checks_[static_cast<std::size_t>(i)] = box;
        shrinkToFit(box);
    }

    // Only where ports have no "COMn" names: which device the picked port opens.
    device_ = makeLabel(this, "PortDevice", {}, {240, 2415, 2655, 225});
    QFont small = device_->font();
    small.setPointSizeF(7);
    device_->setFont(small);
    device_->hide();
    failure_ = new WindowFootnote(this, "PortFailure", "Why the port could not be opened");

    auto* ok = addButton(this, "Command1", "&Ok", "Ok", {240, 2640, 1095, 375});
    auto* close = addButton(this, "Command2", "&Close", "Close", {1800, 2640, 1095, 375});
    auto* defaults = addButton(this, "Command3", "&Default", "Default", {1680, 360, 1095, 375});
    ok->setDefault(true);  // Enter; Esc comes through reject()
    connect(ok, &QPushButton::clicked, this, &PortSettingsDialog::okClicked);
    connect(close, &QPushButton::clicked, this, &PortSettingsDialog::closeClicked);
    connect(defaults, &QPushButton::clicked, this, &PortSettingsDialog::defaultClicked);

    QWidget* const tabOrder[] = {combos_[4], combos_[0], combos_[2], combos_[1], combos_[3],
                                 ok,         close,      checks_[0], checks_[1], defaults};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
    combos_[4]->setFocus();
}

void PortSettingsDialog::setPortDevices(const std::array<QString, 4>& devices) {
    devices_ = devices;
    QComboBox* ports = combos_[4];
    for (int i = 0; i < ports->count(); ++i) {
        const int port = ports->itemText(i).toInt();
        const QString device =
            port >= 1 && port <= 4 ? devices_[static_cast<std::size_t>(port - 1)] : QString();
        ports->setItemData(i, device.isEmpty() ? QVariant() : QVariant(device), Qt::ToolTipRole);
    }
}

void PortSettingsDialog::render(const PortSettingsForm& form, const QString& lastFailure,
                                int failedPort) {
    const DropDownList* lists[] = {&form.Combo1, &form.Combo2, &form.Combo3, &form.Combo4,
                                   &form.Combo5};
    for (std::size_t i = 0; i < combos_.size(); ++i) {
        QComboBox* combo = combos_[i];
        const QSignalBlocker quiet(combo);
        const auto& entries = lists[i]->entries();
        bool same = combo->count() == static_cast<int>(entries.size());
        for (int k = 0; same && k < combo->count(); ++k)
            same = combo->itemText(k) == toQString(entries[static_cast<std::size_t>(k)]);
        if (!same) {
            combo->clear();
            for (const std::string& entry : entries) combo->addItem(toQString(entry));
            if (i == 4) setPortDevices(devices_);
        }
        combo->setCurrentIndex(lists[i]->ListIndex());
    }
    const QSignalBlocker quiet1(checks_[0]), quiet2(checks_[1]);
    checks_[0]->setChecked(form.Check1.Value() == 1);
    checks_[1]->setChecked(form.Check2.Value() == 1);
    showDevice(combos_[4]->currentText().toInt(), lastFailure, failedPort);
}

void PortSettingsDialog::showDevice(int port, const QString& lastFailure, int failedPort) {
    const bool failed = !lastFailure.isEmpty() && port == failedPort;
    const QString device = port >= 1 && port <= 4 ? devices_[static_cast<std::size_t>(port - 1)] : QString();
    const QString text = device.isEmpty() ? QString() : QString("COM %1 opens %2").arg(port).arg(device);
    device_->setVisible(!text.isEmpty());
    device_->setToolTip(text);
    device_->setText(QFontMetrics(device_->font()).elidedText(text, Qt::ElideMiddle, device_->width()));
    failure_->setNote(failed ? lastFailure : QString(), QColor(255, 0, 0));
    combos_[4]->setToolTip(failed ? lastFailure : text);
}

void PortSettingsDialog::reject() {
    emit closeClicked();
}

void PortSettingsDialog::closeEvent(QCloseEvent* event) {
    event->ignore();  // the program discards the dialog itself
    emit discardRequested();
}

}  // namespace quadrel
