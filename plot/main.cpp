// kesta-plot: draws the plot file that kesta writes as one SVG picture.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "plot/plot_file.hpp"
#include "plot/plot_picture.hpp"

namespace {

constexpr std::string_view kUsage =
    "Usage: kesta-plot PLOTFILE [OUTPUT.svg]\n"
    "Draws the plot file written by kesta as one SVG picture with three panels\n"
    "over the time axis: head at the observation well, seepage and total seepage,\n"
    "bank storage and bank-storage volume. The picture goes to OUTPUT.svg, or to\n"
    "standard output when no output is named.\n";

constexpr int kUsageError = 2;
constexpr int kFailure = 1;

int fail(std::string_view message) {
  std::cerr << "kesta-plot: " << message << '\n';
  return kFailure;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    std::cout << kUsage;
    return 0;
  }
  if (argc < 2 || argc > 3) {
    std::cerr << "kesta-plot: expected a plot file and at most one output file; try kesta-plot --help\n";
    return kUsageError;
  }
  const std::string input = argv[1];

  kesta::plot::PlotSeries series;
  try {
    series = kesta::plot::read_plot_file(input);
  } catch (const kesta::plot::PlotFileError& e) {
    return fail(input + ": " + e.what());
  }

  // The whole picture is made first so that a failed write leaves no half file.
  std::ostringstream svg;
  kesta::plot::write_plot_svg(series, input, svg);

  if (argc == 2) {
    std::cout << svg.str() << std::flush;
    if (!std::cout) return fail("cannot write the picture to standard output");
    return 0;
  }
  const std::string output = argv[2];
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  if (!out) return fail(output + ": cannot create: " + std::strerror(errno));
  out << svg.str();
  out.close();
  if (!out) return fail(output + ": cannot write: " + std::strerror(errno));
  return 0;
}
