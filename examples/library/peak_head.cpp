// Reads a deck, doubles the aquifer's hydraulic conductivity, simulates both,
// and prints the peak head at the well and when it occurs.
#include <algorithm>
#include <cstdio>
#include <exception>

#include <kesta/kesta.hpp>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: peak_head DECK\n");
    return 2;
  }
  try {
    kesta::Deck deck = kesta::read_deck(argv[1]);
    for (int run = 0; run < 2; ++run) {
      const kesta::Results results = kesta::simulate(deck);
      const auto peak = std::max_element(results.head.begin(), results.head.end());
      const auto step = peak - results.head.begin();
      std::printf("AK = %g: peak head %.5f at time %g\n", deck.AK, *peak, results.time[step]);
      deck.AK *= 2.0;
    }
  } catch (const kesta::DeckError& e) {
    std::fprintf(stderr, "peak_head: %s\n", e.what());
    return 1;
  } catch (const std::exception& e) {  // a deck that fails a check
    std::fprintf(stderr, "peak_head: %s\n", e.what());
    return 1;
  }
  return 0;
}
