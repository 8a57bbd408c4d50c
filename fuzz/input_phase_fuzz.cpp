// The whole input phase, in-process, on arbitrary deck text.
//
// The deck and the report live in anonymous in-memory files, opened by their
// /proc names exactly as the dialogue opens named files. Every run must end in
// one of the defined ways:
//  - the deck was read and passed every check: the report ends with the summary
//    of stress data, and the model state holds what the model relies on;
//  - a check or the line error report stopped it: exit status 1, no console text,
//    and the report ends with the message;
//  - the deck or a line ran out: the end-of-file diagnostic (24) naming the deck
//    or the internal list read, and a report holding the banner box alone.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "driver/file_channels.hpp"
#include "driver/input_phase.hpp"
#include "fuzz/memory_file.hpp"
#include "kesta/kesta.hpp"
#include "model/dimensionless.hpp"
#include "model/finite_checks.hpp"
#include "model/inversion.hpp"

namespace {

using kesta::fuzzing::banner_box;
using kesta::fuzzing::MemoryFile;

bool ends_with(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The last record of the report, without its line end.
std::string_view last_record(std::string_view report) {
  if (!ends_with(report, "\r\n")) std::abort();  // every record is complete
  report.remove_suffix(2);
  const auto start = report.rfind("\r\n");
  return start == std::string_view::npos ? report : report.substr(start + 2);
}

// What the model may rely on once the input phase has returned: codes in range,
// the values it divides by positive, and series and weights that hold NT and NS.
bool fit_for_the_model(const kesta::Deck& s) {
  const bool codes = s.ISTRESS >= 0 && s.ISTRESS <= 2 && (s.ISTRESS == 0 || s.IAQ == 3) && s.IXL >= 0 && s.IXL <= 1 &&
                     s.IAQ >= 0 && s.IAQ <= 3 && s.IXA >= 0 && s.IXA <= 1;
  const bool stream = s.XZERO > 0 && s.XSTREAM > 0 && (s.IXL == 0 || s.XLL > 0) && (s.IXA == 0 || s.XAA > 0);
  const bool aquifer = s.AK > 0 && s.AS > 0 && s.AB > 0;
  const bool aquitard = (s.IAQ == 0 || (s.AKT > 0 && s.AST > 0 && s.ABT > 0)) && (s.IAQ != 3 || s.ASYT > 0);
  const bool sizes = s.NS >= 2 && s.NS <= kesta::NSMAX && s.NT <= kesta::NTLIMIT &&
                     static_cast<long long>(s.TIME.size()) >= s.NT && static_cast<long long>(s.STAGE.size()) >= s.NT &&
                     static_cast<long long>(s.RECH.size()) >= s.NT;
  return codes && stream && aquifer && aquitard && sizes;
}

// The library's checks agree with the report: for a deck the input phase let
// through, none, or the overflowing parameter the program stops on next; the
// report's message for one it rejected by a check.
void check_library_agrees(const kesta::Outcome& stop, const kesta::Deck& deck, std::string_view report) {
  const std::optional<std::string> problem = kesta::first_problem(deck);
  if (!stop) {
    const auto overflow =
        kesta::first_non_finite_parameter(deck, kesta::derive(deck), kesta::prepare_inversion(deck.NS));
    if (problem != (overflow ? std::optional(overflow->message()) : std::nullopt)) std::abort();
    return;
  }
  if (stop->status != 1 || ends_with(report, " Check for incorrect positions or data types...\r\n")) return;
  // A deck the contour inversion would take has that said after the report's message.
  const bool said = problem && problem->starts_with(stop->message);
  if (!said || (problem->size() == stop->message.size()) != stop->remedy.empty()) std::abort();
}

void check_outcome(const kesta::Outcome& stop, const kesta::Deck& state, const std::string& report,
                   const std::string& deck_name) {
  check_library_agrees(stop, state, report);
  if (!stop) {
    if (!fit_for_the_model(state)) std::abort();
    const auto summary = report.find("                    SUMMARY OF STRESS DATA\r\n");
    if (summary == std::string::npos) std::abort();
    const std::string_view last = last_record(report);
    if (last != "   STRESS DATA NOT PRINTED " && last != "          ----        -----         ----" &&
        last.substr(0, 7) != "       ")
      std::abort();
    return;
  }
  if (stop->status == 1) {
    if (!stop->diagnostic.empty() || stop->message.empty()) std::abort();
    const std::string_view last = last_record(report);
    if (last != " Check for incorrect positions or data types..." &&
        last.find("PROGRAM STOPPED") == std::string_view::npos)
      std::abort();
    return;
  }
  if (stop->status != 24) std::abort();
  const std::string deck_end = "kesta: severe (24): end-of-file during read, unit 15, file " + deck_name + "\n";
  const std::string list_end =
      "kesta: severe (24): end-of-file during read, unit -5, file Internal List-Directed Read\n";
  // The fixed first line, then one line that names the deck line.
  const std::string& d = stop->diagnostic;
  if (d.rfind(deck_end, 0) != 0 && d.rfind(list_end, 0) != 0) std::abort();
  if (std::count(d.begin(), d.end(), '\n') != 2) std::abort();
  if (report != banner_box()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const MemoryFile deck_file, report_file;
  deck_file.write_all(data, size);

  kesta::Deck deck;
  kesta::FileChannels files;
  if (files.deck.open(15, deck_file.name())) std::abort();
  if (files.report.open(16, report_file.name())) std::abort();

  const kesta::Outcome stop = kesta::input_phase(files, deck);
  files.deck.close();
  if (files.report.close()) std::abort();  // a write to memory never fails
  check_outcome(stop, deck, report_file.contents(), deck_file.name());
  // Reading never changes the deck.
  if (deck_file.contents() != std::string_view(reinterpret_cast<const char*>(data), size)) std::abort();
  return 0;
}
