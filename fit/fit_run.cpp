#include "fit/fit_run.hpp"

#include "fit/fitting.hpp"
#include "fit/output/json_report.hpp"
#include "fit/output/text_report.hpp"

namespace kesta::fit_detail {

namespace {

// The report on the stream given, and whether all of it got there.
bool write_report(const FitSummary& summary, bool json, std::ostream& out) {
  if (json)
    write_json_report(summary, out);
  else
    write_text_report(summary, out);
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace

int run_fit(const RunOptions& options, std::ostream& out, std::ostream& err) {
  FitSummary summary;
  try {
    summary = fit_and_write(
        options.fit_file,
        {options.output_folder, options.quiet ? nullptr : &err, std::nullopt, options.ensemble, options.predict},
        options.pending, options.units ? &*options.units : nullptr);
  } catch (const FitInputError& e) {
    err << "kesta-fit: " << e.what() << '\n';
    return kBadInput;
  } catch (const FitComputationError& e) {
    err << "kesta-fit: " << e.what() << '\n';
    return kFitFailed;
  } catch (const FitWriteError& e) {
    // The report is printed even when the files cannot be written: the fit's
    // result is not thrown away for want of a writable folder.
    const bool reported = write_report(e.summary(), options.json, out);
    err << "kesta-fit: " << e.what() << '\n';
    if (!reported) err << "kesta-fit: the report could not be written to the standard output\n";
    return kWriteFailed;
  }
  if (!write_report(summary, options.json, out)) {
    err << "kesta-fit: the report could not be written to the standard output\n";
    return kWriteFailed;
  }
  // A prediction asked for and refused is a failure of this run, whatever the fit's checks say.
  if (summary.prediction && !summary.prediction->bands.not_computed.empty()) {
    err << "kesta-fit: no prediction on " << summary.prediction->record << ": "
        << summary.prediction->bands.not_computed << "; nothing predicted written\n";
    return kNotConverged;
  }
  return trusted(summary) ? kConverged : kNotConverged;
}

}  // namespace kesta::fit_detail
