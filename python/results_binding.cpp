// kesta.Results: the arrays of one simulation, over the C++ results' own storage.
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "python/bindings.hpp"

namespace kesta::python {
namespace {

// Every array of the results, with what it holds.
template <class Visit>
void for_each_array(Visit&& visit) {
  visit("time", &PyResults::time, "Time of each step, TINIT + k * DELT (T).");
  visit("head", &PyResults::head, "Head at the observation well (L).");
  visit("seepage", &PyResults::seepage,
        "Seepage per unit length of stream, positive into the stream, negative into the aquifer (L^2/T).");
  visit("total_seepage", &PyResults::total_seepage, "Seepage over both banks of the reach (L^3/T).");
  visit("bank_storage", &PyResults::bank_storage, "Bank storage per unit length of stream (L^2).");
  visit("bank_volume", &PyResults::bank_volume, "Bank-storage volume over both banks of the reach (L^3).");
}

py::tuple state_of(const PyResults& results) {
  py::list arrays;
  for_each_array([&](const char*, auto member, const char*) { arrays.append(results.*member); });
  return py::tuple(arrays);
}

PyResults results_from_state(const py::tuple& state) {
  if (state.size() != 6) throw py::value_error("not the state of a kesta.Results");
  PyResults results;
  int i = 0;
  for_each_array([&](const char*, auto member, const char*) {
    auto values = read_only_copy(state[i++]);
    if (!values) throw py::value_error("not the state of a kesta.Results");
    results.*member = *values;
  });
  return results;
}

bool same_results(const PyResults& a, const PyResults& b) {
  bool same = true;
  for_each_array([&](const char*, auto member, const char*) {
    const auto& x = a.*member;
    const auto& y = b.*member;
    same = same && x.size() == y.size() && std::equal(x.data(), x.data() + x.size(), y.data());
  });
  return same;
}

constexpr const char* kResultsDoc =
    "The results of simulate(deck): float64 numpy arrays time, head, seepage, "
    "total_seepage, bank_storage and bank_volume, NT entries each; entry k belongs to "
    "time TINIT + k * DELT. Bit for bit the numbers the program prints. The arrays are "
    "read-only: copy one (results.head.copy()) to change it.";

}  // namespace

PyResults from_results(kesta::Results results) {
  PyResults held;
  held.time = adopt_read_only(std::move(results.time));
  held.head = adopt_read_only(std::move(results.head));
  held.seepage = adopt_read_only(std::move(results.seepage));
  held.total_seepage = adopt_read_only(std::move(results.total_seepage));
  held.bank_storage = adopt_read_only(std::move(results.bank_storage));
  held.bank_volume = adopt_read_only(std::move(results.bank_volume));
  return held;
}

py::array_t<double> adopt_read_only(std::vector<double>&& values) {
  py::array_t<double> array = adopt(std::move(values));
  array.attr("setflags")(py::arg("write") = false);
  return array;
}

std::optional<py::array_t<double>> read_only_copy(const py::handle& values) {
  using Floats = py::array_t<double, py::array::c_style | py::array::forcecast>;
  const Floats given = Floats::ensure(values);
  if (!given || given.ndim() != 1) return std::nullopt;
  return adopt_read_only(std::vector<double>(given.data(), given.data() + given.size()));
}

void bind_results(py::module_& m) {
  py::class_<PyResults> results(m, "Results", kResultsDoc);
  for_each_array([&](const char* name, auto member, const char* doc) {
    results.def_property_readonly(
        name, [member](const PyResults& r) { return r.*member; }, doc);
  });
  results.def(
      "__len__", [](const PyResults& r) { return r.time.size(); }, "The number of time steps.");
  results.def("__repr__",
              [](const PyResults& r) { return "<kesta.Results of " + std::to_string(r.time.size()) + " steps>"; });
  results.def("__eq__", &same_results, py::is_operator(), "The same arrays, entry by entry.");
  results.def(py::pickle(&state_of, &results_from_state));
  pickle_under_every_protocol(results);
}

}  // namespace kesta::python
