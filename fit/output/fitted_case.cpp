#include "fit/output/fitted_case.hpp"

#include <toml++/toml.h>

#include <filesystem>
#include <sstream>
#include <string_view>

#include "kesta/fit.hpp"

namespace kesta::fit_detail {

namespace {

namespace fs = std::filesystem;

// The case file's keys for the values a fit estimates.
struct CaseKey {
  std::string_view parameter, key;
};
constexpr CaseKey kAquiferKeys[] = {
    {"AK", "conductivity"},           {"AS", "specific_storage"},
    {"XAA", "streambank_leakance"},   {"XLL", "width"},
    {"AKT", "aquitard_conductivity"}, {"AST", "aquitard_specific_storage"},
    {"ABT", "aquitard_thickness"},    {"ASYT", "aquitard_specific_yield"},
};

fs::path absolute_folder(const fs::path& folder) {
  return (folder.empty() ? fs::current_path() : fs::absolute(folder)).lexically_normal();
}

// A name the case gave relative to its own folder, relative to `to` instead.
std::string moved(const std::string& name, const fs::path& from, const fs::path& to) {
  const fs::path p = name;
  if (p.is_absolute()) return name;
  return (absolute_folder(from) / p).lexically_normal().lexically_proximate(absolute_folder(to)).generic_string();
}

void move_file_key(toml::table* table, const fs::path& from, const fs::path& to) {
  if (!table) return;
  if (const auto name = (*table)["file"].value<std::string>()) table->insert_or_assign("file", moved(*name, from, to));
}

}  // namespace

std::string fitted_case(const FitCase& c, const Deck& fitted, const std::string& case_name,
                        const std::string& fitted_deck_name) {
  toml::table root;
  try {
    root = toml::parse_file(c.file.case_path.string());
  } catch (const toml::parse_error& e) {
    // Read before the fit; only a case changed meanwhile gets here.
    throw FitInputError(c.file.case_path.string(), static_cast<int>(e.source().begin.line),
                        "changed while the fit ran: " + std::string(e.description()));
  }
  const fs::path from = c.file.case_path.parent_path();
  const fs::path to = fs::path(case_name).parent_path();

  const bool from_deck = root.contains("deck");
  for (const CaseParameter& p : c.parameters) {
    const double value = fitted.*(p.info->field);
    if (p.info->name == "HINIT") root.insert_or_assign("hinit", value);
    if (from_deck) continue;
    for (const CaseKey& k : kAquiferKeys)
      if (k.parameter == p.info->name) root["aquifer"].as_table()->insert_or_assign(k.key, value);
  }
  // The fitted deck holds the estimates; its stress series goes unused, as the
  // starting deck's did.
  if (from_deck) root.insert_or_assign("deck", fs::path(fitted_deck_name).filename().generic_string());
  move_file_key(root["stage"].as_table(), from, to);
  move_file_key(root["recharge"].as_table(), from, to);

  if (!root.contains("run")) root.insert("run", toml::table{});
  toml::table& run = *root["run"].as_table();
  run.erase("write_deck");
  fs::path results = fs::path(case_name).filename();
  results.replace_extension();
  run.insert_or_assign("results", results.string() + "-results.csv");
  run.insert_or_assign("inversion", std::string(name_of(c.file.inversion)));
  if (c.file.inversion == InversionMethod::Stehfest) run.insert_or_assign("ns", fitted.NS);

  std::ostringstream out;
  out << "# The case " << c.file.case_name << " with the values kesta-fit estimated from " << c.file.shown_name
      << ".\n# Run it with kesta --case; its comments are not kept.\n"
      << toml::toml_formatter(root) << "\n";
  return out.str();
}

}  // namespace kesta::fit_detail
