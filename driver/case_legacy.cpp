#include "driver/case_legacy.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "driver/driver.hpp"
#include "driver/file_channels.hpp"

namespace kesta {
namespace {

namespace fs = std::filesystem;

constexpr int kConsoleUnit = 6;

// The working folder goes, with whatever is in it, however the run ends.
struct Folder {
  fs::path path;
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

std::optional<std::string> whole_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return text;
}

std::string whole_stream(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
  return text;
}

// The run's diagnostic as one line.
std::string one_line(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  for (char& c : text)
    if (c == '\n') c = ' ';
  return text;
}

}  // namespace

std::optional<LegacyTexts> legacy_texts(const std::string& deck_text, InversionMethod inversion, std::string& failure) {
  std::error_code error;
  std::string pattern = (fs::temp_directory_path(error) / "kesta-case-XXXXXX").string();
  if (error || ::mkdtemp(pattern.data()) == nullptr) {
    failure = "no working folder for the report: " + std::string(std::strerror(error ? error.value() : errno));
    return std::nullopt;
  }
  const Folder folder{pattern};
  const fs::path deck = folder.path / "case.dat", report = folder.path / "report.txt", plot = folder.path / "plot.txt";
  {
    std::ofstream out(deck, std::ios::binary);
    out << deck_text;
    if (!out.flush()) {
      failure = "the deck for the report cannot be written in " + folder.path.string();
      return std::nullopt;
    }
  }
  const int quiet = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> messages(std::tmpfile(), &std::fclose);
  if (quiet < 0 || !messages) {
    if (quiet >= 0) ::close(quiet);
    failure = "no console for the report's run: " + std::string(std::strerror(errno));
    return std::nullopt;
  }
  int status = 0;
  {
    Console console;
    console.in = nullptr;  // the names are given: nothing is asked
    console.out.attach(kConsoleUnit, quiet, "stdout");
    console.err = messages.get();
    console.named_files = std::array<std::string, 3>{deck.string(), report.string(), plot.string()};
    status = run_kesta(console, nullptr, inversion);
  }
  ::close(quiet);
  const std::string said = whole_stream(messages.get());
  if (status != 0) {
    failure = "the report's run ended with status " + std::to_string(status) + ": " + one_line(said);
    return std::nullopt;
  }
  LegacyTexts texts;
  const auto report_text = whole_file(report), plot_text = whole_file(plot);
  if (!report_text || !plot_text) {
    failure = "the report's run left no report in " + folder.path.string();
    return std::nullopt;
  }
  texts.report = *report_text;
  texts.plot = *plot_text;
  texts.warning = said;
  return texts;
}

}  // namespace kesta
