#include "driver/file_dialogue.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include "io/output_target.hpp"

namespace kesta {
namespace {

// The whole answer as typed; a name longer than the system accepts is refused
// when the file is opened, never cut to another file's name.
Outcome read_name(Console& console, std::string& name) {
  switch (read_line(console.in, name, kLongestName)) {
    case ReadStatus::Ok: return std::nullopt;
    case ReadStatus::EndOfFile: return severe(IoError::EndOfFile, kConsoleInputUnit, kConsoleInputFile);
    case ReadStatus::Error: return severe(IoError::ReadError, kConsoleInputUnit, kConsoleInputFile);
    case ReadStatus::TooLong: return severe(IoError::FileNameError, kConsoleInputUnit, name.substr(0, 80) + "...");
  }
  return std::nullopt;
}

// Asks until the answer is not blank.
Outcome ask(Console& console, std::string_view prompt, std::string& name) {
  do {
    console.out.write({X(3), Lit(prompt)});
    if (auto stop = read_name(console, name)) return stop;
  } while (trimmed_name(name).empty());
  return std::nullopt;
}

// Refuses to open a file for writing that is one already open in this run, before
// anything of it is cut off.
Outcome refuse_same_file(std::string_view name, int unit, bool same, std::string_view why) {
  if (!same) return std::nullopt;
  return severe(IoError::OpenFailure, unit, name, why);
}

bool names_file(std::string_view name, dev_t dev, ino_t ino) {
  struct stat info {};
  const std::string path(name);
  if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &info) != 0) return false;
  return info.st_dev == dev && info.st_ino == ino;
}

// Writing to the program's own standard input would read back what it writes,
// or wait forever for itself.
bool names_standard_input(std::string_view name) {
  struct stat info {};
  if (::fstat(STDIN_FILENO, &info) != 0) return false;
  return names_file(name, info.st_dev, info.st_ino);
}

// Refuses an output that is the input deck or, when the dialogue reads the
// names from it, the program's standard input. Names given as arguments never
// read standard input, so a run under cron with it on /dev/null may write there.
Outcome refuse_inputs(std::string_view name, int unit, const InputUnit& deck, std::string_view what, bool asking) {
  if (auto stop = refuse_same_file(name, unit, names_file(name, deck.dev(), deck.ino()),
                                   std::string(what) + " is the input deck"))
    return stop;
  return refuse_same_file(name, unit, asking && names_standard_input(name),
                          std::string(what) + " is the program's standard input");
}

// Whether a name stands for the output another unit writes: the same file, or
// the same name in the same folder once links are followed.
bool same_output(std::string_view name, const OutputUnit& other) {
  if (names_file(name, other.dev(), other.ino())) return true;
  OutputTarget target;
  const std::string path(name);
  if (path.find('\0') != std::string::npos || resolve_output(path, target) != 0) return false;
  return !other.place().empty() && target.place == other.place();
}

}  // namespace

std::string_view trimmed_name(std::string_view name) {
  const auto last = name.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : name.substr(0, last + 1);
}

Outcome file_dialogue(FileChannels& files, Console& console) {
  const bool asking = !console.named_files;
  if (asking)
    console.out.write({X(10), Lit("   KESTA version 1.0, November 24, 2009"), Slash, X(3),
                       Lit("Computer Program for Analysis of Hydraulic Interaction"), Slash, X(7),
                       Lit(" Between a Stream and Confined or Leaky Aquifer"), Slash});

  std::string INFILE, OUTFILE, PLTFILE;
  if (!asking) {
    INFILE = (*console.named_files)[0];
    OUTFILE = (*console.named_files)[1];
    PLTFILE = (*console.named_files)[2];
  }
  if (asking)
    if (auto stop = ask(console, "Enter name of file containing input data:", INFILE)) return stop;
  if (auto stop = files.deck.open(IUIN, trimmed_name(INFILE))) return stop;

  if (asking)
    if (auto stop = ask(console, "Enter name of file for program results:", OUTFILE)) return stop;
  const std::string_view out_name = trimmed_name(OUTFILE);
  if (auto stop = refuse_inputs(out_name, IUOUT, files.deck, "the results file", asking)) return stop;
  if (auto stop = files.report.open(IUOUT, out_name, files.pending)) return stop;

  if (asking) {
    console.out.write({X(3), Lit("Enter name of plot file (return for no plot file):")});
    if (auto stop = read_name(console, PLTFILE)) return stop;
  }
  const std::string_view plot_name = trimmed_name(PLTFILE);
  if (plot_name.empty()) {
    if (asking)
      console.out.write(
          {Slash, X(3), Lit("No plot file specified. Results will not be written"), Lit(" to a plot file.")});
  } else {
    if (auto stop = refuse_inputs(plot_name, IUPLOT, files.deck, "the plot file", asking)) return stop;
    if (auto stop = refuse_same_file(plot_name, IUPLOT, same_output(plot_name, files.report),
                                     "the plot file is the results file"))
      return stop;
    if (auto stop = files.plot.open(IUPLOT, plot_name, files.pending)) return stop;
  }
  if (asking) console.out.write({Slash, X(3), Lit("File names have been read.")});
  return std::nullopt;
}

}  // namespace kesta
