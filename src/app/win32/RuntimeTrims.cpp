// The program catches no exception: whatever the C++ runtime might throw (an
// allocation failure, a programming error) ends it. The runtime's own way of
// throwing and then reporting such an error pulls in exception classes,
// narrow strings, formatted output and a demangler — over a third of the
// program's size for a message nobody sees in a window program. These stand-
// ins end the program at once, which is what the runtime would do anyway.
// The same holds for the allocation functions: the runtime's throw
// std::bad_alloc, and so bring in the whole machinery that throws and
// unwinds, several kilobytes of it; these, which the language lets a program
// replace, end the program instead.
#include <cstddef>
#include <cstdlib>

#if defined(__GLIBCXX__)
// Replacing the runtime's own functions means using their reserved names.
// NOLINTBEGIN(bugprone-reserved-identifier,readability-identifier-naming)
namespace __gnu_cxx {
[[noreturn]] void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
[[noreturn]] void __throw_bad_cast() { std::abort(); }
[[noreturn]] void __throw_bad_alloc() { std::abort(); }
[[noreturn]] void __throw_bad_typeid() { std::abort(); }
[[noreturn]] void __throw_bad_exception() { std::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { std::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { std::abort(); }
[[noreturn]] void __throw_range_error(const char*) { std::abort(); }
[[noreturn]] void __throw_domain_error(const char*) { std::abort(); }
[[noreturn]] void __throw_length_error(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range(const char*) { std::abort(); }
[[noreturn]] void __throw_runtime_error(const char*) { std::abort(); }
[[noreturn]] void __throw_overflow_error(const char*) { std::abort(); }
[[noreturn]] void __throw_underflow_error(const char*) { std::abort(); }
[[noreturn]] void __throw_invalid_argument(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
[[noreturn]] void __throw_bad_function_call() { std::abort(); }
}  // namespace std
// NOLINTEND(bugprone-reserved-identifier,readability-identifier-naming)

// NOLINTBEGIN(cppcoreguidelines-no-malloc,hicpp-no-malloc)
void* operator new(std::size_t size) {
  if (void* block = std::malloc(size != 0 ? size : 1)) return block;
  std::abort();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
// NOLINTEND(cppcoreguidelines-no-malloc,hicpp-no-malloc)
#endif
