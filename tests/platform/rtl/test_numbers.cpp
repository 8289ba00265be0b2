#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/SysUtils.h"

namespace {
struct FmtCase {
  const char* format;
  double value;
  const char* expected;
};

TEST(FormatFloat, Pictures) {
  const FmtCase cases[] = {
      {"0.0", 1.25, "1.3"},  // decimal digits round half away from zero
      {"0.0", 1.35, "1.4"},
      {"0.0", -1.25, "-1.3"},
      {"0.00", 1.005, "1.01"},
      {"##0.0", 95.5, "95.5"},
      {"##0.0", 0.04, "0.0"},
      {"##0", 1234.5, "1235"},
      {"#0.#", 3.0, "3"},
      {"#0.#", 3.14, "3.1"},
      {"#.00", 0.5, ".50"},
      {"0.###", 2.5, "2.5"},
      {"000", 7, "007"},
      {"#,##0.00", 1234567.891, "1,234,567.89"},
      {"#,##0", -1234, "-1,234"},
      {"0.00E+00", 12345, "1.23E+04"},
      {"0.0e-0", 0.00123, "1.2e-3"},
      {"0e-0", 100, "1e2"},
      {"0.0;(0.0)", -2.25, "(2.3)"},
      {"0.0;(0.0);zero", 0, "zero"},
      {"0.0;;zero", -1.5, "-1.5"},
      {"0 'rpm'", 2500, "2500 rpm"},
      {"\"T=\"0.0", 3.25, "T=3.3"},
      {"", 95.5, "95.5"},
      {"0.0", -0.04, "-0.0"},  // the runtime keeps the sign of a negative that rounds to 0
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFloat(c.format, c.value), c.expected) << c.format << " " << c.value;
}

TEST(FloatToStr, GeneralAndFixedForms) {
  const std::pair<double, const char*> general[] = {
      {95.5, "95.5"}, {0, "0"}, {-0.0, "0"}, {1e20, "1E20"}, {1e-5, "1E-5"}, {0.0001, "0.0001"},
      {123456789012345.0, "123456789012345"}, {1e15, "1E15"}, {0.1 + 0.2, "0.3"}, {-2.5, "-2.5"},
  };
  for (auto [v, s] : general) EXPECT_EQ(FloatToStr(v), s) << v;

  EXPECT_EQ(FloatToStrF(1.005, ffFixed, 15, 2), "1.01");
  EXPECT_EQ(FloatToStrF(2.5, ffFixed, 15, 0), "3");
  EXPECT_EQ(FloatToStrF(-0.001, ffFixed, 15, 2), "0.00");
  EXPECT_EQ(FloatToStrF(1234567.5, ffNumber, 15, 1), "1,234,567.5");
  EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), "1.235E+03");
  EXPECT_EQ(FloatToStrF(3.14159, ffGeneral, 3, 0), "3.14");
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(StrToInt, AcceptsDecimalAndHex) {
  const std::pair<const char*, int> ok[] = {
      {"12", 12}, {"-12", -12}, {"+7", 7}, {"  42", 42}, {"$1F", 31}, {"0x1f", 31},
      {"$FFFFFFFF", -1}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
  };
  for (auto [s, v] : ok) EXPECT_EQ(StrToInt(s), v) << s;
  EXPECT_EQ(StrToInt64("9000000000"), 9000000000LL);
}

TEST(StrToInt, RejectsWithTheRuntimeMessage) {
  for (const char* bad : {"1-2", "", "12a", "-", "$", "2147483648", "1.5", "12 "}) {
    EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
    EXPECT_EQ(StrToIntDef(bad, -7), -7) << bad;
  }
  try {
    StrToInt("12a");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12a' is not a valid integer value");
  }
}

TEST(StrToFloat, PointIsTheSeparator) {
  EXPECT_DOUBLE_EQ(StrToFloat("95.5"), 95.5);
  EXPECT_DOUBLE_EQ(StrToFloat(" -1.5e3 "), -1500);
  EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
  for (const char* bad : {"1,5", "", "abc", "1e", "NAN", "INF", "1e999"}) EXPECT_THROW(StrToFloat(bad), EConvertError) << bad;
  EXPECT_DOUBLE_EQ(StrToFloatDef("x", 2.5), 2.5);
}

TEST(IntToHex, PadsUpperCase) {
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0x12345, 2), "12345");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFFFFFFFFFF");
}

TEST(PascalStrVal, WidthDecimalsAndErrorPositions) {
  EXPECT_EQ(Str(3.14159, 8, 2), "    3.14");
  EXPECT_EQ(Str(-2.5, 0, 0), "-3");
  EXPECT_EQ(Str(int64_t{42}, 5), "   42");
  EXPECT_EQ(Str(1.5, 0, -1), " 1.50000000000000E+0000");

  const struct {
    const char* s;
    int code;
    double value;
  } cases[] = {{"12.5", 0, 12.5}, {"12a", 3, 0}, {"", 1, 0}, {" 7", 0, 7}, {"7 ", 2, 0}, {"1e3", 0, 1000}};
  for (const auto& c : cases) {
    double v = -1;
    int code = -1;
    Val(c.s, v, code);
    EXPECT_EQ(code, c.code) << c.s;
    EXPECT_DOUBLE_EQ(v, c.value) << c.s;
  }
  int i = -1, code = -1;
  Val("$10", i, code);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(i, 16);
  Val("1-2", i, code);
  EXPECT_EQ(code, 2);
}

TEST(Rounding, HalfToEvenTruncAndFrac) {
  const std::pair<double, int64_t> rounds[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0},
                                               {1.5, 2}, {2.4999, 2}, {-0.6, -1}, {1e15 + 0.5, 1000000000000000}};
  for (auto [x, r] : rounds) EXPECT_EQ(Round(x), r) << x;
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_EQ(Trunc(2.7), 2);
  EXPECT_DOUBLE_EQ(Frac(-1.25), -0.25);
  EXPECT_THROW(Round(std::nan("")), EInvalidOp);
  EXPECT_THROW(Trunc(1e19), EInvalidOp);
}

TEST(CheckedArithmetic, RaisesInsteadOfNanOrInfinity) {
  EXPECT_DOUBLE_EQ(CheckedDiv(1, 4), 0.25);
  EXPECT_THROW(CheckedDiv(1, 0), EZeroDivide);
  EXPECT_THROW(CheckedDiv(0, 0), EInvalidOp);
  EXPECT_THROW(CheckedDiv(1e308, 1e-10), EOverflow);
  EXPECT_THROW(CheckFloat(std::sqrt(-1.0)), EInvalidOp);
  EXPECT_THROW(CheckFloat(HUGE_VAL), EOverflow);
  EXPECT_THROW(CheckedIntDiv(5, 0), EDivByZero);
  EXPECT_EQ(CheckedIntDiv(-7, 2), -3);
  EXPECT_EQ(CheckedIntMod(-7, 2), -1);
  // Every math error is catchable as the common base.
  EXPECT_THROW(CheckedDiv(1, 0), EMathError);
}
}  // namespace
