#pragma once
// The input phase of a run: the report banner box, the whole deck read, then
// every value echoed and checked in the input summary, which names the
// inversion when it is the contour's.
#include "driver/file_channels.hpp"
#include "io/stop.hpp"
#include "kesta/deck.hpp"
#include "kesta/simulate_options.hpp"

namespace kesta {

Outcome input_phase(FileChannels& files, Deck& deck, InversionMethod inversion = InversionMethod::Stehfest);

}  // namespace kesta
