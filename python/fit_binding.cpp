// kesta.fit: the library's fit, its summary as the dictionary whose keys and
// values are those of kesta-fit --json.
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "kesta/fit.hpp"
#include "python/bindings.hpp"

namespace kesta::python {
namespace {

// JSON has no infinity or NaN: kesta-fit prints null for them.
py::object number(double v) { return std::isfinite(v) ? py::object(py::float_(v)) : py::none(); }

py::object number(const std::optional<double>& v) { return v ? number(*v) : py::none(); }

py::object interval(const std::optional<std::pair<double, double>>& ci) {
  if (!ci) return py::none();
  py::list out;
  out.append(number(ci->first));
  out.append(number(ci->second));
  return out;
}

py::str text(std::string_view s) { return to_python(std::string(s)); }

py::dict estimates(const FitSummary& s) {
  py::dict out;
  for (const Estimate& e : s.estimates) {
    py::dict entry;
    entry["scale"] = text(name_of(e.scale));
    entry["initial"] = number(e.initial);
    entry["estimate"] = number(e.value);
    entry["std_error"] = number(e.std_error);
    entry["ci95"] = interval(e.ci95);
    entry["plain_std_error"] = number(e.plain_std_error);
    entry["plain_ci95"] = interval(e.plain_ci95);
    entry["at_bound"] = e.at_bound.empty() ? py::object(py::none()) : py::object(text(e.at_bound));
    out[text(e.name)] = entry;
  }
  return out;
}

py::list sets(const FitSummary& s) {
  py::list out;
  for (const SetSummary& set : s.sets) {
    py::dict entry;
    entry["file"] = text(set.name);
    entry["kind"] = text(name_of(set.kind));
    if (set.distance) entry["distance"] = number(*set.distance);
    entry["count"] = set.count;
    entry["rmse"] = number(set.rmse);
    entry["mean_residual"] = number(set.mean_residual);
    entry["inversion_error_rms"] = number(set.inversion_rms);
    const ResidualDiagnostics& d = set.diagnostics;
    entry["lag1_autocorrelation"] = number(d.lag1);
    entry["durbin_watson"] = number(d.durbin_watson);
    py::dict runs;
    runs["runs"] = d.runs;
    runs["expected"] = number(d.runs_expected);
    runs["z"] = number(d.runs_z);
    runs["p"] = number(d.runs_p);
    entry["runs_test"] = runs;
    entry["ar1_phi"] = number(set.phi);
    py::list outliers;
    for (const GrossOutlier& o : set.outliers) {
      py::dict outlier;
      outlier["line"] = o.line;
      outlier["time"] = number(o.time);
      outlier["observed"] = number(o.observed);
      outlier["standardized_residual"] = number(o.standardized);
      outliers.append(outlier);
    }
    entry["gross_outliers"] = outliers;
    out.append(entry);
  }
  return out;
}

py::list findings(const FitSummary& s) {
  py::list out;
  for (const Finding& f : s.findings) {
    py::list names;
    for (const std::size_t i : f.parameters) names.append(text(s.estimates[i].name));
    py::list determined;
    for (const Combination& c : f.determined) {
      py::dict combination;
      combination["expression"] = text(c.expression);
      combination["value"] = number(c.value);
      combination["std_error"] = number(c.std_error);
      combination["ci95"] = interval(c.ci95);
      determined.append(combination);
    }
    py::dict entry;
    entry["kind"] = text(name_of(f.kind));
    entry["parameters"] = names;
    entry["determined"] = determined;
    if (f.kind == Finding::Kind::Correlated) entry["correlation"] = number(f.correlation);
    entry["text"] = text(f.text);
    out.append(entry);
  }
  return out;
}

py::dict starts(const FitSummary& s) {
  py::list minima;
  for (const Minimum& m : s.starts.minima) {
    py::dict estimate;
    for (std::size_t i = 0; i < m.estimate.size(); ++i) estimate[text(s.estimates[i].name)] = number(m.estimate[i]);
    py::dict minimum;
    minimum["sum_of_squares"] = number(m.ssr);
    minimum["starts"] = m.starts;
    minimum["converged"] = m.converged;
    minimum["estimate"] = estimate;
    minima.append(minimum);
  }
  py::dict out;
  out["count"] = s.starts.count;
  out["seed"] = s.starts.seed;
  out["minima"] = minima;
  return out;
}

py::dict dictionary(const FitSummary& s) {
  py::list names, matrix, checks, warnings;
  for (const Estimate& e : s.estimates) names.append(text(e.name));
  for (const auto& row : s.correlation) {
    py::list r;
    for (const auto& v : row) r.append(number(v));
    matrix.append(r);
  }
  for (const ModelCheck& c : s.checks) {
    py::dict check;
    check["check"] = text(c.name);
    check["pass"] = c.pass;
    check["detail"] = text(c.detail);
    checks.append(check);
  }
  for (const FitWarning& w : s.warnings) warnings.append(text(w.text));
  py::dict correlation, noise, ns, files, out;
  correlation["parameters"] = names;
  correlation["matrix"] = matrix;
  noise["model"] = s.ar1 ? "ar1" : "independent";
  noise["rounds"] = s.noise_rounds;
  ns["value"] = s.ns;
  ns["source"] = text(name_of(s.ns_choice));
  ns["inversion_error_small"] = s.inversion_small;
  files["fitted_deck"] = text(s.files.fitted_deck);
  files["residuals"] = text(s.files.residuals);
  files["svg"] = text(s.files.picture);
  out["fit_file"] = text(s.fit_file);
  out["parameters"] = estimates(s);
  out["observation_sets"] = sets(s);
  out["rmse"] = number(s.rmse);
  out["n_observations"] = s.observations;
  out["degrees_of_freedom"] = s.degrees_of_freedom;
  out["correlation"] = correlation;
  out["identifiability"] = findings(s);
  out["noise"] = noise;
  out["derivative_step"] = number(s.relative_step);
  out["starts"] = starts(s);
  out["checks"] = checks;
  out["ns"] = ns;
  out["iterations"] = s.iterations;
  out["evaluations"] = s.evaluations;
  out["parameter_sets"] = s.parameter_sets;
  out["seconds"] = number(s.seconds);
  out["converged"] = s.converged;
  out["stop_reason"] = text(s.stop_reason);
  out["warnings"] = warnings;
  out["files"] = files;
  out["files_written"] = s.files_not_written.empty();
  if (!s.files_not_written.empty()) out["files_not_written"] = text(s.files_not_written);
  return out;
}

py::dict fit(const std::filesystem::path& path, const std::optional<std::filesystem::path>& output_dir) {
  FitSummary summary;
  try {
    py::gil_scoped_release unlocked;
    summary = kesta::fit(path, {output_dir.value_or(std::filesystem::path()), nullptr});
  } catch (const FitInputError& e) {
    throw py::value_error(e.what());
  } catch (const FitWriteError& e) {
    PyErr_SetString(PyExc_OSError, e.what());
    throw py::error_already_set();
  }
  // FitComputationError is a std::runtime_error: RuntimeError.
  return dictionary(summary);
}

}  // namespace

void bind_fit(py::module_& m) {
  m.def("fit", &fit, py::arg("path"), py::arg("output_dir") = py::none(),
        "Runs the fit that a fit file describes, as kesta-fit does, and returns the "
        "dictionary that kesta-fit --json prints. Writes the fitted deck, the residuals and "
        "the picture next to the fit file, or in output_dir when given, all three or none. "
        "An unfinished fit returns with converged False. "
        "Raises ValueError with kesta-fit's message for a fit file, deck or record that "
        "cannot be used, OSError when the files cannot be written, RuntimeError for a "
        "fit that cannot be computed past its start.");
}

}  // namespace kesta::python
