#include "app/WindowState.h"

namespace updstart {

WindowState DesignTimeWindow() {
  WindowState w;
  w.caption = L"Nordavin updater starter";
  w[ControlName::Option3].caption = L"Loca or network follder";
  w[ControlName::Option2].caption = L"Show regular source only";
  w[ControlName::Option2].value = true;
  w[ControlName::Option1].caption = L"Show beta source only";
  w[ControlName::Command2].caption = L"Close";
  w[ControlName::Command1].caption = L"Update";
  w[ControlName::Label6].caption = L"Label6";
  w[ControlName::Label7].caption = L"Label7";
  w[ControlName::Label2].caption = L"Label2";
  w[ControlName::Label5].caption = L"URl to download";
  w[ControlName::Label5].text_color = kPureBlue;
  w[ControlName::Label4].caption = L"Label4";
  w[ControlName::Label4].text_color = kPureRed;
  w[ControlName::Label3].caption = L"Label3";
  w[ControlName::Label1].caption = L"Select new update source:";
  w.combo.tool_tip = L"Update source selection";
  return w;
}

}  // namespace updstart
