#pragma once
// The head of the results report: the banner box and the summary of input data,
// every value echoed with its meaning and unit and checked right after its echo.
#include "driver/model_state.hpp"
#include "report/output_unit.hpp"
#include "report/stop.hpp"

namespace kesta {

void write_banner_box(OutputUnit& report);

// Echoes and checks the deck. The first check that fails writes its message and
// stops the run.
Outcome write_input_summary(const ModelState& state, int IPRINT, OutputUnit& report);

}  // namespace kesta
