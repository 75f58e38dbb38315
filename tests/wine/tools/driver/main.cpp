// The test rig's hands inside the Wine prefix: reads the program's windows,
// presses its buttons and starts it with an exact command line. Each call
// prints one JSON line; `serve` answers one command per input line (arguments
// separated by tabs), which spares the tests a Wine start per look.
#include <windows.h>

#include <string>
#include <string_view>

#include "Commands.h"

namespace {

using driver::Arguments;
using driver::Json;

struct Command {
  std::wstring_view name;
  Json (*run)(const Arguments&);
};

constexpr Command kCommands[] = {
    {L"dump", driver::DumpMainWindow},
    {L"msgbox", driver::DumpMessageBoxes},
    {L"msgbox-ok", driver::PressMessageBoxOk},
    {L"dialogs", driver::DumpDialogs},
    {L"dialog-press", driver::PressDialogButton},
    {L"click", driver::ClickControl},
    {L"close", driver::CloseMainWindow},
    {L"set-text", driver::SetControlText},
    {L"rect-of", driver::ScreenRectOfControl},
    {L"reg-set-raw", driver::SetRawRegistryString},
    {L"run", driver::RunProgram},
    {L"processes", driver::ListProcesses},
    {L"text-fit", driver::MeasureTextFit},
    {L"text-ink", driver::MeasureTextInk},
    {L"reg-set", driver::SetTypedRegistryValue},
    {L"reg-deny-read", driver::DenyRegistryRead},
    {L"hold-file", driver::HoldFile},
    {L"handles", driver::CountHandles},
};

Json Execute(const Arguments& words) {
  if (words.empty()) return driver::Failure(L"no command");
  const Arguments args(words.begin() + 1, words.end());
  for (const Command& command : kCommands) {
    if (command.name == words[0]) return command.run(args);
  }
  return driver::Failure(L"unknown command: " + words[0]);
}

void WriteLine(const Json& json) {
  const std::string line = json + "\n";
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  for (std::size_t done = 0; done < line.size();) {
    DWORD written = 0;
    if (!WriteFile(output, line.data() + done, static_cast<DWORD>(line.size() - done), &written,
                   nullptr) ||
        written == 0) {
      return;
    }
    done += written;
  }
}

std::wstring FromUtf8(std::string_view text) {
  if (text.empty()) return {};
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

Arguments SplitTabs(std::string_view line) {
  Arguments words;
  for (;;) {
    const std::size_t tab = line.find('\t');
    words.push_back(FromUtf8(line.substr(0, tab)));
    if (tab == std::string_view::npos) return words;
    line.remove_prefix(tab + 1);
  }
}

// Reads UTF-8 lines until the other end closes the pipe.
int Serve() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  std::string pending;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(input, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    pending.append(buffer, got);
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      WriteLine(Execute(SplitTabs(line)));
    }
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring_view(argv[1]) == L"serve") return Serve();
  const Json answer = Execute(Arguments(argv + 1, argv + argc));
  WriteLine(answer);
  return answer.starts_with("{\"error\"") ? 1 : 0;
}
