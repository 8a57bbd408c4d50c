#pragma once
// How a simulation brings the step responses back from the Laplace domain.
#include <optional>
#include <string_view>

#include "kesta/deck.hpp"

namespace kesta {

enum class InversionMethod {
  Stehfest,  // the Gaver-Stehfest sum of the deck's NS terms: the program's results of old
  Contour,   // the Bromwich integral on a parabola, accurate to about 1e-13; NS is not used
};

// The most time steps a run by this inversion takes: NTLIMIT or NTLIMIT_CONTOUR.
constexpr int step_limit(InversionMethod inversion) {
  return inversion == InversionMethod::Contour ? NTLIMIT_CONTOUR : NTLIMIT;
}

struct SimulateOptions {
  InversionMethod inversion = InversionMethod::Stehfest;
};

// The names a user writes for the methods: "stehfest" and "contour".
constexpr std::string_view name_of(InversionMethod method) {
  return method == InversionMethod::Contour ? "contour" : "stehfest";
}

// The method a name stands for; nothing for a word that names none.
constexpr std::optional<InversionMethod> inversion_named(std::string_view word) {
  if (word == name_of(InversionMethod::Stehfest)) return InversionMethod::Stehfest;
  if (word == name_of(InversionMethod::Contour)) return InversionMethod::Contour;
  return std::nullopt;
}

}  // namespace kesta
