// The registry keys that installed generations of the product write, in the
// order they are tried. The order is neither numeric nor by age: when several
// generations are installed, the earliest row wins.
#pragma once

#include <array>
#include <string_view>

namespace updstart {

struct ProbeRow {
  std::wstring_view key;  // under HKEY_LOCAL_MACHINE
  double generation;      // what ProductVersion becomes on a hit
  bool reads_root_again;  // the oldest generations read ProductRoot once more
};

inline constexpr std::array<ProbeRow, 13> kProbeTable{{
    {L"SOFTWARE\\NordavinLab\\protected\\TVX8\\environment", 8.0, false},
    {L"SOFTWARE\\NordavinLab\\protected\\TVX9\\environment", 9.0, false},
    {L"SOFTWARE\\NordavinLab\\protected\\TVX10\\environment", 10.0, false},
    {L"SOFTWARE\\NordavinLab\\protected\\TVX11\\environment", 11.0, false},
    {L"SOFTWARE\\NordavinLab\\protected\\TVX12\\environment", 12.0, false},
    {L"SOFTWARE\\NordavinLab\\protected\\TVX13\\environment", 13.0, false},
    {L"SOFTWARE\\NordavinLab\\protected\\TVX14\\environment", 14.0, false},
    {L"SOFTWARE\\NordavinLab\\protected\\TVX15\\environment", 15.0, false},
    {L"SOFTWARE\\NordavinLab\\protected\\TVX16\\environment", 16.0, false},
    // The endpoint edition belongs to generation 16, whatever its name says.
    {L"SOFTWARE\\NordavinLab\\protected\\WPN8\\environment", 16.0, false},
    {L"SOFTWARE\\NordavinLab\\protected\\TVX80\\environment", 8.1, false},
    {L"SOFTWARE\\NordavinLab\\protected\\TVX7\\environment", 7.0, true},
    {L"SOFTWARE\\NordavinLab\\TVX6\\environment", 6.0, true},
}};

}  // namespace updstart
