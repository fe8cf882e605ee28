// Pieces of the static C++ runtime that zoble.exe defines itself, to leave
// out what it never needs. Linked into zoble.exe and zoble-check.exe (which
// adds the helpers it calls besides); an object of the program wins over the
// library's archive members, so theirs are never pulled in.
//
// - The std::__throw_* helpers the standard containers call. The library
//   keeps them all in one member, and its std::length_error pulls in the
//   reference-counted string, a second copy of std::string and std::random
//   (about 90 KB). These throw the same exceptions, or for a length error one
//   whose what() is the same text, so Runtime::invoke still catches
//   std::exception and ends the program with its report. Should the program
//   come to call a helper that is not here, the library's member comes back
//   and the link fails on the helpers defined twice: add the new one here.
// - The default terminate handler. The library's demangles the type name,
//   which pulls in the demangler and the printf engine (about 60 KB). This one
//   writes the same lines to stderr with the type's mangled name and aborts,
//   as the library's does.
#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

namespace {

// std::length_error without the reference-counted string it keeps its
// message in: the library passes string literals.
class LengthError final : public std::exception {
 public:
  explicit LengthError(const char* what) noexcept : what_(what) {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;
};

}  // namespace

namespace std {

void __throw_bad_alloc() {
  throw bad_alloc();
}

void __throw_bad_array_new_length() {
  throw bad_array_new_length();
}

void __throw_length_error(const char* what) {
  throw LengthError(what);
}

}  // namespace std

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  static bool terminating = false;
  if (terminating) {
    std::fputs("terminate called recursively\n", stderr);
    std::abort();
  }
  terminating = true;
  if (const std::type_info* type = abi::__cxa_current_exception_type()) {
    std::fputs("terminate called after throwing an instance of '", stderr);
    std::fputs(type->name(), stderr);
    std::fputs("'\n", stderr);
    try {
      throw;
    } catch (const std::exception& e) {
      std::fputs("  what():  ", stderr);
      std::fputs(e.what(), stderr);
      std::fputs("\n", stderr);
    } catch (...) {
    }
  } else {
    std::fputs("terminate called without an active exception\n", stderr);
  }
  std::abort();
}

}  // namespace __gnu_cxx
