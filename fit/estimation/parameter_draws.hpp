#pragma once
// Parameter sets drawn from the fitted distribution in solver coordinates (the
// logarithm of a positive value): the multivariate Student's t at the fit's
// degrees of freedom, centred on the estimate, with the covariance of the
// estimates. The same seed gives the same sets on every machine: the normal and
// chi-square draws are made here from the 64-bit Mersenne twister, whose output
// the standard fixes, and not by the library's distributions, whose is not.
#include <Eigen/Core>
#include <cstdint>
#include <random>
#include <vector>

namespace kesta::fit_detail {

// Normal and chi-square deviates from a seeded generator.
class Deviates {
 public:
  explicit Deviates(std::uint64_t seed) : engine_(seed) {}
  double uniform();  // in (0, 1), never 0 or 1
  double normal();   // standard normal (Box and Muller's polar pairs)
  // Chi-square with nu degrees of freedom (Marsaglia and Tsang's gamma draw).
  double chi_square(double nu);

 private:
  std::mt19937_64 engine_;
  double spare_ = 0.0;
  bool has_spare_ = false;
};

// One parameter set: solver coordinates, and the factor sqrt(nu / W), W a
// chi-square with nu degrees of freedom, that made the normal draw a t draw
// (a prediction band scales the member's noise by it too).
struct ParameterDraw {
  std::vector<double> internal;
  double t_factor = 1.0;
};

// count draws from center + t_factor * L z, L L' the covariance of the
// parameters not held, z standard normal. A held parameter (at its bound)
// keeps its center value in every draw, exactly. A covariance that is only
// positive semi-definite (the pseudo-inverse over what the data do not
// determine) draws nothing along its null directions.
std::vector<ParameterDraw> draw_parameters(const std::vector<double>& center, const Eigen::MatrixXd& covariance,
                                           const std::vector<bool>& held, int degrees_of_freedom, int count,
                                           std::uint64_t seed);

}  // namespace kesta::fit_detail
