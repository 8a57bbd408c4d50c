// The one file of kesta-plot that reads a deck: with the KESTA library, so the
// picture sees every deck exactly as kesta does.
#include <algorithm>
#include <stdexcept>

#include "kesta/kesta.hpp"
#include "plot/picture_deck.hpp"

namespace kesta::plot {

namespace {

std::string without_trailing_blanks(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// The first NT entries: the time-stress lines that the model uses.
std::vector<double> lines_used(const std::vector<double>& series, int NT) {
  const std::size_t n = std::min(series.size(), static_cast<std::size_t>(std::max(NT, 0)));
  return {series.begin(), series.begin() + static_cast<std::ptrdiff_t>(n)};
}

// The head of every result row, bit for bit as kesta computes it. Empty for a
// deck the library will not simulate: kesta wrote no rows from it either. A
// deck of more steps than the Stehfest sum takes ran by the contour integral.
std::vector<double> heads(const Deck& deck) {
  const InversionMethod inversion = deck.NT > NTLIMIT ? InversionMethod::Contour : InversionMethod::Stehfest;
  try {
    return simulate(deck, SimulateOptions{inversion}).head;
  } catch (const std::invalid_argument&) {
    return {};
  }
}

}  // namespace

PictureDeck read_picture_deck(const std::filesystem::path& path) {
  Deck deck;
  try {
    deck = read_deck(path);
  } catch (const DeckError& e) {
    throw DeckFileError(e.what());
  }
  PictureDeck picture;
  picture.TITLE1 = without_trailing_blanks(deck.TITLE1);
  picture.TITLE2 = without_trailing_blanks(deck.TITLE2);
  picture.ISTRESS = deck.ISTRESS;
  picture.DELT = deck.DELT;
  picture.TINIT = deck.TINIT;
  picture.XSTREAM = deck.XSTREAM;
  picture.X = deck.X;
  picture.NT = deck.NT;
  picture.STAGE = lines_used(deck.STAGE, deck.NT);
  picture.RECH = lines_used(deck.RECH, deck.NT);
  picture.HINIT = deck.HINIT;
  picture.heads = heads(deck);
  return picture;
}

}  // namespace kesta::plot
