#include <cstdio>
#include <exception>
#include <string>

#include <kesta/fit.hpp>

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: fit_estimates FIT.toml [OUTPUT_DIR]\n");
    return 2;
  }
  try {
    kesta::FitOptions options;
    if (argc == 3) options.output_folder = argv[2];
    const kesta::FitSummary summary = kesta::fit(argv[1], options);
    for (const kesta::Estimate& e : summary.estimates) {
      std::printf("%s = %.6g", e.name.c_str(), e.value);
      if (e.ci95) std::printf(" (95 %% interval %.6g to %.6g)", e.ci95->first, e.ci95->second);
      std::printf("\n");
    }
    for (const kesta::FitWarning& w : summary.warnings)
      if (w.kind == kesta::FitWarning::Kind::Autocorrelated)
        for (const std::string& record : w.subjects) std::printf("autocorrelated residuals: %s\n", record.c_str());
    std::printf("%s\n", kesta::trusted(summary) ? "trusted" : "not to be trusted as it stands");
  } catch (const kesta::FitInputError& e) {
    std::fprintf(stderr, "fit_estimates: %s\n", e.what());
    return 1;
  } catch (const std::exception& e) {  // FitComputationError, FitWriteError
    std::fprintf(stderr, "fit_estimates: %s\n", e.what());
    return 1;
  }
  return 0;
}
