// Linked into every fuzz driver: turns a thrown library logic error (an index out of range,
// a length error, a bad argument) into a crash at the throw. The system reports bad input
// only through its stop and its file and layout errors, so such an exception is a fault
// even where the main program would catch it and end with status 1.
#include <dlfcn.h>

#include <cstdio>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <typeinfo>
#include <variant>

extern "C" void __asan_handle_no_return();

namespace {

bool is_programming_error(const std::type_info& t) {
  static const std::type_info* const faults[] = {
      &typeid(std::logic_error),      &typeid(std::out_of_range),      &typeid(std::length_error),
      &typeid(std::invalid_argument), &typeid(std::domain_error),      &typeid(std::bad_array_new_length),
      &typeid(std::bad_optional_access), &typeid(std::bad_variant_access), &typeid(std::bad_function_call),
      &typeid(std::bad_cast),         &typeid(std::bad_typeid)};
  for (const std::type_info* f : faults) {
    if (t == *f) return true;
  }
  return false;
}

}  // namespace

extern "C" [[noreturn]] void __cxa_throw(void* object, std::type_info* type, void (*destroy)(void*)) {
  if (is_programming_error(*type)) {
    std::fprintf(stderr, "korvex fuzz: %s thrown: %s\n", type->name(),
                 static_cast<std::exception*>(object)->what());
    __builtin_trap();
  }
  using Throw = void (*)(void*, std::type_info*, void (*)(void*));
  static const Throw real = reinterpret_cast<Throw>(dlsym(RTLD_NEXT, "__cxa_throw"));
  __asan_handle_no_return();
  real(object, type, destroy);
  __builtin_unreachable();
}
