#pragma once
// Running the built kesta-plot as a user does, for the program's tests.
#include <string>

namespace kesta::plot::testing {

struct Outcome {
  int status;  // the exit status; -1 when the program ended by a signal
  std::string out;
  std::string err;
};

// Runs kesta-plot with the arguments (already quoted for the shell), in
// `folder` when one is given, with standard input empty. A run that has not
// ended after a minute is stopped: a hang fails its test instead of holding
// up the suite.
Outcome run_kesta_plot(const std::string& arguments, const std::string& folder = "");

}  // namespace kesta::plot::testing
