#include "launch/FailureMessage.h"

namespace updstart {

std::wstring_view UpdaterFailureMessage(std::wstring_view localization) {
  if (localization == L"ru-RU" || localization == L"ru") {
    return L"Невозможно запустить обновление антивируса";
  }
  return L"Impossible to start antivirus update task";
}

}  // namespace updstart
