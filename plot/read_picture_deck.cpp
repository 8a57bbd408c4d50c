#include "plot/picture_deck.hpp"

namespace kesta::plot {

PictureDeck read_picture_deck(const std::filesystem::path&) {
  throw DeckFileError("reading a deck needs the KESTA library (include/kesta/kesta.hpp), not on this branch yet");
}

}  // namespace kesta::plot
