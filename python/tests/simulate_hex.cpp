// Prints simulate()'s values for a deck as hexadecimal floats, one step a line
// (time, head, seepage, total seepage, bank storage, bank volume), so that the
// Python tests can compare the module's arrays with the C++ API bit for bit.
// A second argument "contour" simulates by the contour inversion.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string_view>

#include <kesta/kesta.hpp>

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 3 && std::string_view(argv[2]) == "contour")) {
    std::cerr << "usage: simulate_hex DECK [contour]\n";
    return 2;
  }
  try {
    const kesta::SimulateOptions options{argc == 3 ? kesta::InversionMethod::Contour
                                                   : kesta::InversionMethod::Stehfest};
    const kesta::Results r = kesta::simulate(kesta::read_deck(argv[1]), options);
    for (std::size_t k = 0; k < r.time.size(); ++k)
      std::printf("%a %a %a %a %a %a\n", r.time[k], r.head[k], r.seepage[k], r.total_seepage[k], r.bank_storage[k],
                  r.bank_volume[k]);
  } catch (const std::exception& e) {
    std::cerr << "simulate_hex: " << e.what() << '\n';
    return 1;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
