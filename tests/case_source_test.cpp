// Cases held in memory: the case text with its records given as readings is
// the case its files make, deck for deck; a reading at fault is named by its
// label; a record or deck the text names must be given, and only those.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>

#include "kesta/case.hpp"
#include "run_kesta.hpp"

namespace kesta::testing {
namespace {

const std::string kAquifer =
    "x = 50.0\n[aquifer]\ntype = \"confined\"\nstream_half_width = 10.0\nstream_length = 1000.0\n"
    "conductivity = 5.0\nspecific_storage = 2e-4\nthickness = 20.0\n";

std::string case_text(const std::string& file, const std::string& run) {
  return kAquifer + "[stage]\nfile = \"" + file + "\"\ndatum = \"first\"\n[run]\n" + run;
}

RecordReadings readings(std::vector<std::string> times, std::vector<double> values) {
  RecordReadings r;
  r.name = "stage";
  r.times = std::move(times);
  r.values = std::move(values);
  r.label = [](std::size_t i) { return "L" + std::to_string(i); };
  return r;
}

const std::vector<std::string> kAmsterdam = {"2023-03-26 00:00", "2023-03-26 01:00", "2023-03-26 03:00",
                                             "2023-03-26 03:30", "2023-03-26 05:00"};

TEST(CaseSource, TheReadingsMakeTheDeckTheirFileMakes) {
  struct Row {
    const char* name;
    std::vector<std::string> times;
    std::string run;
  };
  const Row rows[] = {
      {"local times in a zone with daylight saving", kAmsterdam, "step = \"30 min\"\nzone = \"Europe/Amsterdam\"\n"},
      {"numeric times", {"0", "0.25", "0.5", "1", "1.5"}, "step = 0.125\n"},
  };
  const std::vector<double> values = {1.0, 1.0 / 3.0, 2.5, -0.125, 7e-3};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder folder;
    std::string csv = "t,v\n";
    for (std::size_t i = 0; i < values.size(); ++i) {
      char number[32];
      csv += row.times[i] + "," + std::string(number, std::to_chars(number, number + 32, values[i]).ptr) + "\n";
    }
    write_file(folder / "stage.csv", csv);
    write_file(folder / "case.toml", case_text("stage.csv", row.run));
    const PreparedCase from_file = read_case(folder / "case.toml");

    CaseSource source{case_text("memory", row.run), "memory case", std::nullopt, readings(row.times, values), {}};
    source.stage->label = nullptr;
    const PreparedCase held = prepare_case(source);
    EXPECT_EQ(held.deck.STAGE, from_file.deck.STAGE);
    EXPECT_EQ(held.deck.TIME, from_file.deck.TIME);
    EXPECT_EQ(held.deck.NT, from_file.deck.NT);
    EXPECT_EQ(held.calendar.dated(), from_file.calendar.dated());
    EXPECT_EQ(held.calendar.unix_millis_of(1.0), from_file.calendar.unix_millis_of(1.0));
  }
}

TEST(CaseSource, AReadingAtFaultIsNamedByItsLabel) {
  struct Row {
    const char* name;
    std::vector<std::string> times;
    std::vector<double> values;
    std::string message;
    std::size_t position;
  };
  const double nan = std::nan("");
  const std::vector<std::string> hours = {"2023-05-01 00:00", "2023-05-01 01:00", "2023-05-01 02:00",
                                          "2023-05-01 03:00", "2023-05-01 04:00"};
  const Row rows[] = {
      {"a repeated time",
       {hours[0], hours[1], hours[1], hours[3], hours[4]},
       {1, 2, 3, 4, 5},
       "stage: reading L2: the time '2023-05-01 01:00' repeats the time of reading L1; times must increase down "
       "the record",
       2},
      {"a gap of missing values",
       hours,
       {1, nan, nan, nan, 5},
       "stage: reading L4: a gap from the reading at 2023-05-01T00:00:00+00:00 (reading L0) to the reading at "
       "2023-05-01T04:00:00+00:00 (reading L4) is longer than max_gap; shorten the run or raise max_gap",
       4},
      {"a time that would split its line",
       {hours[0], "2023-05-01,01:00", hours[2], hours[3], hours[4]},
       {1, 2, 3, 4, 5},
       "stage: reading L1: the time '2023-05-01,01:00' is not a time a record holds",
       1},
      {"a value that is no number",
       hours,
       {1, 2, HUGE_VAL, 4, 5},
       "stage: reading L2: the value 'inf' is not a number (a missing reading is written empty, NA, NaN or as the "
       "case's missing values)",
       2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const RecordReadings stage = readings(row.times, row.values);
    const CaseSource source{
        case_text("memory", "step = \"1 h\"\nmax_gap = \"3 h\"\n"), "memory case", std::nullopt, stage, {}};
    try {
      (void)prepare_case(source);
      ADD_FAILURE() << "no error";
    } catch (const ReadingError& e) {
      EXPECT_EQ(std::string(e.what()), row.message);
      EXPECT_EQ(e.position(), row.position);
      EXPECT_EQ(e.label(), "L" + std::to_string(row.position));
    }
  }
}

TEST(CaseSource, WhatTheTextNamesMustBeGivenAndNothingElse) {
  const RecordReadings stage = readings({"0", "1"}, {0.0, 1.0});
  struct Row {
    const char* name;
    CaseSource source;
    std::string message;
  };
  const Row rows[] = {
      {"a record not given",
       {case_text("memory", "step = 0.5\n"), "memory case", std::nullopt, std::nullopt, {}},
       "memory case:9: [stage] names a record that was not given"},
      {"a record the text lacks",
       {case_text("memory", "step = 0.5\n"), "memory case", std::nullopt, stage, stage},
       "memory case: a recharge record is given but there is no [recharge]"},
      {"a deck with [aquifer]",
       {case_text("memory", "step = 0.5\n"), "memory case", Deck{}, stage, {}},
       "memory case: a deck is given but the aquifer is [aquifer]; give deck = \"...\""},
      {"unequal times and values",
       {case_text("memory", "step = 0.5\n"), "memory case", std::nullopt, readings({"0", "1"}, {0.0}), {}},
       "stage: holds 2 times and 1 values; a record holds one of each per reading"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    try {
      (void)prepare_case(row.source);
      ADD_FAILURE() << "no error";
    } catch (const ReadingError& e) {
      ADD_FAILURE() << e.what();
    } catch (const CaseError& e) {
      EXPECT_EQ(std::string(e.what()), row.message);
    }
  }
}

}  // namespace
}  // namespace kesta::testing
