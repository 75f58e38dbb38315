#include "platform/win32/Win32Platform.h"

#include <string>

#include "platform/win32/Diagnostics.h"
#include "platform/win32/EventLog.h"
#include "platform/win32/FolderPicker.h"
#include "platform/win32/LocaleNumber.h"
#include "platform/win32/Module1.h"
#include "platform/win32/Registry.h"
#include "platform/win32/ShellLibrary.h"
#include "platform/win32/UniqueHandle.h"

namespace updstart::win32 {

std::wstring Win32Platform::CommandLine() {
  const wchar_t* command_line = GetCommandLineW();
  return command_line ? std::wstring(command_line) : std::wstring();
}

std::unique_ptr<RegistryKey> Win32Platform::OpenMachineKey(std::wstring_view sub_key) {
  return OpenMachineKeyForReading(sub_key);
}

void Win32Platform::ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) {
  BeforeModal();
  const std::wstring box_text(text);
  const std::wstring box_title(title);
  // A hidden window cannot own a box the user must see.
  HWND owner = main_window_ && IsWindowVisible(main_window_) ? main_window_ : nullptr;
  MessageBoxW(owner, box_text.c_str(), box_title.c_str(),
              MB_OK | (icon == MessageIcon::Critical ? MB_ICONERROR : MB_ICONINFORMATION) |
                  (owner ? 0 : MB_SETFOREGROUND));
}

namespace {

int ShowCommand(WindowShow show) { return show == WindowShow::Hidden ? SW_HIDE : SW_SHOWNORMAL; }

// Blocks until `object` (none when null) is signalled or `milliseconds` have
// passed: WAIT_OBJECT_0 when it was signalled, WAIT_TIMEOUT when the time
// ran out, WAIT_FAILED (with the thread's last error) when the wait itself
// failed. The unattended waits hold the window's thread, but messages other
// programs send to every top-level window (setting changes, shutdown
// queries) are still answered, so that none of them waits on us. Posted
// input stays queued: nothing of the window runs meanwhile.
DWORD WaitAnsweringSentMessages(HANDLE object, std::uint32_t milliseconds) {
  const DWORD count = object ? 1 : 0;
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
    const auto left = static_cast<DWORD>(deadline - now);
    const DWORD woke = MsgWaitForMultipleObjectsEx(count, &object, left, QS_SENDMESSAGE, 0);
    if (woke == WAIT_OBJECT_0 + count) {
      MSG message;
      PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    } else if (woke != WAIT_TIMEOUT) {
      return woke;  // signalled, or the wait itself failed: never spin until the deadline
    }
  }
  return object ? WaitForSingleObject(object, 0) : WAIT_TIMEOUT;
}

}  // namespace

StartResult Win32Platform::StartProcess(std::wstring_view program, std::wstring_view command_line,
                                        WindowShow show) {
  // Windows refuses longer command lines; Wine would cut them and start the
  // program with a different source, so refuse them here too.
  constexpr std::size_t kLongestCommandLine = 32766;
  if (command_line.size() > kLongestCommandLine) return {std::nullopt, ERROR_FILENAME_EXCED_RANGE};
  if (command_line.find(L'\0') != std::wstring_view::npos ||
      program.find(L'\0') != std::wstring_view::npos) {
    return {std::nullopt, ERROR_INVALID_PARAMETER};
  }
  const std::wstring application(program);
  std::wstring command(command_line);  // CreateProcessW may write into it

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(ShowCommand(show));
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(application.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    return {std::nullopt, GetLastError()};
  }
  last_started_.reset(started.hProcess);
  last_started_at_ = GetTickCount64();
  UniqueKernelHandle thread(started.hThread);
  return {started.dwProcessId, ERROR_SUCCESS};
}

ProcessEnd Win32Platform::WaitForLastStarted(std::uint32_t limit_ms) {
  ProcessEnd end;
  const DWORD woke = WaitAnsweringSentMessages(last_started_.get(), limit_ms);
  const DWORD wait_error = woke == WAIT_FAILED ? GetLastError() : ERROR_SUCCESS;
  end.seconds = static_cast<std::uint32_t>((GetTickCount64() - last_started_at_ + 500) / 1000);
  if (woke == WAIT_FAILED) {
    end.wait_error = wait_error != ERROR_SUCCESS ? wait_error : ERROR_GEN_FAILURE;
  } else if (woke == WAIT_OBJECT_0) {
    DWORD exit_code = 0;
    if (GetExitCodeProcess(last_started_.get(), &exit_code)) {
      end.ended = true;
      end.exit_code = exit_code;
    } else {
      const DWORD error = GetLastError();
      end.wait_error = error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
    }
  }
  return end;
}

StartResult Win32Platform::StartElevated(std::wstring_view program, std::wstring_view arguments,
                                         WindowShow show) {
  if (arguments.find(L'\0') != std::wstring_view::npos ||
      program.find(L'\0') != std::wstring_view::npos) {
    return {std::nullopt, ERROR_INVALID_PARAMETER};
  }
  const ShellFunctions& shell = Shell();
  if (!shell.execute) {
    return {std::nullopt,
            shell.load_error != ERROR_SUCCESS ? shell.load_error : ERROR_PROC_NOT_FOUND};
  }
  BeforeModal();
  const std::wstring file(program);
  const std::wstring parameters(arguments);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // The process handle for the task id; no box of the shell's own, since the
  // caller decides what the user is told; done before returning.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.hwnd = main_window_;
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = ShowCommand(show);
  if (!shell.execute(&info)) {
    const DWORD error = GetLastError();
    return {std::nullopt, error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE};
  }
  UniqueKernelHandle process(info.hProcess);
  return {process ? GetProcessId(process.get()) : 0, ERROR_SUCCESS};
}

std::wstring Win32Platform::ErrorText(std::uint32_t error) { return win32::ErrorText(error); }

void Win32Platform::WriteLogEvent(EventId event, std::span<const std::wstring> strings) {
  win32::WriteEvent(event, strings);
}

void Win32Platform::WriteLogLine(std::wstring_view text) { win32::WriteDebugLine(text); }

std::wstring Win32Platform::WindowsFolder() {
  // The system's own, not the private Windows folder a Remote Desktop host
  // may give each user, where a program could be missing or planted.
  std::wstring folder(MAX_PATH, L'\0');
  UINT length = GetSystemWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (length > folder.size()) {
    folder.assign(length, L'\0');
    length = GetSystemWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  }
  folder.resize(length < folder.size() ? length : 0);
  return folder;
}

namespace {

class FileSource : public ByteSource {
 public:
  explicit FileSource(UniqueKernelHandle file) : file_(std::move(file)) {}
  std::size_t Read(std::span<unsigned char> buffer) override {
    DWORD read = 0;
    auto wanted = static_cast<DWORD>(buffer.size() > 0x7FFFFFFF ? 0x7FFFFFFF : buffer.size());
    if (!ReadFile(file_.get(), buffer.data(), wanted, &read, nullptr)) return 0;
    return read;
  }
  bool Rewind() override {
    return SetFilePointerEx(file_.get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN) != 0;
  }

 private:
  UniqueKernelHandle file_;
};

}  // namespace

std::unique_ptr<ByteSource> Win32Platform::OpenFileForReading(std::wstring_view path) {
  const std::wstring name(path);
  // Others may go on writing or even delete the file while it is read.
  HANDLE file = CreateFileW(
      name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<FileSource>(UniqueKernelHandle(file));
}

std::wstring Win32Platform::AnsiToText(std::span<const unsigned char> bytes) {
  if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return {};
  const auto* data = reinterpret_cast<const char*>(bytes.data());
  const int size = static_cast<int>(bytes.size());
  int length = MultiByteToWideChar(CP_ACP, 0, data, size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, data, size, text.data(), length);
  return text;
}

AnsiCodePageShape Win32Platform::AnsiShape() {
  AnsiCodePageShape shape;
  CPINFO info{};
  if (GetACP() == CP_UTF8) {
    shape.kind = AnsiCodePageShape::Kind::Utf8;
  } else if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 2) {
    shape.kind = AnsiCodePageShape::Kind::DoubleByte;
    // Ranges of lead bytes in pairs, ended by a pair of zeros.
    for (std::size_t i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
      for (unsigned byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1]; ++byte) {
        shape.lead_bytes.set(byte);
      }
    }
  }
  return shape;
}

std::optional<float> Win32Platform::LocaleNumber(std::wstring_view text) {
  return UserLocaleNumber(text);
}

FolderChoice Win32Platform::BrowseForFolder(std::wstring_view prompt, std::uint32_t flags) {
  BeforeModal();
  return win32::BrowseForFolder(main_window_, prompt, flags);
}

void Win32Platform::Sleep(std::uint32_t milliseconds) {
  WaitAnsweringSentMessages(nullptr, milliseconds);
}

std::uint64_t Win32Platform::Milliseconds() { return GetTickCount64(); }

void Win32Platform::BeginWindowMove() {
  ReleaseCapture();
  SendMessageW(main_window_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

int Win32Platform::SetTrayIcon(TrayMessage message, std::uintptr_t icon, std::wstring_view tip) {
  return win32::SetTrayIcon(static_cast<DWORD>(message), main_window_,
                            reinterpret_cast<HICON>(icon), tip);
}

}  // namespace updstart::win32
