#include "plot/tests/plot_file_text.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <unistd.h>

#include "io/record_editing.hpp"
#include "plot/plot_file.hpp"

namespace kesta::plot::testing {

std::string plot_file_text(const std::vector<Row>& rows) {
  std::string text = std::string(kPlotHeader) + "\r\n";
  for (const Row& r : rows) {
    // 1X,E13.6,2X,E11.5,2X,E10.4,2X,E10.4,2X,E10.4,2X,E10.4
    text += " " + edit_real(r[0], 13, 6, 'E') + "  " + edit_real(r[1], 11, 5, 'E') + "  " +
            edit_real(r[2], 10, 4, 'E') + "  " + edit_real(r[3], 10, 4, 'E') + "  " + edit_real(r[4], 10, 4, 'E') +
            "  " + edit_real(r[5], 10, 4, 'E') + "\r\n";
  }
  return text;
}

std::vector<Row> ramp_rows(int count) {
  std::vector<Row> rows;
  for (int i = 0; i < count; ++i) {
    const double x = i;
    rows.push_back({x, x, -x, -2 * x, 3 * x, 6 * x});
  }
  return rows;
}

TempFile::TempFile(const std::string& name, const std::string& content) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
  path_ =
      (std::filesystem::temp_directory_path() / ("kesta_plot_" + std::to_string(::getpid()) + "_" + test + "_" + name))
          .string();
  std::ofstream(path_, std::ios::binary) << content;
}

TempFile::~TempFile() {
  std::error_code ec;
  std::filesystem::remove(path_, ec);
}

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace kesta::plot::testing
