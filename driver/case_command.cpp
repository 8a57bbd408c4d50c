#include "driver/case_command.hpp"

#include <cstring>
#include <exception>
#include <filesystem>
#include <string_view>
#include <vector>

#include "case/case_error.hpp"
#include "case/case_file.hpp"
#include "case/case_run.hpp"
#include "case/results_csv.hpp"
#include "driver/case_legacy.hpp"
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

struct Output {
  std::string name;
  const char* what;  // "results", "deck", "report", "plot file"
};

// An output that is one of the run's inputs would destroy it; two outputs in
// one file would leave only one of them.
std::optional<std::string> output_clash(const std::vector<Output>& outputs, const CaseRun& run) {
  for (const Output& output : outputs)
    for (const auto& input : run.inputs)
      if (same_output_file(output.name, input.string()))
        return output.name + ": is " + input.string() + ", an input of the case";
  for (std::size_t j = 1; j < outputs.size(); ++j)
    for (std::size_t i = 0; i < j; ++i)
      if (same_output_file(outputs[i].name, outputs[j].name))
        return outputs[j].name + ": the " + outputs[j].what + " would be written over the " + outputs[i].what;
  return std::nullopt;
}

// The command line's name, else the case's.
std::string chosen(const std::string& given, const std::filesystem::path& in_case) {
  return given.empty() ? in_case.string() : given;
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
  std::vector<Output> names{{run.results.string(), "results"}};
  for (const Output& o :
       {Output{chosen(command.write_deck, run.write_deck), "deck"},
        Output{chosen(command.report, run.report), "report"}, Output{chosen(command.plot, run.plot), "plot file"}})
    if (!o.name.empty()) names.push_back(o);
  if (auto clash = output_clash(names, run)) return refuse(err, *clash);

  const std::string csv = results_csv(run, results);
  std::vector<OutputText> outputs;
  std::string deck_text;
  std::optional<LegacyTexts> legacy;
  for (const Output& o : names) {
    const std::string_view what = o.what;
    if (what == "results") {
      outputs.push_back({o.name, csv});
      continue;
    }
    if (deck_text.empty()) deck_text = write_deck(run.deck);
    if (what == "deck") {
      outputs.push_back({o.name, deck_text});
      continue;
    }
    if (!legacy) {
      std::string failure;
      legacy = legacy_texts(deck_text, run.inversion, failure, pending);
      if (!legacy) return refuse(err, command.case_file + ": no report: " + failure);
    }
    outputs.push_back({o.name, what == "report" ? std::string_view(legacy->report) : std::string_view(legacy->plot)});
  }
  if (const auto failure = replace_files(outputs, pending)) {
    (void)std::fprintf(err, "kesta: %s: cannot be written: %s\n", failure->name.c_str(), std::strerror(failure->error));
    return kWriteFailed;
  }
  for (const std::string& line : run.summary) (void)std::fprintf(out, "%s\n", line.c_str());
  std::string written = "results written to " + names[0].name;
  for (std::size_t i = 1; i < names.size(); ++i)
    written += std::string(", the ") + names[i].what + " to " + names[i].name;
  (void)std::fprintf(out, "%s\n", written.c_str());
  // The legacy run's own warning, should its inversion miss a printed digit.
  if (legacy && !legacy->warning.empty()) (void)std::fputs(legacy->warning.c_str(), err);
  return 0;
}

}  // namespace kesta
