#include "fit/input/observation_csv.hpp"

#include <gtest/gtest.h>

#include "kesta/fit.hpp"

namespace kesta::fit_detail {
namespace {

TEST(ObservationCsv, ReadsWhatPeopleAndSpreadsheetsWrite) {
  const struct {
    const char* name;
    const char* text;
    std::vector<CsvObservation> rows;
  } cases[] = {
      {"plain", "time,head\n0.5,1.25\n1,2\n", {{0.5, 1.25, 1.0, 2}, {1.0, 2.0, 1.0, 3}}},
      {"weights and exponents", "t,h,w\n1e-1,-2.5E-3,4\n", {{0.1, -0.0025, 4.0, 2}}},
      {"CRLF, blanks, plus sign", "t,h\r\n 1 , +2 \r\n", {{1.0, 2.0, 1.0, 2}}},
      {"blank lines skipped, line numbers kept", "t,h\n\n3,4\n   \n5,6", {{3.0, 4.0, 1.0, 3}, {5.0, 6.0, 1.0, 5}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<CsvObservation> rows = parse_observation_csv(c.text, "w.csv");
    ASSERT_EQ(rows.size(), c.rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].time, c.rows[i].time);
      EXPECT_EQ(rows[i].value, c.rows[i].value);
      EXPECT_EQ(rows[i].weight, c.rows[i].weight);
      EXPECT_EQ(rows[i].line, c.rows[i].line);
    }
  }
}

// Every fault names the file, the line and, within a line, the column.
TEST(ObservationCsv, FaultsNameLineAndColumn) {
  const struct {
    const char* text;
    int line;
    const char* message;
  } cases[] = {
      {"", 0, "empty file"},
      {"time,head\n", 0, "no observations after the header"},
      {"0,1.5\n1,2\n", 1, "must be a header"},
      {"t,h\n1,2\n2,abc\n", 3, "column 2 (value): 'abc' is not a finite number"},
      {"t,h\n1,2,1,9\n", 2, "column 4: more than three values"},
      {"t,h\n1\n", 2, "column 2 (value): missing"},
      {"t,h\n,2\n", 2, "column 1 (time): is empty"},
      {"t,h\n1,2,-1\n", 2, "column 3 (weight): must be zero or positive"},
      {"t,h\n1,2,-0.5\n", 2, "column 3 (weight): must be zero or positive"},
      {"t,h\n1,nan\n", 2, "column 2 (value): 'nan' is not a finite number"},
      {"t,h\n1e999,2\n", 2, "column 1 (time): '1e999' is not a finite number"},
      {"t,h\n1;2\n", 2, "column 1 (time): '1;2' is not a finite number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      parse_observation_csv(c.text, "well.csv");
      ADD_FAILURE() << "no error";
    } catch (const FitInputError& e) {
      EXPECT_EQ(e.file(), "well.csv");
      EXPECT_EQ(e.line(), c.line);
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

// A byte-order mark changes nothing: a record reads as without it, and a
// first line of numbers is refused alike, never taken for the header.
TEST(ObservationCsv, ByteOrderMarkReadsAsWithoutIt) {
  const std::string mark = "\xEF\xBB\xBF";
  for (const std::string text : {"t,h\n1,2\n3,4\n", "1,2\n3,4\n", "t,h\r\n\r\n5,6\r\n"}) {
    SCOPED_TRACE(text);
    std::string plain, marked;
    try {
      for (const CsvObservation& r : parse_observation_csv(text, "w.csv"))
        plain += std::to_string(r.line) + ":" + std::to_string(r.value) + " ";
    } catch (const FitInputError& e) {
      plain = e.what();
    }
    try {
      for (const CsvObservation& r : parse_observation_csv(mark + text, "w.csv"))
        marked += std::to_string(r.line) + ":" + std::to_string(r.value) + " ";
    } catch (const FitInputError& e) {
      marked = e.what();
    }
    EXPECT_EQ(marked, plain);
  }
  EXPECT_THROW(parse_observation_csv(mark + "1,2\n3,4\n", "w.csv"), FitInputError);
}

// Values whose squares cannot be formed, text that is not text and lines
// without end are refused with the line and these words.
TEST(ObservationCsv, RefusesWhatAFitCannotSquareOrIsNotText) {
  const std::string largest =
      "larger in magnitude than 1e+100, the largest kesta-fit takes: a fit squares and sums "
      "weighted values";
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"t,h\n1,2\n1.25,1e300,100\n", "w.csv:3: column 2 (value): 1e+300 is " + largest},
      {"t,h\n1,-1.5e155\n", "w.csv:2: column 2 (value): -1.5e+155 is " + largest},
      {"t,h\n1,2,1e160\n", "w.csv:2: column 3 (weight): 1e+160 is " + largest},
      {"t,h\n1,2,1e-200\n",
       "w.csv:2: column 3 (weight): 1e-200 is smaller than 1e-100, the smallest positive weight kesta-fit takes; a "
       "weight of 0 leaves the line out"},
      {"t,h\n1,-1e50,1e60\n", "w.csv:2: column 3 (weight): 1e+60 times the value -1e+50 is " + largest},
      {std::string("t,h\n1,2\n3,\x00\n", 11),
       "w.csv:3: column 3 holds the byte 0x00, which is not text; an observation record is CSV text"},
      {"t,h\x1b\n", "w.csv:1: column 4 holds the byte 0x1b, which is not text; an observation record is CSV text"},
      {"t,h\n1," + std::string(70000, '0') + "\n",
       "w.csv:2: the line is longer than 64 KiB; an observation record is CSV text of short lines"},
  };
  for (const auto& c : cases) {
    try {
      parse_observation_csv(c.text, "w.csv");
      ADD_FAILURE() << c.message << ": no error";
    } catch (const FitInputError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  // At the limits themselves: taken.
  const std::vector<CsvObservation> rows = parse_observation_csv("t,h,w\n1,1e100,1\n2,1,1e100\n3,1,1e-100\n", "w.csv");
  EXPECT_EQ(rows.size(), 3u);
}

TEST(ObservationCsv, MissingFileNamesIt) {
  try {
    read_observation_csv("/nonexistent/well.csv", "well.csv");
    ADD_FAILURE() << "no error";
  } catch (const FitInputError& e) {
    EXPECT_EQ(std::string(e.what()), "well.csv: cannot be read: No such file or directory");
  }
}

}  // namespace
}  // namespace kesta::fit_detail
