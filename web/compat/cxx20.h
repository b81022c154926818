// emscripten 3.1.6's C++ library predates two C++20 pieces the show's sources use:
// std::bit_cast (its bit-exact constants; the compiler's builtin does the same) and
// std::make_unique_for_overwrite (the unpacker's window, which it never reads before writing).
// Included ahead of every source of the web build.
#pragma once

#include <bit>
#include <memory>
#include <type_traits>

#if defined(__cplusplus) && !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif

#if defined(__cplusplus) && !defined(__cpp_lib_smart_ptr_for_overwrite)
namespace std {
template <class T>
  requires is_unbounded_array_v<T>
unique_ptr<T> make_unique_for_overwrite(size_t count) {
  return unique_ptr<T>(new remove_extent_t<T>[count]);
}
}  // namespace std
#endif
