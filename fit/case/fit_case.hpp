#pragma once
// A fit ready to run: the starting deck, the observation sets read and checked
// against it, and the free parameters with their starting values and bounds.
#include <optional>
#include <string>
#include <vector>

#include "fit/estimation/batch_model.hpp"
#include "fit/input/fit_file.hpp"
#include "fit/input/observation_csv.hpp"
#include "fit/input/parameters.hpp"
#include "kesta/case.hpp"
#include "kesta/kesta.hpp"

namespace kesta::fit_detail {

struct ObservationSet {
  std::string name;  // the file as written in the fit file
  Kind kind = Kind::Head;
  double distance = 0.0;  // X of the well (for seepage the deck's X, unused)
  std::vector<CsvObservation> rows;
};

// A deck value the fit estimates: where it sits in the deck, and its
// starting value and bounds as the solver takes them.
struct CaseParameter {
  const ParameterInfo* info = nullptr;
  FreeParameter free;
};

struct FitCase {
  FitFile file;
  Deck deck;  // as read, NS as the fit file chooses: the starting values and the stress series
  // With ns = "auto": the order chosen for the starting deck, and how many
  // printed values still err at it.
  NsAdvice ns_advice;
  std::vector<ObservationSet> sets;
  std::vector<CaseParameter> parameters;  // in table order
  Observed observed;                      // every set's rows, set after set
  // The case the fit file names instead of a deck: its deck is `deck` above,
  // its calendar dates the records and the residuals, and it is written again
  // with the estimates. Nothing for a fit from a deck.
  std::optional<PreparedCase> prepared;

  // The calendar of the fit's model time, when it has dates.
  const CaseCalendar* calendar() const {
    return prepared && prepared->calendar.dated() ? &prepared->calendar : nullptr;
  }

  std::size_t observation_count() const { return observed.value.size(); }
  std::vector<FreeParameter> free_parameters() const;
};

// Reads the deck (or the case) and the observation files that the fit file
// names and checks everything against the deck. Throws FitInputError naming
// the file and line.
FitCase load_fit_case(FitFile file);

// The fit case from a deck and observation sets already read and checked:
// checks the parameters against the deck and gathers the observations.
FitCase assemble_fit_case(FitFile file, Deck deck, std::vector<ObservationSet> sets);

}  // namespace kesta::fit_detail
