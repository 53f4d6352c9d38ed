// The shipped program is built without exceptions, so the C++ runtime's throwing paths can
// never be caught: these replacements end the program at once instead, and keep the
// runtime's exception machinery, its message formatting and its name demangler (together
// about half of the program's size) out of the file. Only the program links this; the tests
// keep the full runtime.
#include <windows.h>

#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

[[noreturn]] void Fail() {
  // Nothing may run on after a broken invariant: no unwinding, no handlers, no save, no other
  // thread, and no message loop (a box would run one).
  TerminateProcess(GetCurrentProcess(), 3);
  ExitProcess(3);
}

void* Allocate(std::size_t n) {
  if (void* p = std::malloc(n ? n : 1)) return p;
  Fail();  // out of memory
}

}  // namespace

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new[](std::size_t n) { return Allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace std {
void __throw_bad_alloc() { Fail(); }
void __throw_bad_array_new_length() { Fail(); }
void __throw_bad_function_call() { Fail(); }
void __throw_bad_cast() { Fail(); }
void __throw_logic_error(const char*) { Fail(); }
void __throw_length_error(const char*) { Fail(); }
void __throw_out_of_range(const char*) { Fail(); }
void __throw_out_of_range_fmt(const char*, ...) { Fail(); }
void __throw_invalid_argument(const char*) { Fail(); }
void __throw_runtime_error(const char*) { Fail(); }
}  // namespace std

namespace __gnu_cxx {
void __verbose_terminate_handler() { Fail(); }
}  // namespace __gnu_cxx

// The runtime's own copies of the two string classes are compiled with exceptions, and
// taking them drags in the whole unwinder; these copies, made here without exceptions, are
// taken instead (the linker then keeps only the members the program calls).
#include <string>
template class std::__cxx11::basic_string<char>;
template class std::__cxx11::basic_string<wchar_t>;
