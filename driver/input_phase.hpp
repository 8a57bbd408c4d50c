#pragma once
// The input phase of a run: the report banner box, the whole deck read, then
// every value echoed and checked in the input summary.
#include "driver/file_channels.hpp"
#include "io/stop.hpp"
#include "kesta/deck.hpp"

namespace kesta {

Outcome input_phase(FileChannels& files, Deck& deck);

}  // namespace kesta
