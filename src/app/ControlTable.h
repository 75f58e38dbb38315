// The window's controls as designed: kind, place in twips and tab index.
// Shared by the core (names), the Win32 view (creates the controls from it)
// and the test driver, which turns the names the tests use into window ids
// here, so that no id is written anywhere else.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace updstart {

// The window's controls in their design order; the timer has no window.
enum class ControlName : std::uint8_t {
  Option3,
  Option2,
  Option1,
  Command2,
  Combo1,
  Command1,
  Label6,
  Label7,
  Label2,
  Label5,
  Label4,
  Label3,
  Label1,
};

enum class ControlKind : std::uint8_t { Label, OptionButton, CommandButton, ComboBox };

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

struct ControlDesign {
  ControlName name;
  std::wstring_view id_name;  // the name as the design knows it; the tests' name for it
  ControlKind kind;
  TwipsRect rect;
  int tab_index;
};

inline constexpr int kTwipsPerPixelAt96Dpi = 15;
inline constexpr int kClientWidthTwips = 10605;
inline constexpr int kClientHeightTwips = 3960;

// Window ids start well above IDOK and IDCANCEL so that Enter and Escape,
// which the dialog manager turns into those ids, reach no control.
inline constexpr int kFirstControlId = 1001;

constexpr int ControlId(ControlName name) { return kFirstControlId + static_cast<int>(name); }

inline constexpr std::array<ControlDesign, 13> kControlTable{{
    // folder source: opens the picker
    {ControlName::Option3, L"Option3", ControlKind::OptionButton, {6480, 1920, 3975, 375}, 12},
    // regular list
    {ControlName::Option2, L"Option2", ControlKind::OptionButton, {6480, 1320, 2535, 375}, 5},
    // test list
    {ControlName::Option1, L"Option1", ControlKind::OptionButton, {6480, 1680, 2535, 255}, 4},
    // "Close"
    {ControlName::Command2, L"Command2", ControlKind::CommandButton, {8880, 3120, 1455, 615}, 3},
    // update source: the lists, or any text
    {ControlName::Combo1, L"Combo1", ControlKind::ComboBox, {360, 1920, 5895, 315}, 1},
    // "Update"
    {ControlName::Command1, L"Command1", ControlKind::CommandButton, {7320, 3120, 1455, 615}, 0},
    // configured test channel
    {ControlName::Label6, L"Label6", ControlKind::Label, {360, 1320, 3855, 255}, 11},
    // source report
    {ControlName::Label7, L"Label7", ControlKind::Label, {360, 1080, 5895, 255}, 10},
    // cleared at start, never written again
    {ControlName::Label2, L"Label2", ControlKind::Label, {240, 3600, 735, 255}, 9},
    // download link
    {ControlName::Label5, L"Label5", ControlKind::Label, {360, 600, 2655, 255}, 8},
    // outdated notice
    {ControlName::Label4, L"Label4", ControlKind::Label, {360, 360, 8055, 255}, 7},
    // detected product
    {ControlName::Label3, L"Label3", ControlKind::Label, {360, 120, 8055, 255}, 6},
    // "Select new update source:"
    {ControlName::Label1, L"Label1", ControlKind::Label, {360, 1680, 3975, 255}, 2},
}};

// Row i describes control i, which DesignOf, the control ids and the window
// state all count on.
constexpr bool RowsFollowControlOrder() {
  for (std::size_t i = 0; i < kControlTable.size(); ++i) {
    if (kControlTable[i].name != static_cast<ControlName>(i)) return false;
  }
  return true;
}
static_assert(RowsFollowControlOrder(), "kControlTable's rows must follow ControlName's order");

constexpr const ControlDesign& DesignOf(ControlName name) {
  return kControlTable[static_cast<std::size_t>(name)];
}

// Pixels at 96 DPI, which the view then scales with the monitor's DPI.
constexpr int TwipsToPixels96(int twips) {
  return (twips + kTwipsPerPixelAt96Dpi / 2) / kTwipsPerPixelAt96Dpi;
}

}  // namespace updstart
