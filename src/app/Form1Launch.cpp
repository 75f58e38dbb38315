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
  const std::wstring command = InteractiveUpdateCommand(product_.sProductRoot, window_.combo.text);
  count_();
  std::optional<std::uint32_t> pid =
      platform_.StartProcess(UpdaterProgram(product_.sProductRoot), command, WindowShow::Hidden);
  if (!pid) {
    platform_.ShowCriticalMessage(UpdaterFailureMessage(product_.sLocalization), window_.caption);
    return;
  }
  updater_pid_ = static_cast<std::int32_t>(*pid);
}

int Form1::RunUnattended() {
  const std::wstring command = UnattendedUpdateCommand(product_.sProductRoot);
  platform_.Sleep(kWaitBeforeUpdateMs);
  bool started =
      platform_.StartProcess(UpdaterProgram(product_.sProductRoot), command, WindowShow::Hidden)
          .has_value();
  platform_.Sleep(kWaitAfterUpdateMs);
  return started ? kExitUpdaterStarted : kExitUpdaterNotStarted;
}

}  // namespace updstart
