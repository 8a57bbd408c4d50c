#include "fit/output/output_files.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "fit/output/fit_picture.hpp"

namespace kesta::fit {

namespace {

// A set name quoted when it holds what would split or break a CSV line.
std::string csv_field(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

void write_whole(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out << text;
  if (out) out.close();
  if (!out) throw std::runtime_error(path.string() + ": cannot be written: " + std::strerror(errno));
}

}  // namespace

std::string residuals_csv(const FitCase& c, const LeastSquaresFit& fit) {
  std::string out = "set,time,observed,simulated,residual\n";
  std::size_t k = 0;
  for (const ObservationSet& set : c.sets) {
    const std::string name = csv_field(set.name);
    for (const CsvObservation& row : set.rows) {
      out += name + "," + number(row.time) + "," + number(row.value) + "," + number(fit.simulated[k]) + "," +
             number(fit.residual[k]) + "\n";
      ++k;
    }
  }
  return out;
}

std::string fit_picture(const FitCase& c, const DeckModel& model, const LeastSquaresFit& fit) {
  const std::vector<Curve> curves = model.curves(fit.estimate);
  std::vector<PicturePanel> panels;
  for (std::size_t s = 0; s < c.sets.size(); ++s) {
    const ObservationSet& set = c.sets[s];
    PicturePanel p{set.name, set.kind, std::nullopt, {}, {}, curves[s]};
    if (set.kind == Kind::Head) p.distance = set.distance;
    for (const CsvObservation& row : set.rows) {
      p.observed_time.push_back(row.time);
      p.observed_value.push_back(row.value);
    }
    panels.push_back(std::move(p));
  }
  std::ostringstream svg;
  write_fit_svg(panels, "KESTA fit " + c.file.shown_name, svg);
  return svg.str();
}

void write_output_files(const OutputNames& names, const std::string& fitted_deck, const std::string& residuals,
                        const std::string& picture) {
  const std::pair<std::string, const std::string*> files[] = {
      {names.fitted_deck, &fitted_deck}, {names.residuals, &residuals}, {names.picture, &picture}};
  std::vector<std::filesystem::path> written;
  const auto discard = [&written] {
    std::error_code ec;
    for (const auto& p : written) std::filesystem::remove(p, ec);
  };
  try {
    for (const auto& [name, text] : files) {
      const std::filesystem::path temporary = name + ".part";
      written.push_back(temporary);
      write_whole(temporary, *text);
    }
    for (std::size_t i = 0; i < written.size(); ++i) {
      std::error_code ec;
      std::filesystem::rename(written[i], files[i].first, ec);
      if (ec) throw std::runtime_error(files[i].first + ": cannot be written: " + ec.message());
    }
  } catch (...) {
    discard();
    throw;
  }
}

}  // namespace kesta::fit
