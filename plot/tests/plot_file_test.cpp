#include "plot/plot_file.hpp"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "kesta/deck.hpp"
#include "plot/tests/plot_file_text.hpp"

namespace kesta::plot {
namespace {

// The plot file of a 4-step run, exactly as printed.
const std::string kFourSteps =
    "        T            H          SEEP        SEEPT       BANK        BANKV\r\n"
    "  0.000000E+00  0.00000E+00  0.0000E+00  0.0000E+00  0.0000E+00  0.0000E+00\r\n"
    "  0.100000E+01  0.47950E+00  -.5642E+00  -.1128E+01  0.5642E+00  0.1128E+01\r\n"
    "  0.200000E+01  0.61709E+00  -.3989E+00  -.7979E+00  0.9631E+00  0.1926E+01\r\n"
    "  0.300000E+01  0.68310E+00  -.3257E+00  -.6515E+00  0.1289E+01  0.2578E+01\r\n";

std::string without_cr(std::string text) {
  std::erase(text, '\r');
  return text;
}

TEST(PlotFile, ReadsEveryColumnOfEveryRow) {
  for (const std::string& text : {kFourSteps, without_cr(kFourSteps)}) {
    const PlotSeries s = parse_plot_file(text);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s.rows_read, 4u);
    EXPECT_EQ(s.rows_skipped, 0u);
    EXPECT_EQ(s[Column::T].back(), 3.0);
    EXPECT_EQ(s[Column::H][1], 0.4795);
    EXPECT_EQ(s[Column::SEEP][2], -0.3989);
    EXPECT_EQ(s[Column::SEEPT][3], -0.6515);
    EXPECT_EQ(s[Column::BANK][3], 1.289);
    EXPECT_EQ(s[Column::BANKV][2], 1.926);
  }
}

TEST(PlotFile, HeaderAloneHasNoTimeSteps) {
  // Blanks after the header are an editor's, not another file's.
  for (const char* end : {"\r\n", "\n", " \r\n", "   \n"}) {
    SCOPED_TRACE(end);
    const PlotSeries s = parse_plot_file(std::string(kPlotHeader) + end);
    EXPECT_EQ(s.size(), 0u);
    EXPECT_EQ(s.rows_read, 0u);
  }
}

TEST(PlotFile, ReadsBackWhatKestaPrints) {
  // Values spanning the two- and three-digit exponent forms, both signs.
  const std::vector<testing::Row> rows = {
      {0.0, 1e-120, -2.5e150, 3.25e-101, -7.0e99, 123456.0},
      {1.5, -0.000123456, 9.999e-5, -1.0, 4.2e200, -6.02e-23},
  };
  const PlotSeries s = parse_plot_file(testing::plot_file_text(rows));
  ASSERT_EQ(s.size(), rows.size());
  // E10.4 keeps 4 significant digits: half a unit in the 4th digit at most.
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < kColumnCount; ++c)
      EXPECT_NEAR(s.columns[c][r], rows[r][c], std::abs(rows[r][c]) * 5e-4) << "row " << r << " column " << c;
}

TEST(PlotFile, SkipsAndCountsRowsWithNaNOrInfinity) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const PlotSeries s = parse_plot_file(testing::plot_file_text(
      {{0, 1, 2, 3, 4, 5}, {1, nan, 2, 3, 4, 5}, {2, 1, 2, -inf, 4, 5}, {inf, 1, 2, 3, 4, 5}, {4, 1, 2, 3, 4, 5}}));
  EXPECT_EQ(s.rows_read, 5u);
  EXPECT_EQ(s.rows_skipped, 3u);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[Column::T][1], 4.0);
  // Every row is kept as read for the CSV table.
  ASSERT_EQ(s.rows.size(), 5u);
  EXPECT_TRUE(std::isnan(s.rows[1][1]));
  EXPECT_EQ(s.rows[2][3], -inf);
}

TEST(PlotFile, MalformedFilesSayWhatIsWrongAndWhere) {
  const std::string header = std::string(kPlotHeader) + "\r\n";
  const std::string good_row = "  0.100000E+01  0.47950E+00  -.5642E+00  -.1128E+01  0.5642E+00  0.1128E+01\r\n";
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"", "the plot file is empty"},
      {"\r\n  \r\n", "the plot file is empty"},
      {"T H SEEP SEEPT BANK BANKV\r\n", "line 1: not a kesta plot file"},
      {good_row, "line 1: not a kesta plot file"},
      {header + "  0.1E+01  0.4E+00  -.5E+00  -.1E+01  0.5E+00\r\n", "line 2: expected 6 numbers"},
      {header + good_row + "  1  2  3  4  5  6  7\r\n",
       "line 3: expected 6 numbers (T H SEEP SEEPT BANK BANKV), found 7"},
      {header + "\r\n" + good_row, "line 2: expected 6 numbers (T H SEEP SEEPT BANK BANKV), found 0"},
      {header + "  0.100000E+01  0.47950E+00  -.5642E+00  -.1128E+01  oops  0.1128E+01\r\n",
       "line 2: BANK 'oops' is not a number"},
      {header + good_row + "  0.200000E+01  0.6170.9E+00  -.3989E+00  -.7979E+00  0.9631E+00  0.1926E+01\r\n",
       "line 3: H '0.6170.9E+00' is not a number"},
  };
  for (const auto& c : cases) {
    try {
      parse_plot_file(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const PlotFileError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

// What kesta never writes: a line cut off at the end of the file, bytes that
// are not text, a line no plot file holds, more rows than kesta computes.
TEST(PlotFile, RefusesWhatCannotBeAPlotFile) {
  const std::string header = std::string(kPlotHeader) + "\r\n";
  const std::string row = "  0.100000E+01  0.47950E+00  -.5642E+00  -.1128E+01  0.5642E+00  0.1128E+01";
  const std::string cut = "line 3: cut off before its line end: the plot file is truncated";
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {header + row + "\r\n" + row, cut},
      {header + row + "\r\n" + row + "\r", cut},
      {header + row + "\r\n" + row.substr(0, 50), cut},
      {header + row + "\r\n  ", cut},
      {std::string(kPlotHeader), "line 1: cut off before its line end: the plot file is truncated"},
      {std::string("\0\0\0\0", 4), "line 1, column 1: byte 0x00 is not text: not a kesta plot file"},
      {"\x1F\x8B\x08\x00", "line 1, column 1: byte 0x1F is not text: not a kesta plot file"},
      {header + row.substr(0, 30) + "\xB5" + row.substr(30) + "\n",
       "line 2, column 31: byte 0xB5 is not text: not a kesta plot file"},
      {header + std::string(kLongestPlotLine + 1, ' ') + "\n",
       "line 2: longer than 4096 bytes without a line end: not a kesta plot file"},
      {std::string(kLongestPlotLine + 1, 'x'),
       "line 1: longer than 4096 bytes without a line end: not a kesta plot file"},
      {"\r\n" + header, "line 1: not a kesta plot file (header '')"},
  };
  for (const auto& c : cases) {
    try {
      parse_plot_file(c.text);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const PlotFileError& e) {
      EXPECT_EQ(e.what(), c.message);
    }
  }
  EXPECT_EQ(parse_plot_file(header + row + "\n" + row + "\n  \r\n\n").rows_read, 2u);  // blank lines that end
}

// A file may hold one row per time step of the longest run and no more; the
// bound is the reader's, so the row past it is named without reading ten
// million rows here. Past the Stehfest sum's 99999 rows, a contour run's file
// reads by default.
TEST(PlotFile, HoldsAtMostTheRowsOfTheLongestRun) {
  const auto rows = [](int n) {
    std::string text = std::string(kPlotHeader) + "\n";
    for (int i = 0; i < n; ++i) text += "0 0 0 0 0 0\n";
    return text;
  };
  try {
    parse_plot_file(rows(NTLIMIT + 1), static_cast<std::size_t>(NTLIMIT));
    ADD_FAILURE() << "accepted one row past the bound";
  } catch (const PlotFileError& e) {
    EXPECT_STREQ(e.what(), "line 100001: more rows than the 99999 time steps kesta computes at most");
  }
  EXPECT_EQ(parse_plot_file(rows(NTLIMIT + 2)).rows_read, static_cast<std::size_t>(NTLIMIT + 2));
}

// A file is read in pieces of 64 KiB: rows and lines that straddle two pieces
// read as the whole text does.
TEST(PlotFile, AFileReadInPiecesReadsAsItsText) {
  const std::string rows = testing::plot_file_text(testing::ramp_rows(2000));  // about 150 kB
  const struct {
    std::string text;
    std::string message;  // "" for a good file
  } cases[] = {
      {rows, ""},
      {rows.substr(0, rows.size() - 1), "line 2001: cut off before its line end: the plot file is truncated"},
      {rows + std::string(70000, ' ') + "\n",
       "line 2002: longer than 4096 bytes without a line end: not a kesta plot file"},
      {rows + std::string(70000, '7'), "line 2002: longer than 4096 bytes without a line end: not a kesta plot file"},
  };
  for (const auto& c : cases) {
    const testing::TempFile file("plot.txt", c.text);
    try {
      const PlotSeries read = read_plot_file(file.path());
      EXPECT_EQ(c.message, "");
      EXPECT_EQ(read.rows, parse_plot_file(c.text).rows);
      EXPECT_EQ(read.rows_read, 2000u);
    } catch (const PlotFileError& e) {
      EXPECT_EQ(e.what(), c.message);
    }
  }
}

TEST(PlotFile, MissingFileIsAPlotFileError) {
  EXPECT_THROW(read_plot_file("/nonexistent/kesta/plot.txt"), PlotFileError);
}

}  // namespace
}  // namespace kesta::plot
