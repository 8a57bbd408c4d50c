#include "driver/case_command.hpp"

#include <cstring>
#include <exception>
#include <vector>

#include "case/case_error.hpp"
#include "case/case_file.hpp"
#include "case/case_run.hpp"
#include "case/results_csv.hpp"
#include "io/replaced_files.hpp"
#include "kesta/kesta.hpp"

namespace kesta {
namespace {

constexpr int kBadInput = 2;
constexpr int kWriteFailed = 38;

int refuse(std::FILE* err, const std::string& line) {
  // A console that is gone cannot be told; the status still says it.
  (void)std::fprintf(err, "kesta: %s\n", line.c_str());
  return kBadInput;
}

// An output that is one of the run's inputs would destroy it.
std::optional<std::string> output_over_input(const std::vector<std::string>& outputs, const CaseRun& run) {
  for (const std::string& output : outputs)
    for (const auto& input : run.inputs)
      if (same_output_file(output, input.string())) return output + ": is " + input.string() + ", an input of the case";
  if (outputs.size() == 2 && same_output_file(outputs[0], outputs[1]))
    return outputs[1] + ": the deck would be written over the results";
  return std::nullopt;
}

}  // namespace

int run_case(const CaseCommand& command, PendingFiles* pending, std::FILE* out, std::FILE* err) {
  CaseRun run;
  try {
    run = make_case_run(read_case_file(command.case_file));
  } catch (const CaseError& e) {
    return refuse(err, e.what());
  } catch (const std::exception& e) {
    // Not the input's fault (memory, the zone database itself), but still one line.
    return refuse(err, command.case_file + ": cannot be run: " + e.what());
  }
  if (command.inversion) run.inversion = *command.inversion;
  Results results;
  try {
    results = simulate(run.deck, SimulateOptions{run.inversion});
  } catch (const std::invalid_argument& e) {
    // The deck's own checks, in the report's words, made one line.
    std::string reason = e.what();
    for (char& c : reason)
      if (c == '\n') c = ' ';
    return refuse(err, command.case_file + ": the case makes a deck the model refuses: " + reason);
  } catch (const std::exception& e) {
    return refuse(err, command.case_file + ": cannot be run: " + e.what());
  }
  std::vector<std::string> names{run.results.string()};
  const std::string deck_name = command.write_deck.empty() ? run.write_deck.string() : command.write_deck;
  if (!deck_name.empty()) names.push_back(deck_name);
  if (auto clash = output_over_input(names, run)) return refuse(err, *clash);

  const std::string csv = results_csv(run, results);
  const std::string deck_text = deck_name.empty() ? std::string() : write_deck(run.deck);
  std::vector<OutputText> outputs{{names[0], csv}};
  if (!deck_name.empty()) outputs.push_back({deck_name, deck_text});
  if (const auto failure = replace_files(outputs, pending)) {
    (void)std::fprintf(err, "kesta: %s: cannot be written: %s\n", failure->name.c_str(), std::strerror(failure->error));
    return kWriteFailed;
  }
  for (const std::string& line : run.summary) (void)std::fprintf(out, "%s\n", line.c_str());
  const std::string written =
      "results written to " + names[0] + (deck_name.empty() ? "" : ", the deck to " + deck_name);
  (void)std::fprintf(out, "%s\n", written.c_str());
  return 0;
}

}  // namespace kesta
