// What the window shows, control by control: the core writes it, the Win32
// view renders it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ControlTable.h"

namespace updstart {

struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kPureRed{255, 0, 0};
inline constexpr Rgb kPureBlue{0, 0, 255};

struct ControlState {
  std::wstring caption;
  bool visible = true;
  std::optional<Rgb> text_color;  // nullopt: the system's colour
  bool value = false;             // option buttons: selected
  friend bool operator==(const ControlState&, const ControlState&) = default;
};

struct ComboState {
  std::vector<std::wstring> items;
  std::wstring text;
  std::wstring tool_tip;

  // Like the real control: false, and nothing changes, for a position
  // outside the list.
  bool InsertItem(std::size_t position, std::wstring item) {
    if (position > items.size()) return false;
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(position), std::move(item));
    return true;
  }
  bool RemoveItem(std::size_t position) {
    if (position >= items.size()) return false;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(position));
    return true;
  }
  friend bool operator==(const ComboState&, const ComboState&) = default;
};

struct WindowState {
  std::wstring caption;
  std::array<ControlState, kControlTable.size()> controls;
  ComboState combo;
  ControlName focus = ControlName::Command1;
  int timer_interval = 0;  // the timer has no tick handling, so nothing runs it
  bool unload_requested = false;

  ControlState& operator[](ControlName name) { return controls[static_cast<std::size_t>(name)]; }
  const ControlState& operator[](ControlName name) const {
    return controls[static_cast<std::size_t>(name)];
  }
};

// The window as designed, before any start-up code runs.
WindowState DesignTimeWindow();

}  // namespace updstart
