#pragma once
// Runs the built kesta as a user would: in a folder of its own, the answers to
// the prompts on standard input.
#include <string>
#include <vector>

namespace kesta::testing {

struct RunResult {
  int status = -1;
  std::string out;  // console output
  std::string err;  // run-time diagnostics
};

// A fresh empty folder, removed with everything in it at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

RunResult run_kesta(const TempFolder& folder, const std::string& answers);
// The same with arguments on the command line (each quoted for the shell).
RunResult run_kesta_with(const TempFolder& folder, const std::vector<std::string>& arguments,
                         const std::string& answers = "");

// Whether every line of a run's standard error is a warning line, the only
// thing a complete run may write there ("" is such a text).
bool only_warnings(const std::string& err);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);
// A file of the source tree, such as an example deck.
std::string source_path(const std::string& relative);

}  // namespace kesta::testing
