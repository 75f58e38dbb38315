// The Platform of the real program.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/Platform.h"
#include "platform/win32/UniqueHandle.h"

namespace updstart::win32 {

class Win32Platform : public Platform {
 public:
  // The main window, once it exists: owner of boxes, target of moves.
  void set_main_window(HWND window) { main_window_ = window; }
  // Run before a modal box or picker opens, so that the window behind it
  // already shows what the event changed up to then.
  void set_before_modal(std::function<void()> before_modal) {
    before_modal_ = std::move(before_modal);
  }

  std::wstring CommandLine() override;
  std::unique_ptr<RegistryKey> OpenMachineKey(std::wstring_view sub_key) override;
  void ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) override;
  StartResult StartProcess(std::wstring_view program, std::wstring_view command_line,
                           WindowShow show) override;
  ProcessEnd WaitForLastStarted(std::uint32_t limit_ms) override;
  StartResult StartElevated(std::wstring_view program, std::wstring_view arguments,
                            WindowShow show) override;
  std::wstring ErrorText(std::uint32_t error) override;
  std::wstring WindowsFolder() override;
  std::unique_ptr<ByteSource> OpenFileForReading(std::wstring_view path) override;
  std::wstring AnsiToText(std::span<const unsigned char> bytes) override;
  AnsiCodePageShape AnsiShape() override;
  std::optional<float> LocaleNumber(std::wstring_view text) override;
  FolderChoice BrowseForFolder(std::wstring_view prompt, std::uint32_t flags) override;
  void Sleep(std::uint32_t milliseconds) override;
  std::uint64_t Milliseconds() override;
  void BeginWindowMove() override;
  int SetTrayIcon(TrayMessage message, std::uintptr_t icon, std::wstring_view tip) override;

 protected:
  void WriteLogEvent(EventId event, std::span<const std::wstring> strings) override;
  void WriteLogLine(std::wstring_view text) override;

 private:
  void BeforeModal() {
    if (before_modal_) before_modal_();
  }

  HWND main_window_ = nullptr;
  // The program StartProcess started last, for WaitForLastStarted; held so
  // that its exit code stays readable and its id cannot pass to another.
  UniqueKernelHandle last_started_;
  ULONGLONG last_started_at_ = 0;
  std::function<void()> before_modal_;
};

}  // namespace updstart::win32
