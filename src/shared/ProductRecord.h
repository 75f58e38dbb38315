// What the detection learns about the installed product.
#pragma once

#include <string>

namespace updstart {

struct ProductRecord {
  std::wstring sProductRoot;   // installation folder; holds the console updater
  std::wstring sDataRoot;      // data folder; holds Data\updcfg.xml
  std::wstring sProductName;   // display name, carrying generation or year
  std::wstring sLocalization;  // interface locale, such as ru-RU; read on a hit only
  float BuildNumber = 0;       // the Build value as a number; 0 when it is not one
  double ProductVersion = 0;   // generation number of the probe that hit; 0 = none
};

}  // namespace updstart
