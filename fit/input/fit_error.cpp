#include "fit/input/fit_error.hpp"

namespace kesta::fit {

namespace {

std::string located(const std::string& file, int line, const std::string& message) {
  if (line > 0) return file + ":" + std::to_string(line) + ": " + message;
  return file + ": " + message;
}

}  // namespace

FitInputError::FitInputError(const std::string& file, int line, const std::string& message)
    : std::runtime_error(located(file, line, message)), file_(file), line_(line) {}

}  // namespace kesta::fit
