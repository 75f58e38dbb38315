// Just enough JSON for the driver's answers. Everything it prints is ASCII:
// text beyond it goes out as \u escapes, so no console code page can mangle
// the Cyrillic the tests look for.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace driver {

using Json = std::string;

inline Json JsonText(std::wstring_view text) {
  Json out = "\"";
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      static constexpr char kHex[] = "0123456789abcdef";
      const unsigned u = static_cast<unsigned>(c) & 0xffffu;
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(u >> shift) & 0xfu];
    }
  }
  return out + "\"";
}

inline Json JsonNumber(long long value) { return std::to_string(value); }

inline Json JsonBool(bool value) { return value ? "true" : "false"; }

inline Json JsonNull() { return "null"; }

inline Json JsonObject(std::initializer_list<std::pair<std::string_view, Json>> members) {
  Json out = "{";
  for (const auto& [key, value] : members) {
    if (out.size() > 1) out += ",";
    out += "\"";
    out += key;
    out += "\":";
    out += value;
  }
  return out + "}";
}

inline Json JsonArray(const std::vector<Json>& items) {
  Json out = "[";
  for (const Json& item : items) {
    if (out.size() > 1) out += ",";
    out += item;
  }
  return out + "]";
}

}  // namespace driver
