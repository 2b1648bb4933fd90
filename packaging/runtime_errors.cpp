// The C++ runtime's error throwers, for the DLL alone. The runtime's own copy
// of these (and the logic_error classes it builds them with) drags in its
// std::random_device, with LoadLibraryW and GetProcAddress of
// "advapi32.dll"/"SystemFunction036": code the module never runs, which
// antivirus heuristics read as hidden API lookups. The module's containers
// never reach a length, range or logic error (every size is bounded, every
// position checked), and every piece of the module already treats any
// exception as memory running out: abandon the pass or the start-up step.
#include <new>

namespace std {

[[noreturn]] void __throw_bad_alloc() {
  throw bad_alloc();
}
[[noreturn]] void __throw_bad_array_new_length() {
  throw bad_array_new_length();
}
[[noreturn]] void __throw_logic_error(const char*) {
  throw bad_alloc();
}
[[noreturn]] void __throw_length_error(const char*) {
  throw bad_alloc();
}
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) {
  throw bad_alloc();
}

}  // namespace std
