// What kesta-plot refuses, run as a user runs it: a plot file it cannot read,
// an output that is an input, the picture and the table in one file. Each is
// one line on standard error and exit status 1, and leaves every file as it was.
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plot/tests/plot_file_text.hpp"
#include "plot/tests/run_kesta_plot.hpp"

namespace kesta::plot {
namespace {

namespace fs = std::filesystem;
using testing::file_text;
using testing::Outcome;
using testing::run_kesta_plot;

const std::string kExampleDeck = KESTA_SOURCE_DIR "/examples/flood-wave-confined.dat";
const std::string kExamplePlot = KESTA_SOURCE_DIR "/tests/golden/flood-wave-confined.plot.txt";

// A folder of its own for one case, removed with everything in it.
class TempFolder {
 public:
  explicit TempFolder(const std::string& name)
      : path_(fs::temp_directory_path() / ("kesta_plot_" + std::to_string(::getpid()) + "_" + name)) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& path() const { return path_; }
  void write(const std::string& name, const std::string& text) const {
    const testing::TempFile made("made", text);
    fs::copy_file(made.path(), path_ / name);
  }

 private:
  fs::path path_;
};

// Every entry under a folder: a link by its target, a file by its bytes.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
  std::map<std::string, std::string> entries;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(e.path(), folder).string();
    if (e.is_symlink())
      entries[name] = "link to " + fs::read_symlink(e.path()).string();
    else if (e.is_regular_file())
      entries[name] = file_text(e.path().string());
    else
      entries[name] = "folder";
  }
  return entries;
}

// The entries made, removed or changed between two snapshots, by name: the
// failure names the files rather than printing their bytes.
std::vector<std::string> changed(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : before)
    if (!after.contains(name) || after.at(name) != bytes) names.push_back(name);
  for (const auto& [name, bytes] : after)
    if (!before.contains(name)) names.push_back(name);
  return names;
}

struct Refusal {
  std::string what;
  std::function<void(const TempFolder&)> setup;  // beside plot.txt and deck.dat
  std::string arguments;
  std::string message;
};

// Runs each case in a folder holding the example's plot file and deck.
void expect_refusals(const std::vector<Refusal>& cases) {
  for (const Refusal& c : cases) {
    const TempFolder folder("refusal");
    folder.write("plot.txt", file_text(kExamplePlot));
    folder.write("deck.dat", file_text(kExampleDeck));
    c.setup(folder);
    const std::map<std::string, std::string> before = snapshot(folder.path());
    const Outcome o = run_kesta_plot(c.arguments, folder.path().string());
    EXPECT_EQ(o.status, 1) << c.what;
    EXPECT_EQ(o.err, c.message) << c.what;
    EXPECT_EQ(o.out, "") << c.what;
    EXPECT_EQ(changed(before, snapshot(folder.path())), std::vector<std::string>{}) << c.what;
  }
}

const auto kNothing = [](const TempFolder&) {};

TEST(KestaPlotRefusals, AnOutputThatIsAnInputOrTheOtherOutput) {
  const std::string one_file = " are one file; the picture and the table need files of their own\n";
  expect_refusals({
      {"picture is the deck", kNothing, "--deck deck.dat plot.txt deck.dat",
       "kesta-plot: deck.dat is the deck deck.dat; name another output\n"},
      {"picture is the plot file", kNothing, "plot.txt plot.txt",
       "kesta-plot: plot.txt is the plot file plot.txt; name another output\n"},
      {"table is the plot file", kNothing, "plot.txt --csv ./plot.txt",
       "kesta-plot: ./plot.txt is the plot file plot.txt; name another output\n"},
      {"table is the deck", kNothing, "--deck deck.dat plot.txt out.svg --csv deck.dat",
       "kesta-plot: deck.dat is the deck deck.dat; name another output\n"},
      {"picture is the plot file through a symbolic link",
       [](const TempFolder& f) { fs::create_symlink("plot.txt", f.path() / "pic.svg"); }, "plot.txt pic.svg",
       "kesta-plot: pic.svg is the plot file plot.txt; name another output\n"},
      {"table is the deck through a hard link",
       [](const TempFolder& f) { fs::create_hard_link(f.path() / "deck.dat", f.path() / "table.csv"); },
       "--deck deck.dat plot.txt --csv table.csv", "kesta-plot: table.csv is the deck deck.dat; name another output\n"},
      {"picture and table by one name", kNothing, "plot.txt out.svg --csv out.svg",
       "kesta-plot: out.svg and out.svg" + one_file},
      {"picture and table by two spellings of a name not yet there", kNothing, "plot.txt out.svg --csv ./out.svg",
       "kesta-plot: out.svg and ./out.svg" + one_file},
      {"picture through a symbolic link to the table not yet there",
       [](const TempFolder& f) { fs::create_symlink("out.csv", f.path() / "out.svg"); },
       "plot.txt out.svg --csv out.csv", "kesta-plot: out.svg and out.csv" + one_file},
      {"picture through a symbolic link from a subfolder to the table",
       [](const TempFolder& f) {
         f.write("out.csv", "a table kept\n");
         fs::create_directory(f.path() / "sub");
         fs::create_symlink("../out.csv", f.path() / "sub" / "out.svg");
       },
       "plot.txt sub/out.svg --csv out.csv", "kesta-plot: sub/out.svg and out.csv" + one_file},
      {"picture through a hard link to the table",
       [](const TempFolder& f) {
         f.write("out.csv", "a table kept\n");
         fs::create_hard_link(f.path() / "out.csv", f.path() / "out.svg");
       },
       "plot.txt out.svg --csv out.csv", "kesta-plot: out.svg and out.csv" + one_file},
  });
}

// The picture, the table and standard output alike: nothing is written from a
// plot file that cannot be read whole.
TEST(KestaPlotRefusals, APlotFileThatIsCutShortOrIsNoPlotFile) {
  const std::string plot = file_text(kExamplePlot);
  const auto cut = [&](const TempFolder& f) { f.write("cut.txt", plot.substr(0, plot.size() - 30)); };
  const std::string cut_message =
      "kesta-plot: cut.txt: line 82: cut off before its line end: the plot file is truncated\n";
  const std::string zero_message =
      "kesta-plot: /dev/zero: line 1, column 1: byte 0x00 is not text: not a kesta plot file\n";
  expect_refusals({
      {"cut short, picture", cut, "cut.txt out.svg", cut_message},
      {"cut short, table", cut, "cut.txt --csv out.csv", cut_message},
      {"cut short, picture on standard output", cut, "cut.txt", cut_message},
      {"cut short, deck given", cut, "--deck deck.dat cut.txt out.svg --csv out.csv", cut_message},
      {"a device of zeros, picture", kNothing, "/dev/zero z.svg", zero_message},
      {"a device of zeros, table", kNothing, "/dev/zero --csv z.csv", zero_message},
      {"compressed", [&](const TempFolder& f) { f.write("plot.txt.gz", "\x1F\x8B\x08\x08" + plot); },
       "plot.txt.gz out.svg",
       "kesta-plot: plot.txt.gz: line 1, column 1: byte 0x1F is not text: not a kesta plot file\n"},
      {"no line ends", [](const TempFolder& f) { f.write("long.txt", std::string(100000, '1')); }, "long.txt out.svg",
       "kesta-plot: long.txt: line 1: longer than 4096 bytes without a line end: not a kesta plot file\n"},
  });
}

// Decks that share the plot file's time steps but not its reach or its heads.
TEST(KestaPlotRefusals, ADeckThatIsNotThePlotFiles) {
  const std::string deck = file_text(kExampleDeck);
  const std::string reach = "12.5  0.0  0.0  5000.0";
  ASSERT_NE(deck.find(reach), std::string::npos);
  std::string short_reach = deck;
  short_reach.replace(deck.find(reach), reach.size(), "12.5  0.0  0.0  1000.0");
  expect_refusals({
      {"a streambank the run did not have",
       [](const TempFolder& f) {
         f.write("bank.dat", file_text(KESTA_SOURCE_DIR "/examples/flood-wave-streambank.dat"));
       },
       "--deck bank.dat plot.txt out.svg --csv out.csv",
       "kesta-plot: bank.dat is not the deck of plot.txt: at T = 0.2 (line 4 of the plot file) the deck gives H = "
       "6.2583E-05, the plot file 0.00014170\n"},
      {"another length of stream", [&](const TempFolder& f) { f.write("reach.dat", short_reach); },
       "--deck reach.dat plot.txt",
       "kesta-plot: reach.dat is not the deck of plot.txt: the deck has XSTREAM = 1000, the plot file's totals are "
       "those of XSTREAM = 5000\n"},
  });
}

// Random bytes fail on the first line that is not text or not the header,
// wherever that falls.
TEST(KestaPlotRefusals, RandomBytesEndAtOnce) {
  const TempFolder folder("random");
  const Outcome o = run_kesta_plot("/dev/urandom u.svg", folder.path().string());
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err.rfind("kesta-plot: /dev/urandom: line ", 0), 0u) << o.err;
  EXPECT_NE(o.err.find(": not a kesta plot file"), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << o.err;
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

}  // namespace
}  // namespace kesta::plot
