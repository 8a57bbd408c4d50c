#pragma once
// A case's run as the library hands it out: its deck, options and calendar.
#include "case/case_run.hpp"
#include "kesta/case.hpp"

namespace kesta {

PreparedCase prepared_of(CaseRun run);

}  // namespace kesta
