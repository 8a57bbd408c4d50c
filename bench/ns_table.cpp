// The table of docs/accuracy.md: the largest inversion error of head (per unit
// stage rise) and of seepage (against its peak) for every configuration and
// even NS, estimated against the contour inversion. Run: build/bench/kesta_ns_table
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "inversion_errors.hpp"
#include "model/dimensionless.hpp"
#include "model/inversion.hpp"
#include "model/superposition.hpp"

namespace {

double largest(const std::vector<double>& v) {
  double m = 0.0;
  for (double x : v) m = std::max(m, std::fabs(x));
  return m;
}

// A unit rise after the first of 60 half-unit steps in dimensionless units:
// well at XD = 3, valley wall at XLLD = 10, streambank XAAD = 0.7, aquitard
// GAMMA1 = 0.5, SIGMA1 = 2, SIGMAP = 0.5.
kesta::Deck unit_rise(int IXL, int IAQ, int IXA) {
  kesta::Deck deck;
  deck.DELT = 0.5;
  deck.XZERO = deck.XSTREAM = deck.AK = deck.AS = deck.AB = 1.0;
  deck.X = 3.0;
  deck.IXL = IXL;
  deck.IAQ = IAQ;
  deck.IXA = IXA;
  deck.XLL = 10.0;
  deck.XAA = 0.7;
  deck.ABT = 1.0;
  deck.AKT = 0.25;
  deck.AST = 2.0;
  deck.ASYT = 2.0;
  deck.NS = 16;
  deck.NT = 60;
  deck.STAGE.assign(60, 1.0);
  deck.STAGE[0] = 0.0;
  deck.RECH.assign(60, 0.0);
  deck.TIME.assign(60, 0.0);
  return deck;
}

}  // namespace

int main() {
  const std::vector<int> orders = {6, 8, 10, 12, 14, 16, 18, 20};
  std::printf("| IXL | IAQ | IXA | error |");
  for (int NS : orders) std::printf(" %d |", NS);
  std::printf("\n|---|---|---|---|");
  for (std::size_t i = 0; i < orders.size(); ++i) std::printf("---|");
  std::printf("\n");
  for (int IXL = 0; IXL <= 1; ++IXL)
    for (int IAQ = 0; IAQ <= 3; ++IAQ)
      for (int IXA = 0; IXA <= 1; ++IXA) {
        const kesta::Deck deck = unit_rise(IXL, IAQ, IXA);
        const kesta::Derived derived = kesta::derive(deck);
        const double peak = largest(kesta::superpose(deck, derived, kesta::prepare_inversion(deck.NS)).seepage);
        const std::vector<kesta::InversionError> errors = kesta::inversion_errors(deck, derived, orders);
        std::printf("| %d | %d | %d | head |", IXL, IAQ, IXA);
        for (const auto& e : errors) std::printf(" %.1e |", largest(e.head));
        std::printf("\n| %d | %d | %d | seepage / peak |", IXL, IAQ, IXA);
        for (const auto& e : errors) std::printf(" %.1e |", largest(e.seepage) / peak);
        std::printf("\n");
      }
  return 0;
}
