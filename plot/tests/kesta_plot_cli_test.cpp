// The kesta-plot program as a user runs it: arguments, exit status, messages.
#include <algorithm>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "plot/plot_file.hpp"
#include "plot/tests/plot_file_text.hpp"
#include "plot/tests/run_kesta_plot.hpp"

namespace kesta::plot {
namespace {

using testing::Outcome;
using testing::run_kesta_plot;

std::size_t line_count(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(KestaPlotProgram, HelpTellsTheUsage) {
  for (const char* option : {"--help", "-h", "plot.txt -h"}) {
    const Outcome o = run_kesta_plot(option);
    EXPECT_EQ(o.status, 0) << option;
    EXPECT_EQ(o.out.rfind("Usage: kesta-plot [OPTIONS] PLOTFILE [OUTPUT.svg]\n", 0), 0u) << option;
    EXPECT_NE(o.out.find("--deck DECK"), std::string::npos) << option;
    EXPECT_EQ(o.err, "") << option;
  }
}

TEST(KestaPlotProgram, VersionIsTheProjects) {
  const Outcome o = run_kesta_plot("--version");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "kesta-plot " KESTA_VERSION "\n");
}

TEST(KestaPlotProgram, BadInputEndsWithOneLineOnStandardError) {
  const testing::TempFile empty("empty.txt", "");
  const testing::TempFile malformed("malformed.txt", std::string(kPlotHeader) + "\r\n  0.1E+01  x\r\n");
  const testing::TempFile wrong_header("report.txt", "1 RESULTS\r\n");
  const std::string missing = "/nonexistent/kesta/plot.txt";
  // The status as the usage documents it: 1 for a file that cannot be used,
  // 2 for arguments that cannot be.
  const struct {
    std::string arguments;
    std::string message;
    int status;
  } cases[] = {
      {"'" + missing + "'", "kesta-plot: " + missing + ": cannot open: No such file or directory\n", 1},
      {"'" + empty.path() + "'", "kesta-plot: " + empty.path() + ": the plot file is empty\n", 1},
      {"'" + malformed.path() + "'",
       "kesta-plot: " + malformed.path() + ": line 2: expected 6 numbers (T H SEEP SEEPT BANK BANKV), found 2\n", 1},
      {"'" + wrong_header.path() + "'", "kesta-plot: " + wrong_header.path() + ": line 1: not a kesta plot file", 1},
      {"", "kesta-plot: expected a plot file and at most one output file; try kesta-plot --help\n", 2},
      {"a b c", "kesta-plot: expected a plot file and at most one output file; try kesta-plot --help\n", 2},
      {"-x plot.txt", "kesta-plot: unknown option '-x'; try kesta-plot --help\n", 2},
      {"--units metres plot.txt", "kesta-plot: --units: expected LENGTH,TIME such as m,d; got 'metres'", 2},
  };
  for (const auto& c : cases) {
    const Outcome o = run_kesta_plot(c.arguments);
    EXPECT_EQ(o.status, c.status) << c.arguments;
    EXPECT_EQ(o.err.rfind(c.message, 0), 0u) << o.err;
    EXPECT_EQ(line_count(o.err), 1u) << o.err;
    EXPECT_EQ(o.out, "") << c.arguments;
  }
}

TEST(KestaPlotProgram, FailedReadLeavesNoOutputFile) {
  const testing::TempFile empty("empty.txt", "");
  const std::string svg = empty.path() + ".svg";
  EXPECT_NE(run_kesta_plot("'" + empty.path() + "' '" + svg + "'").status, 0);
  EXPECT_FALSE(std::filesystem::exists(svg));
}

TEST(KestaPlotProgram, WritesTheSamePictureToAFileOrStandardOutput) {
  const testing::TempFile plot("plot.txt", testing::plot_file_text(testing::ramp_rows(10)));
  const testing::TempFile svg("plot.svg", "");
  const Outcome to_file = run_kesta_plot("'" + plot.path() + "' '" + svg.path() + "'");
  EXPECT_EQ(to_file.status, 0);
  EXPECT_EQ(to_file.out, "kesta-plot: wrote the picture " + svg.path() + " (3 panels, 10 time steps)\n");
  EXPECT_EQ(to_file.err, "");
  const Outcome to_stdout = run_kesta_plot("'" + plot.path() + "'");
  EXPECT_EQ(to_stdout.status, 0);
  EXPECT_EQ(to_stdout.out.rfind("<?xml", 0), 0u);
  EXPECT_NE(to_stdout.out.find("</svg>"), std::string::npos);
  EXPECT_EQ(to_stdout.err, "kesta-plot: wrote the picture to standard output (3 panels, 10 time steps)\n");
  EXPECT_EQ(testing::file_text(svg.path()), to_stdout.out);
}

TEST(KestaPlotProgram, CsvTableHasAHeaderAndEveryRow) {
  const testing::TempFile plot("plot.txt", testing::plot_file_text(testing::ramp_rows(25)));
  const testing::TempFile svg("plot.svg", "");
  const testing::TempFile csv("plot.csv", "");
  const Outcome o = run_kesta_plot("'" + plot.path() + "' '" + svg.path() + "' --csv='" + csv.path() + "' --units=m,d");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "kesta-plot: wrote the picture " + svg.path() + " (3 panels, 25 time steps) and the table " +
                       csv.path() + " (25 rows)\n");
  const std::string table = testing::file_text(csv.path());
  EXPECT_EQ(table.substr(0, table.find('\n')), "T (d),H (m),SEEP (m^2/d),SEEPT (m^3/d),BANK (m^2),BANKV (m^3)");
  EXPECT_EQ(line_count(table), 26u);
}

// A contour run's plot file past the Stehfest sum's 99999 rows: read whole,
// passed on whole as a table, and drawn thinned to a picture of the same
// bounded size as a short run's.
TEST(KestaPlotProgram, ReadsAndThinsAPlotFileOfMoreThan99999Rows) {
  constexpr int kRows = 100001;
  const testing::TempFile plot("plot.txt", testing::plot_file_text(testing::ramp_rows(kRows)));
  const testing::TempFile svg("plot.svg", "");
  const testing::TempFile csv("plot.csv", "");
  const Outcome o = run_kesta_plot("'" + plot.path() + "' '" + svg.path() + "' --csv='" + csv.path() + "'");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "kesta-plot: wrote the picture " + svg.path() + " (3 panels, 100001 time steps) and the table " +
                       csv.path() + " (100001 rows)\n");
  EXPECT_EQ(line_count(testing::file_text(csv.path())), static_cast<std::size_t>(kRows) + 1);
  // Thinning keeps a few points per pixel column: far below the rows' count.
  EXPECT_LT(testing::file_text(svg.path()).size(), 200'000u);
}

// The example that make run draws, with its golden plot file.
const std::string kExampleDeck = KESTA_SOURCE_DIR "/examples/flood-wave-confined.dat";
const std::string kExamplePlot = KESTA_SOURCE_DIR "/tests/golden/flood-wave-confined.plot.txt";

TEST(KestaPlotProgram, DeckAddsTheStagePanelAndTheTitle) {
  const testing::TempFile svg("plot.svg", "");
  const Outcome o =
      run_kesta_plot("--deck '" + kExampleDeck + "' --units m,d '" + kExamplePlot + "' '" + svg.path() + "'");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "kesta-plot: wrote the picture " + svg.path() + " (4 panels, 81 time steps)\n");
  const std::string picture = testing::file_text(svg.path());
  EXPECT_NE(picture.find(">Flood wave past a confined sand aquifer, semi infinite, no streambank<"), std::string::npos);
  EXPECT_NE(picture.find(">STAGE (m)<"), std::string::npos);
}

// What the picture takes from the deck: the well's distance in the head
// panel's note, and the recharge as the model sees it where the deck has any.
TEST(KestaPlotProgram, TheDecksWellAndRechargeAreDrawn) {
  struct Row {
    std::string example;
    std::string well_note;
    bool recharge;
  };
  const Row rows[] = {
      {"water-table-stage-and-recharge", "The well is at X = 100 m from the stream centre.", true},
      {"water-table-recharge", "The well is at X = 100 m from the stream centre.", true},
      {"water-table-stage", "The well is at X = 100 m from the stream centre.", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.example);
    const testing::TempFile svg("plot.svg", "");
    const std::string deck = KESTA_SOURCE_DIR "/examples/" + r.example + ".dat";
    const std::string plot = KESTA_SOURCE_DIR "/tests/golden/" + r.example + ".plot.txt";
    const Outcome o = run_kesta_plot("--deck '" + deck + "' --units m,d '" + plot + "' '" + svg.path() + "'");
    ASSERT_EQ(o.status, 0) << o.err;
    const std::string picture = testing::file_text(svg.path());
    EXPECT_NE(picture.find(r.well_note), std::string::npos);
    // The recharge curve, drawn from the deck's RECH lines, has points.
    EXPECT_EQ(picture.find("data-column=\"RECH\" points=\"1") != std::string::npos, r.recharge);
  }
}

TEST(KestaPlotProgram, RefusesADeckThatIsNotThePlotFiles) {
  const testing::TempFile svg("plot.svg", "");
  const std::string other = KESTA_SOURCE_DIR "/examples/water-table-stage.dat";
  const Outcome o = run_kesta_plot("--deck '" + other + "' '" + kExamplePlot + "' '" + svg.path() + "'");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "kesta-plot: " + other + " is not the deck of " + kExamplePlot +
                       ": the deck has 366 time steps (NT), the plot file 81\n");
}

TEST(KestaPlotProgram, NeverWritesOverAnInput) {
  const std::string text = testing::plot_file_text(testing::ramp_rows(3));
  const testing::TempFile plot("plot.txt", text);
  for (const std::string& arguments :
       {"'" + plot.path() + "' '" + plot.path() + "'", "--csv '" + plot.path() + "' '" + plot.path() + "'"}) {
    const Outcome o = run_kesta_plot(arguments);
    EXPECT_EQ(o.status, 1) << arguments;
    EXPECT_EQ(line_count(o.err), 1u) << o.err;
    EXPECT_EQ(testing::file_text(plot.path()), text) << arguments;
  }
}

}  // namespace
}  // namespace kesta::plot
