// The humble view: renders Form1's state into real controls and turns
// Win32 notifications into Form1's events. No decision is made here.
#pragma once

#include <windows.h>

#include <array>
#include <optional>

#include "app/Form1.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace updstart::win32 {

class MainWindow {
 public:
  MainWindow(HINSTANCE instance, Form1& form, Win32Platform& platform);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window hidden, runs the start-up sequence, shows the window
  // unless the sequence ended the program, and pumps messages until it is
  // closed. Returns the exit code.
  int Run(int show_command);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  // The exit code when the window could not be made.
  std::optional<int> Create();
  void CreateControls();
  // Shows the combo box's tip as last rendered.
  void CreateToolTip();
  void ApplyDpi(UINT dpi);
  void Render();
  void RenderCombo(const ComboState& combo);
  void OnCommand(int id, int code);
  LRESULT OnControlColor(HDC dc, HWND control);
  void OnActivate(bool active);
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  // The window's size with its frame, for the design's client area at dpi_.
  SIZE OuterSize() const;

  // Runs one event of the core with the combo's text as the user left it,
  // then shows what the event changed.
  template <typename Event>
  void Raise(Event&& event);

  HWND Control(ControlName name) const { return controls_[static_cast<std::size_t>(name)]; }

  HINSTANCE instance_;
  Form1& form_;
  Win32Platform& platform_;
  HWND window_ = nullptr;
  std::array<HWND, kControlTable.size()> controls_{};
  HWND combo_edit_ = nullptr;
  // Owned by window_, which takes it along when it goes: Windows destroys a
  // window's owned pop-ups with it, so nothing here may destroy it again.
  HWND tool_tip_ = nullptr;
  UniqueFont font_;
  UINT dpi_ = 96;
  WindowState rendered_;
  bool unloaded_ = false;
  HWND focus_before_deactivation_ = nullptr;
};

}  // namespace updstart::win32
