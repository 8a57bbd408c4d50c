#pragma once
// A case made into the deck the model runs: the aquifer and the well from the
// case (or its deck), the stage and recharge series made from the records by
// the step rule, and what the run says about them.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "case/case_file.hpp"
#include "case/clock.hpp"

namespace kesta {

struct CaseRun {
  Deck deck;
  InversionMethod inversion = InversionMethod::Contour;
  // The instant of model time 0: the start of a dated run, or the origin the
  // case gives records whose times are numbers; nothing without either.
  std::optional<Instant> origin;
  const date::time_zone* zone = nullptr;  // of the dates written
  double seconds_per_time_unit = 86400.0;
  std::string length_unit, time_unit;
  std::vector<std::string> summary;  // the run's account of its records, one line each
  std::filesystem::path results, write_deck, report, plot;
  std::vector<std::filesystem::path> inputs;  // the case file, its deck and records
};

// Where the aquifer's deck and the records come from: the files the case
// names, unless a case held in memory supplies them. `which` is "stage" or
// "recharge".
struct CaseInputs {
  std::function<Deck()> deck;
  std::function<Record(const RecordEntry& entry, const std::string& which)> record;
};

// Reads the case's deck and records and makes its deck. Throws CaseError
// naming the file and line at fault.
CaseRun make_case_run(const CaseFile& file, const CaseInputs& inputs = {});

}  // namespace kesta
