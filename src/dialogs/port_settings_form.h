// The port settings dialog: the user picks port, baud rate, parity, data
// and stop bits and the RTS and DTR lines; "&Ok" reopens the main window's
// port with them and stores them in the settings file. Shown modally; the
// lists keep what they showed from one showing to the next.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/control_state.h"
#include "dialogs/modal_window.h"

namespace quadrel {

class SettingsFile;
class SerialComponent;
struct MainWindowState;
struct PortState;

// A drop-down list: the user can only pick one of its entries.
class DropDownList {
public:
    const std::vector<std::string>& entries() const { return entries_; }
    int ListIndex() const { return listIndex_; }
    // The picked entry's text; empty when nothing is picked.
    std::string Text() const;

    void Clear();
    void AddItem(std::string entry);
    // -1 picks nothing; an index past the entries is ignored.
    void setListIndex(int index);
    // Picks the entry with this text; with no such entry the pick stays.
    void setText(std::string_view text);

private:
    std::vector<std::string> entries_;
    int listIndex_ = -1;
};

class PortSettingsForm {
public:
    // What the dialog works on: the main window's port state, its serial
    // port and status line, and the settings file. `reportFailure` shows
    // "Unable to open COM n!" with the reason and beeps once.
    PortSettingsForm(PortState& port, SerialComponent& comm, SettingsFile& settings,
                     MainWindowState& mainWindow, std::function<void(const std::string& reason)> reportFailure);

    bool exists() const { return window_.exists(); }
    bool Visible() const { return window_.visible(); }
    bool isModal() const { return window_.modal(); }

    DropDownList Combo1;  // baud rate
    DropDownList Combo2;  // parity
    DropDownList Combo3;  // data bits
    DropDownList Combo4;  // stop bits
    DropDownList Combo5;  // port number
    CheckBoxState Check1;  // RTS Enable
    CheckBoxState Check2;  // DTR Enable

    // Shows the dialog modally, creating it on first use. `whenHidden` runs
    // once, when the dialog hides or is discarded.
    void showModal(std::function<void()> whenHidden);

    void Command1_Click();  // "&Ok" and Enter: apply and store
    void Command2_Click();  // "&Close" and Esc
    void Command3_Click();  // "&Default"
    void discard();         // the title bar's close box

private:
    void Form_Load();
    std::array<DropDownList*, 5> lists() { return {&Combo1, &Combo2, &Combo3, &Combo4, &Combo5}; }
    // Runs one action of "&Ok"; a failure is reported and the next runs.

    PortState& port_;
    SerialComponent& MSComm1_;
    SettingsFile& settings_;
    MainWindowState& main_;
    std::function<void(const std::string&)> reportFailure_;
    ModalWindow window_;
};

}  // namespace quadrel
