// The module's functions: read, write and check decks, derive their
// dimensionless parameters, simulate. Long calls run without the GIL.
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <optional>
#include <string>

#include "kesta/kesta.hpp"
#include "python/bindings.hpp"

namespace kesta::python {
namespace {

PyDeck read(const std::filesystem::path& path) {
  kesta::Deck deck;
  {
    py::gil_scoped_release unlocked;
    deck = kesta::read_deck(path);
  }
  return from_deck(std::move(deck));
}

// Text as str, or the file's bytes as they are.
PyDeck parse(const py::object& text) {
  if (py::isinstance<py::bytes>(text)) return from_deck(kesta::parse_deck(text.cast<std::string>()));
  if (!py::isinstance<py::str>(text)) throw py::type_error("parse_deck takes the deck's text as str or bytes");
  return from_deck(kesta::parse_deck(from_python(text.cast<py::str>())));
}

py::str write(const PyDeck& deck) { return to_python(kesta::write_deck(to_deck(deck))); }

std::optional<std::string> problem(const PyDeck& deck) { return kesta::first_problem(to_deck(deck)); }

kesta::Derived derive(const PyDeck& deck) { return kesta::derived(to_deck(deck)); }

// The deck is copied out of its arrays first, so other threads may change them meanwhile.
PyResults simulate(const PyDeck& deck) {
  const kesta::Deck values = to_deck(deck);
  kesta::Results results;
  {
    py::gil_scoped_release unlocked;
    results = kesta::simulate(values);
  }
  return from_results(std::move(results));
}

// The inversion's error as numpy arrays over the C++ vectors' own storage.
struct PyInversionError {
  int NS = 0;
  py::array_t<double> head, seepage;
};

PyInversionError inversion_error(const PyDeck& deck) {
  const kesta::Deck values = to_deck(deck);
  kesta::InversionError error;
  {
    py::gil_scoped_release unlocked;
    error = kesta::inversion_error(values);
  }
  return {error.NS, adopt(std::move(error.head)), adopt(std::move(error.seepage))};
}

kesta::NsAdvice recommend(const PyDeck& deck) {
  const kesta::Deck values = to_deck(deck);
  py::gil_scoped_release unlocked;
  return kesta::recommend_ns(values);
}

void bind_accuracy(py::module_& m) {
  py::class_<PyInversionError>(m, "InversionError",
                               "The Stehfest inversion's own error at every time step: printed value minus "
                               "exactly inverted value (entry 0, the initial state, is 0).")
      .def_readonly("NS", &PyInversionError::NS, "The number of Stehfest terms these errors belong to.")
      .def_readonly("head", &PyInversionError::head, "Error of the head at the observation well (L), float64.")
      .def_readonly("seepage", &PyInversionError::seepage,
                    "Error of the seepage per unit length of stream (L^2/T), float64.")
      .def("__repr__", [](const PyInversionError& e) {
        return "<kesta.InversionError NS=" + std::to_string(e.NS) + " of " + std::to_string(e.head.size()) + " steps>";
      });
  py::class_<kesta::NsAdvice>(m, "NsAdvice", "The order that prints a deck's head and seepage nearest to correct.")
      .def_readonly("NS", &kesta::NsAdvice::NS, "The advised number of Stehfest terms, 6 to 18.")
      .def_readonly("values_off", &kesta::NsAdvice::values_off,
                    "Printed head and seepage values that still err by more than half a unit of their "
                    "last digit at that NS (0: none).")
      .def("__repr__", [](const kesta::NsAdvice& a) {
        return "<kesta.NsAdvice NS=" + std::to_string(a.NS) + " values_off=" + std::to_string(a.values_off) + ">";
      });
  m.def("inversion_error", &inversion_error, py::arg("deck"),
        "The Stehfest inversion's own error in the head and seepage of every step at the "
        "deck's NS (an InversionError of float64 arrays), estimated against an independent "
        "contour inversion. Costs about one simulation; raises ValueError as simulate does. "
        "Runs without the GIL.");
  m.def("recommend_ns", &recommend, py::arg("deck"),
        "The NS from 6 to 18 whose printed head and seepage are off least (an NsAdvice); "
        "ties go to the order with the most margin. Costs a few simulations; raises "
        "ValueError as simulate does. Runs without the GIL.");
}

void bind_derived(py::module_& m) {
  py::class_<kesta::Derived>(m, "Derived", "The dimensionless parameters of a deck, as the report prints them.")
      .def_readonly("XD", &kesta::Derived::XD, "Distance to the well over the stream half width, X / XZERO.")
      .def_readonly("XZEROD", &kesta::Derived::XZEROD, "Stream half width over aquifer thickness, XZERO / AB.")
      .def_readonly("XLLD", &kesta::Derived::XLLD,
                    "Aquifer width over stream half width (0 for a semi-infinite aquifer).")
      .def_readonly("XAAD", &kesta::Derived::XAAD,
                    "Streambank leakance over stream half width (0 without a streambank).")
      .def_readonly("GAMMA1", &kesta::Derived::GAMMA1, "Ratio of aquitard to aquifer hydraulic conductivity.")
      .def_readonly("SIGMA1", &kesta::Derived::SIGMA1, "Ratio of aquitard to aquifer storativity.")
      .def_readonly("SIGMAP", &kesta::Derived::SIGMAP, "Ratio of aquifer storativity to aquitard specific yield.");
}

}  // namespace

void bind_functions(py::module_& m) {
  bind_derived(m);
  bind_accuracy(m);
  m.def("read_deck", &read, py::arg("path"),
        "Reads a deck file as the program does. Raises DeckError (with .line) for a file "
        "that cannot be opened or a line that cannot be read.");
  m.def("parse_deck", &parse, py::arg("text"),
        "Reads a deck from text (str, or the file's bytes), as read_deck reads a file.");
  m.def("write_deck", &write, py::arg("deck"),
        "Deck text that read_deck and parse_deck read back to the same values. Bytes of a "
        "title that are not UTF-8 come back as lone surrogates: write the text with "
        "errors='surrogateescape' to keep them.");
  m.def("first_problem", &problem, py::arg("deck"),
        "The message of the first check the deck fails, in the report's words, or None for "
        "a deck the program would run.");
  m.def("derived", &derive, py::arg("deck"), "The dimensionless parameters of a deck (a Derived).");
  m.def("simulate", &simulate, py::arg("deck"),
        "Head, seepage and bank storage at every time step, as a Results of float64 arrays, "
        "bit for bit the program's numbers. Raises ValueError with the check's message for "
        "a deck that fails a check, or when a result is not a finite number. Runs without "
        "the GIL: threads simulate in parallel.");
}

}  // namespace kesta::python
