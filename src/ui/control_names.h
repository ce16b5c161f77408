// The window design's control names, in one place: each widget carries its
// name as object name and accessible description, so that screen-reader
// scripts and tests find it; the code calls the widgets by what they are.
// A numbered control (one per channel, mode or type) is its prefix with
// the number, from 1.
#pragma once

namespace quadrel::control_names {

namespace main_window {
inline constexpr char kWindow[] = "Form1";
inline constexpr char kTopLine[] = "Line1";
inline constexpr char kValueHeading[] = "Label16";
inline constexpr char kWidthHeading[] = "Label47";
inline constexpr char kReverseHeading[] = "Label2";
inline constexpr char kCalibrate[] = "Command1";
inline constexpr char kChannelHeading[] = "Label10";  // "Label10_1" to "_8"
inline constexpr char kValue[] = "In";
inline constexpr char kBar[] = "ProgressBar";
inline constexpr char kWidth[] = "Res";
inline constexpr char kReverseBox[] = "Check";
inline constexpr char kModeFrame[] = "Frame2";
inline constexpr char kMode[] = "Mode";
inline constexpr char kTypeFrame[] = "Frame1";
inline constexpr char kType[] = "Option";
inline constexpr char kStickFrame[] = "Frame3";
inline constexpr char kLeftStickBox[] = "Shape3";
inline constexpr char kRightStickBox[] = "Shape4";
inline constexpr char kRightStick[] = "Ball1";
inline constexpr char kLeftStick[] = "Ball2";
inline constexpr char kNoSignal[] = "Label11";
inline constexpr char kStatus[] = "Label1";
// Menus and their commands.
inline constexpr char kFileMenu[] = "FMenu";
inline constexpr char kExit[] = "FExit";
inline constexpr char kSettingsMenu[] = "SMenu";
inline constexpr char kRecalibrate[] = "SCal";
inline constexpr char kSettingsSeparator[] = "SLine1";
inline constexpr char kComms[] = "CMenu";
inline constexpr char kZhenHua[] = "ZMenu";
inline constexpr char kHelpMenu[] = "HMenu";
inline constexpr char kAbout[] = "AMenu";
}  // namespace main_window

namespace port_dialog {
inline constexpr char kWindow[] = "Form2";
inline constexpr char kBaudList[] = "Combo1";
inline constexpr char kParityList[] = "Combo2";
inline constexpr char kDataBitsList[] = "Combo3";
inline constexpr char kStopBitsList[] = "Combo4";
inline constexpr char kPortList[] = "Combo5";
inline constexpr char kPortLabel[] = "Label2";
inline constexpr char kBaudLabel[] = "Label1";
inline constexpr char kDataBitsLabel[] = "Label4";
inline constexpr char kParityLabel[] = "Parity";
inline constexpr char kStopBitsLabel[] = "Label3";
inline constexpr char kRts[] = "Check1";
inline constexpr char kDtr[] = "Check2";
inline constexpr char kOk[] = "Command1";
inline constexpr char kClose[] = "Command2";
inline constexpr char kDefault[] = "Command3";
}  // namespace port_dialog

namespace about {
inline constexpr char kWindow[] = "Form3";
inline constexpr char kIcon[] = "picIcon";
inline constexpr char kTitle[] = "Title";
inline constexpr char kPurpose[] = "Label3";
inline constexpr char kVersion[] = "Label1";
inline constexpr char kDisclaimer[] = "lblDisclaimer";
inline constexpr char kOk[] = "cmdOK";
inline constexpr char kFreeware[] = "Label2";
}  // namespace about

namespace cable {
inline constexpr char kWindow[] = "Form4";
inline constexpr char kTitle[] = "Label5";
inline constexpr char kNote[] = "Label9";
inline constexpr char kBaudNote[] = "Label10";
inline constexpr char kPin5[] = "Label7";
inline constexpr char kPin1[] = "Label6";
inline constexpr char kAlternative[] = "Label8";
inline constexpr char kDb9[] = "Label2";
inline constexpr char kSVideo[] = "Label1";
inline constexpr char kFemale[] = "Label3";
inline constexpr char kSolderSide[] = "Label4";
inline constexpr char kDriverNote[] = "Label11";
inline constexpr char kClose[] = "Command1";
}  // namespace cable

}  // namespace quadrel::control_names
