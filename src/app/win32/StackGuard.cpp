// The stack protector compares each protected frame's canary with one guard
// value, which GCC's runtime fills in a constructor through
// CryptAcquireContextA: that loads the legacy crypto provider and the
// libraries it needs (rsaenh, bcrypt, crypt32) to get eight random bytes, a
// noticeable share of the program's start-up. The runtime leaves a guard that
// is already set alone, so it is filled here first, from the generator that
// advapi32 exports for exactly this (RtlGenRandom), which the program imports
// anyway. Should that fail, the guard stays zero and the runtime's own way
// still fills it.
#if defined(__GNUC__) && defined(_WIN32)

#include <windows.h>

#include <ntsecapi.h>

// NOLINTBEGIN(bugprone-reserved-identifier,readability-identifier-naming)
extern "C" void* __stack_chk_guard;
// NOLINTEND(bugprone-reserved-identifier,readability-identifier-naming)

namespace {

// 101, the earliest priority a program may use, runs before the runtime's own
// constructors (which have none) and before any of the program's. The
// function itself must not be protected: its canary would be checked against
// a guard that changed meanwhile.
__attribute__((constructor(101), no_stack_protector)) void FillStackGuard() {
  void* guard = nullptr;
  if (RtlGenRandom(&guard, sizeof(guard))) __stack_chk_guard = guard;
}

}  // namespace

#endif
