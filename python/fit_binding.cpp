// kesta.fit: the library's fit, its summary as the dictionary whose keys and
// values are those of kesta-fit --json.
#include <pybind11/eval.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "kesta/fit.hpp"
#include "python/bindings.hpp"

namespace kesta::python {
namespace {

using namespace pybind11::literals;

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
  for (const Estimate& e : s.estimates)
    out[text(e.name)] =
        py::dict("scale"_a = text(name_of(e.scale)), "initial"_a = number(e.initial), "estimate"_a = number(e.value),
                 "std_error"_a = number(e.std_error), "ci95"_a = interval(e.ci95),
                 "plain_std_error"_a = number(e.plain_std_error), "plain_ci95"_a = interval(e.plain_ci95),
                 "at_bound"_a = e.at_bound.empty() ? py::object(py::none()) : py::object(text(e.at_bound)));
  return out;
}

py::list sets(const FitSummary& s) {
  py::list out;
  for (const SetSummary& set : s.sets) {
    py::dict entry("file"_a = text(set.name), "kind"_a = text(name_of(set.kind)));
    if (set.distance) entry["distance"] = number(*set.distance);
    const ResidualDiagnostics& d = set.diagnostics;
    py::list outliers;
    for (const GrossOutlier& o : set.outliers)
      outliers.append(py::dict("line"_a = o.line, "time"_a = number(o.time), "observed"_a = number(o.observed),
                               "standardized_residual"_a = number(o.standardized)));
    out.append(py::dict(**entry, "count"_a = set.count, "rmse"_a = number(set.rmse),
                        "mean_residual"_a = number(set.mean_residual),
                        "inversion_error_rms"_a = number(set.inversion_rms), "lag1_autocorrelation"_a = number(d.lag1),
                        "durbin_watson"_a = number(d.durbin_watson),
                        "runs_test"_a = py::dict("runs"_a = d.runs, "expected"_a = number(d.runs_expected),
                                                 "z"_a = number(d.runs_z), "p"_a = number(d.runs_p)),
                        "ar1_phi"_a = number(set.phi), "gross_outliers"_a = outliers));
  }
  return out;
}

py::list findings(const FitSummary& s) {
  py::list out;
  for (const Finding& f : s.findings) {
    py::list names, determined;
    for (const std::size_t i : f.parameters) names.append(text(s.estimates[i].name));
    for (const Combination& c : f.determined)
      determined.append(py::dict("expression"_a = text(c.expression), "value"_a = number(c.value),
                                 "std_error"_a = number(c.std_error), "ci95"_a = interval(c.ci95)));
    py::dict entry("kind"_a = text(name_of(f.kind)), "parameters"_a = names, "determined"_a = determined);
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
    minima.append(py::dict("sum_of_squares"_a = number(m.ssr), "starts"_a = m.starts, "converged"_a = m.converged,
                           "estimate"_a = estimate));
  }
  return py::dict("count"_a = s.starts.count, "seed"_a = s.starts.seed, "minima"_a = minima);
}

// A column of the bands, or NaN throughout where the fit has no bands.
py::array_t<double> column(std::vector<double> values, std::size_t length) {
  if (values.size() != length) values.assign(length, std::nan(""));
  return adopt_read_only(std::move(values));
}

// The JSON's ensemble: its draws, and per series how far its confidence band
// stands from the linear one.
py::dict ensemble(const Bands& bands) {
  const EnsembleSummary& e = bands.ensemble;
  py::list comparison;
  for (const BandSeries& b : bands.series) {
    if (!b.ensemble_difference) continue;
    comparison.append(py::dict("series"_a = text(b.name), "difference"_a = number(*b.ensemble_difference),
                               "time"_a = number(b.ensemble_time), "edge"_a = b.ensemble_upper ? "upper" : "lower",
                               "linear_trusted"_a = !b.linear_untrusted));
  }
  return py::dict("members"_a = e.members, "seed"_a = e.seed, "distribution"_a = "student_t", "used"_a = e.used,
                  "tolerance"_a = number(e.tolerance),
                  "not_computed"_a = e.not_computed.empty() ? py::object(py::none()) : py::object(text(e.not_computed)),
                  "comparison"_a = comparison);
}

// The JSON's file, level and assumptions, and the columns of <fit>.bands.csv
// as numpy arrays under the same names.
py::dict band_columns(const Bands& bands, const std::string& file) {
  py::list assumptions;
  for (const std::string& a : bands.assumptions) assumptions.append(text(a));
  py::dict out(
      "file"_a = text(file), "level"_a = number(bands.level), "assumptions"_a = assumptions,
      "not_computed"_a = bands.not_computed.empty() ? py::object(py::none()) : py::object(text(bands.not_computed)));
  const std::size_t n = bands.time.size();
  out["time"] = column(bands.time, n);
  if (!bands.dates.empty()) {
    py::list dates;
    for (const std::string& d : bands.dates) dates.append(text(d));
    out["date"] = dates;
  }
  for (const BandSeries& b : bands.series) {
    out[text(b.name + "_estimate")] = column(b.estimate, n);
    out[text(b.name + "_conf_lower")] = column(b.conf_lower, n);
    out[text(b.name + "_conf_upper")] = column(b.conf_upper, n);
    if (!b.noise_variance) continue;
    out[text(b.name + "_pred_lower")] = column(b.pred_lower, n);
    out[text(b.name + "_pred_upper")] = column(b.pred_upper, n);
  }
  if (bands.ensemble.members > 0) out["ensemble"] = ensemble(bands);
  for (const BandSeries& b : bands.series) {
    if (!b.ens_conf_lower.empty()) {
      out[text(b.name + "_ens_conf_lower")] = column(b.ens_conf_lower, n);
      out[text(b.name + "_ens_conf_upper")] = column(b.ens_conf_upper, n);
    }
    if (!b.ens_pred_lower.empty()) {
      out[text(b.name + "_ens_pred_lower")] = column(b.ens_pred_lower, n);
      out[text(b.name + "_ens_pred_upper")] = column(b.ens_pred_upper, n);
    }
  }
  return out;
}

py::dict bands(const FitSummary& s) { return band_columns(s.bands, s.files.bands); }

// As the bands, with the record predicted on and, for a dated case, the date
// of every step; a refused prediction has its reason and no columns.
py::dict prediction(const Prediction& p) {
  py::dict out = band_columns(p.bands, p.bands.not_computed.empty() ? p.file : std::string());
  if (!p.bands.not_computed.empty()) out["file"] = py::none();
  out["record"] = text(p.record);
  if (!p.dates.empty()) {
    py::list dates;
    for (const std::string& d : p.dates) dates.append(text(d));
    out["date"] = dates;
  }
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
  for (const ModelCheck& c : s.checks)
    checks.append(py::dict("check"_a = text(c.name), "pass"_a = c.pass, "detail"_a = text(c.detail)));
  for (const FitWarning& w : s.warnings) warnings.append(text(w.text));
  py::dict out(
      "fit_file"_a = text(s.fit_file), "parameters"_a = estimates(s), "observation_sets"_a = sets(s),
      "rmse"_a = number(s.rmse), "n_observations"_a = s.observations, "degrees_of_freedom"_a = s.degrees_of_freedom,
      "interval_degrees_of_freedom"_a = s.interval_degrees_of_freedom,
      "correlation"_a = py::dict("parameters"_a = names, "matrix"_a = matrix), "identifiability"_a = findings(s),
      "noise"_a = py::dict("model"_a = s.ar1 ? "ar1" : "independent", "rounds"_a = s.noise_rounds),
      "derivative_step"_a = number(s.relative_step), "starts"_a = starts(s), "checks"_a = checks,
      "inversion"_a = text(name_of(s.inversion)),
      "ns"_a = s.inversion == InversionMethod::Contour
                   ? py::object(py::none())
                   : py::object(py::dict("value"_a = s.ns, "source"_a = text(name_of(s.ns_choice)),
                                         "inversion_error_small"_a = s.inversion_small)),
      "iterations"_a = s.iterations, "evaluations"_a = s.evaluations, "parameter_sets"_a = s.parameter_sets,
      "seconds"_a = number(s.seconds), "converged"_a = s.converged, "stop_reason"_a = text(s.stop_reason),
      "warnings"_a = warnings, "bands"_a = bands(s),
      "files"_a = py::dict("fitted_deck"_a = text(s.files.fitted_deck), "residuals"_a = text(s.files.residuals),
                           "svg"_a = text(s.files.picture), "bands"_a = text(s.files.bands)),
      "files_written"_a = s.files_not_written.empty());
  if (!s.files_not_written.empty()) out["files_not_written"] = text(s.files_not_written);
  if (s.prediction) out["prediction"] = prediction(*s.prediction);
  return out;
}

// A Python exception as one line: its type and the start of its message (a
// cancelled batch lists every task's key).
std::string described(const py::error_already_set& e) {
  constexpr std::size_t kMostCharacters = 400;
  std::string message = py::str(e.value()).cast<std::string>();
  if (message.size() > kMostCharacters) message = message.substr(0, kMostCharacters) + " ...";
  return py::str(e.type().attr("__name__")).cast<std::string>() + ": " + message;
}

// The task on the workers: a chunk of the members' decks. kesta.simulate
// itself cannot be pickled (a compiled function); a function defined outside
// any module is pickled by value, and imports kesta where it runs. A deck the
// model refuses raises ValueError there: None, an empty Results here, as on
// the library's threads.
constexpr const char* kMemberTask = R"(
def simulate_members(decks, inversion):
    import kesta
    out = []
    for deck in decks:
        try:
            out.append(kesta.simulate(deck, inversion=inversion))
        except ValueError:
            out.append(None)
    return out
)";

// Tasks per worker thread in a batch: few enough that a task's overhead is
// small beside its simulations, enough to even out slower workers.
constexpr std::size_t kTasksPerThread = 4;

py::object member_task() {
  py::dict scope;
  scope["__builtins__"] = py::module_::import("builtins");
  py::exec(kMemberTask, scope);
  return scope["simulate_members"];
}

// The Results of kesta.simulate, back in C++: a copy of each array.
Results results_of(const py::handle& simulated) {
  Results out;
  const auto copy = [&](const char* name, std::vector<double>& into) {
    const auto values = simulated.attr(name).cast<py::array_t<double, py::array::c_style | py::array::forcecast>>();
    into.assign(values.data(), values.data() + values.size());
  };
  copy("time", out.time);
  copy("head", out.head);
  copy("seepage", out.seepage);
  copy("total_seepage", out.total_seepage);
  copy("bank_storage", out.bank_storage);
  copy("bank_volume", out.bank_volume);
  return out;
}

// The ensemble's members on a Dask cluster, in chunks of decks, a few chunks
// per worker thread; any failure but a refused deck ends the fit. Called from
// inside the fit, which runs without the GIL.
std::vector<Results> simulate_on_cluster(const py::handle& client, const py::handle& task,
                                         const std::vector<Deck>& decks, const SimulateOptions& options) {
  const py::gil_scoped_acquire held;
  try {
    py::list tasks;
    for (Deck deck : decks) {
      // Python's decks hold exactly NT stress lines.
      for (std::vector<double>* series : {&deck.TIME, &deck.STAGE, &deck.RECH})
        if (deck.NT >= 0 && series->size() > static_cast<std::size_t>(deck.NT)) series->resize(deck.NT);
      tasks.append(py::cast(from_deck(std::move(deck))));
    }
    std::size_t threads = 0;
    for (const auto& entry : client.attr("nthreads")().cast<py::dict>()) threads += entry.second.cast<std::size_t>();
    const std::size_t chunk = std::max<std::size_t>(
        1, (decks.size() + kTasksPerThread * threads - 1) / std::max<std::size_t>(1, kTasksPerThread * threads));
    py::list chunks;
    for (std::size_t first = 0; first < decks.size(); first += chunk)
      chunks.append(tasks[py::slice(static_cast<py::ssize_t>(first),
                                    static_cast<py::ssize_t>(std::min(first + chunk, decks.size())), 1)]);
    const py::object futures =
        client.attr("map")(task, chunks, "inversion"_a = text(name_of(options.inversion)), "pure"_a = false);
    std::vector<Results> out(decks.size());
    std::size_t i = 0;
    for (const py::handle part : client.attr("gather")(futures))
      for (const py::handle simulated : part) {
        if (i == out.size()) break;
        if (!simulated.is_none()) out[i] = results_of(simulated);
        ++i;
      }
    return out;
  } catch (const py::error_already_set& e) {
    throw std::runtime_error(described(e));
  }
}

// A client of the scheduler named, or the client given; an address is
// connected to before the fit starts, so that one that does not answer fails
// at once, after the connect timeout dask is configured with.
struct Cluster {
  py::object client;
  py::object task = member_task();
  bool owned = false;
  Cluster(const Cluster&) = delete;
  Cluster& operator=(const Cluster&) = delete;
  explicit Cluster(const py::object& scheduler) {
    py::object distributed;
    try {
      distributed = py::module_::import("distributed");
    } catch (const py::error_already_set& e) {
      if (!e.matches(PyExc_ImportError)) throw;
      throw py::import_error(
          "kesta.fit(scheduler=...) simulates the ensemble on a Dask cluster, which needs dask.distributed: "
          "install python3-distributed");
    }
    if (py::isinstance(scheduler, distributed.attr("Client"))) {
      client = scheduler;
      return;
    }
    if (!py::isinstance<py::str>(scheduler))
      throw py::type_error(
          "scheduler is a Dask scheduler's address such as 'tcp://host:8786' or a "
          "dask.distributed.Client, not " +
          py::str(py::type::of(scheduler).attr("__name__")).cast<std::string>());
    try {
      client = distributed.attr("Client")(scheduler);
    } catch (const py::error_already_set& e) {
      if (!e.matches(PyExc_OSError)) throw;
      PyErr_SetString(PyExc_OSError, ("no Dask scheduler answers at " + scheduler.cast<std::string>() + ": " +
                                      py::str(e.value()).cast<std::string>())
                                         .c_str());
      throw py::error_already_set();
    }
    owned = true;
  }
  ~Cluster() {
    if (!owned) return;
    try {
      client.attr("close")();
    } catch (const py::error_already_set&) {
      // A client that cannot close cleanly is gone all the same.
    }
  }
};

py::dict fit(const std::filesystem::path& path, const std::optional<std::filesystem::path>& output_dir,
             const std::optional<std::string>& inversion, const std::optional<int>& ensemble,
             const std::optional<std::filesystem::path>& predict, const py::object& scheduler) {
  FitOptions options{output_dir.value_or(std::filesystem::path()), nullptr, std::nullopt, ensemble,
                     predict.value_or(std::filesystem::path())};
  if (inversion) options.inversion = inversion_method(*inversion);
  std::optional<Cluster> cluster;
  if (!scheduler.is_none()) {
    cluster.emplace(scheduler);
    // A handle only: the function is copied inside the fit, without the GIL.
    options.simulate_members = [client = py::handle(cluster->client), task = py::handle(cluster->task)](
                                   const std::vector<Deck>& decks, const SimulateOptions& how) {
      return simulate_on_cluster(client, task, decks, how);
    };
  }
  FitSummary summary;
  try {
    py::gil_scoped_release unlocked;
    summary = kesta::fit(path, options);
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
  m.def("fit", &fit, py::arg("path"), py::arg("output_dir") = py::none(), py::arg("inversion") = py::none(),
        py::arg("ensemble") = py::none(), py::arg("predict") = py::none(), py::arg("scheduler") = py::none(),
        "Runs the fit that a fit file describes, as kesta-fit does, and returns the "
        "dictionary that kesta-fit --json prints; its 'bands' also holds the columns of the "
        "bands file as numpy arrays. Writes the fitted deck, the residuals, the picture and "
        "the bands next to the fit file, or in output_dir when given, all four or none. "
        "inversion='stehfest' or 'contour' replaces the fit file's inversion (with 'contour' "
        "its ns goes unused); another value raises ValueError. ensemble=N replaces the fit "
        "file's bands ensemble: N parameter sets (20 to 100000, 0 for none) drawn from the "
        "fitted distribution give percentile bands beside the linear ones. "
        "predict names a deck or case file (.toml) to run the fitted model on, in place of the "
        "fit file's [prediction]: 'prediction' then holds its bands as 'bands' does (and 'date' "
        "for a dated case), or its reason in 'not_computed'. "
        "scheduler, a Dask scheduler's address ('tcp://host:8786') or a dask.distributed.Client, "
        "runs the ensemble's members on that cluster, in chunks of kesta.simulate calls, with the same "
        "results as on this machine's cores; it needs python3-distributed (ImportError without it), "
        "and an address that does not answer raises OSError. "
        "An unfinished fit returns with converged False. "
        "Raises ValueError with kesta-fit's message for a fit file, deck or record that "
        "cannot be used, OSError when the files cannot be written, RuntimeError for a "
        "fit that cannot be computed past its start.");
}

}  // namespace kesta::python
