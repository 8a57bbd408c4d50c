#include "model/dimensionless.hpp"

#include <cmath>

namespace kesta {
namespace {

// Printed for a parameter whose feature the configuration switches off.
constexpr double GAMMA1_DEFAULT = 0.0001;
constexpr double SIGMA1_DEFAULT = 0.0001;

}  // namespace

Derived derive(const Deck& deck) {
  Derived d;
  d.XD = deck.X / deck.XZERO;
  d.XZEROD = deck.XZERO / deck.AB;

  d.XAAD = deck.IXA == 1 ? deck.XAA / deck.XZERO : 0.0;
  d.XLLD = deck.IXL == 1 ? deck.XLL / deck.XZERO : 0.0;

  if (deck.IAQ >= 1) {
    d.GAMMA1 = (deck.XZERO / deck.ABT) * std::sqrt((deck.AKT * deck.ABT) / (deck.AK * deck.AB));
    d.SIGMA1 = (deck.AST * deck.ABT) / (deck.AS * deck.AB);
    d.SIGMAP = deck.IAQ == 3 ? (deck.AS * deck.AB) / deck.ASYT : 0.0;
  } else {
    d.GAMMA1 = GAMMA1_DEFAULT;
    d.SIGMA1 = SIGMA1_DEFAULT;
    d.SIGMAP = 0.0;
  }
  return d;
}

}  // namespace kesta
