#pragma once
// Input decks for tests: ten fixed lines that any test may change, then the
// time-stress lines.
#include <array>
#include <string>
#include <vector>

namespace kesta::testing {

struct Deck {
  std::array<std::string, 11> line = {
      "",
      "Leaky aquifer under a water-table aquitard",
      "Stage and recharge, finite width, streambank",
      "2  0.5  1",
      "1  3  1",
      "2.5  1000.  0.75  5000.",
      "10.  1.0E-5  20.",
      "0.01  2.0D-4  3.  0.2",
      "100.  -1.5  0.",
      "16",
      "3",
  };
  std::vector<std::string> stress = {"0. 0. 0.", "0.5 1.0 0.001", "1.0 1.25 0."};

  std::string text() const {
    std::string t;
    for (int n = 1; n <= 10; ++n) t += line[static_cast<std::size_t>(n)] + "\n";
    for (const std::string& s : stress) t += s + "\n";
    return t;
  }
};

}  // namespace kesta::testing
