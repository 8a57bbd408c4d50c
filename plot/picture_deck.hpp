#pragma once
// What the picture takes from the input deck: its titles, the stresses as the
// model sees them, and the values that tie the plot file's columns together.
// Only read_picture_deck() reads a deck; everything else works on this struct.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "plot/plot_file.hpp"

namespace kesta::plot {

struct PictureDeck {
  std::string TITLE1, TITLE2;  // trailing blanks removed
  int ISTRESS = 0;             // 0 stage, 1 recharge, 2 both
  double DELT = 1.0;
  double TINIT = 0.0;
  double XSTREAM = 0.0;
  double X = 0.0;
  int NT = 0;
  std::vector<double> STAGE, RECH;  // entry i: time-stress line i + 1
  double HINIT = 0.0;
  // H of every result row as kesta computes it (a run of 99999 steps takes
  // well under a second; a longer one runs by the contour integral, as kesta
  // must have run it); empty when the library cannot simulate the deck.
  std::vector<double> heads;
};

// A deck that cannot be read; the message names it and says why.
class DeckFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a deck with the KESTA library (read_picture_deck.cpp).
PictureDeck read_picture_deck(const std::filesystem::path& path);

// "" when the plot file can be the one computed from the deck, as far as the
// number of time steps, TINIT and DELT, the factor 2·XSTREAM between totals
// and per-length values and the heads tell (each to the plot file's printed
// digits); otherwise what differs.
std::string deck_mismatch(const PictureDeck& deck, const PlotSeries& series);

// A stress as the model sees it. The change from line k−1 to line k acts as a
// step at TINIT + (k−2)·DELT, so the value of line k holds from
// TINIT + (k−2)·DELT to TINIT + (k−1)·DELT, the time of result row k; line 1,
// the reference, is drawn over the step before TINIT. Two vertices per line,
// in time order.
struct Staircase {
  std::vector<double> t, v;
};
Staircase stress_steps(const std::vector<double>& values, double TINIT, double DELT);

}  // namespace kesta::plot
