#include "fit/output/fitted_deck.hpp"

namespace kesta::fit_detail {

namespace {

// The NS line is the ninth: the titles above it are one line each.
constexpr int kLinesBeforeNs = 8;

std::string provenance(const Deck& deck, InversionMethod inversion) {
  if (inversion == InversionMethod::Contour) return " / fitted by the contour inversion (kesta --inversion contour)";
  return " / fitted by the Stehfest inversion at NS = " + std::to_string(deck.NS);
}

}  // namespace

std::string fitted_deck(const Deck& deck, InversionMethod inversion) {
  std::string text = write_deck(deck);
  std::size_t at = 0;
  for (int line = 0; line < kLinesBeforeNs; ++line) at = text.find('\n', at) + 1;
  text.insert(text.find('\n', at), provenance(deck, inversion));
  return text;
}

}  // namespace kesta::fit_detail
