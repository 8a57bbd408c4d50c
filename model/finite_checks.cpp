#include "model/finite_checks.hpp"

#include <array>
#include <cmath>

#include "model/kernel.hpp"

namespace kesta {
namespace {

struct Quantity {
  const char* what;
  const char* look_at;
  double value;
};

}  // namespace

std::optional<NotFinite> first_non_finite_parameter(const Deck& deck, const Derived& d, const Inversion& inversion) {
  const std::array<Quantity, 8> parameters = {{
      {"DIMENSIONLESS DISTANCE TO WELL (XD)", "X AND XZERO", d.XD},
      {"DIMENSIONLESS DISTANCE TO STREAMBANK (XZEROD)", "XZERO AND AB", d.XZEROD},
      {"DIMENSIONLESS WIDTH OF AQUIFER (XLLD)", "XLL AND XZERO", d.XLLD},
      {"DIMENSIONLESS STREAMBANK LEAKANCE (XAAD)", "XAA AND XZERO", d.XAAD},
      {"STORATIVITY RATIO (SIGMA1)", "AST, ABT, AS AND AB", d.SIGMA1},
      {"HYDRAULIC CONDUCTIVITY RATIO (GAMMA1)", "XZERO, AKT, ABT, AK AND AB", d.GAMMA1},
      {"STORATIVITY TO SPECIFIC YIELD RATIO (SIGMAP)", "AS, AB AND ASYT", d.SIGMAP},
      {"SEEPAGE SCALE (AK/XZEROD)", "AK, XZERO AND AB", deck.AK / d.XZEROD},
  }};
  for (const Quantity& q : parameters)
    if (!std::isfinite(q.value)) return NotFinite{q.what, q.look_at};
  if (deck.NT < 2) return std::nullopt;
  // The inversion divides by the dimensionless time: the shortest lag must be
  // above zero with a finite largest Laplace variable, the longest lag finite.
  const double shortest = lag_time(deck, 1);
  const double longest = lag_time(deck, deck.NT - 1);
  const double largest_variable = stehfest_variable(inversion.NS, inversion.LN2, shortest);
  if (!(shortest > 0.0) || !std::isfinite(longest) || !std::isfinite(largest_variable))
    return NotFinite{"DIMENSIONLESS TIME STEP (AK*DELT/(AS*XZERO**2))", "AK, AS, XZERO AND DELT"};
  return std::nullopt;
}

std::optional<NotFinite> first_non_finite_result(const Results& r) {
  for (std::size_t i = 0; i < r.time.size(); ++i) {
    const std::array<Quantity, 6> row = {{
        {"TIME", "TINIT AND DELT", r.time[i]},
        {"HEAD", "HINIT, THE STAGE AND RECHARGE DATA AND THE AQUIFER PROPERTIES", r.head[i]},
        {"SEEPAGE", "THE STAGE AND RECHARGE DATA, AK, AB AND XZERO", r.seepage[i]},
        {"TOTAL SEEPAGE", "THE STAGE AND RECHARGE DATA, AK, AB, XZERO AND XSTREAM", r.total_seepage[i]},
        {"BANK STORAGE", "THE STAGE AND RECHARGE DATA, AK, AB, XZERO AND DELT", r.bank_storage[i]},
        {"BANK-STORAGE VOLUME", "THE STAGE AND RECHARGE DATA, AK, AB, XZERO, DELT AND XSTREAM", r.bank_volume[i]},
    }};
    for (const Quantity& q : row)
      if (!std::isfinite(q.value)) return NotFinite{q.what + (" AT TIME STEP " + std::to_string(i + 1)), q.look_at};
  }
  return std::nullopt;
}

}  // namespace kesta
