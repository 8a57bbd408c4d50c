#pragma once
// The model state: one record for the whole run, owned by the driver and passed
// by reference to every phase. Series are indexed from 1 by time step (entry 0
// is unused), so formulas read as they are written for the model.
#include <array>
#include <string>
#include <vector>

namespace kesta {

inline constexpr int NTMAX = 1000;   // time steps every per-step series holds at least
inline constexpr int NTLIMIT = 99999;  // largest NT a deck may give (the widest the I5 echo shows)
inline constexpr int NSMAX = 20;     // largest number of Stehfest terms

using Series = std::vector<double>;

struct ModelState {
  // Files
  int IUIN = 0;
  int IUOUT = 0;
  int IUPLOT = 0;

  // Input values
  std::string TITLE1 = std::string(70, ' ');
  std::string TITLE2 = std::string(70, ' ');
  int ISTRESS = 0;
  double DELT = 0.0;
  int IXL = 0;
  int IAQ = 0;
  int IXA = 0;
  double XZERO = 0.0;
  double XLL = 0.0;
  double XAA = 0.0;
  double XSTREAM = 0.0;
  double AK = 0.0;
  double AS = 0.0;
  double AB = 0.0;
  double AKT = 0.0;
  double AST = 0.0;
  double ABT = 0.0;
  double ASYT = 0.0;
  double X = 0.0;
  double HINIT = 0.0;
  double TINIT = 0.0;
  int NS = 0;
  int NT = 0;
  Series TIME, STAGE, RECH;

  // Derived parameters
  double XD = 0.0;
  double XLLD = 0.0;
  double XAAD = 0.0;
  double GAMMA1 = 0.0;
  double SIGMA1 = 0.0;
  double SIGMAP = 0.0;

  // Inversion constants and weights
  std::array<double, NSMAX + 1> V{};
  double LN2 = 0.0;
  double EXPMAX = 0.0;

  // Work series
  Series HSTRESS, QSTRESS, HRATE, QRATE;
  // Result series
  Series HEAD, SEEP, SEEPT, BANK, BANKV;

  ModelState() { size_series(NTMAX); }

  // Gives every per-step series room for steps 1..max(nt, NTMAX), all zero.
  void size_series(int nt) {
    const std::size_t n = static_cast<std::size_t>(nt > NTMAX ? nt : NTMAX) + 1;
    for (Series* s : {&TIME, &STAGE, &RECH, &HSTRESS, &QSTRESS, &HRATE, &QRATE, &HEAD, &SEEP, &SEEPT, &BANK, &BANKV})
      s->assign(n, 0.0);
  }
};

}  // namespace kesta
