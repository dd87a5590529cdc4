// Velmora.exe carries the C++ runtime inside it, and the runtime's own way of
// reporting a failure that nothing catches (a failed allocation, a string
// grown past its limit) drags in a name demangler, a second set of string
// classes and printf: more than the rest of the program together. Velmora
// catches none of these and has no console to write to, so ending the process
// at once is what would happen anyway; these definitions take the place of
// the runtime's, and the linker then leaves the heavy parts out.
#include <cstdlib>

// NOLINTBEGIN(bugprone-reserved-identifier, cert-dcl37-c, cert-dcl51-cpp)
namespace std {

[[noreturn]] void __throw_bad_alloc() { std::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { std::abort(); }
[[noreturn]] void __throw_bad_function_call() { std::abort(); }
[[noreturn]] void __throw_length_error(const char* /*what*/) { std::abort(); }
[[noreturn]] void __throw_logic_error(const char* /*what*/) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char* /*format*/, ...) { std::abort(); }

}  // namespace std

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
// MinGW's start-up code patches "pseudo relocations", references to data
// that the program imports from a DLL, and its patcher makes every program
// import VirtualProtect, which antivirus heuristics weigh against a program
// that also opens other processes. Velmora imports functions only, and the
// linker is told to refuse any import that would need a patch
// (--disable-runtime-pseudo-reloc), so this empty patcher replaces MinGW's.
extern "C" void _pei386_runtime_relocator() {}
// NOLINTEND(bugprone-reserved-identifier, cert-dcl37-c, cert-dcl51-cpp)
