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
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "driver/driver.hpp"
#include "driver/file_channels.hpp"

namespace kesta {
namespace {

namespace fs = std::filesystem;

constexpr int kConsoleUnit = 6;

// The working folder goes, with whatever is in it, however the run ends; an
// interruption removes it and the files listed in it.
class Folder {
 public:
  explicit Folder(PendingFiles* pending) : pending_(pending) {}
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  ~Folder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
    if (!pending_) return;
    const auto lock = pending_->lock();
    for (const std::string& p : listed_) pending_->drop(p);
  }

  // Made and listed under the lock, so that an interruption never misses it.
  bool make(std::string pattern) {
    std::optional<std::unique_lock<std::mutex>> lock;
    if (pending_) lock = pending_->lock();
    if (::mkdtemp(pattern.data()) == nullptr) return false;
    path_ = pattern;
    list(path_);
    return true;
  }
  // A file the run will write in the folder (the lock is held when pending).
  fs::path file(const std::string& name) {
    fs::path p = path_ / name;
    std::optional<std::unique_lock<std::mutex>> lock;
    if (pending_) lock = pending_->lock();
    list(p);
    return p;
  }
  const fs::path& path() const { return path_; }

 private:
  void list(const fs::path& p) {
    listed_.push_back(p.string());
    if (pending_) pending_->add(p.string());
  }

  PendingFiles* pending_;
  fs::path path_;
  std::vector<std::string> listed_;
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

std::optional<LegacyTexts> legacy_texts(const std::string& deck_text, InversionMethod inversion, std::string& failure,
                                        PendingFiles* pending) {
  std::error_code error;
  const std::string pattern = (fs::temp_directory_path(error) / "kesta-case-XXXXXX").string();
  Folder folder(pending);
  if (error || !folder.make(pattern)) {
    failure = "no working folder for the report: " + std::string(std::strerror(error ? error.value() : errno));
    return std::nullopt;
  }
  const fs::path deck = folder.file("case.dat"), report = folder.file("report.txt"), plot = folder.file("plot.txt");
  {
    std::ofstream out(deck, std::ios::binary);
    out << deck_text;
    if (!out.flush()) {
      failure = "the deck for the report cannot be written in " + folder.path().string();
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
    // Its own unfinished files are listed too: they lie in the folder.
    status = run_kesta(console, pending, inversion);
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
    failure = "the report's run left no report in " + folder.path().string();
    return std::nullopt;
  }
  texts.report = *report_text;
  texts.plot = *plot_text;
  texts.warning = said;
  return texts;
}

}  // namespace kesta
