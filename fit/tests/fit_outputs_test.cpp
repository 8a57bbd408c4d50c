// Where kesta-fit's four files go and what can stop them: an output that is an
// input, links and names planted beside the outputs, folders and streams that
// refuse them, interruptions and two fits writing the same names at once.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include "fit/tests/fit_scenario.hpp"
#include "tests/shell_process.hpp"

namespace kesta::fit_detail {
namespace {

using kesta::testing::wait_for;
using testing::file_text;
using testing::TempFolder;

const std::vector<testing::RecordPlan> kPlans = {{Kind::Head, 30.0, 2, 0.005}, {Kind::Seepage, 0.0, 3, 0.01}};
constexpr const char* kTwo =
    "AK = { initial = 3.0, min = 0.1, max = 1000.0 }\nXAA = { initial = 100.0, min = 0.1, max = 1000.0 }\n";
const std::vector<std::string> kOutputs = {"fit.fitted.dat", "fit.residuals.csv", "fit.svg", "fit.bands.csv"};

// The shell command `command` run in the folder; stdout and stderr kept.
struct Ran {
  int status;
  std::string out, err;
};
Ran run_in(const TempFolder& folder, const std::string& command, const std::string& out = ".stdout") {
  std::ofstream(folder.path(".stdout")).flush();
  // A command that reads standard input says from where; others read nothing.
  const std::string in = command.find('<') == std::string::npos ? " < /dev/null" : "";
  const std::string full =
      "cd '" + folder.path("").string() + "' && umask 022 && " + command + " > " + out + " 2> .stderr" + in;
  const int raw = std::system(full.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, file_text(folder.path(".stdout")), file_text(folder.path(".stderr"))};
}

const std::string kFit = "'" KESTA_FIT_EXE "' --quiet";

void write_case(const TempFolder& folder, unsigned seed = 3) {
  testing::write_fit_folder(folder, testing::flood_deck(), testing::records(testing::flood_deck(), kPlans, seed), kTwo);
}

// The fit file's text with every file it names made absolute.
std::string absolute_fit_file(const TempFolder& folder) {
  std::string text = file_text(folder.path("fit.toml"));
  for (const std::string key : {"deck = \"", "file = \""})
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + 1))
      text.insert(at + key.size(), folder.path("").string());
  return text;
}

int unfinished_files(const std::filesystem::path& folder) {
  int n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    n += entry.path().filename().string().find(".kesta-unfinished.") != std::string::npos;
  return n;
}

struct ClashCase {
  std::string what;
  std::function<void(const TempFolder&)> arrange;  // after the usual fit folder is written
  std::string fit_file;
  std::string err;
};

// An output that is one of the fit's inputs, or another output, is refused
// before the fit starts, and every file stays as it was.
TEST(KestaFitOutputs, AnOutputThatIsAnInputIsRefused) {
  const auto rename_key = [](const TempFolder& f, const std::string& from, const std::string& to) {
    std::string toml = file_text(f.path("fit.toml"));
    toml.replace(toml.find("\"" + from + "\""), from.size() + 2, "\"" + to + "\"");
    f.write("fit.toml", toml);
    std::filesystem::rename(f.path(from), f.path(to));
  };
  const ClashCase cases[] = {
      {"deck named as the fitted deck", [&](const TempFolder& f) { rename_key(f, "deck.dat", "fit.fitted.dat"); },
       "fit.toml",
       "kesta-fit: the fitted deck fit.fitted.dat is the deck fit.fitted.dat; writing it would lose an input\n"},
      {"record named as the residuals",
       [&](const TempFolder& f) { rename_key(f, "record-2.csv", "fit.residuals.csv"); }, "fit.toml",
       "kesta-fit: the residuals fit.residuals.csv is the record fit.residuals.csv; writing it would lose an input\n"},
      {"fit file named as the picture",
       [](const TempFolder& f) { std::filesystem::rename(f.path("fit.toml"), f.path("fit.svg")); }, "fit.svg",
       "kesta-fit: the picture fit.svg is the fit file fit.svg; writing it would lose an input\n"},
      {"fitted deck a link to the deck",
       [](const TempFolder& f) { std::filesystem::create_symlink("deck.dat", f.path("fit.fitted.dat")); }, "fit.toml",
       "kesta-fit: the fitted deck fit.fitted.dat is the deck deck.dat; writing it would lose an input\n"},
      {"picture a hard link to a record",
       [](const TempFolder& f) { std::filesystem::create_hard_link(f.path("record-1.csv"), f.path("fit.svg")); },
       "fit.toml", "kesta-fit: the picture fit.svg is the record record-1.csv; writing it would lose an input\n"},
      {"picture a link to where the residuals go",
       [](const TempFolder& f) { std::filesystem::create_symlink("fit.residuals.csv", f.path("fit.svg")); }, "fit.toml",
       "kesta-fit: the picture fit.svg and the residuals fit.residuals.csv are one file\n"},
      {"record named as the bands", [&](const TempFolder& f) { rename_key(f, "record-1.csv", "fit.bands.csv"); },
       "fit.toml", "kesta-fit: the bands fit.bands.csv is the record fit.bands.csv; writing it would lose an input\n"},
      {"bands a link to where the picture goes",
       [](const TempFolder& f) { std::filesystem::create_symlink("fit.svg", f.path("fit.bands.csv")); }, "fit.toml",
       "kesta-fit: the bands fit.bands.csv and the picture fit.svg are one file\n"},
  };
  for (const ClashCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TempFolder folder;
    write_case(folder);
    c.arrange(folder);
    std::map<std::string, std::string> before;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path("")))
      before[entry.path().filename().string()] = file_text(entry.path());
    const Ran run = run_in(folder, kFit + " " + c.fit_file);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.err);
    for (const auto& [name, text] : before) {
      if (name[0] != '.') {
        EXPECT_EQ(file_text(folder.path(name)), text) << name;
      }
    }
  }
}

struct PlaceCase {
  std::string what;
  std::function<void(const TempFolder&)> arrange;
  std::string command;  // after kesta-fit
  std::string out;      // where its standard output goes
  int status;
  std::string err;
  std::string report_end;  // the report's last lines
  std::string written;     // folder (relative to the case's) that holds the four outputs; "" none
};

TEST(KestaFitOutputs, WhereTheFilesGoAndWhatRefusesThem) {
  // Outputs beside /dev/stdin that a broken build once wrote would stand for
  // this run's.
  for (const char* leftover :
       {"/dev/stdin.fitted.dat", "/dev/stdin.residuals.csv", "/dev/stdin.svg", "/dev/stdin.bands.csv"}) {
    std::error_code ignored;
    std::filesystem::remove(leftover, ignored);
  }
  const PlaceCase cases[] = {
      {"names planted beside the outputs",
       [](const TempFolder& f) {
         std::filesystem::create_symlink("deck.dat", f.path("fit.fitted.dat.part"));
         f.write("fit.svg.part", "the user's own\n");
       },
       "fit.toml", ".stdout", 0, "", "Written: fit.fitted.dat, fit.residuals.csv, fit.svg, fit.bands.csv\n", "."},
      {"a folder that takes no file", [](const TempFolder&) {}, "--output-dir /sys fit.toml", ".stdout", 3,
       "kesta-fit: the folder /sys cannot be written (Permission denied); name another with --output-dir\n",
       "Not written: /sys/fit.fitted.dat, /sys/fit.residuals.csv, /sys/fit.svg,\n"
       "  /sys/fit.bands.csv; the folder /sys cannot be written (Permission denied);\n"
       "  name another with --output-dir.\n",
       ""},
      {"an output folder that is not one", [](const TempFolder&) {}, "--output-dir deck.dat fit.toml", ".stdout", 2,
       "kesta-fit: --output-dir deck.dat: is not a folder\n", "", ""},
      {"the report on a full device", [](const TempFolder&) {}, "fit.toml", "/dev/full", 3,
       "kesta-fit: the report could not be written to the standard output\n", "", "."},
      {"a fit file read through standard input", [](const TempFolder& f) { f.write("abs.toml", absolute_fit_file(f)); },
       "/dev/stdin < abs.toml", ".stdout", 2,
       "kesta-fit: /dev/stdin: is not a regular file, so it cannot name the fitted deck, residuals and picture; give "
       "a folder for them with --output-dir\n",
       "", ""},
      {"the same with a folder for the outputs",
       [](const TempFolder& f) {
         f.write("abs.toml", absolute_fit_file(f));
         std::filesystem::create_directory(f.path("out"));
       },
       "--output-dir=out /dev/stdin < abs.toml", ".stdout", 0, "",
       "Written: out/stdin.fitted.dat, out/stdin.residuals.csv, out/stdin.svg, out/stdin.bands.csv\n", "out"},
  };
  for (const PlaceCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TempFolder folder;
    write_case(folder);
    c.arrange(folder);
    const std::string deck = file_text(folder.path("deck.dat"));
    const Ran run = run_in(folder, kFit + " " + c.command, c.out);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.err);
    if (c.status == 2) {
      EXPECT_EQ(run.out, "");  // refused before the fit
    }
    EXPECT_EQ(run.out.substr(run.out.size() - std::min(run.out.size(), c.report_end.size())), c.report_end);
    EXPECT_EQ(file_text(folder.path("deck.dat")), deck);
    for (const std::string suffix : {".fitted.dat", ".residuals.csv", ".svg", ".bands.csv"}) {
      const std::string stem = c.written == "out" ? "out/stdin" : "fit";
      EXPECT_EQ(std::filesystem::exists(folder.path(stem + suffix)), !c.written.empty()) << suffix;
    }
    EXPECT_EQ(unfinished_files(folder.path("")), 0);
    if (c.what == "names planted beside the outputs") {
      EXPECT_EQ(std::filesystem::read_symlink(folder.path("fit.fitted.dat.part")), "deck.dat");
      EXPECT_EQ(file_text(folder.path("fit.svg.part")), "the user's own\n");
    }
  }
  EXPECT_FALSE(std::filesystem::exists("/dev/stdin.fitted.dat"));
}

// New outputs take the permissions the umask leaves of 0666; an output that
// exists keeps its own.
TEST(KestaFitOutputs, PermissionsFollowTheUmaskOrTheFormerFile) {
  const TempFolder folder;
  write_case(folder);
  folder.write("fit.svg", "former\n");
  ASSERT_EQ(chmod(folder.path("fit.svg").c_str(), 0604), 0);
  const Ran run = run_in(folder, "umask 027 && " + kFit + " fit.toml");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::pair<std::string, mode_t> expected[] = {
      {"fit.fitted.dat", 0640}, {"fit.residuals.csv", 0640}, {"fit.svg", 0604}};
  for (const auto& [name, mode] : expected) {
    struct stat info {};
    ASSERT_EQ(stat(folder.path(name).c_str(), &info), 0) << name;
    EXPECT_EQ(info.st_mode & 07777, mode) << name;
  }
  EXPECT_NE(file_text(folder.path("fit.svg")), "former\n");
}

pid_t start(const TempFolder& folder, const std::string& arguments, const std::string& tag) {
  const std::string command = "cd '" + folder.path("").string() + "' && exec " + kFit + " " + arguments + " > .out-" +
                              tag + " 2> .err-" + tag + " < /dev/null";
  return kesta::testing::start_shell(command);
}

// Interrupted at any moment, a fit leaves the four former files or, when the
// signal comes after the renames, the four new ones; never a mix and never an
// unfinished file. It ends by the signal; let to finish, it replaces all four.
TEST(KestaFitOutputs, InterruptedFitsChangeNoFile) {
  const TempFolder folder;
  write_case(folder);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    for (int ms : {5, 40, 120}) {
      SCOPED_TRACE("signal " + std::to_string(sig) + " after " + std::to_string(ms) + " ms");
      for (const std::string& name : kOutputs) folder.write(name, "former\n");
      const pid_t pid = start(folder, "fit.toml", "k");
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      kill(pid, sig);
      const int status = wait_for(pid);
      int former = 0;
      for (const std::string& name : kOutputs) former += file_text(folder.path(name)) == "former\n";
      if (status == 0) {
        EXPECT_EQ(former, 0);  // finished before the signal: all four new
      } else {
        EXPECT_EQ(status, 128 + sig);
        EXPECT_TRUE(former == 4 || former == 0) << former << " of the 4 files are the former ones";
      }
      EXPECT_EQ(unfinished_files(folder.path("")), 0);
    }
  }
}

// Two fits whose outputs share a name run at once: whichever renames last,
// the four files left are one fit's, each whole.
TEST(KestaFitOutputs, TwoFitsOfOneStemNeverMix) {
  const TempFolder folder;
  write_case(folder, 5);
  std::string other = file_text(folder.path("fit.toml"));
  for (auto at = other.find("record-"); at != std::string::npos; at = other.find("record-", at + 1))
    other.replace(at, 7, "other-");
  for (const std::string name : {"record-1.csv", "record-2.csv"}) {
    std::string text = file_text(folder.path(name));
    text.replace(text.find('\n', text.find('\n') + 1) - 1, 1, "0");  // a changed first value
    folder.write("other-" + name.substr(7), text);
  }
  folder.write("fit.cfg", other);
  std::map<std::string, std::vector<std::string>> alone;
  for (const std::string fit : {"fit.toml", "fit.cfg"}) {
    ASSERT_EQ(run_in(folder, kFit + " " + fit).status, 0) << fit;
    for (const std::string& name : kOutputs) alone[fit].push_back(file_text(folder.path(name)));
  }
  ASSERT_NE(alone["fit.toml"][1], alone["fit.cfg"][1]);
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const pid_t a = start(folder, "fit.toml", "a");
    const pid_t b = start(folder, "fit.cfg", "b");
    ASSERT_EQ(wait_for(a), 0);
    ASSERT_EQ(wait_for(b), 0);
    std::vector<std::string> left;
    for (const std::string& name : kOutputs) left.push_back(file_text(folder.path(name)));
    EXPECT_TRUE(left == alone["fit.toml"] || left == alone["fit.cfg"]);
    EXPECT_EQ(unfinished_files(folder.path("")), 0);
  }
}

}  // namespace
}  // namespace kesta::fit_detail
