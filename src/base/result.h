#pragma once
// The one way a fallible call reports back: a value, or the reason it failed
// in words a person can read (printable, no trailing newline). Shaped like
// C++23 std::expected, which our fuzzing compiler does not have yet.
//
// A call whose callers must tell one failure from another (a missing file
// from an unreadable one) names its own error type E in place of Failure;
// error() then gives that typed error instead of the words.
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace jinro {

struct Failure {
  std::string reason;
};

inline Failure fail(std::string reason) { return Failure{std::move(reason)}; }

template <typename T, typename E = Failure>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(E failure) : state_(std::in_place_index<1>, std::move(failure)) {}

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }
  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  // The reason (or the typed error); only when there is no value.
  const auto& error() const {
    if constexpr (std::is_same_v<E, Failure>) {
      return std::get<1>(state_).reason;
    } else {
      return std::get<1>(state_);
    }
  }

 private:
  std::variant<T, E> state_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : failed_(true), reason_(std::move(failure.reason)) {}

  bool has_value() const { return !failed_; }
  explicit operator bool() const { return has_value(); }
  const std::string& error() const { return reason_; }

 private:
  bool failed_ = false;
  std::string reason_;
};

}  // namespace jinro
