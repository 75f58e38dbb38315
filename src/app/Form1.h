// The main window as a plain object: the state of every control and the
// handlers of the window's events. It reaches the outside only through
// Platform, so it runs the same under the Win32 view and in unit tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/RunOptions.h"
#include "app/WindowState.h"
#include "platform/Platform.h"
#include "shared/ProductRecord.h"

namespace updstart {

class Form1 {
 public:
  explicit Form1(Platform& platform);

  const WindowState& state() const { return window_; }
  // The view hands in what the user typed into the combo's edit field before
  // each event, since the core does not see keystrokes.
  void SetComboText(std::wstring text) { window_.combo.text = std::move(text); }

  // Runs the start-up sequence with the window still hidden. nullopt: show the
  // window; a value: the program ends with that exit code, window unshown.
  std::optional<int> Form_Load();
  void Form_Activate();
  void Form_MouseDown();
  void Form_Unload();
  void Command1_Click();
  void Command2_Click();

  // An option button becomes selected, by the user or from code. Selecting the
  // one already selected raises nothing.
  void SelectOption(ControlName option);
  void Option3_DblClick();
  void Label5_Click();

  // Failures of the window itself, which the view meets: each is recorded,
  // and the result is the exit code the program then ends with.
  int WindowNotCreated(std::wstring_view what, std::wstring_view window_class, std::uint32_t error);
  int MessagesNotRead(std::uint32_t error);

  const ProductRecord& product() const { return product_; }
  const std::wstring& sArgs() const { return sArgs_; }
  std::int32_t updater_pid() const { return updater_pid_; }

 private:
  void AddItem();
  void count_();
  // The scheduled-task path: wait, start the updater, wait a fixed time or
  // for the updater's end, from each source in turn; the exit code.
  int RunUnattended(const RunOptions& options);
  // Starts the updater for one source (nullopt: the product's own) and
  // records it, its command line and process id the first two `strings`;
  // nullopt, with the failure recorded, when it cannot be started.
  std::optional<std::uint32_t> StartUnattended(const std::optional<std::wstring>& source,
                                               std::span<std::wstring, 5> strings);
  // An event of an unattended run: `alone` with the first two strings for a
  // run with one source, `attempt` with all five for one with several.
  void WriteRunEvent(EventId alone, EventId attempt, std::span<const std::wstring, 5> strings);
  // Empties the source list with `removals` removals of its first entry.
  void RemoveSources(int removals);
  // The outdated notice, the detected-product line and the Russian texts.
  void ShowProductTexts();
  void ReportDefaultSource();
  std::wstring fBrowseForFolder(std::wstring_view sPrompt, std::uint32_t WhatBr);
  void Option1_Click();
  void Option2_Click();
  void Option3_Click();

  Platform& platform_;
  WindowState window_;
  ProductRecord product_;
  std::wstring sArgs_;
  std::int32_t updater_pid_ = 0;
  float RemoveCounter_ = 0;
};

}  // namespace updstart
