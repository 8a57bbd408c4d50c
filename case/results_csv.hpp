#pragma once
// The results of a case as CSV: the run's account as comment lines, then a
// header naming every column with its unit, then one row per time step with
// the model time, its date (when the case has a calendar) and the results, each
// number written in the shortest form that reads back to the same double.
#include <string>

#include "case/case_run.hpp"
#include "kesta/results.hpp"

namespace kesta {

std::string results_csv(const CaseRun& run, const Results& results);

}  // namespace kesta
