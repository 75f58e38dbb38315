// Form1's two ways of starting the product's updater.
#include "app/ExitCodes.h"
#include "app/Form1.h"
#include "launch/FailureMessage.h"
#include "launch/UpdateCommand.h"
#include "platform/EventText.h"
#include "shared/DecimalText.h"

namespace updstart {

namespace {

constexpr std::uint32_t kWaitBeforeUpdateMs = 30000;
constexpr std::uint32_t kWaitAfterUpdateMs = 10000;
constexpr std::uint64_t kMsPerMinute = 60000;

}  // namespace

void Form1::Command1_Click() {
  const std::wstring& source = window_.combo.text;
  const std::wstring command = InteractiveUpdateCommand(product_.sProductRoot, source);
  count_();
  const std::wstring program = UpdaterProgram(product_.sProductRoot);
  StartResult started = platform_.StartProcess(program, command, WindowShow::Hidden);
  if (!started.pid && started.error == kErrorElevationRequired) {
    // The updater asks for administrator rights in its manifest: Windows
    // asks the user for them, as it would for a double-click.
    started =
        platform_.StartElevated(program, InteractiveUpdateArguments(source), WindowShow::Hidden);
    if (!started.pid && started.error == kErrorCancelled) return;  // the user's own choice
  }
  if (!started.pid) {
    platform_.ReportFailure(EventId::UpdaterNotStarted, L"could not start the updater", command,
                            started.error);
    platform_.ShowMessage(UpdaterFailureMessage(product_.sLocalization), window_.caption,
                          MessageIcon::Critical);
    return;
  }
  updater_pid_ = static_cast<std::int32_t>(*started.pid);
}

std::optional<std::uint32_t> Form1::StartUnattended(const std::optional<std::wstring>& source,
                                                    std::span<std::wstring, 5> strings) {
  // A chosen source reaches the updater exactly as Update would pass it.
  strings[0] = source ? InteractiveUpdateCommand(product_.sProductRoot, *source)
                      : UnattendedUpdateCommand(product_.sProductRoot);
  const StartResult started =
      platform_.StartProcess(UpdaterProgram(product_.sProductRoot), strings[0], WindowShow::Hidden);
  if (!started.pid) {
    // Nobody is there to answer an elevation prompt, so none is shown; the
    // task must already run with the rights the updater asks for.
    platform_.ReportFailure(EventId::UpdaterNotStarted, L"could not start the updater", strings[0],
                            started.error,
                            started.error == kErrorElevationRequired
                                ? L"The updater asks for administrator rights, and an unattended "
                                  L"run never prompts for them: run the task as SYSTEM or with "
                                  L"highest privileges."
                                : L"");
    return std::nullopt;
  }
  strings[1] = DecimalText(*started.pid);
  WriteRunEvent(EventId::UpdaterStarted, EventId::AttemptStarted, strings);
  return started.pid;
}

void Form1::WriteRunEvent(EventId alone, EventId attempt,
                          std::span<const std::wstring, 5> strings) {
  // The attempt's strings stay empty when there is only one source.
  if (strings[2].empty()) {
    platform_.WriteEvent(alone, strings.first(2));
  } else {
    platform_.WriteEvent(attempt, strings);
  }
}

int Form1::RunUnattended(const RunOptions& options) {
  std::vector<std::optional<std::wstring>> sources = options.sources;
  if (sources.empty()) sources.emplace_back();  // the product's own
  // Two strings of the run's events, then the source, the attempt and the
  // count when there are several.
  std::wstring strings[5];
  platform_.Sleep(kWaitBeforeUpdateMs);
  if (!options.wait_minutes) {
    const bool started = StartUnattended(sources.front(), strings).has_value();
    platform_.Sleep(kWaitAfterUpdateMs);
    return started ? kExitUpdaterStarted : kExitUpdaterNotStarted;
  }

  // One limit for every attempt together, counted from the first start.
  const std::wstring minutes = DecimalText(*options.wait_minutes);
  const std::uint64_t deadline = platform_.Milliseconds() + *options.wait_minutes * kMsPerMinute;
  const bool several = sources.size() > 1;
  if (several) strings[4] = DecimalText(sources.size());
  for (std::size_t index = 0; index < sources.size(); ++index) {
    if (several) {
      strings[2] = sources[index] ? *sources[index]
                                  : std::wstring(kOwnSource) + L" (the product's own source)";
      strings[3] = DecimalText(index + 1);
    }
    // A start that fails does so for every source alike: not retried.
    const std::optional<std::uint32_t> pid = StartUnattended(sources[index], strings);
    if (!pid) return kExitUpdaterNotStarted;

    const std::uint64_t now = platform_.Milliseconds();
    const ProcessEnd end = platform_.WaitForLastStarted(
        static_cast<std::uint32_t>(deadline > now ? deadline - now : 0));
    if (end.wait_error) {
      platform_.ReportFailure(EventId::WaitFailed, L"could not wait for the updater, process id",
                              strings[1], end.wait_error);
      return kExitWaitFailed;
    }
    if (!end.ended) {
      // Never ended by us: an updater stopped halfway could leave the
      // product's bases damaged; and never a second one beside it.
      const std::wstring still_running[] = {minutes, strings[1]};
      platform_.WriteEvent(EventId::UpdaterStillRunning, still_running);
      platform_.WriteDebugLine(L"the updater still ran after " + minutes +
                               L" minutes and was left running: process id " + strings[1]);
      return kExitUpdaterStillRuns;
    }
    strings[0] = ExitCodeText(end.exit_code);
    strings[1] = DecimalText(end.seconds);
    if (end.exit_code == 0) {
      WriteRunEvent(EventId::UpdaterSucceeded, EventId::AttemptSucceeded, strings);
      return kExitUpdaterSucceeded;
    }
    // The updater's own codes are its vendor's to define: recorded as they
    // are, and the run ends with one code of its own for them all.
    WriteRunEvent(EventId::UpdaterFailed, EventId::AttemptFailed, strings);
    std::wstring line =
        L"the updater ended with exit code " + strings[0] + L" after " + strings[1] + L" seconds";
    if (several) {
      line += L", source " + strings[2] + L", attempt " + strings[3] + L" of " + strings[4];
    }
    platform_.WriteDebugLine(line);
    if (index + 1 < sources.size() && platform_.Milliseconds() >= deadline) {
      const std::wstring cut_short[] = {strings[3], strings[4], minutes};
      platform_.WriteEvent(EventId::AttemptsCutShort, cut_short);
      return kExitUpdaterFailed;
    }
  }
  if (several) platform_.WriteEvent(EventId::NoSourceSucceeded, std::span(&strings[4], 1));
  return kExitUpdaterFailed;
}

}  // namespace updstart
