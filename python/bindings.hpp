#pragma once
// The parts of the Python module, each adding its names to the module.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "kesta/deck.hpp"
#include "kesta/results.hpp"

namespace kesta::python {

namespace py = pybind11;

void bind_errors(py::module_& m);
void bind_deck(py::module_& m);
void bind_results(py::module_& m);
void bind_functions(py::module_& m);
void bind_fit(py::module_& m);

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

// The results of a simulation as Python holds them.
struct PyResults {
  py::array_t<double> time, head, seepage, total_seepage, bank_storage, bank_volume;
};

// Arrays over the results' own vectors: no copy.
PyResults from_results(kesta::Results results);

// A numpy array over the vector's own storage, which the array then owns.
py::array_t<double> adopt(std::vector<double>&& values);

}  // namespace kesta::python
