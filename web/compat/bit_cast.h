// emscripten 3.1.6's C++ library predates std::bit_cast, which the show's sources use for its
// bit-exact constants; the compiler's builtin does the same. Included ahead of every source of
// the web build.
#pragma once

#include <bit>

#if defined(__cplusplus) && !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
