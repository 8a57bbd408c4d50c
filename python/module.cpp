// The Python module `kesta`: decks, checks and simulations of the C++ library
// on numpy arrays.
#include "kesta/deck.hpp"
#include "python/bindings.hpp"

PYBIND11_MODULE(kesta, m) {
  m.doc() =
      "Head at an observation well, seepage between a stream and a confined or leaky "
      "aquifer, and bank storage, for a series of stream-stage changes.\n\n"
      "read_deck / parse_deck give a Deck whose values are attributes under the deck's "
      "names; simulate(deck) gives Results of numpy arrays.";
  m.attr("__version__") = KESTA_VERSION;
  // The most time steps a deck runs by the Stehfest sum and by the contour integral.
  m.attr("NTLIMIT") = kesta::NTLIMIT;
  m.attr("NTLIMIT_CONTOUR") = kesta::NTLIMIT_CONTOUR;
  kesta::python::bind_errors(m);
  kesta::python::bind_deck(m);
  kesta::python::bind_results(m);
  kesta::python::bind_functions(m);
  kesta::python::bind_fit(m);
  kesta::python::bind_case(m);
}
