#include "run_kesta.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace kesta::testing {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kesta-run-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

bool only_warnings(const std::string& err) {
  for (std::size_t at = 0; at < err.size(); at = err.find('\n', at) + 1)
    if (err.compare(at, 16, "kesta: warning: ") != 0 || err.find('\n', at) == std::string::npos) return false;
  return true;
}

bool file_exists(const std::string& path) { return std::filesystem::exists(path); }

std::string source_path(const std::string& relative) { return std::string(KESTA_SOURCE_DIR) + "/" + relative; }

RunResult run_kesta(const TempFolder& folder, const std::string& answers) {
  return run_kesta_with(folder, {}, answers);
}

RunResult run_kesta_with(const TempFolder& folder, const std::vector<std::string>& arguments,
                         const std::string& answers) {
  const std::string in = folder / ".answers", out = folder / ".console", err = folder / ".diagnostics";
  write_file(in, answers);
  std::string args;
  for (const std::string& a : arguments) args += " '" + a + "'";
  const std::string command = "cd '" + folder.path() + "' && '" KESTA_BINARY "'" + args + " < '" + in + "' > '" +
                              out + "' 2> '" + err + "'";
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = read_file(out);
  result.err = read_file(err);
  std::filesystem::remove(in);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return result;
}

}  // namespace kesta::testing
