// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The conventions of the analysis library, which computes what the engines
// report and what other front ends (the R package) return.
//
// - Input: a sample is its group sizes, a Sizes view of whole numbers
//   (std::span<const int>) or of the single-precision values an exchange
//   file holds, fractional ones included. Every analysis works on the sizes
//   in single precision, as the engines do: whole numbers up to 2^24 are
//   exact; larger ones are rounded to 24 bits, and sums in single precision
//   lose whole units once they pass 2^24.
// - Output: a Result holding either the analysis' struct, with every number
//   its report prints, or a typed Failure with the message line the engine
//   prints for it. Failures that leave part of a result (limits undefined
//   for one sample) are members of that result.
// - Random numbers: an analysis that resamples takes a Seed and draws from
//   a generator of its own; the same sizes, arguments and seed give the same
//   result, on any number of threads.
// - No file input or output, no clock, no environment and no global state:
//   calls run at the same time from several threads do not meet. An analysis
//   may share its own replications out over the processor's cores.
// - Limits: sizes and counts are 32-bit integers as the reports print them;
//   a sample or a replication store takes memory in proportion to its length
//   and nothing else bounds it. The capacities of the engine builds are the
//   engines' own.

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <ranges>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace tsk::analyses {

// Why an analysis gives no result (or, inside a result, no limits).
enum class Error {
  NoGroups,               // the sample is empty
  TooFewGroups,           // fewer groups than the method needs
  NotPositive,            // a size of 0 or below where the method needs animals
  SizeOutOfRange,         // a size that the method's whole numbers cannot hold
  AnimalsMismatch,        // the animal count does not fit the group sizes
  OneGroup,               // one group: no spread, no bootstrap limits
  EqualGroups,            // all groups of one size: no bootstrap limits
  UndefinedAcceleration,  // the jackknife acceleration is not a number
  BadReplications,        // a replication count below 1
  BadLevel,               // a confidence level outside (0, 1)
  TooFewSamples,          // one sample where the method compares several
  TooManySamples,         // more samples than the method takes
};

// A typed failure and the message line the engine writes for it (the text
// handed to its report's message(), leading blanks included, or the
// formatted line where the engine writes one).
struct Failure {
  Error code;
  std::string message;
};

// The result of an analysis, or why there is none.
template <class T>
class Result {
 public:
  Result(T value) : state_(std::move(value)) {}
  Result(Failure failure) : state_(std::move(failure)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }
  // Only when ok().
  const T& value() const { return std::get<0>(state_); }
  const T* operator->() const { return &value(); }
  // Only when !ok().
  const Failure& failure() const { return std::get<1>(state_); }

 private:
  std::variant<T, Failure> state_;
};

// The seed of a resampling analysis' generator. The time of day written as
// hhmmss (e.g. 130509) gives, number for number, the report an engine run
// at that second writes; any other 32-bit value, negative ones included,
// gives a stream of its own. 0 is taken as 240000, as a run at midnight is:
// a zero seed would make every draw 0.
using Seed = std::int32_t;

// The checks of the arguments that several analyses share: BadLevel unless
// every level lies in (0, 1); BadReplications for a count below 1.
std::optional<Failure> checkLevels(std::span<const double> levels);
std::optional<Failure> checkReplications(int replications);
// The NoGroups failure of two-sample analyses' sample `sample` (1 or 2);
// engines that check the count a file declares print the same line.
Failure sampleWithoutGroups(int sample);

// A vector or array of whole-number or single-precision sizes.
template <class R>
concept SizeRange = std::ranges::contiguous_range<R> &&
    (std::same_as<std::ranges::range_value_t<R>, int> ||
     std::same_as<std::ranges::range_value_t<R>, float>);

// Group sizes, viewed, not copied: whole numbers or single-precision values
// that outlive the view (a braced list lives to the end of the call).
class Sizes {
 public:
  Sizes(std::span<const int> whole) : view_(whole) {}
  Sizes(std::span<const float> values) : view_(values) {}
  template <SizeRange R>
  Sizes(const R& sizes) : Sizes(std::span<const std::ranges::range_value_t<R>>(sizes)) {}
  Sizes(std::initializer_list<int> whole) : view_(std::span<const int>(whole)) {}

  std::size_t size() const;
  // The sizes in single precision, in the order given.
  std::vector<float> values() const;
  // The same in ascending order (any value that is not a number last).
  std::vector<float> ascending() const;

 private:
  std::variant<std::span<const int>, std::span<const float>> view_;
};

}  // namespace tsk::analyses
