// kesta.fit where kesta-fit was not built (its packages were missing).
#include <stdexcept>

#include "python/bindings.hpp"

namespace kesta::python {

void bind_fit(py::module_& m) {
  m.def(
      "fit",
      [](const py::object&) -> py::object {
        throw std::runtime_error(
            "this kesta module was built without kesta-fit: it needs Ceres Solver, toml++ and "
            "nlohmann-json (Debian: libceres-dev, libtomlplusplus-dev, nlohmann-json3-dev)");
      },
      py::arg("path"), "Not available: this module was built without kesta-fit.");
}

}  // namespace kesta::python
