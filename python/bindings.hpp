#pragma once
// The parts of the Python module, each adding its names to the module.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <optional>
#include <string>
#include <vector>

#include "kesta/deck.hpp"
#include "kesta/results.hpp"
#include "kesta/simulate_options.hpp"

namespace kesta::python {

namespace py = pybind11;

void bind_errors(py::module_& m);
void bind_deck(py::module_& m);
void bind_results(py::module_& m);
void bind_functions(py::module_& m);
void bind_fit(py::module_& m);
void bind_case(py::module_& m);

// The inversion a module function's inversion= names: "stehfest" or "contour";
// ValueError naming the allowed values for any other.
kesta::InversionMethod inversion_method(const std::string& name);

// Deck text is whatever bytes the file holds: UTF-8 reads as such, and any other
// byte survives the trip through Python as a lone surrogate ("surrogateescape").
py::str to_python(const std::string& text);
std::string from_python(const py::str& text);

// A deck as Python holds it: the scalar values in a kesta::Deck (whose series
// stay empty) and the series as numpy arrays that the user may change in place.
struct PyDeck {
  kesta::Deck values;
  py::array_t<double> TIME, STAGE, RECH;
};

// The deck the C++ API takes; the caller holds the GIL.
kesta::Deck to_deck(const PyDeck& deck);
PyDeck from_deck(kesta::Deck deck);

// A deck whose series do not hold NT entries each, in the checks' words: a
// series lengthened or cut in Python would otherwise be simulated cut to NT.
// An NT beyond the inversion's limit is left to the checks, whose message it is.
std::optional<std::string> series_length_problem(const PyDeck& deck, kesta::InversionMethod inversion);

// The results of a simulation as Python holds them.
struct PyResults {
  py::array_t<double> time, head, seepage, total_seepage, bank_storage, bank_volume;
};

// Arrays over the results' own vectors: no copy.
PyResults from_results(kesta::Results results);

// A numpy array over the vector's own storage, which the array then owns.
py::array_t<double> adopt(std::vector<double>&& values);

// The same, read-only: results are the model's, and an entry changed in place
// would be taken for one the model computed.
py::array_t<double> adopt_read_only(std::vector<double>&& values);

// A read-only float64 copy of a pickled array, or nothing for anything else.
std::optional<py::array_t<double>> read_only_copy(const py::handle& values);

// pybind11 pickles from protocol 2 on: protocols 0 and 1 rebuild an instance
// through object.__new__, which a bound class refuses. Every protocol gets
// protocol 2's recipe instead: the class's own __new__, then __setstate__.
template <class Bound>
void pickle_under_every_protocol(Bound& cls) {
  cls.def("__reduce_ex__", [](const py::object& self, int) {
    return py::make_tuple(py::module_::import("copyreg").attr("__newobj__"), py::make_tuple(py::type::of(self)),
                          self.attr("__getstate__")());
  });
}

}  // namespace kesta::python
