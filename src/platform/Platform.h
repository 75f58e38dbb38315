// Everything the core asks of the operating system. The Win32 layer
// implements it; the unit tests use in-memory fakes.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/EventId.h"

namespace updstart {

// An open registry key; closed when the object goes.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // The value's data as text, or "" when it cannot be read.
  virtual std::wstring ReadValue(std::wstring_view name) const = 0;
};

// A file opened for reading; closed when the object goes.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to buffer.size() bytes; 0 at the end of the file or on a read error.
  virtual std::size_t Read(std::span<unsigned char> buffer) = 0;
  // Back to the start, for another pass; false when the file cannot go back.
  virtual bool Rewind() = 0;
};

// How the system's ANSI code page builds its characters out of bytes: what a
// reader needs to cut the code page's text only between characters.
struct AnsiCodePageShape {
  enum class Kind { SingleByte, DoubleByte, Utf8 };
  Kind kind = Kind::SingleByte;
  std::bitset<256> lead_bytes;  // DoubleByte: the bytes that open a two-byte character
};

// How a started program's window is shown.
enum class WindowShow { Hidden, Normal };

// Windows error numbers that the core answers differently from the rest.
inline constexpr std::uint32_t kErrorElevationRequired = 740;  // the program asks for admin rights
inline constexpr std::uint32_t kErrorCancelled = 1223;         // the user said no

// A started program's task id, or the Windows error number that stopped it.
struct StartResult {
  std::optional<std::uint32_t> pid;
  std::uint32_t error = 0;
};

// How a program that StartProcess started has ended, or that it still runs.
struct ProcessEnd {
  bool ended = false;
  std::uint32_t exit_code = 0;
  std::uint32_t seconds = 0;  // from its start to its end, or to the limit
  // Not 0: the wait itself, or reading the exit code, failed with this
  // Windows error; whether the program still runs is not known.
  std::uint32_t wait_error = 0;
};

// The folder the user chose in the picker: "" when they cancelled or the
// folder has no file-system path; or why the picker could not be opened.
struct FolderChoice {
  std::wstring path;
  std::uint32_t error = 0;  // not 0: no picker was shown
  std::wstring library;     // the library that failed to give it
};

// The icon of a message box.
enum class MessageIcon { Critical, Information };

// Notification-area requests, with the shell's numbers.
enum class TrayMessage : std::uint32_t { Add = 0, Modify = 1, Delete = 2 };

class Platform {
 public:
  virtual ~Platform() = default;

  // The process's whole command line, program path included.
  virtual std::wstring CommandLine() = 0;

  // Opens a key of the local-machine hive for reading, in the registry view a
  // 32-bit program sees; nullptr when it does not exist or cannot be opened.
  virtual std::unique_ptr<RegistryKey> OpenMachineKey(std::wstring_view sub_key) = 0;

  // A modal box with one OK button.
  virtual void ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) = 0;

  // Lets the user drag the main window as if its title bar had been pressed.
  virtual void BeginWindowMove() = 0;

  // Starts `program`, with `command_line` as the whole command line it
  // receives, and returns at once with its task id, or with the error when it
  // cannot be started. Naming the program explicitly means nothing but it can
  // run. A program whose manifest asks for administrator rights fails with
  // kErrorElevationRequired when this process has none.
  virtual StartResult StartProcess(std::wstring_view program, std::wstring_view command_line,
                                   WindowShow show) = 0;

  // Waits until the program that StartProcess started last ends, at most
  // `limit_ms`, and leaves it running at the limit. Messages that other
  // programs send to every window are answered meanwhile, as in Sleep.
  virtual ProcessEnd WaitForLastStarted(std::uint32_t limit_ms) = 0;

  // Starts `program` with `arguments` after its path through the system's
  // elevation prompt, owned by the main window; returns once the user has
  // answered, kErrorCancelled when they declined.
  virtual StartResult StartElevated(std::wstring_view program, std::wstring_view arguments,
                                    WindowShow show) = 0;

  // Records a failure that the user cannot see, or sees without its reason,
  // where an administrator finds it: one debug line with what failed, the
  // command line or path it was done with (left out when empty), the Windows
  // error as number and system text, and `more` (when not empty); and
  // `event` with the insertion strings subject, error number, system text
  // and `more`, which the event's description follows.
  void ReportFailure(EventId event, std::wstring_view what, std::wstring_view subject,
                     std::uint32_t error, std::wstring_view more = {});

  // An event in the Application log under the program's own source, its
  // strings passed through EventStrings: no URL's password, nothing the log
  // would refuse. Never fails the run: when the log cannot be written, a
  // debug line says why.
  void WriteEvent(EventId event, std::span<const std::wstring> strings);

  // One line in the debug output, after the program's name; no URL's password.
  void WriteDebugLine(std::wstring_view text);

  // The system's text for a Windows error, in the user's language; "" for a
  // number it has none for.
  virtual std::wstring ErrorText(std::uint32_t error) = 0;

  // The system's Windows folder, where its own programs live (never a
  // Remote Desktop user's private one).
  virtual std::wstring WindowsFolder() = 0;

  // nullptr when the file does not exist or cannot be opened (a folder, a
  // file another program holds exclusively).
  virtual std::unique_ptr<ByteSource> OpenFileForReading(std::wstring_view path) = 0;

  // Text in the system's ANSI code page, for files that are neither UTF-8
  // nor UTF-16.
  virtual std::wstring AnsiToText(std::span<const unsigned char> bytes) = 0;
  virtual AnsiCodePageShape AnsiShape() = 0;

  // The number the text stands for as the current user's locale reads it
  // (its decimal point and digit grouping, blanks around it); nullopt when it
  // is not a number or lies beyond the range of a float.
  virtual std::optional<float> LocaleNumber(std::wstring_view text) = 0;

  // The system's modal folder picker, owned by the main window, with `prompt`
  // above the tree and the picker's flags.
  virtual FolderChoice BrowseForFolder(std::wstring_view prompt, std::uint32_t flags) = 0;

  // Blocks the calling thread.
  virtual void Sleep(std::uint32_t milliseconds) = 0;

  // A steady clock, in milliseconds from an arbitrary start.
  virtual std::uint64_t Milliseconds() = 0;

  // Passes a notification-area request for the main window's icon 0 to the
  // shell; returns the shell's success result.
  virtual int SetTrayIcon(TrayMessage message, std::uintptr_t icon, std::wstring_view tip) = 0;

 protected:
  // What WriteEvent and WriteDebugLine have made safe, as it is.
  virtual void WriteLogEvent(EventId event, std::span<const std::wstring> strings) = 0;
  virtual void WriteLogLine(std::wstring_view text) = 0;
};

}  // namespace updstart
