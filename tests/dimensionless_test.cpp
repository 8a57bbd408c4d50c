#include "model/dimensionless.hpp"
#include "report/dimensionless_block.hpp"

#include <gtest/gtest.h>

#include "model_fixture.hpp"

namespace kesta {
namespace {

using testing::file_bytes;
using testing::temp_path;

// A deck's physical values with every feature switched on; codes set per test.
Deck physical_state() {
  Deck state;
  state.XZERO = 10.0;
  state.XLL = 250.0;
  state.XAA = 5.0;
  state.AK = 2.0;
  state.AS = 1e-4;
  state.AB = 4.0;
  state.AKT = 0.5;
  state.AST = 2e-4;
  state.ABT = 8.0;
  state.ASYT = 0.2;
  state.X = 30.0;
  return state;
}

TEST(DimensionlessParameters, WaterTableAquitardExample) {
  Deck state;
  state.IAQ = 3;
  state.XZERO = 1.0;
  state.AK = state.AB = state.AS = 1.0;
  state.AKT = 4.0;
  state.ABT = 1.0;
  state.AST = 2.0;
  state.ASYT = 0.5;
  const Derived d = derive(state);
  // Worked example: sqrt(4) = 2, 2 / 1 and 1 / 0.5, all exact.
  EXPECT_EQ(d.GAMMA1, 2.0);
  EXPECT_EQ(d.SIGMA1, 2.0);
  EXPECT_EQ(d.SIGMAP, 2.0);
}

TEST(DimensionlessParameters, EveryFeatureOn) {
  Deck state = physical_state();
  state.IXL = 1;
  state.IXA = 1;
  state.IAQ = 3;
  const Derived d = derive(state);
  EXPECT_EQ(d.XD, 3.0);
  EXPECT_EQ(d.XZEROD, 2.5);  // XZERO / AB, not XZERO / XZERO
  EXPECT_EQ(d.XLLD, 25.0);
  EXPECT_EQ(d.XAAD, 0.5);
  // GAMMA1 is not AKT / AK: its square is XZERO² AKT / (AK AB ABT) = 50 / 64.
  EXPECT_DOUBLE_EQ(d.GAMMA1 * d.GAMMA1, 50.0 / 64.0);
  EXPECT_DOUBLE_EQ(d.SIGMA1, 4.0);    // aquitard storativity 1.6e-3 over aquifer 4e-4
  EXPECT_DOUBLE_EQ(d.SIGMAP, 0.002);  // aquifer storativity 4e-4 over ASYT 0.2
}

TEST(DimensionlessParameters, SwitchedOffFeaturesTakeTheirDefaults) {
  Deck state = physical_state();  // XLL, XAA and the aquitard are given but unused
  state.IXL = 0;
  state.IXA = 0;
  state.IAQ = 0;
  const Derived d = derive(state);
  EXPECT_EQ(d.XLLD, 0.0);
  EXPECT_EQ(d.XAAD, 0.0);
  EXPECT_EQ(d.GAMMA1, 0.0001);
  EXPECT_EQ(d.SIGMA1, 0.0001);
  EXPECT_EQ(d.SIGMAP, 0.0);
}

TEST(DimensionlessParameters, LeakyWithoutWaterTableHasNoSpecificYieldRatio) {
  for (int IAQ : {1, 2}) {
    Deck state = physical_state();
    state.IAQ = IAQ;
    const Derived d = derive(state);
    EXPECT_EQ(d.SIGMAP, 0.0) << IAQ;
    EXPECT_DOUBLE_EQ(d.SIGMA1, 4.0) << IAQ;
  }
}

// The block as it reaches the report, lines ending CR LF.
std::string printed_block(const Deck& state) {
  const auto path = temp_path("dimensionless");
  {
    OutputUnit report;
    EXPECT_FALSE(report.open(16, path.string()));
    write_dimensionless_block(state, derive(state), report);
    EXPECT_FALSE(report.close());
  }
  std::string bytes = file_bytes(path);
  std::filesystem::remove(path);
  return bytes;
}

const std::string TITLE_LINES =
    "\r\n"
    "\r\n"
    "              DIMENSIONLESS PARAMETERS (CALCULATED BY PROGRAM)\r\n"
    "              ------------------------------------------------\r\n"
    "\r\n";

TEST(DimensionlessBlock, FiniteAquiferWithWaterTableAquitard) {
  Deck state = physical_state();
  state.IXL = 1;
  state.IXA = 1;
  state.IAQ = 3;
  EXPECT_EQ(printed_block(state), TITLE_LINES +
                                      "   DIMENSIONLESS DISTANCE TO WELL (XD):                      0.300D+01\r\n"
                                      "   DIMENSIONLESS DISTANCE TO STREAMBANK (XZEROD):            0.250D+01\r\n"
                                      "   DIMENSIONLESS WIDTH OF AQUIFER (XLLD):                    0.250D+02\r\n"
                                      "   DIMENSIONLESS STREAMBANK LEAKANCE (XAAD):                 0.500D+00\r\n"
                                      "   DIMENSIONLESS RATIO OF AQUITARD TO AQUIFER\r\n"
                                      "      STORATIVITY (SIGMA1):                                  0.400D+01\r\n"
                                      "   DIMENSIONLESS RATIO OF AQUITARD TO AQUIFER HYDRAULIC\r\n"
                                      "      CONDUCTIVITY (GAMMA1):                                 0.884D+00\r\n"
                                      "   DIMENSIONLESS RATIO OF AQUIFER STORATIVITY\r\n"
                                      "      TO AQUITARD SPECIFIC YIELD (SIGMAP):                   0.200D-02\r\n");
}

TEST(DimensionlessBlock, SemiInfiniteConfinedPrintsInfiniteAndDefaults) {
  const std::string block = printed_block(physical_state());
  EXPECT_EQ(block, TITLE_LINES +
                       "   DIMENSIONLESS DISTANCE TO WELL (XD):                      0.300D+01\r\n"
                       "   DIMENSIONLESS DISTANCE TO STREAMBANK (XZEROD):            0.250D+01\r\n"
                       "   DIMENSIONLESS WIDTH OF AQUIFER (XLLD):                     INFINITE\r\n"
                       "   DIMENSIONLESS STREAMBANK LEAKANCE (XAAD):                 0.000D+00\r\n"
                       "   DIMENSIONLESS RATIO OF AQUITARD TO AQUIFER\r\n"
                       "      STORATIVITY (SIGMA1):                                  0.100D-03\r\n"
                       "   DIMENSIONLESS RATIO OF AQUITARD TO AQUIFER HYDRAULIC\r\n"
                       "      CONDUCTIVITY (GAMMA1):                                 0.100D-03\r\n"
                       "   DIMENSIONLESS RATIO OF AQUIFER STORATIVITY\r\n"
                       "      TO AQUITARD SPECIFIC YIELD (SIGMAP):                   0.000D+00\r\n");
  // INFINITE stands flush right with the numeric fields, columns 63 to 70.
  const auto at = block.find("INFINITE");
  const auto line_start = block.rfind('\n', at) + 1;
  EXPECT_EQ(at - line_start + 1, 63u);
  EXPECT_EQ(block.substr(at + 8, 2), "\r\n");
}

TEST(DimensionlessBlock, UnknownExtentPrintsNoWidthLine) {
  Deck state = physical_state();
  state.IXL = 2;
  const std::string block = printed_block(state);
  EXPECT_EQ(block.find("WIDTH OF AQUIFER"), std::string::npos);
  EXPECT_NE(block.find("STREAMBANK LEAKANCE"), std::string::npos);
}

}  // namespace
}  // namespace kesta
