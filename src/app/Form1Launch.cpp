// Form1's two ways of starting the product's updater.
#include "app/ExitCodes.h"
#include "app/Form1.h"
#include "launch/FailureMessage.h"
#include "launch/UpdateCommand.h"

namespace updstart {

namespace {

constexpr std::uint32_t kWaitBeforeUpdateMs = 30000;
constexpr std::uint32_t kWaitAfterUpdateMs = 10000;

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
    platform_.ReportFailure(L"could not start the updater", command, started.error);
    platform_.ShowCriticalMessage(UpdaterFailureMessage(product_.sLocalization), window_.caption);
    return;
  }
  updater_pid_ = static_cast<std::int32_t>(*started.pid);
}

int Form1::RunUnattended() {
  const std::wstring command = UnattendedUpdateCommand(product_.sProductRoot);
  platform_.Sleep(kWaitBeforeUpdateMs);
  const StartResult started =
      platform_.StartProcess(UpdaterProgram(product_.sProductRoot), command, WindowShow::Hidden);
  if (!started.pid) {
    // Nobody is there to answer an elevation prompt, so none is shown; the
    // task must already run with the rights the updater asks for.
    platform_.ReportFailure(started.error == kErrorElevationRequired
                                ? L"could not start the updater, which asks for administrator "
                                  L"rights; an unattended run never prompts for them, so run "
                                  L"the task with highest privileges"
                                : L"could not start the updater",
                            command, started.error);
  }
  platform_.Sleep(kWaitAfterUpdateMs);
  return started.pid ? kExitUpdaterStarted : kExitUpdaterNotStarted;
}

}  // namespace updstart
