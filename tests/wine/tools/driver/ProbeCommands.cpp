// Commands that put the program in front of bad input: registry values of any
// type and exact size, a key it may not read, a file another process holds,
// and a look at how many handles it keeps.
#include <windows.h>

#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <string>
#include <vector>

#include "Commands.h"

namespace driver {
namespace {

constexpr DWORD kDefaultHoldMs = 120000;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

bool ParseHex(const std::wstring& text, std::vector<BYTE>& bytes) {
  if (text.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<BYTE>(high * 16 + low));
  }
  return true;
}

void WriteAnswer(const Json& json) {
  const std::string line = json + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
}

DWORD WINAPI ReadUntilClosed(void*) {
  char buffer[256];
  DWORD got = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof(buffer), &got, nullptr) &&
         got > 0) {
  }
  return 0;
}

using QuerySystemInformation = LONG(WINAPI*)(int, void*, ULONG, ULONG*);

}  // namespace

// Stores exactly the given bytes with the given type number. Wine counts one
// more character for a string whose counted data is followed by a NUL, so a
// non-NUL guard follows the data and what is stored is what was asked for.
Json SetTypedRegistryValue(const Arguments& args) {
  if (args.size() != 4) return Failure(L"usage: reg-set <HKLM\\key> <name> <type> <hex bytes>");
  std::wstring subkey;
  HKEY root = RegistryRoot(args[0], subkey);
  std::vector<BYTE> data;
  if (!root || !ParseHex(args[3], data)) return Failure(L"bad key or bytes");
  const DWORD type = std::wcstoul(args[2].c_str(), nullptr, 10);
  const DWORD counted = static_cast<DWORD>(data.size());
  data.insert(data.end(), {'#', '#', '#', '#'});
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0,
                      KEY_SET_VALUE | KEY_QUERY_VALUE | KEY_WOW64_32KEY, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return Failure(L"cannot create key");
  }
  LSTATUS status = RegSetValueExW(key, args[1].c_str(), 0, type, data.data(), counted);
  DWORD stored_type = REG_NONE;
  DWORD stored = 0;
  if (status == ERROR_SUCCESS) {
    status = RegQueryValueExW(key, args[1].c_str(), nullptr, &stored_type, nullptr, &stored);
  }
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return Failure(L"cannot store value");
  return JsonObject({{"type", JsonNumber(stored_type)}, {"bytes", JsonNumber(stored)}});
}

// Lets everyone do anything with the key but read its values. Whether the
// registry enforces that is reported, since a test must not count a key that
// still opens as one that cannot be opened.
Json DenyRegistryRead(const Arguments& args) {
  if (args.size() != 1) return Failure(L"usage: reg-deny-read <HKLM\\key>");
  std::wstring subkey;
  HKEY root = RegistryRoot(args[0], subkey);
  if (!root) return Failure(L"unknown root key");
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subkey.c_str(), 0, WRITE_DAC | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) {
    return Failure(L"cannot open key to change its access");
  }
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  const DWORD sid_size = GetLengthSid(everyone);
  const DWORD acl_size = static_cast<DWORD>(sizeof(ACL) + sizeof(ACCESS_DENIED_ACE) +
                                            sizeof(ACCESS_ALLOWED_ACE) + 2 * sid_size);
  std::vector<BYTE> acl_buffer(acl_size);
  auto* acl = reinterpret_cast<PACL>(acl_buffer.data());
  SECURITY_DESCRIPTOR descriptor{};
  const bool built = InitializeAcl(acl, acl_size, ACL_REVISION) &&
                     AddAccessDeniedAce(acl, ACL_REVISION, KEY_QUERY_VALUE, everyone) &&
                     AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone) &&
                     InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                     SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
  const LSTATUS status =
      built ? RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) : ERROR_INVALID_ACL;
  RegCloseKey(key);
  FreeSid(everyone);
  if (status != ERROR_SUCCESS) return Failure(L"cannot set the key's access");

  HKEY probe = nullptr;
  const LSTATUS opened =
      RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &probe);
  if (opened == ERROR_SUCCESS) RegCloseKey(probe);
  return JsonObject({{"enforced", JsonBool(opened == ERROR_ACCESS_DENIED)}});
}

// Opens the file sharing nothing, says so on a line of its own, and keeps it
// open until its standard input closes or the time (ms) runs out. Run it as a
// process of its own, not through `serve`, whose input is its commands.
Json HoldFile(const Arguments& args) {
  if (args.empty()) return Failure(L"usage: hold-file <path> [<ms>]");
  const DWORD timeout_ms =
      args.size() > 1 ? std::wcstoul(args[1].c_str(), nullptr, 10) : kDefaultHoldMs;
  HANDLE file = CreateFileW(args[0].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failure(L"cannot open the file");
  WriteAnswer(JsonObject({{"held", JsonBool(true)}}));
  HANDLE reader = CreateThread(nullptr, 0, ReadUntilClosed, nullptr, 0, nullptr);
  const bool closed = reader && WaitForSingleObject(reader, timeout_ms) == WAIT_OBJECT_0;
  CloseHandle(file);
  if (reader) CloseHandle(reader);
  return JsonObject({{"released", JsonBool(true)}, {"timed_out", JsonBool(!closed)}});
}

// Handles the process holds, from the system's handle table: Wine's
// GetProcessHandleCount always answers 0.
Json CountHandles(const Arguments& args) {
  if (args.size() != 1) return Failure(L"usage: handles <pid>");
  const auto pid = static_cast<ULONG>(std::wcstoul(args[0].c_str(), nullptr, 10));
  const FARPROC proc = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
  if (!proc) return Failure(L"no NtQuerySystemInformation");
  const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void (*)()>(proc));
  std::vector<BYTE> buffer(1 << 16);
  LONG status = 0;
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    status =
        query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status != kInfoLengthMismatch) break;
    buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
  }
  if (status != 0) return Failure(L"the handle table cannot be read");
  const ULONG entries = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data())->Count;
  const std::size_t first = offsetof(SYSTEM_HANDLE_INFORMATION, Handle);
  if (first + std::size_t{entries} * sizeof(SYSTEM_HANDLE_ENTRY) > buffer.size()) {
    return Failure(L"the handle table does not fit its buffer");
  }
  const auto* entry = reinterpret_cast<const SYSTEM_HANDLE_ENTRY*>(buffer.data() + first);
  long long count = 0;
  for (ULONG i = 0; i < entries; ++i) {
    if (entry[i].OwnerPid == pid) ++count;
  }
  return JsonObject({{"handles", JsonNumber(count)}, {"table", JsonNumber(entries)}});
}

}  // namespace driver
