#pragma once
// Uncertainty bands on every output series of the fitted model: head at each
// observed well's distance, seepage, total seepage, bank storage and
// bank-storage volume, and head at the further distances the fit file asks
// for, over the time steps of the record the runs are made on.
#include <optional>
#include <string>
#include <vector>

#include "fit/case/band_runs.hpp"
#include "fit/case/fit_case.hpp"
#include "fit/estimation/least_squares.hpp"
#include "kesta/fit_summary.hpp"

namespace kesta::fit_detail {

// Which output series a band belongs to, where it is read, and the noise of
// a future observation of it (nothing without a record of it).
struct SeriesSource {
  std::string name;
  std::size_t run = 0;  // index into the model's distances
  std::vector<double> Results::*values = nullptr;
  std::optional<double> noise_variance;
};

// The series in the order of the bands: head at each observed distance and at
// each further distance asked for, then seepage, total seepage, bank storage
// and bank-storage volume.
std::vector<SeriesSource> series_sources(const FitCase& fit_case, const BandRuns& model, const LeastSquaresFit& fit);

// The parameters the bands hold fixed (at a bound), each named in
// `assumptions`; one the data do not determine is named but not held.
std::vector<bool> held_parameters(const FitCase& fit_case, const LeastSquaresFit& fit,
                                  std::vector<std::string>& assumptions);

// The band level when the fit file does not give one.
inline constexpr double kDefaultBandLevel = 0.95;

// The series at the estimate with a confidence band (the delta method on
// their central differences in solver coordinates, with the covariance the
// standard errors use and Student's t at the fit's degrees of freedom) and,
// for head at a well with a record and for seepage with a gauging record, a
// prediction band that adds that record's noise. A fit that did not converge
// or has no covariance gets the series without bands and the reason. A
// parameter at its bound is held there, and named in the assumptions, as is
// one the data do not determine.
Bands fitted_bands(const FitCase& fit_case, const BandRuns& model, const LeastSquaresFit& fit, double level);

}  // namespace kesta::fit_detail
