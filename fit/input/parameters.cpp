#include "fit/input/parameters.hpp"

namespace kesta::fit_detail {

namespace {

constexpr ParameterInfo kParameters[] = {
    {"AK", &Deck::AK, Scale::Log, "aquifer hydraulic conductivity"},
    {"AS", &Deck::AS, Scale::Log, "aquifer specific storage"},
    {"XAA", &Deck::XAA, Scale::Log, "streambank leakance"},
    {"XLL", &Deck::XLL, Scale::Log, "aquifer width"},
    {"AKT", &Deck::AKT, Scale::Log, "aquitard vertical hydraulic conductivity"},
    {"AST", &Deck::AST, Scale::Log, "aquitard specific storage"},
    {"ABT", &Deck::ABT, Scale::Log, "aquitard thickness"},
    {"ASYT", &Deck::ASYT, Scale::Log, "aquitard specific yield"},
    {"HINIT", &Deck::HINIT, Scale::Linear, "initial head at the well"},
};

}  // namespace

std::span<const ParameterInfo> estimable_parameters() { return kParameters; }

const ParameterInfo* find_parameter(std::string_view name) {
  for (const ParameterInfo& p : kParameters)
    if (p.name == name) return &p;
  return nullptr;
}

std::string estimable_names() {
  std::string out;
  for (const ParameterInfo& p : kParameters) {
    if (!out.empty()) out += ", ";
    out += p.name;
  }
  return out;
}

std::optional<std::string> unused_reason(const ParameterInfo& parameter, const Deck& deck) {
  const std::string_view name = parameter.name;
  const std::string prefix = std::string(name) + " is not used by the deck: ";
  if (name == "XAA" && deck.IXA != 1) return prefix + "IXA = " + std::to_string(deck.IXA) + " (no streambank)";
  if (name == "XLL" && deck.IXL != 1)
    return prefix + "IXL = " + std::to_string(deck.IXL) + " (the aquifer extends without limit)";
  const bool aquitard = name == "AKT" || name == "AST" || name == "ABT";
  if (aquitard && deck.IAQ < 1) return prefix + "IAQ = " + std::to_string(deck.IAQ) + " (confined, no aquitard)";
  if (name == "ASYT" && deck.IAQ != 3)
    return prefix + "IAQ = " + std::to_string(deck.IAQ) +
           " (only a water-table aquitard, IAQ = 3, has a specific yield)";
  return std::nullopt;
}

}  // namespace kesta::fit_detail
