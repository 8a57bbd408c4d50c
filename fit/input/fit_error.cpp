#include "kesta/fit.hpp"

namespace kesta {

namespace {

std::string with_place(const std::string& file, int line, const std::string& message) {
  if (line > 0) return file + ":" + std::to_string(line) + ": " + message;
  return file + ": " + message;
}

}  // namespace

FitInputError::FitInputError(const std::string& file, int line, const std::string& message)
    : std::runtime_error(with_place(file, line, message)), file_(file), line_(line) {}

FitInputError::FitInputError(AsWritten, const std::string& file, int line, const std::string& message)
    : std::runtime_error(message), file_(file), line_(line) {}

FitInputError FitInputError::located(const std::string& file, int line, const std::string& message) {
  return FitInputError(AsWritten{}, file, line, message);
}

}  // namespace kesta
