#pragma once
// The report and plot file of old for the deck a case became: the deck is run
// by the same driver as `kesta DECK REPORT PLOT`, in a working folder of its
// own, so the texts are those that command writes, byte for byte.
#include <optional>
#include <string>

#include "io/pending_files.hpp"
#include "kesta/simulate_options.hpp"

namespace kesta {

struct LegacyTexts {
  std::string report, plot;
  std::string warning;  // the run's warning on standard error, if it gave one
};

// Runs the deck text by `inversion`. Nothing, with the reason in `failure`,
// when the run does not end with a complete report. The working folder and
// its files are listed in `pending` while they exist, so that an interrupted
// run takes them with it.
std::optional<LegacyTexts> legacy_texts(const std::string& deck_text, InversionMethod inversion, std::string& failure,
                                        PendingFiles* pending);

}  // namespace kesta
