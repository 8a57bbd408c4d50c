// kesta.DeckError: an unreadable deck, with the line at fault as an attribute.
// A deck that fails a check raises ValueError (pybind11's translation of
// std::invalid_argument).
#include <exception>

#include "kesta/errors.hpp"
#include "python/bindings.hpp"

namespace kesta::python {
namespace {

constexpr const char* kDeckErrorDoc =
    "A deck that cannot be read: a file that cannot be opened, a line that does not hold "
    "the values it must, or a deck that ends early.\n\n"
    "str(error) names the line, the values being read and the reason; error.line is the "
    "line of the deck (counted from 1), 0 when the file could not be opened. A subclass "
    "of ValueError.";

// pybind11 hands a translator the exception by value.
void translate_deck_error(std::exception_ptr thrown) {  // NOLINT(performance-unnecessary-value-param)
  try {
    if (thrown) std::rethrow_exception(thrown);
  } catch (const kesta::DeckError& e) {
    // The class lives in the module's namespace; looking it up keeps no state here.
    py::object type = py::module_::import("kesta").attr("DeckError");
    py::object error = type(to_python(e.what()));
    error.attr("line") = e.line();
    PyErr_SetObject(type.ptr(), error.ptr());
  }
}

}  // namespace

void bind_errors(py::module_& m) {
  PyObject* type = PyErr_NewExceptionWithDoc("kesta.DeckError", kDeckErrorDoc, PyExc_ValueError, nullptr);
  if (type == nullptr) throw py::error_already_set();
  py::object deck_error = py::reinterpret_steal<py::object>(type);
  deck_error.attr("line") = 0;
  m.add_object("DeckError", deck_error);
  py::register_exception_translator(&translate_deck_error);
}

}  // namespace kesta::python
