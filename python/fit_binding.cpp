// kesta.fit: one run of kesta-fit, its JSON report as a dictionary.
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>

#include "fit/fit_run.hpp"
#include "python/bindings.hpp"

namespace kesta::python {
namespace {

// The error stream's one line, without the program's name before it.
std::string message_of(const std::string& err) {
  std::string message = err;
  const std::string program = "kesta-fit: ";
  if (message.rfind(program, 0) == 0) message.erase(0, program.size());
  while (!message.empty() && message.back() == '\n') message.pop_back();
  return message;
}

py::object fit(const std::filesystem::path& path, const std::optional<std::filesystem::path>& output_dir) {
  std::ostringstream out, err;
  int status = 0;
  {
    py::gil_scoped_release unlocked;
    status = kesta::fit_detail::run_fit({path, true, true, output_dir.value_or(std::filesystem::path())}, out, err);
  }
  if (status == kesta::fit_detail::kBadInput) throw py::value_error(message_of(err.str()));
  if (status == kesta::fit_detail::kWriteFailed) {
    PyErr_SetString(PyExc_OSError, message_of(err.str()).c_str());
    throw py::error_already_set();
  }
  // A fit that cannot be computed past its start prints no report.
  if (out.str().empty()) throw std::runtime_error(message_of(err.str()));
  return py::module_::import("json").attr("loads")(to_python(out.str()));
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
