#pragma once
// The dimensionless parameters derived from a deck, as the report prints them.

namespace kesta {

struct Derived {
  double XD = 0.0;      // distance to the well over the stream half width, X / XZERO
  double XZEROD = 0.0;  // stream half width over aquifer thickness, XZERO / AB
  double XLLD = 0.0;    // aquifer width over stream half width (0 for a semi-infinite aquifer)
  double XAAD = 0.0;    // streambank leakance over stream half width (0 without a streambank)
  double GAMMA1 = 0.0;  // ratio of aquitard to aquifer hydraulic conductivity
  double SIGMA1 = 0.0;  // ratio of aquitard to aquifer storativity
  double SIGMAP = 0.0;  // ratio of aquifer storativity to aquitard specific yield
};

}  // namespace kesta
