#pragma once
// The fit that kesta::fit runs, for kesta-fit, which also lists the unfinished
// files for an interruption to remove.
#include <filesystem>

#include "io/pending_files.hpp"
#include "kesta/fit.hpp"
#include "plot/units.hpp"

namespace kesta::fit_detail {

// kesta::fit; `pending`, when given, lists the files being written, and
// `units`, when given, label the picture in place of the fit file's.
FitSummary fit_and_write(const std::filesystem::path& fit_file, const FitOptions& options, PendingFiles* pending,
                         const plot::Units* units = nullptr);

}  // namespace kesta::fit_detail
