// An in-memory Platform: a registry of keys and values, a command line, and a
// record of what the core asked of the system.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "ChunkedBytes.h"
#include "platform/Platform.h"

namespace updstart::testing {

class FakePlatform : public Platform {
 public:
  using Values = std::map<std::wstring, std::wstring, std::less<>>;

  std::map<std::wstring, Values, std::less<>> registry;
  std::wstring command_line;
  std::map<std::wstring, std::string, std::less<>> files;  // path -> bytes
  AnsiCodePageShape ansi_shape;                            // single-byte: AnsiToText decodes it
  std::vector<std::wstring> folder_choices;                // what the picker returns, in turn
  std::uint32_t picker_error = 0;  // not 0: the picker cannot be opened, for this reason
  std::vector<std::wstring> picker_prompts;

  std::vector<std::wstring> opened_keys;
  std::vector<std::wstring> value_reads;  // "key|value", in read order
  struct Message {
    std::wstring text;
    std::wstring title;
    MessageIcon icon;
  };
  std::vector<Message> messages;
  int window_moves = 0;
  struct Start {
    std::wstring program;
    std::wstring command_line;
    WindowShow show;
  };
  std::vector<Start> starts;
  std::uint32_t start_error = 0;        // what every start fails with; 0: it starts
  std::size_t starts_before_error = 0;  // how many start before start_error applies
  std::vector<Start> elevated_starts;   // command_line holds the arguments alone
  std::uint32_t elevated_error = 0;
  std::uint32_t next_pid = 4000;
  // Every debug line, as the real platform writes it.
  std::vector<std::wstring> debug_lines;
  struct Event {
    EventId id;
    std::vector<std::wstring> strings;  // as the real platform writes them
  };
  std::vector<Event> events;
  // What each WaitForLastStarted answers, in turn; then process_end. An
  // updater that ended moves the clock on by its seconds, one that still
  // runs by the whole limit.
  std::vector<ProcessEnd> process_ends;
  ProcessEnd process_end{true, 0, 42};
  std::uint64_t clock_ms = 0;
  // Sleeps, starts, waits, events and boxes in the order they happened:
  // "sleep 30000", "start", "event 6101", "wait 60000", "box".
  std::vector<std::wstring> timeline;
  std::vector<TrayMessage> tray_requests;
  // How the user's locale reads texts as numbers; any other text is none.
  std::map<std::wstring, float, std::less<>> locale_numbers;
  std::vector<std::wstring> locale_number_requests;

  std::wstring CommandLine() override { return command_line; }

  std::unique_ptr<RegistryKey> OpenMachineKey(std::wstring_view sub_key) override {
    opened_keys.emplace_back(sub_key);
    auto found = registry.find(sub_key);
    if (found == registry.end()) return nullptr;
    return std::make_unique<Key>(*this, found->first, found->second);
  }

  void ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) override {
    timeline.push_back(L"box");
    messages.push_back({std::wstring(text), std::wstring(title), icon});
  }

  StartResult StartProcess(std::wstring_view program, std::wstring_view command_line,
                           WindowShow show) override {
    timeline.push_back(L"start");
    if (start_error && starts.size() >= starts_before_error) return {std::nullopt, start_error};
    starts.push_back({std::wstring(program), std::wstring(command_line), show});
    return {next_pid++, 0};
  }

  StartResult StartElevated(std::wstring_view program, std::wstring_view arguments,
                            WindowShow show) override {
    timeline.push_back(L"elevated start");
    if (elevated_error) return {std::nullopt, elevated_error};
    elevated_starts.push_back({std::wstring(program), std::wstring(arguments), show});
    return {next_pid++, 0};
  }

  ProcessEnd WaitForLastStarted(std::uint32_t limit_ms) override {
    timeline.push_back(L"wait " + std::to_wstring(limit_ms));
    ProcessEnd end = process_end;
    if (!process_ends.empty()) {
      end = process_ends.front();
      process_ends.erase(process_ends.begin());
    }
    clock_ms += end.ended ? std::min<std::uint64_t>(end.seconds * 1000ull, limit_ms) : limit_ms;
    return end;
  }

  std::wstring ErrorText(std::uint32_t error) override {
    return L"text of error " + std::to_wstring(error);
  }

  std::vector<EventId> event_ids() const {
    std::vector<EventId> ids;
    for (const Event& event : events) ids.push_back(event.id);
    return ids;
  }

  std::wstring WindowsFolder() override { return L"C:\\windows"; }

  std::unique_ptr<ByteSource> OpenFileForReading(std::wstring_view path) override {
    auto found = files.find(path);
    if (found == files.end()) return nullptr;
    // In small pieces, so that readers meet piece borders.
    return std::make_unique<ChunkedBytes>(found->second, std::vector<std::size_t>{7});
  }

  // Stands in for code page 1251: enough to tell Cyrillic decoded through the
  // code page from UTF-8.
  std::wstring AnsiToText(std::span<const unsigned char> bytes) override {
    std::wstring text;
    for (unsigned char byte : bytes) {
      text.push_back(byte >= 0xC0 ? static_cast<wchar_t>(0x410 + byte - 0xC0)
                                  : static_cast<wchar_t>(byte));
    }
    return text;
  }

  AnsiCodePageShape AnsiShape() override { return ansi_shape; }

  std::optional<float> LocaleNumber(std::wstring_view text) override {
    locale_number_requests.emplace_back(text);
    auto found = locale_numbers.find(text);
    if (found == locale_numbers.end()) return std::nullopt;
    return found->second;
  }

  FolderChoice BrowseForFolder(std::wstring_view prompt, std::uint32_t) override {
    if (picker_error) return {L"", picker_error, L"shell32.dll"};
    picker_prompts.emplace_back(prompt);
    if (folder_choices.empty()) return {};
    std::wstring choice = folder_choices.front();
    folder_choices.erase(folder_choices.begin());
    return {choice, 0, L""};
  }

  void Sleep(std::uint32_t milliseconds) override {
    timeline.push_back(L"sleep " + std::to_wstring(milliseconds));
    clock_ms += milliseconds;
  }

  std::uint64_t Milliseconds() override { return clock_ms; }

  void BeginWindowMove() override { ++window_moves; }

  int SetTrayIcon(TrayMessage message, std::uintptr_t, std::wstring_view) override {
    tray_requests.push_back(message);
    return 0;
  }

 protected:
  void WriteLogEvent(EventId event, std::span<const std::wstring> strings) override {
    timeline.push_back(L"event " + std::to_wstring(ShownNumber(event)));
    events.push_back({event, {strings.begin(), strings.end()}});
  }

  void WriteLogLine(std::wstring_view text) override { debug_lines.emplace_back(text); }

 private:
  class Key : public RegistryKey {
   public:
    Key(FakePlatform& owner, const std::wstring& path, const Values& values)
        : owner_(owner), path_(path), values_(values) {}
    std::wstring ReadValue(std::wstring_view name) const override {
      owner_.value_reads.push_back(path_ + L"|" + std::wstring(name));
      auto found = values_.find(name);
      return found == values_.end() ? std::wstring() : found->second;
    }

   private:
    FakePlatform& owner_;
    std::wstring path_;
    const Values& values_;
  };
};

}  // namespace updstart::testing
