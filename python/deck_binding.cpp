// kesta.Deck: every deck value as an attribute under its deck name, the series
// as numpy arrays; copies, comparison and pickling (for Dask workers).
#include <algorithm>
#include <optional>
#include <string>
#include <type_traits>

#include "python/bindings.hpp"

namespace kesta::python {
namespace {

using Series = py::array_t<double, py::array::c_style | py::array::forcecast>;

// Every scalar of a deck under its deck name, with what it holds.
template <class Visit>
void for_each_value(Visit&& visit) {
  visit("TITLE1", &Deck::TITLE1, "Line 1: the first title (70 characters).");
  visit("TITLE2", &Deck::TITLE2, "Line 2: the second title (70 characters).");
  visit("ISTRESS", &Deck::ISTRESS, "Line 3: stress type, 0 stream stage, 1 recharge/leakage, 2 both.");
  visit("DELT", &Deck::DELT, "Line 3: time-step size (T).");
  visit("IPRINT", &Deck::IPRINT, "Line 3: 1 lists the stress data in the report.");
  visit("IXL", &Deck::IXL, "Line 4: 0 semi-infinite aquifer, 1 finite width.");
  visit("IAQ", &Deck::IAQ,
        "Line 4: 0 confined; leaky with 1 constant head, 2 impervious layer, 3 water-table aquitard.");
  visit("IXA", &Deck::IXA, "Line 4: 1 simulates a semipervious streambank.");
  visit("XZERO", &Deck::XZERO, "Line 5: stream half width (L).");
  visit("XLL", &Deck::XLL, "Line 5: width of the aquifer (L), when IXL = 1.");
  visit("XAA", &Deck::XAA, "Line 5: streambank leakance (L), when IXA = 1.");
  visit("XSTREAM", &Deck::XSTREAM, "Line 5: length of stream (L).");
  visit("AK", &Deck::AK, "Line 6: aquifer hydraulic conductivity (L/T).");
  visit("AS", &Deck::AS, "Line 6: aquifer specific storage (1/L).");
  visit("AB", &Deck::AB, "Line 6: aquifer saturated thickness (L).");
  visit("AKT", &Deck::AKT, "Line 7: aquitard hydraulic conductivity (L/T).");
  visit("AST", &Deck::AST, "Line 7: aquitard specific storage (1/L).");
  visit("ABT", &Deck::ABT, "Line 7: aquitard saturated thickness (L).");
  visit("ASYT", &Deck::ASYT, "Line 7: aquitard specific yield.");
  visit("X", &Deck::X, "Line 8: distance from the stream centre to the observation well (L).");
  visit("HINIT", &Deck::HINIT, "Line 8: initial head at the well (L).");
  visit("TINIT", &Deck::TINIT, "Line 8: start time (T).");
  visit("NS", &Deck::NS, "Line 9: number of Stehfest terms.");
  visit("NT", &Deck::NT, "Line 10: number of time steps.");
}

template <class Visit>
void for_each_series(Visit&& visit) {
  visit("TIME", &PyDeck::TIME, &Deck::TIME, "Time of each time-stress line (T); echoed only, not used by the model.");
  visit("STAGE", &PyDeck::STAGE, &Deck::STAGE,
        "Stream stage of each time-stress line (L); entry i acts from output step i - 1 to step i.");
  visit("RECH", &PyDeck::RECH, &Deck::RECH, "Recharge or leakage of each time-stress line (L).");
}

// What a sequence holds, in a user's words, when it is not real numbers.
std::string kind_of(const py::array& given) {
  const char kind = given.dtype().kind();
  if (kind == 'c') return "complex numbers";
  if (kind == 'U' || kind == 'S') return "text";
  return "values of type " + std::string(py::str(given.dtype()));
}

// The deck's own copy of a sequence of real numbers, as a one-dimensional
// float64 array. Complex numbers, text and arbitrary objects are refused
// rather than cast: numpy would drop an imaginary part or turn None into nan.
py::array_t<double> series_copy(const py::object& values, const char* name) {
  const py::array given = py::array::ensure(values);
  if (!given) throw py::type_error(std::string(name) + " must be a sequence of numbers");
  if (std::string("biuf").find(given.dtype().kind()) == std::string::npos)
    throw py::type_error(std::string(name) + " takes real numbers, not " + kind_of(given));
  const Series numbers = Series::ensure(given);
  if (!numbers) throw py::type_error(std::string(name) + " must be a sequence of numbers");
  if (numbers.ndim() != 1) throw py::value_error(std::string(name) + " must be one-dimensional");
  return py::array_t<double>(numbers.size(), numbers.data());
}

// A complex number of Python or numpy, which a cast to float would cut to its
// real part.
bool is_complex(const py::object& value) {
  if (PyComplex_Check(value.ptr())) return true;
  return py::hasattr(value, "dtype") && py::hasattr(value.attr("dtype"), "kind") &&
         py::str(value.attr("dtype").attr("kind")).cast<std::string>() == "c";
}

// A deck value as Python sees it.
template <class Value>
py::object value_to_python(const Value& value) {
  if constexpr (std::is_same_v<Value, std::string>)
    return to_python(value);
  else
    return py::cast(value);
}

// A deck value from Python, or a TypeError naming the value and what it takes.
template <class Value>
Value value_of(const py::object& value, const char* name) {
  const char* kind = std::is_same_v<Value, int>      ? "an integer from -2147483648 to 2147483647"
                     : std::is_same_v<Value, double> ? "a real number"
                                                     : "text";
  const std::string given = py::str(value.get_type().attr("__name__"));
  if constexpr (std::is_same_v<Value, std::string>) {
    if (py::isinstance<py::str>(value)) return from_python(value.cast<py::str>());
  }
  if constexpr (std::is_same_v<Value, double>) {
    if (is_complex(value)) throw py::type_error(std::string(name) + " takes " + kind + ", not " + given);
  }
  try {
    return value.cast<Value>();
  } catch (const py::cast_error&) {
    throw py::type_error(std::string(name) + " takes " + kind + ", not " + given);
  }
}

// Read through a contiguous float64 view: the user may have changed the
// array's dtype or shape in place.
std::vector<double> to_vector(const py::array_t<double>& values) {
  const Series numbers = Series::ensure(values);
  if (!numbers) throw py::type_error("a deck series is no longer an array of numbers");
  return std::vector<double>(numbers.data(), numbers.data() + numbers.size());
}

PyDeck copy_of(const PyDeck& deck) {
  PyDeck copy;
  copy.values = deck.values;
  for_each_series([&](const char* name, auto held, auto, const char*) { copy.*held = series_copy(deck.*held, name); });
  return copy;
}

bool same_deck(const PyDeck& a, const PyDeck& b) {
  bool same = true;
  for_each_value([&](const char*, auto member, const char*) { same = same && a.values.*member == b.values.*member; });
  for_each_series(
      [&](const char*, auto held, auto, const char*) { same = same && to_vector(a.*held) == to_vector(b.*held); });
  return same;
}

py::tuple state_of(const PyDeck& deck) {
  py::dict values;
  for_each_value(
      [&](const char* name, auto member, const char*) { values[name] = value_to_python(deck.values.*member); });
  return py::make_tuple(values, deck.TIME, deck.STAGE, deck.RECH);
}

PyDeck deck_from_state(const py::tuple& state) {
  if (state.size() != 4) throw py::value_error("not the state of a kesta.Deck");
  PyDeck deck;
  const py::dict values = state[0].cast<py::dict>();
  for_each_value([&](const char* name, auto member, const char*) {
    using Value = std::remove_reference_t<decltype(deck.values.*member)>;
    deck.values.*member = value_of<Value>(values[name], name);
  });
  int i = 1;
  for_each_series([&](const char* name, auto held, auto, const char*) { deck.*held = series_copy(state[i++], name); });
  return deck;
}

py::str repr(const PyDeck& deck) {
  std::string title = deck.values.TITLE1;
  title.erase(title.find_last_not_of(' ') + 1);
  return py::str("<kesta.Deck {!r} NT={}>").format(to_python(title), deck.values.NT);
}

constexpr const char* kDeckDoc =
    "An input deck: every value as an attribute under its deck name (deck.AK = 12.0), the "
    "time-stress series TIME, STAGE and RECH as one-dimensional float64 numpy arrays, "
    "indexed from 0 (entry i is time-stress line i + 1).\n\n"
    "The series may be changed in place (deck.STAGE[3] = 2.0) or replaced by any sequence "
    "of numbers, which the deck copies. Deck() is a deck of zeros with empty series; "
    "read_deck and parse_deck give a deck as the program reads it.";

}  // namespace

py::str to_python(const std::string& text) {
  PyObject* decoded = PyUnicode_DecodeUTF8(text.data(), static_cast<py::ssize_t>(text.size()), "surrogateescape");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

std::string from_python(const py::str& text) {
  PyObject* bytes = PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogateescape");
  if (bytes == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::bytes>(bytes).cast<std::string>();
}

kesta::Deck to_deck(const PyDeck& deck) {
  kesta::Deck values = deck.values;
  for_each_series([&](const char*, auto held, auto series, const char*) { values.*series = to_vector(deck.*held); });
  return values;
}

PyDeck from_deck(kesta::Deck deck) {
  PyDeck held;
  for_each_series([&](const char*, auto member, auto series, const char*) {
    held.*member = adopt(std::move(deck.*series));
    (deck.*series).clear();
  });
  held.values = std::move(deck);
  return held;
}

std::optional<std::string> series_length_problem(const PyDeck& deck, InversionMethod inversion) {
  // A step count beyond the inversion's limit is the checks' own first message.
  if (deck.values.NT > step_limit(inversion)) return std::nullopt;
  const auto lines = static_cast<py::ssize_t>(deck.values.NT > 0 ? deck.values.NT : 0);
  std::optional<std::string> problem;
  for_each_series([&](const char* name, auto held, auto, const char*) {
    if (!problem && (deck.*held).size() != lines)
      problem = std::string(name) + " HOLDS " + std::to_string((deck.*held).size()) + " VALUES WHERE NT IS " +
                std::to_string(deck.values.NT) + ". PROGRAM STOPPED.";
  });
  return problem;
}

py::array_t<double> adopt(std::vector<double>&& values) {
  auto* owned = new std::vector<double>(std::move(values));
  py::capsule owner(owned, [](void* p) { delete static_cast<std::vector<double>*>(p); });
  return py::array_t<double>(static_cast<py::ssize_t>(owned->size()), owned->data(), owner);
}

void bind_deck(py::module_& m) {
  py::class_<PyDeck> deck(m, "Deck", kDeckDoc);
  deck.def(py::init([] { return from_deck(kesta::Deck{}); }), "A deck of zeros, blank titles and empty series.");
  for_each_value([&](const char* name, auto member, const char* doc) {
    using Value = std::remove_reference_t<decltype(std::declval<PyDeck&>().values.*member)>;
    deck.def_property(
        name, [member](const PyDeck& d) { return value_to_python(d.values.*member); },
        [member, name](PyDeck& d, const py::object& value) { d.values.*member = value_of<Value>(value, name); }, doc);
  });
  for_each_series([&](const char* name, auto held, auto, const char* doc) {
    deck.def_property(
        name, [held](const PyDeck& d) { return d.*held; },
        [held, name](PyDeck& d, const py::object& values) {
          py::array_t<double> copy = series_copy(values, name);
          // NT does not follow a series: a deck that quietly grew or shrank
          // would hide a series lengthened or cut by mistake.
          if (copy.size() != static_cast<py::ssize_t>(std::max(d.values.NT, 0)))
            throw py::value_error(std::string(name) + " takes NT = " + std::to_string(d.values.NT) + " values, not " +
                                  std::to_string(copy.size()) + ": set NT first, then each series");
          d.*held = std::move(copy);
        },
        doc);
  });
  deck.def("copy", &copy_of, "A deck with the same values and its own copies of the series.");
  deck.def("__copy__", &copy_of);
  deck.def(
      "__deepcopy__", [](const PyDeck& d, const py::object&) { return copy_of(d); }, py::arg("memo"));
  deck.def("__eq__", &same_deck, py::is_operator(), "Same values and same series, entry by entry.");
  deck.def("__repr__", &repr);
  deck.def(py::pickle(&state_of, &deck_from_state));
  pickle_under_every_protocol(deck);
}

}  // namespace kesta::python
