#pragma once
// An input error of kesta-fit: what is wrong and where, as one line.
#include <stdexcept>
#include <string>

namespace kesta::fit_detail {

class FitInputError : public std::runtime_error {
 public:
  // line 0 means the file as a whole (a file that cannot be read, a missing key).
  FitInputError(const std::string& file, int line, const std::string& message);

  // For a message that already names its file and line, as the deck reader's do.
  static FitInputError located(const std::string& file, int line, const std::string& message);

  const std::string& file() const { return file_; }
  int line() const { return line_; }

 private:
  struct AsWritten {};
  FitInputError(AsWritten, const std::string& file, int line, const std::string& message);

  std::string file_;
  int line_;
};

}  // namespace kesta::fit_detail
