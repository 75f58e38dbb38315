// Form1's two ways of starting the product's updater.
#include "app/ExitCodes.h"
#include "app/Form1.h"
#include "launch/FailureMessage.h"
#include "launch/UpdateCommand.h"
#include "shared/DecimalText.h"

namespace updstart {

namespace {

constexpr std::uint32_t kWaitBeforeUpdateMs = 30000;
constexpr std::uint32_t kWaitAfterUpdateMs = 10000;
constexpr std::uint32_t kMsPerMinute = 60000;

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

int Form1::RunUnattended(const RunOptions& options) {
  // A chosen source reaches the updater exactly as Update would pass it.
  const std::wstring command =
      options.source ? InteractiveUpdateCommand(product_.sProductRoot, *options.source)
                     : UnattendedUpdateCommand(product_.sProductRoot);
  platform_.Sleep(kWaitBeforeUpdateMs);
  const StartResult started =
      platform_.StartProcess(UpdaterProgram(product_.sProductRoot), command, WindowShow::Hidden);
  if (!started.pid) {
    // Nobody is there to answer an elevation prompt, so none is shown; the
    // task must already run with the rights the updater asks for.
    platform_.ReportFailure(EventId::UpdaterNotStarted,
                            started.error == kErrorElevationRequired
                                ? L"could not start the updater, which asks for administrator "
                                  L"rights; an unattended run never prompts for them, so run "
                                  L"the task with highest privileges"
                                : L"could not start the updater",
                            command, started.error);
    if (!options.wait_minutes) platform_.Sleep(kWaitAfterUpdateMs);
    return kExitUpdaterNotStarted;
  }
  const std::wstring started_strings[] = {command, DecimalText(*started.pid)};
  platform_.WriteEvent(EventId::UpdaterStarted, started_strings);
  if (options.wait_minutes) return AwaitUpdater(*started.pid, *options.wait_minutes);
  platform_.Sleep(kWaitAfterUpdateMs);
  return kExitUpdaterStarted;
}

int Form1::AwaitUpdater(std::uint32_t pid, std::uint32_t limit_minutes) {
  const ProcessEnd end = platform_.WaitForLastStarted(limit_minutes * kMsPerMinute);
  if (!end.ended) {
    // Never ended by us: an updater stopped halfway could leave the
    // product's bases damaged.
    const std::wstring strings[] = {DecimalText(limit_minutes), DecimalText(pid)};
    platform_.WriteEvent(EventId::UpdaterStillRunning, strings);
    platform_.WriteDebugLine(L"the updater still ran after " + strings[0] +
                             L" minutes and was left running: process id " + strings[1]);
    return kExitUpdaterStillRuns;
  }
  const std::wstring strings[] = {DecimalText(end.exit_code), DecimalText(end.seconds)};
  if (end.exit_code == 0) {
    platform_.WriteEvent(EventId::UpdaterSucceeded, strings);
    return kExitUpdaterSucceeded;
  }
  // The updater's own codes are its vendor's to define: recorded as they are,
  // and the run ends with one code of its own for them all.
  platform_.WriteEvent(EventId::UpdaterFailed, strings);
  platform_.WriteDebugLine(L"the updater ended with exit code " + strings[0] + L" after " +
                           strings[1] + L" seconds");
  return kExitUpdaterFailed;
}

}  // namespace updstart
