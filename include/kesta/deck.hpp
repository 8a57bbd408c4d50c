#pragma once
// The input deck: every value under its deck name, and the time-stress series.
#include <string>
#include <vector>

namespace kesta {

inline constexpr int NSMAX = 20;       // the most Stehfest terms
inline constexpr int NTLIMIT = 99999;  // the most time steps a deck may give to the Stehfest inversion
// The most time steps under the contour inversion: 30 years at 15 minutes and
// more. A deck file, deck text and a built deck may hold this many.
inline constexpr int NTLIMIT_CONTOUR = 10'000'000;

struct Deck {
  std::string TITLE1 = std::string(70, ' ');  // line 1, 70 characters
  std::string TITLE2 = std::string(70, ' ');  // line 2, 70 characters

  int ISTRESS = 0;    // line 3: 0 stream stage, 1 recharge/leakage, 2 both
  double DELT = 0.0;  //         time-step size (T)
  int IPRINT = 0;     //         1: the stress data are listed in the report

  int IXL = 0;  // line 4: 0 semi-infinite aquifer, 1 finite width
  int IAQ = 0;  //         0 confined; leaky with 1 constant head, 2 impervious layer, 3 water-table aquitard
  int IXA = 0;  //         1: semipervious streambank simulated

  double XZERO = 0.0;    // line 5: stream half width (L)
  double XLL = 0.0;      //         width of aquifer (L), when IXL = 1
  double XAA = 0.0;      //         streambank leakance (L), when IXA = 1
  double XSTREAM = 0.0;  //         length of stream (L)

  double AK = 0.0;  // line 6: aquifer hydraulic conductivity (L/T)
  double AS = 0.0;  //         specific storage (1/L)
  double AB = 0.0;  //         saturated thickness (L)

  double AKT = 0.0;   // line 7: aquitard hydraulic conductivity (L/T)
  double AST = 0.0;   //         specific storage (1/L)
  double ABT = 0.0;   //         saturated thickness (L)
  double ASYT = 0.0;  //         specific yield

  double X = 0.0;      // line 8: distance from the stream centre to the observation well (L)
  double HINIT = 0.0;  //         initial head at the well (L)
  double TINIT = 0.0;  //         start time (T)

  int NS = 0;  // line 9: number of Stehfest terms, 2..NSMAX
  int NT = 0;  // line 10: number of time steps

  // The time-stress lines, indexed from 0: entry i is time-stress line i + 1,
  // whose stage and recharge act from the output step i - 1 to step i. They hold
  // at least NT entries; TIME is echoed only and takes no part in the model.
  std::vector<double> TIME, STAGE, RECH;
};

}  // namespace kesta
