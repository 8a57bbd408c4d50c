#pragma once
// Report text shared by the tests that run kesta: records joined with their
// carriage return and line feed, and the banner box that heads every report.
#include <string>
#include <vector>

namespace kesta::testing {

inline std::string crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  return text;
}

inline std::string padded(const std::string& s, std::size_t n) { return s + std::string(n - s.size(), ' '); }

inline const std::string kBannerBox = crlf({
    "",
    "                *****************************************************",
    "                *                                                   *",
    "                *         ****  KELDERMOOR WATER BOARD  ****        *",
    "                *                                                   *",
    "                *          **** KESTA: PROGRAM OUTPUT ****          *",
    "                *                                                   *",
    "                * ONE-DIMENSIONAL MODEL OF STREAM-AQUIFER HYDRAULIC *",
    "                *                                                   *",
    "                *    INTERACTION FOR CONFINED AND LEAKY AQUIFERS    *",
    "                *                                                   *",
    "                *       BOUNDED BY A FULLY PENETRATING STREAM       *",
    "                *                                                   *",
    "                *           VERSION CURRENT AS OF 09/01/98          *",
    "                *                                                   *",
    "                *****************************************************",
    "",
    "",
});

}  // namespace kesta::testing
