#include "model/finite_checks.hpp"

#include <array>
#include <cmath>

namespace kesta {
namespace {

struct Quantity {
  const char* what;
  const char* look_at;
  double value;
};

std::optional<NotFinite> first_of(std::initializer_list<Quantity> quantities) {
  for (const Quantity& q : quantities)
    if (!std::isfinite(q.value)) return NotFinite{q.what, q.look_at};
  return std::nullopt;
}

// The dimensionless time of a lag of j steps, as the superposition computes it.
double lag_time(const ModelState& s, const TimeScales& scales, int j) {
  return (s.AK * (static_cast<double>(j) * s.DELT)) / (s.AS * scales.XZERO2);
}

}  // namespace

std::optional<NotFinite> first_non_finite_parameter(const ModelState& s, const TimeScales& scales) {
  if (auto found = first_of({{"DIMENSIONLESS DISTANCE TO WELL (XD)", "X AND XZERO", s.XD},
                             {"DIMENSIONLESS DISTANCE TO STREAMBANK (XZEROD)", "XZERO AND AB", scales.XZEROD},
                             {"DIMENSIONLESS WIDTH OF AQUIFER (XLLD)", "XLL AND XZERO", s.XLLD},
                             {"DIMENSIONLESS STREAMBANK LEAKANCE (XAAD)", "XAA AND XZERO", s.XAAD},
                             {"STORATIVITY RATIO (SIGMA1)", "AST, ABT, AS AND AB", s.SIGMA1},
                             {"HYDRAULIC CONDUCTIVITY RATIO (GAMMA1)", "XZERO, AKT, ABT, AK AND AB", s.GAMMA1},
                             {"STORATIVITY TO SPECIFIC YIELD RATIO (SIGMAP)", "AS, AB AND ASYT", s.SIGMAP},
                             {"SEEPAGE SCALE (AK/XZEROD)", "AK, XZERO AND AB", s.AK / scales.XZEROD}}))
    return found;
  if (s.NT < 2) return std::nullopt;
  // The inversion divides by the dimensionless time: the shortest lag must be
  // above zero with a finite largest Laplace variable, the longest lag finite.
  const double shortest = lag_time(s, scales, 1);
  const double longest = lag_time(s, scales, s.NT - 1);
  const double largest_variable = static_cast<double>(s.NS) * s.LN2 / shortest;
  if (!(shortest > 0.0) || !std::isfinite(longest) || !std::isfinite(largest_variable))
    return NotFinite{"DIMENSIONLESS TIME STEP (AK*DELT/(AS*XZERO**2))", "AK, AS, XZERO AND DELT"};
  return std::nullopt;
}

std::optional<NotFinite> first_non_finite_result(const ModelState& s) {
  for (int k = 1; k <= s.NT; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const std::string at = " AT TIME STEP " + std::to_string(k);
    const double time = static_cast<double>(k - 1) * s.DELT + s.TINIT;
    const std::array<Quantity, 6> row = {{
        {"TIME", "TINIT AND DELT", time},
        {"HEAD", "HINIT, THE STAGE AND RECHARGE DATA AND THE AQUIFER PROPERTIES", s.HEAD[i]},
        {"SEEPAGE", "THE STAGE AND RECHARGE DATA, AK, AB AND XZERO", s.SEEP[i]},
        {"TOTAL SEEPAGE", "THE STAGE AND RECHARGE DATA, AK, AB, XZERO AND XSTREAM", s.SEEPT[i]},
        {"BANK STORAGE", "THE STAGE AND RECHARGE DATA, AK, AB, XZERO AND DELT", s.BANK[i]},
        {"BANK-STORAGE VOLUME", "THE STAGE AND RECHARGE DATA, AK, AB, XZERO, DELT AND XSTREAM", s.BANKV[i]},
    }};
    for (const Quantity& q : row)
      if (!std::isfinite(q.value)) return NotFinite{q.what + at, q.look_at};
  }
  return std::nullopt;
}

}  // namespace kesta
