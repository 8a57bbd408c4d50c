#pragma once
// The deck values that a fit can estimate, and how each is scaled in the solver.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "fit/estimation/scale.hpp"
#include "kesta/kesta.hpp"

namespace kesta::fit_detail {

struct ParameterInfo {
  std::string_view name;  // the deck's name
  double Deck::*field;
  Scale scale;
  std::string_view meaning;
};

std::span<const ParameterInfo> estimable_parameters();
const ParameterInfo* find_parameter(std::string_view name);

// The names that can be estimated, "AK, AS, ..." for messages.
std::string estimable_names();

// Why the deck's codes leave this value unused, or nothing when they use it.
std::optional<std::string> unused_reason(const ParameterInfo& parameter, const Deck& deck);

}  // namespace kesta::fit_detail
