// The ISO 8601 times read from their digits against the same texts read by
// the date library's stream parser: the same instant, the same daylight-saving
// notes, the same refusals. And the dates written in the results against the
// date library's own formatting, read back to the same instant.
#include <gtest/gtest.h>

#include <random>

#include "case/clock.hpp"

namespace kesta {
namespace {

using namespace std::chrono_literals;

struct Reading {
  std::optional<Instant> time;
  LocalTimeNotes notes;
};

// Reads the texts in order, as a record does, by the fast path or the streams.
std::vector<Reading> read_all(const TimeReader& reader, const std::vector<std::string>& texts, bool by_stream) {
  std::vector<Reading> out;
  std::optional<Instant> previous;
  LocalTimeNotes notes;
  int line = 1;
  for (const std::string& text : texts) {
    const std::optional<Instant> t =
        by_stream ? reader.read_by_stream(text, previous, line, notes) : reader.read(text, previous, line, notes);
    if (t) previous = t;
    out.push_back({t, notes});
    ++line;
  }
  return out;
}

void expect_agreement(const std::string& zone, const std::vector<std::string>& texts) {
  const TimeReader fast("", zone), streams("", zone);
  const std::vector<Reading> a = read_all(fast, texts, false), b = read_all(streams, texts, true);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE("'" + texts[i] + "' in " + zone);
    ASSERT_EQ(a[i].time.has_value(), b[i].time.has_value());
    if (a[i].time) {
      EXPECT_EQ(a[i].time->time_since_epoch().count(), b[i].time->time_since_epoch().count());
    }
    EXPECT_EQ(a[i].notes.skipped, b[i].notes.skipped);
    EXPECT_EQ(a[i].notes.repeated, b[i].notes.repeated);
    EXPECT_EQ(a[i].notes.first_skipped_line, b[i].notes.first_skipped_line);
    EXPECT_EQ(a[i].notes.first_repeated_line, b[i].notes.first_repeated_line);
  }
}

struct TextCase {
  std::string text;
  bool read;  // a time both paths take; false: refused by both
};

TEST(CaseClock, FastAndStreamReadTheSameTexts) {
  const TextCase cases[] = {
      {"2023-05-01", true},
      {"2024-02-29", true},  // leap day
      {"2023-02-29", false},
      {"2100-02-29", false},  // not a leap year
      {"2000-02-29T23:59:59.999", true},
      {"2023-05-01T01:07", true},
      {"2023-05-01 01:07", true},
      {"2023-05-01T01:07:30", true},
      {"2023-05-01T01:07:30.2", true},
      {"2023-05-01T01:07:30.25", true},
      {"2023-05-01T01:07:30.250", true},
      {"2023-05-01T01:07:30.2505", false},  // finer than a millisecond
      {"2023-05-01T01:07:30.", false},
      {"2023-05-01T01:07:30.Z", false},
      {"2023-05-01T01:07:00+02:00", true},
      {"2023-05-01T01:07:00+0200", true},
      {"2023-05-01T01:07+02", true},
      {"2023-05-01T01:07:00-05:30", true},
      {"2023-05-01T01:07:00.125Z", true},
      {"2023-05-01T01:07Z", true},
      {"2023-05-01T01:07:00+2:00", false},
      {"2023-05-01T01:07:00+02:0", false},
      {"2023-05-01T01:07:00+02:00:00", false},
      {"2023-05-01T01:07:00z", false},
      {"2023-05-01T01:07:00 +02:00", false},
      {"2023-05-01T24:00", false},
      {"2023-05-01T23:60", false},
      {"2023-05-01T23:59:60", false},  // no leap seconds
      {"2023-13-01", false},
      {"2023-00-10", false},
      {"2023-04-31", false},
      {"2023-05-00", false},
      {"2023-5-01", false},
      {"23-05-01", false},
      {"2023/05/01", false},
      {"2023-05-01T", false},
      {"2023-05-01 ", false},
      {"2023-05-01T1:07", false},
      {"2023-05-01T01", false},
      {"2023-05-01x01:07", false},
      {"+2023-05-01", false},
      {"", false},
      {"2023-05-01T01:07:00+02:00trailing", false},
      {"12.5", false},
      // Amsterdam: the clocks go forward at 02:00 on 26 March 2023 and back at 03:00 on 29 October.
      {"2023-03-26T02:30", true},
      {"2023-10-29T02:30", true},
      {"1900-01-01T12:00", true},  // local mean time, an offset with seconds
  };
  for (const std::string zone : {"UTC", "Europe/Amsterdam", "America/St_Johns"}) {
    std::vector<std::string> texts;
    for (const TextCase& c : cases) {
      texts.push_back(c.text);
      LocalTimeNotes notes;
      EXPECT_EQ(TimeReader("", zone).read(c.text, std::nullopt, 1, notes).has_value(), c.read) << c.text;
    }
    expect_agreement(zone, texts);
  }
}

TEST(CaseClock, DaylightSavingNightsInOrder) {
  // A logger through both changes, every 15 minutes of local time, with the
  // repeated hour written twice as a logger on local time writes it.
  const std::vector<std::string> spring = {"2023-03-26T01:30", "2023-03-26T01:45", "2023-03-26T02:00",
                                           "2023-03-26T02:15", "2023-03-26T02:45", "2023-03-26T03:00",
                                           "2023-03-26T03:15", "2023-03-27"};
  const std::vector<std::string> autumn = {"2023-10-28T23:00", "2023-10-29T02:00", "2023-10-29T02:30",
                                           "2023-10-29T02:45", "2023-10-29T02:00", "2023-10-29T02:30",
                                           "2023-10-29T03:00", "2023-10-29T04:00"};
  expect_agreement("Europe/Amsterdam", spring);
  expect_agreement("Europe/Amsterdam", autumn);
  expect_agreement("America/New_York", {"2023-03-12T01:59", "2023-03-12T02:30", "2023-03-12T03:01", "2023-11-05T01:30",
                                        "2023-11-05T01:30:01", "2023-11-05T01:30"});
  // The second 02:30 of the autumn night is an hour after the first.
  const std::vector<Reading> a = read_all(TimeReader("", "Europe/Amsterdam"), autumn, false);
  EXPECT_EQ(*a[5].time - *a[2].time, 1h);
  EXPECT_EQ(a.back().notes.repeated, 5);  // 02:00, 02:30 and 02:45, then 02:00 and 02:30 again
}

TEST(CaseClock, FastAndStreamAgreeOnMangledTexts) {
  // Valid times with characters replaced, inserted or dropped: a fixed seed,
  // so a disagreement is found again.
  const std::string seeds[] = {"2023-10-29T02:30:15.125+01:00", "2024-02-29 23:59", "2023-03-26T02:30:00Z",
                               "1999-12-31T23:59:59-0330"};
  const std::string alphabet = "0123456789-:T Z+.x";
  std::mt19937 random(20231029);
  std::vector<std::string> texts;
  for (int i = 0; i < 20000; ++i) {
    std::string s = seeds[random() % std::size(seeds)];
    const int edits = 1 + static_cast<int>(random() % 3);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = random() % (s.size() + 1);
      const char c = alphabet[random() % alphabet.size()];
      switch (random() % 3) {
        case 0:
          if (at < s.size()) s[at] = c;
          break;
        case 1: s.insert(at, 1, c); break;
        default:
          if (at < s.size()) s.erase(at, 1);
      }
    }
    texts.push_back(s);
  }
  // One at a time, so that the reading before never decides a repeated hour differently.
  for (const std::string& text : texts) expect_agreement("Europe/Amsterdam", {text});
}

TEST(CaseClock, DatesWrittenAsTheDateLibraryWritesThemAndReadBack) {
  for (const std::string zone : {"UTC", "Europe/Amsterdam", "America/St_Johns", "Australia/Lord_Howe"}) {
    const date::time_zone& z = *date::locate_zone(zone);
    const TimeReader reader("", zone);
    std::vector<Instant> instants;
    // Every 97 minutes over two years (both changes of each), some with milliseconds,
    // and a day of 1900 on local mean time.
    const Instant from = date::sys_days(date::year{2022} / 12 / 1);
    for (int i = 0; i < 2 * 365 * 24 * 60 / 97; ++i) instants.push_back(from + std::chrono::minutes(97 * i));
    for (int i = 0; i < 100; ++i) instants.push_back(from + std::chrono::milliseconds(123457 * i));
    for (int i = 0; i < 48; ++i) instants.push_back(date::sys_days(date::year{1900} / 1 / 1) + std::chrono::hours(i));
    std::string many;
    IsoWriter writer(z);
    for (const Instant t : instants) {
      const bool whole = t.time_since_epoch() % 1s == 0ms;
      const std::string expected = whole ? date::format("%FT%T%Ez", date::zoned_time<std::chrono::seconds>(
                                                                        &z, date::floor<std::chrono::seconds>(t)))
                                         : date::format("%FT%T%Ez", date::zoned_time<std::chrono::milliseconds>(&z, t));
      const std::string text = iso_text(t, z);
      ASSERT_EQ(text, expected) << zone;
      many += text + "\n";
      writer.append(many, t);
      many += "\n";
      // Written with its offset, the date reads back to the instant,
      // unless the offset had seconds that the text leaves out.
      LocalTimeNotes notes;
      if (z.get_info(date::floor<std::chrono::seconds>(t)).offset % 60s == 0s) {
        EXPECT_EQ(reader.read(text, std::nullopt, 1, notes), t) << text;
      }
    }
    // The writer that remembers its offset period writes what a fresh one does.
    std::string fresh;
    for (const Instant t : instants) fresh += iso_text(t, z) + "\n" + iso_text(t, z) + "\n";
    EXPECT_EQ(many, fresh) << zone;
  }
}

}  // namespace
}  // namespace kesta
