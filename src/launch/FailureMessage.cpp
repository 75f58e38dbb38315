#include "launch/FailureMessage.h"

#include "product/LanguageTests.h"

namespace updstart {

std::wstring_view UpdaterFailureMessage(std::wstring_view localization) {
  return FailureMessageIsRussian(localization) ? L"Невозможно запустить обновление антивируса"
                                               : L"Impossible to start antivirus update task";
}

}  // namespace updstart
