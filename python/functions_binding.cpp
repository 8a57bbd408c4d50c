// The module's functions: read, write and check decks, derive their
// dimensionless parameters, simulate. Long calls run without the GIL.
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>

#include "kesta/kesta.hpp"
#include "python/bindings.hpp"

namespace kesta::python {
namespace {

// A path as str, bytes or os.PathLike.
PyDeck read(const py::object& name) {
  std::filesystem::path path;
  try {
    path = name.cast<std::filesystem::path>();
  } catch (const py::cast_error&) {
    const std::string given = py::str(name.get_type().attr("__name__"));
    throw py::type_error("read_deck takes the deck file's path as str, bytes or os.PathLike, not " + given);
  }
  kesta::Deck deck;
  {
    py::gil_scoped_release unlocked;
    deck = kesta::read_deck(path);
  }
  return from_deck(std::move(deck));
}

// Text as str, or the file's bytes as they are. A path is not deck text.
PyDeck parse(const py::object& text) {
  if (py::isinstance<py::bytes>(text)) return from_deck(kesta::parse_deck(text.cast<std::string>()));
  if (!py::isinstance<py::str>(text)) {
    const std::string given = py::str(text.get_type().attr("__name__"));
    throw py::type_error("parse_deck takes the deck's text as str or bytes, not " + given +
                         "; read_deck(path) reads a deck file");
  }
  return from_deck(kesta::parse_deck(from_python(text.cast<py::str>())));
}

py::str write(const PyDeck& deck) { return to_python(kesta::write_deck(to_deck(deck))); }

kesta::Derived derive(const PyDeck& deck) { return kesta::derived(to_deck(deck)); }

// The deck the model takes, refused as first_problem refuses it when its
// series and NT disagree.
kesta::Deck to_model(const PyDeck& deck, kesta::InversionMethod inversion = kesta::InversionMethod::Stehfest) {
  if (auto lengths = series_length_problem(deck, inversion)) throw py::value_error(*lengths);
  return to_deck(deck);
}

// The inversion by its name in the module: "stehfest" or "contour".
kesta::SimulateOptions options_named(const std::string& inversion) { return {inversion_method(inversion)}; }

std::optional<std::string> problem(const PyDeck& deck, const std::string& inversion) {
  const kesta::SimulateOptions options = options_named(inversion);
  if (auto lengths = series_length_problem(deck, options.inversion)) return lengths;
  return kesta::first_problem(to_deck(deck), options);
}

// The deck is copied out of its arrays first, so other threads may change them meanwhile.
PyResults simulate(const PyDeck& deck, const std::string& inversion) {
  const kesta::SimulateOptions options = options_named(inversion);
  const kesta::Deck values = to_model(deck, options.inversion);
  kesta::Results results;
  {
    py::gil_scoped_release unlocked;
    results = kesta::simulate(values, options);
  }
  return from_results(std::move(results));
}

// The inversion's error as numpy arrays over the C++ vectors' own storage.
struct PyInversionError {
  int NS = 0;
  py::array_t<double> head, seepage;
};

PyInversionError inversion_error(const PyDeck& deck) {
  const kesta::Deck values = to_model(deck);
  kesta::InversionError error;
  {
    py::gil_scoped_release unlocked;
    error = kesta::inversion_error(values);
  }
  return {error.NS, adopt_read_only(std::move(error.head)), adopt_read_only(std::move(error.seepage))};
}

bool same_arrays(const py::array_t<double>& a, const py::array_t<double>& b) {
  return a.size() == b.size() && std::equal(a.data(), a.data() + a.size(), b.data());
}

PyInversionError error_from_state(const py::tuple& state) {
  if (state.size() != 3) throw py::value_error("not the state of a kesta.InversionError");
  auto head = read_only_copy(state[1]);
  auto seepage = read_only_copy(state[2]);
  if (!head || !seepage) throw py::value_error("not the state of a kesta.InversionError");
  return {state[0].cast<int>(), *head, *seepage};
}

kesta::NsAdvice recommend(const PyDeck& deck) {
  const kesta::Deck values = to_model(deck);
  py::gil_scoped_release unlocked;
  return kesta::recommend_ns(values);
}

void bind_accuracy(py::module_& m) {
  py::class_<PyInversionError> error(m, "InversionError",
                                     "The Stehfest inversion's own error at every time step: printed value minus "
                                     "exactly inverted value (entry 0, the initial state, is 0). The arrays are "
                                     "read-only.");
  error.def_readonly("NS", &PyInversionError::NS, "The number of Stehfest terms these errors belong to.")
      .def_readonly("head", &PyInversionError::head, "Error of the head at the observation well (L), float64.")
      .def_readonly("seepage", &PyInversionError::seepage,
                    "Error of the seepage per unit length of stream (L^2/T), float64.")
      .def("__repr__",
           [](const PyInversionError& e) {
             return "<kesta.InversionError NS=" + std::to_string(e.NS) + " of " + std::to_string(e.head.size()) +
                    " steps>";
           })
      .def(
          "__eq__",
          [](const PyInversionError& a, const PyInversionError& b) {
            return a.NS == b.NS && same_arrays(a.head, b.head) && same_arrays(a.seepage, b.seepage);
          },
          py::is_operator())
      .def(py::pickle([](const PyInversionError& e) { return py::make_tuple(e.NS, e.head, e.seepage); },
                      &error_from_state));
  pickle_under_every_protocol(error);
  py::class_<kesta::NsAdvice> advice(m, "NsAdvice",
                                     "The order that prints a deck's head and seepage nearest to correct.");
  advice.def_readonly("NS", &kesta::NsAdvice::NS, "The advised number of Stehfest terms, 6 to 18.")
      .def_readonly("values_off", &kesta::NsAdvice::values_off,
                    "Printed head and seepage values that still err by more than half a unit of their "
                    "last digit at that NS (0: none).")
      .def("__repr__",
           [](const kesta::NsAdvice& a) {
             return "<kesta.NsAdvice NS=" + std::to_string(a.NS) + " values_off=" + std::to_string(a.values_off) + ">";
           })
      .def(
          "__eq__",
          [](const kesta::NsAdvice& a, const kesta::NsAdvice& b) {
            return a.NS == b.NS && a.values_off == b.values_off;
          },
          py::is_operator())
      .def(py::pickle([](const kesta::NsAdvice& a) { return py::make_tuple(a.NS, a.values_off); },
                      [](const py::tuple& state) {
                        if (state.size() != 2) throw py::value_error("not the state of a kesta.NsAdvice");
                        return kesta::NsAdvice{state[0].cast<int>(), state[1].cast<int>()};
                      }));
  pickle_under_every_protocol(advice);
  m.def("inversion_error", &inversion_error, py::arg("deck"),
        "The Stehfest inversion's own error in the head and seepage of every step at the "
        "deck's NS (an InversionError of float64 arrays), estimated against an independent "
        "contour inversion. Costs about one simulation; raises ValueError as simulate does, "
        "results that overflow among them. "
        "Runs without the GIL.");
  m.def("recommend_ns", &recommend, py::arg("deck"),
        "The NS from 6 to 18 whose printed head and seepage are off least (an NsAdvice); "
        "ties go to the order with the most margin. Costs a few simulations; raises "
        "ValueError as simulate does. Runs without the GIL.");
}

// Every parameter of Derived, in the report's order.
constexpr double kesta::Derived::*kDerivedFields[] = {
    &kesta::Derived::XD,     &kesta::Derived::XZEROD, &kesta::Derived::XLLD,  &kesta::Derived::XAAD,
    &kesta::Derived::GAMMA1, &kesta::Derived::SIGMA1, &kesta::Derived::SIGMAP};

py::tuple derived_state(const kesta::Derived& d) {
  py::list values;
  for (auto field : kDerivedFields) values.append(d.*field);
  return py::tuple(values);
}

kesta::Derived derived_from_state(const py::tuple& state) {
  if (state.size() != std::size(kDerivedFields)) throw py::value_error("not the state of a kesta.Derived");
  kesta::Derived d;
  std::size_t i = 0;
  for (auto field : kDerivedFields) d.*field = state[i++].cast<double>();
  return d;
}

// The same bits: a parameter that is nan compares equal to itself here.
bool same_derived(const kesta::Derived& a, const kesta::Derived& b) {
  return std::all_of(std::begin(kDerivedFields), std::end(kDerivedFields), [&](auto field) {
    return std::bit_cast<std::uint64_t>(a.*field) == std::bit_cast<std::uint64_t>(b.*field);
  });
}

void bind_derived(py::module_& m) {
  py::class_<kesta::Derived> derived(m, "Derived",
                                     "The dimensionless parameters of a deck, as the report prints them.");
  derived.def_readonly("XD", &kesta::Derived::XD, "Distance to the well over the stream half width, X / XZERO.")
      .def_readonly("XZEROD", &kesta::Derived::XZEROD, "Stream half width over aquifer thickness, XZERO / AB.")
      .def_readonly("XLLD", &kesta::Derived::XLLD,
                    "Aquifer width over stream half width (0 for a semi-infinite aquifer).")
      .def_readonly("XAAD", &kesta::Derived::XAAD,
                    "Streambank leakance over stream half width (0 without a streambank).")
      .def_readonly("GAMMA1", &kesta::Derived::GAMMA1, "Ratio of aquitard to aquifer hydraulic conductivity.")
      .def_readonly("SIGMA1", &kesta::Derived::SIGMA1, "Ratio of aquitard to aquifer storativity.")
      .def_readonly("SIGMAP", &kesta::Derived::SIGMAP, "Ratio of aquifer storativity to aquitard specific yield.")
      .def("__eq__", &same_derived, py::is_operator())
      .def(py::pickle(&derived_state, &derived_from_state));
  pickle_under_every_protocol(derived);
}

}  // namespace

kesta::InversionMethod inversion_method(const std::string& name) {
  if (const auto method = kesta::inversion_named(name)) return *method;
  throw py::value_error("unknown inversion '" + name + "': the allowed values are 'stehfest' and 'contour'");
}

void bind_functions(py::module_& m) {
  bind_derived(m);
  bind_accuracy(m);
  m.def("read_deck", &read, py::arg("path"),
        "Reads a deck file as the program does. Raises DeckError (with .line) for a file "
        "that cannot be opened or a line that cannot be read, TypeError for a path that is "
        "neither str, bytes nor os.PathLike.");
  m.def("parse_deck", &parse, py::arg("text"),
        "Reads a deck from text (str, or the file's bytes), as read_deck reads a file. Raises "
        "DeckError as read_deck does, TypeError for anything else (a path among them: "
        "read_deck reads files).");
  m.def("write_deck", &write, py::arg("deck"),
        "Deck text that read_deck and parse_deck read back to the same values. Raises "
        "ValueError, naming the value, for a deck no deck file can hold: a series whose length "
        "is not NT, or a value that is not a finite number. Bytes of a title that are not "
        "UTF-8 come back as lone surrogates: write the text with errors='surrogateescape' to "
        "keep them.");
  m.def("first_problem", &problem, py::arg("deck"), py::arg("inversion") = "stehfest",
        "The message of the first check the deck fails, in the report's words, or None. "
        "simulate with the same inversion raises ValueError with this very text. NT may reach "
        "NTLIMIT (99999) under 'stehfest' and NTLIMIT_CONTOUR (10000000) under 'contour'. "
        "Beyond the report's checks: a series "
        "whose length is not NT, a value the model uses that is not a finite number, and a "
        "derived parameter or time step that overflows. Only a result that overflows while it "
        "is computed is left to simulate.");
  m.def("derived", &derive, py::arg("deck"), "The dimensionless parameters of a deck (a Derived).");
  m.def("simulate", &simulate, py::arg("deck"), py::arg("inversion") = "stehfest",
        "Head, seepage and bank storage at every time step, as a Results of read-only float64 "
        "arrays, bit for bit the program's numbers. inversion='stehfest' (the default) inverts "
        "by the Stehfest sum of the deck's NS terms, inversion='contour' by the contour "
        "integral, every printed digit right (NS is then only checked); another value raises "
        "ValueError naming the allowed ones. Raises ValueError with first_problem's "
        "text for a deck that has a problem, or with the report's message when a result is not "
        "a finite number. Runs without the GIL: threads simulate in parallel.");
}

}  // namespace kesta::python
