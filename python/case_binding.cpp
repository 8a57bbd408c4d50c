// kesta.Case: a case read from its file, or built from pandas Series by the
// same rules (the arguments become the case file's text, the Series its
// records); simulate gives a DataFrame on the case's calendar. pandas is
// imported by the calls that need it alone.
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>

#include <pybind11/eval.h>
#include "kesta/case.hpp"
#include "kesta/kesta.hpp"

#include "python/bindings.hpp"

namespace kesta::python {
namespace {

using namespace pybind11::literals;

// Names the arguments of kesta.Case in messages; its text's lines are no
// one's to read.
constexpr const char* kArguments = "kesta.Case";
constexpr std::int64_t kNanosPerMilli = 1000000;
constexpr std::int64_t kNanosPerSecond = 1000000000;

struct PyCase {
  PreparedCase prepared;
};

py::module_ pandas_for(const char* call) {
  try {
    return py::module_::import("pandas");
  } catch (const py::error_already_set& e) {
    if (!e.matches(PyExc_ImportError)) throw;
    PyErr_SetString(PyExc_ImportError,
                    (std::string(call) + " needs pandas (Debian: apt-get install python3-pandas)").c_str());
    throw py::error_already_set();
  }
}

// A kesta.CaseError, ready to be raised.
py::object case_error(const std::string& message, const py::object& file, const py::object& line,
                      const py::object& reading = py::none(), const py::object& position = py::none()) {
  py::object error = py::module_::import("kesta").attr("CaseError")(to_python(message));
  error.attr("file") = file;
  error.attr("line") = line;
  error.attr("reading") = reading;
  error.attr("position") = position;
  return error;
}

[[noreturn]] void raise(const py::object& error) {
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
  throw py::error_already_set();
}

// pybind11 hands a translator the exception by value.
void translate_case_error(std::exception_ptr thrown) {  // NOLINT(performance-unnecessary-value-param)
  try {
    if (thrown) std::rethrow_exception(thrown);
  } catch (const kesta::CaseError& e) {
    const py::object error = case_error(e.what(), to_python(e.file()), py::int_(e.line()));
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
  }
}

std::string shortest(double v) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

// A TOML basic string.
std::string toml_string(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

bool is_datetime(const py::handle& value) {
  return py::isinstance(value, py::module_::import("datetime").attr("date"));
}

// An argument as the case file would write it: text in quotes, a number, a
// date or time as ISO 8601 text. Anything else is left to the case's checks
// as text, so that the message names the key.
std::string toml_value(const py::handle& value) {
  if (py::isinstance<py::bool_>(value)) return value.cast<bool>() ? "true" : "false";
  if (py::isinstance<py::str>(value)) return toml_string(from_python(value.cast<py::str>()));
  if (is_datetime(value)) return toml_string(py::str(value.attr("isoformat")()).cast<std::string>());
  if (py::hasattr(value, "__index__"))
    return std::to_string(py::int_(py::reinterpret_borrow<py::object>(value)).cast<long long>());
  if (py::hasattr(value, "__float__") && !PyComplex_Check(value.ptr()))
    return shortest(py::float_(py::reinterpret_borrow<py::object>(value)).cast<double>());
  return toml_string(py::str(value).cast<std::string>());
}

// A length of time: the case file's "15 min" or a number in the time unit as
// they are, a timedelta or pandas' "15min" as seconds.
std::string toml_duration(const py::handle& value) {
  const py::module_ datetime = py::module_::import("datetime");
  if (py::isinstance<py::str>(value)) {
    const std::string text = value.cast<std::string>();
    if (text.find(' ') != std::string::npos) return toml_string(text);
    py::object seconds;
    try {
      seconds = pandas_for("kesta.Case with a step such as \"15min\"").attr("Timedelta")(value).attr("total_seconds")();
    } catch (const py::error_already_set& e) {
      if (e.matches(PyExc_ImportError)) throw;
      return toml_string(text);  // the case's own message says what a length of time is
    }
    return toml_string(shortest(seconds.cast<double>()) + " s");
  }
  if (py::isinstance(value, datetime.attr("timedelta")) || py::hasattr(value, "total_seconds"))
    return toml_string(shortest(value.attr("total_seconds")().cast<double>()) + " s");
  return toml_value(value);
}

void table_from_dict(std::string& text, const char* name, const py::handle& values) {
  if (!py::isinstance<py::dict>(values))
    throw py::type_error(std::string(name) + " takes a dict of the case file's [" + name + "] keys");
  text += std::string("[") + name + "]\n";
  for (const auto& [key, value] : values.cast<py::dict>()) {
    if (!py::isinstance<py::str>(key)) throw py::type_error(std::string(name) + " keys must be text");
    const std::string k = key.cast<std::string>();
    // Keys go to the case's checks, which name any unknown one.
    text +=
        (k.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-") == std::string::npos
             ? k
             : toml_string(k)) +
        " = " + toml_value(value) + "\n";
  }
}

// "2023-05-01T01:07:00.250Z" for nanoseconds since 1970 (an instant), or
// without the Z for a local time; finer than milliseconds, all nine digits.
std::string iso_of_nanos(std::int64_t nanos, bool instant) {
  using namespace std::chrono;
  const std::int64_t seconds =
      nanos >= 0 ? nanos / kNanosPerSecond : -((-nanos + kNanosPerSecond - 1) / kNanosPerSecond);
  const std::int64_t fraction = nanos - seconds * kNanosPerSecond;
  const sys_seconds at{std::chrono::seconds(seconds)};
  const sys_days day = floor<days>(at);
  const year_month_day ymd(day);
  const hh_mm_ss<std::chrono::seconds> clock(at - day);
  char text[64];
  int n = std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d", static_cast<int>(ymd.year()),
                        static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                        static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                        static_cast<int>(clock.seconds().count()));
  if (fraction % kNanosPerMilli == 0 && fraction != 0)
    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), ".%03d",
                       static_cast<int>(fraction / kNanosPerMilli));
  else if (fraction != 0)
    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), ".%09d", static_cast<int>(fraction));
  return std::string(text, static_cast<std::size_t>(n)) + (instant ? "Z" : "");
}

// A Series as a record: times from its index (dates, or numbers in the time
// unit), values as float64 with NaN for a missing reading.
RecordReadings readings_of(const py::object& series, const char* name) {
  const py::module_ pd = pandas_for("kesta.Case");
  if (!py::isinstance(series, pd.attr("Series")))
    throw py::type_error(std::string(name) + " takes a pandas Series with a DatetimeIndex or a numeric index");
  RecordReadings r;
  r.name = name;
  py::array_t<double> values;
  try {
    values = py::array_t<double>::ensure(series.attr("to_numpy")("dtype"_a = "float64", "na_value"_a = NAN));
  } catch (const py::error_already_set& e) {
    throw py::type_error(std::string(name) + " takes a Series of numbers: " + e.what());
  }
  if (!values) throw py::type_error(std::string(name) + " takes a Series of numbers");
  r.values.assign(values.data(), values.data() + values.size());
  const py::object index = series.attr("index");
  r.times.reserve(r.values.size());
  if (py::isinstance(index, pd.attr("DatetimeIndex"))) {
    const bool instant = !index.attr("tz").is_none();
    const auto nanos = index.attr("asi8").cast<py::array_t<std::int64_t>>();
    const std::int64_t not_a_time = std::numeric_limits<std::int64_t>::min();
    for (py::ssize_t i = 0; i < nanos.size(); ++i)
      r.times.push_back(nanos.data()[i] == not_a_time ? std::string() : iso_of_nanos(nanos.data()[i], instant));
  } else if (std::string("iuf").find(py::str(index.attr("dtype").attr("kind")).cast<std::string>()) !=
             std::string::npos) {
    const auto times = py::array_t<double>::ensure(index.attr("to_numpy")("dtype"_a = "float64"));
    for (py::ssize_t i = 0; i < times.size(); ++i)
      r.times.push_back(std::isnan(times.data()[i]) ? std::string() : shortest(times.data()[i]));
  } else {
    for (const py::handle label : index) r.times.push_back(py::str(label).cast<std::string>());
  }
  r.label = [index](std::size_t position) { return py::str(index[py::int_(position)]).cast<std::string>(); };
  return r;
}

// The zone a tz-aware index is in, by its IANA name where it has one.
py::object zone_of(const py::object& series) {
  if (series.is_none() || !py::hasattr(series, "index") || !py::hasattr(series.attr("index"), "tz")) return py::none();
  const py::object tz = series.attr("index").attr("tz");
  if (tz.is_none()) return py::none();
  for (const char* attribute : {"zone", "key"})
    if (py::hasattr(tz, attribute) && py::isinstance<py::str>(tz.attr(attribute))) return tz.attr(attribute);
  return py::str(tz);
}

struct CaseArguments {
  py::object stage, recharge, aquifer, x, step, start, end, origin, datum, max_gap, zone, units, title, hinit;
};

CaseSource source_of(const CaseArguments& a) {
  CaseSource source;
  source.shown_name = kArguments;
  std::string& text = source.text;
  if (!a.title.is_none()) text += "title = " + toml_value(a.title) + "\n";
  if (!a.x.is_none()) text += "x = " + toml_value(a.x) + "\n";
  if (!a.hinit.is_none()) text += "hinit = " + toml_value(a.hinit) + "\n";
  if (py::isinstance<PyDeck>(a.aquifer)) {
    text += "deck = \"kesta.Deck\"\n";
    source.deck = to_deck(a.aquifer.cast<const PyDeck&>());
  } else if (!a.aquifer.is_none()) {
    table_from_dict(text, "aquifer", a.aquifer);
  }
  if (!a.units.is_none()) table_from_dict(text, "units", a.units);
  if (!a.stage.is_none()) {
    source.stage = readings_of(a.stage, "stage");
    text += "[stage]\nfile = \"series\"\n";
    if (!a.datum.is_none()) text += "datum = " + toml_value(a.datum) + "\n";
  } else if (!a.datum.is_none()) {
    throw py::value_error("datum= makes the stage's levels relative; give stage=");
  }
  if (!a.recharge.is_none()) {
    source.recharge = readings_of(a.recharge, "recharge");
    text += "[recharge]\nfile = \"series\"\n";
  }
  text += "[run]\n";
  if (!a.step.is_none()) text += "step = " + toml_duration(a.step) + "\n";
  if (!a.max_gap.is_none()) text += "max_gap = " + toml_duration(a.max_gap) + "\n";
  if (!a.start.is_none()) text += "start = " + toml_value(a.start) + "\n";
  if (!a.end.is_none()) text += "end = " + toml_value(a.end) + "\n";
  if (!a.origin.is_none()) text += "origin = " + toml_value(a.origin) + "\n";
  py::object zone = a.zone.is_none() ? zone_of(a.stage.is_none() ? a.recharge : a.stage) : a.zone;
  if (!zone.is_none()) text += "zone = " + toml_value(zone) + "\n";
  return source;
}

PyCase case_from_series(const CaseArguments& arguments) {
  const CaseSource source = source_of(arguments);
  try {
    return {prepare_case(source)};
  } catch (const ReadingError& e) {
    const py::object series = e.file() == "stage" ? arguments.stage : arguments.recharge;
    raise(case_error(e.what(), to_python(e.file()), py::none(), series.attr("index")[py::int_(e.position())],
                     py::int_(e.position())));
  } catch (const CaseError& e) {
    // The text's lines are not the caller's: the message keeps the key it names.
    std::string message = e.what();
    if (e.file() == kArguments && e.line() > 0)
      message = e.file() + ": " + message.substr(e.file().size() + std::to_string(e.line()).size() + 3);
    raise(case_error(message, e.file() == kArguments ? py::object(py::none()) : py::object(to_python(e.file())),
                     py::none()));
  }
}

PyCase read_case_path(const py::object& path) {
  const std::string name = py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
  return {read_case(name)};
}

// The results as a DataFrame: columns as the case's CSV heads them, indexed by
// date (tz-aware in the case's zone) or by model time.
py::object simulate_case(const PyCase& c, const py::object& inversion) {
  const py::module_ pd = pandas_for("Case.simulate");
  SimulateOptions options = c.prepared.options;
  if (!inversion.is_none()) options.inversion = inversion_method(inversion.cast<std::string>());
  Results results;
  {
    py::gil_scoped_release unlocked;
    results = kesta::simulate(c.prepared.deck, options);
  }
  // The CSV of no rows: the account, then the heading.
  std::string heading = case_results_csv(c.prepared, Results{});
  heading.pop_back();
  heading = heading.substr(heading.rfind('\n') + 1);
  std::vector<std::string> names;
  for (std::size_t at = 0;;) {
    const std::size_t comma = heading.find(',', at);
    names.push_back(heading.substr(at, comma - at));
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  const CaseCalendar& calendar = c.prepared.calendar;
  py::object index = py::none();
  if (calendar.dated()) {
    names.erase(names.begin() + 1);  // "date": the index
    std::vector<std::int64_t> millis;
    millis.reserve(results.time.size());
    for (const double t : results.time) millis.push_back(*calendar.unix_millis_of(t));
    index = pd.attr("to_datetime")(py::array_t<std::int64_t>(static_cast<py::ssize_t>(millis.size()), millis.data()),
                                   "unit"_a = "ms", "utc"_a = true)
                .attr("tz_convert")(calendar.zone());
    index.attr("name") = "date";
  }
  py::dict columns;
  std::vector<double>* series[] = {&results.time,          &results.head,         &results.seepage,
                                   &results.total_seepage, &results.bank_storage, &results.bank_volume};
  for (std::size_t i = 0; i < names.size(); ++i) columns[py::str(names[i])] = adopt(std::move(*series[i]));
  if (index.is_none()) index = pd.attr("Index")(columns[py::str(names[0])], "name"_a = names[0]);
  return pd.attr("DataFrame")(columns, "index"_a = index, "copy"_a = false);
}

// The bands of a fit (or of its prediction) as a DataFrame: every array a
// column, indexed by date where the fit's case has a calendar (the instants,
// in UTC, for a record's dates may carry different offsets), else by time.
py::object bands_frame(const py::dict& bands) {
  const py::module_ pd = pandas_for("kesta.bands_frame");
  if (!bands.contains("time"))
    throw py::value_error("kesta.bands_frame takes the \"bands\" or \"prediction\" of kesta.fit");
  py::dict columns;
  for (const auto& [key, value] : bands)
    if (py::isinstance<py::array>(value)) columns[key] = value;
  py::object index;
  if (bands.contains("date")) {
    index = pd.attr("to_datetime")(bands["date"], "utc"_a = true);
  } else {
    index = pd.attr("Index")(bands["time"]);
  }
  index.attr("name") = bands.contains("date") ? "date" : "time";
  return pd.attr("DataFrame")(columns, "index"_a = index);
}

py::tuple state_of(const PyCase& c) {
  const PreparedCase& p = c.prepared;
  const CaseCalendar& calendar = p.calendar;
  py::list summary, inputs;
  for (const std::string& line : p.summary) summary.append(to_python(line));
  for (const auto& path : p.inputs) inputs.append(path.string());
  return py::make_tuple(from_deck(p.deck), p.options.inversion == InversionMethod::Contour ? "contour" : "stehfest",
                        calendar.dated() ? py::object(py::int_(*calendar.unix_millis_of(0.0))) : py::none(),
                        calendar.zone(), calendar.seconds_per_time_unit(), p.length_unit, p.time_unit, summary,
                        p.results_file.string(), p.deck_file.string(), inputs);
}

PyCase case_from_state(const py::tuple& state) {
  if (state.size() != 11) throw py::value_error("not the state of a kesta.Case");
  PyCase c;
  PreparedCase& p = c.prepared;
  p.deck = to_deck(state[0].cast<const PyDeck&>());
  p.options.inversion = inversion_method(state[1].cast<std::string>());
  p.calendar =
      CaseCalendar(state[2].is_none() ? std::nullopt : std::optional<std::int64_t>(state[2].cast<std::int64_t>()),
                   state[3].cast<std::string>(), state[4].cast<double>());
  p.length_unit = state[5].cast<std::string>();
  p.time_unit = state[6].cast<std::string>();
  for (const py::handle line : state[7]) p.summary.push_back(from_python(line.cast<py::str>()));
  p.results_file = state[8].cast<std::string>();
  p.deck_file = state[9].cast<std::string>();
  for (const py::handle path : state[10]) p.inputs.emplace_back(path.cast<std::string>());
  return c;
}

bool same_case(const PyCase& a, const PyCase& b) { return state_of(a).equal(state_of(b)); }

py::dict units_of(const PyCase& c) {
  py::dict units;
  units["length"] = c.prepared.length_unit;
  units["time"] = c.prepared.time_unit;
  return units;
}

constexpr const char* kCaseErrorDoc =
    "A case that cannot be made into its deck: a case file, a record, a time or an "
    "argument of kesta.Case. A subclass of ValueError.\n\n"
    "str(error) names what is at fault and why. error.file is the file (or the record "
    "'stage' or 'recharge' of kesta.Case; None for its other arguments), error.line the "
    "file's line (0 for the file as a whole, None without a file), error.reading the index "
    "label of a Series' reading at fault and error.position its position from 0 (else None).";

constexpr const char* kCaseDoc =
    "A case: the aquifer, the well and the stage and recharge records made into the deck "
    "the model runs, by the rules of a case file (docs/records.md).\n\n"
    "read_case(path) reads a case file; Case(stage=series, aquifer=..., x=..., step=\"1h\") "
    "builds one from pandas Series with a DatetimeIndex (times without a zone are taken in "
    "zone=, default the index's own zone or UTC) or a numeric index (times in the time unit). "
    "aquifer= takes a dict of the case file's [aquifer] keys or a kesta.Deck; units= a dict "
    "of its [units] keys; step= and max_gap= a length of time ('15 min', '15min', a "
    "timedelta or a number in the time unit); start=, end= dates or numbers; origin= the date of time 0 of numeric "
    "times; datum= "
    "'first', 'minimum' or a level for the stage. Raises CaseError as the file would.";

}  // namespace

void bind_case(py::module_& m) {
  // Its attributes are properties over the instance's own values, so that each
  // has a docstring and an error without them reads None.
  py::dict scope;
  scope["__name__"] = "kesta";
  scope["__doc__"] = kCaseErrorDoc;
  py::exec(R"(
def _kept(name, doc):
    return property(lambda self: self.__dict__.get(name),
                    lambda self, value: self.__dict__.__setitem__(name, value), doc=doc)

class CaseError(ValueError):
    __doc__ = __doc__
    file = _kept("file", "The case file, or 'stage' or 'recharge' for a Series; None for kesta.Case's other arguments.")
    line = _kept("line", "The case file's line (0: the file as a whole); None without a file.")
    reading = _kept("reading", "The index label of a Series' reading at fault, else None.")
    position = _kept("position", "The position (from 0) of a Series' reading at fault, else None.")
)",
           scope);
  m.add_object("CaseError", scope["CaseError"]);
  py::register_exception_translator(&translate_case_error);

  py::class_<PyCase> cls(m, "Case", kCaseDoc);
  cls.def(
      py::init([](const py::object& stage, const py::object& recharge, const py::object& aquifer, const py::object& x,
                  const py::object& step, const py::object& start, const py::object& end, const py::object& origin,
                  const py::object& datum, const py::object& max_gap, const py::object& zone, const py::object& units,
                  const py::object& title, const py::object& hinit) {
        return case_from_series(
            {stage, recharge, aquifer, x, step, start, end, origin, datum, max_gap, zone, units, title, hinit});
      }),
      py::kw_only(), py::arg("stage") = py::none(), py::arg("recharge") = py::none(), py::arg("aquifer") = py::none(),
      py::arg("x") = py::none(), py::arg("step") = py::none(), py::arg("start") = py::none(),
      py::arg("end") = py::none(), py::arg("origin") = py::none(), py::arg("datum") = py::none(),
      py::arg("max_gap") = py::none(), py::arg("zone") = py::none(), py::arg("units") = py::none(),
      py::arg("title") = py::none(), py::arg("hinit") = py::none());
  cls.def_property_readonly(
      "deck", [](const PyCase& c) { return from_deck(c.prepared.deck); },
      "The deck the case became (a copy): NT, TIME, STAGE and RECH from the records by the step rule.");
  cls.def_property_readonly(
      "summary",
      [](const PyCase& c) {
        py::list lines;
        for (const std::string& line : c.prepared.summary) lines.append(to_python(line));
        return lines;
      },
      "The run's account of its records, one line each, as the results CSV's # lines.");
  cls.def_property_readonly("units", &units_of, "{'length': 'm', 'time': 'd'}: the case's units.");
  cls.def_property_readonly(
      "zone", [](const PyCase& c) { return c.prepared.calendar.zone(); }, "The zone dates are written in.");
  cls.def_property_readonly(
      "dated", [](const PyCase& c) { return c.prepared.calendar.dated(); },
      "Whether model time has dates: a dated record, or an origin for numeric times.");
  cls.def("simulate", &simulate_case, py::arg("inversion") = py::none(),
          "The results as a pandas DataFrame, columns named as the case's results.csv names them "
          "(with units), bit for bit its numbers. Indexed by date (tz-aware, in the case's zone) "
          "when the case is dated, else by model time; the model time is a column either way. "
          "inversion= 'contour' or 'stehfest' replaces the case's.");
  cls.def("__repr__", [](const PyCase& c) {
    return py::str("<kesta.Case NT={} {}>")
        .format(c.prepared.deck.NT, c.prepared.calendar.dated() ? c.prepared.calendar.zone() : std::string("undated"));
  });
  cls.def("__eq__", &same_case, py::is_operator(), "The same deck, calendar, units and account.");
  cls.def(py::pickle(&state_of, &case_from_state));
  pickle_under_every_protocol(cls);
  m.def("bands_frame", &bands_frame, py::arg("bands"),
        "The bands of kesta.fit (its \"bands\" or \"prediction\") as a pandas DataFrame, one column per "
        "array, indexed by date (UTC) for a fit on a dated case, else by time.");
  m.def("read_case", &read_case_path, py::arg("path"),
        "A Case from a case file (TOML, docs/records.md) and the deck and records it names. "
        "Raises CaseError naming the file and line at fault.");
}

}  // namespace kesta::python
