#include "dialogs/port_settings_form.h"

#include <cstdint>
#include <exception>
#include <span>
#include <utility>

#include "form/main_window_state.h"
#include "form/port_state.h"
#include "form/steps.h"
#include "serial/serial_component.h"
#include "settings/numeric_text.h"
#include "settings/settings_file.h"

namespace quadrel {
namespace {

struct ListDesign {
    std::span<const char* const> entries;
    int defaultIndex;
};
constexpr const char* kBaudEntries[] = {"9600", "19200"};
constexpr const char* kParityEntries[] = {"E", "M", "N", "O", "S"};
constexpr const char* kDataBitsEntries[] = {"4", "5", "6", "7", "8"};
constexpr const char* kStopBitsEntries[] = {"1", "1.5", "2"};
constexpr const char* kPortEntries[] = {"1", "2", "3", "4"};
constexpr ListDesign kBaud{kBaudEntries, 1};
constexpr ListDesign kParity{kParityEntries, 2};
constexpr ListDesign kDataBits{kDataBitsEntries, 4};
constexpr ListDesign kStopBits{kStopBitsEntries, 0};
constexpr ListDesign kPort{kPortEntries, 0};

void fill(DropDownList& list, const ListDesign& design) {
    for (const char* entry : design.entries) list.AddItem(entry);
}

int ticked(bool on) {
    return on ? 1 : 0;
}

}  // namespace

std::string DropDownList::Text() const {
    return listIndex_ < 0 ? std::string() : entries_[static_cast<std::size_t>(listIndex_)];
}

void DropDownList::Clear() {
    entries_.clear();
    listIndex_ = -1;
}

void DropDownList::AddItem(std::string entry) {
    entries_.push_back(std::move(entry));
}

void DropDownList::setListIndex(int index) {
    if (index >= -1 && index < static_cast<int>(entries_.size())) listIndex_ = index;
}

void DropDownList::setText(std::string_view text) {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i] == text) listIndex_ = static_cast<int>(i);
}

PortSettingsForm::PortSettingsForm(PortState& port, SerialComponent& comm, SettingsFile& settings,
                                   MainWindowState& mainWindow,
                                   std::function<void(const std::string&)> reportFailure)
    : port_(port),
      MSComm1_(comm),
      settings_(settings),
      main_(mainWindow),
      reportFailure_(std::move(reportFailure)) {}

void PortSettingsForm::showModal(std::function<void()> whenHidden) {
    if (window_.create()) Form_Load();
    window_.showModal(std::move(whenHidden));
}

void PortSettingsForm::Form_Load() {
    for (DropDownList* list : lists()) list->Clear();
    fill(Combo1, kBaud);
    fill(Combo2, kParity);
    fill(Combo3, kDataBits);
    fill(Combo4, kStopBits);
    fill(Combo5, kPort);
    Combo1.setListIndex(kBaud.defaultIndex);
    Combo2.setListIndex(kParity.defaultIndex);
    Combo3.setListIndex(kDataBits.defaultIndex);
    Combo4.setListIndex(kStopBits.defaultIndex);
    Combo5.setListIndex(kPort.defaultIndex);

    // A value a hand-edited file brought in that no entry offers (port 7,
    // 38400 baud) leaves the default picked.
    Combo1.setText(plainNumber(port_.PortBaud));
    Combo2.setText(port_.PortParity);
    Combo3.setText(plainNumber(port_.PortDataBits));
    Combo4.setText(plainNumber(port_.PortStopBits));
    Combo5.setText(std::to_string(port_.PortNumber));

    Check1.setValue(ticked(port_.RtsFlag == 1));
    Check2.setValue(ticked(port_.DtrFlag == 1));
}

void PortSettingsForm::Command1_Click() {
    runStep(reportFailure_, [&] {
        port_.PortBaud = numericValue(Combo1.Text());
        port_.PortParity = Combo2.Text();
        port_.PortDataBits = numericValue(Combo3.Text());
        port_.PortStopBits = numericValue(Combo4.Text());
        port_.PortNumber = static_cast<int>(numericValue(Combo5.Text()));
        port_.formSettingsText();
    });
    std::string settingsText = port_.PortSettingsText;
    // Hidden now; the caller waiting for the dialog goes on only once the
    // port has been reopened and the choice stored.
    window_.conceal();

    if (MSComm1_.PortOpen()) {
        runStep(reportFailure_, [&] { MSComm1_.setRTSEnable(false); });
        runStep(reportFailure_, [&] { MSComm1_.setDTREnable(false); });
        runStep(reportFailure_, [&] { MSComm1_.setPortOpen(false); });
    }
    runStep(reportFailure_,
            [&] { MSComm1_.setCommPort(static_cast<std::int16_t>(port_.PortNumber)); });
    runStep(reportFailure_, [&] { MSComm1_.setSettings(settingsText); });
    runStep(reportFailure_, [&] {
        main_.Label1.Caption = portCaption(MSComm1_.CommPort(), port_.PortSettingsText);
        main_.Label1ToolTip.clear();
    });
    runStep(reportFailure_, [&] { MSComm1_.setRTSEnable(Check1.Value() == 1); });
    runStep(reportFailure_, [&] { MSComm1_.setDTREnable(Check2.Value() == 1); });
    runStep(reportFailure_, [&] { MSComm1_.setPortOpen(true); });
    runStep(reportFailure_, [&] { settingsText = MSComm1_.Settings(); });

    // Stored even when the port did not open: the next start tries it again.
    // In one replacement of the file.
    const std::string number = std::to_string(port_.PortNumber);
    settings_.write({{kPortSection, "Port", number},
                     {kPortSection, "Settings", settingsText},
                     {kPortSection, "RTS", Check1.Value() == 1 ? "1" : "0"},
                     {kPortSection, "DTR", Check2.Value() == 1 ? "1" : "0"}});
    window_.hide();
}

void PortSettingsForm::Command2_Click() {
    window_.hide();
}

void PortSettingsForm::Command3_Click() {
    // The main window's flags change at once, whether or not "&Ok" follows.
    port_.RtsFlag = 1;
    port_.DtrFlag = 0;
    Combo1.setListIndex(kBaud.defaultIndex);
    Combo2.setListIndex(kParity.defaultIndex);
    Combo3.setListIndex(kDataBits.defaultIndex);
    Combo4.setListIndex(kStopBits.defaultIndex);
    Check1.setValue(ticked(port_.RtsFlag == 1));
    Check2.setValue(ticked(port_.DtrFlag == 1));
}

void PortSettingsForm::discard() {
    if (!window_.markDiscarded()) return;
    for (DropDownList* list : lists()) list->Clear();
    Check1 = CheckBoxState{};
    Check2 = CheckBoxState{};
    window_.hide();
}

}  // namespace quadrel
