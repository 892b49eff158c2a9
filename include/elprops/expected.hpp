// How every fallible function of the library answers: a value, or an error
// that says what kind of failure it was and why, in words.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

#include <elprops/export.hpp>

namespace elprops {

enum class error_kind : std::uint8_t {
  none = 0,            // no error: the point was computed
  inadmissible_input,  // an unknown substance, or a value outside the admissible ranges
  arithmetic_fault,    // the correlations left the number range (a logarithm of a value
                       // that is not positive, an overflow), e.g. near saturation
  out_of_reach,        // no admissible concentration gives the value asked for
};

struct failure {
  error_kind kind = error_kind::inadmissible_input;
  std::string message;  // in English, the words elprops-cli prints
};
// The name the error of a point had before every function shared it.
using compute_error = failure;

// Thrown by expected::value() when there is no value: what() is the message.
class ELPROPS_API domain_error : public std::runtime_error {
 public:
  explicit domain_error(const failure& f) : std::runtime_error(f.message), kind_(f.kind) {}
  [[nodiscard]] error_kind kind() const noexcept { return kind_; }

 private:
  error_kind kind_;
};

// Either a T or the failure that stands for it.
template <typename T>
class expected {
 public:
  expected(T value) : outcome_(std::move(value)) {}        // NOLINT: implicit on purpose
  expected(failure error) : outcome_(std::move(error)) {}  // NOLINT: implicit on purpose

  [[nodiscard]] bool has_value() const noexcept { return outcome_.index() == 0; }
  explicit operator bool() const noexcept { return has_value(); }

  // The value; throws domain_error with the message when there is none.
  [[nodiscard]] const T& value() const& {
    if (!has_value()) throw domain_error(*std::get_if<failure>(&outcome_));
    return *std::get_if<T>(&outcome_);
  }
  [[nodiscard]] T&& value() && {
    if (!has_value()) throw domain_error(*std::get_if<failure>(&outcome_));
    return std::move(*std::get_if<T>(&outcome_));
  }
  [[nodiscard]] T value_or(T fallback) const { return has_value() ? *std::get_if<T>(&outcome_) : std::move(fallback); }

  // The value without a check: only when has_value().
  const T& operator*() const noexcept { return *std::get_if<T>(&outcome_); }
  const T* operator->() const noexcept { return std::get_if<T>(&outcome_); }

  // The failure; kind none and no message when there is a value.
  [[nodiscard]] const failure& error() const noexcept {
    static const failure kNone{error_kind::none, {}};
    const failure* f = std::get_if<failure>(&outcome_);
    return f != nullptr ? *f : kNone;
  }

 private:
  std::variant<T, failure> outcome_;
};

}  // namespace elprops
