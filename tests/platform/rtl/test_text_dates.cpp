#include <gtest/gtest.h>

#include "platform/rtl/SysUtils.h"

namespace {
TEST(Text, TrimCaseAndCompare) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("  x "), "x ");
  EXPECT_EQ(TrimRight("  x "), "  x");
  EXPECT_EQ(UpperCase("abc\xE9"), "ABC\xE9");  // only ASCII letters change
  EXPECT_EQ(LowerCase("ABC"), "abc");
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_GT(CompareText("abcd", "ABC"), 0);
  EXPECT_LT(CompareText("A", "_"), 0);  // compared as upper case, like the runtime
  EXPECT_TRUE(SameText("Main", "MAIN"));
  EXPECT_FALSE(SameText("Main", "Mains"));
}

TEST(FileNames, PartsAndExtensions) {
  EXPECT_EQ(ExtractFilePath("/home/u/maps/a.map"), "/home/u/maps/");
  EXPECT_EQ(ExtractFileName("/home/u/maps/a.map"), "a.map");
  EXPECT_EQ(ExtractFileExt("/home/u/maps/a.map"), ".map");
  EXPECT_EQ(ExtractFileExt("/home/u.d/noext"), "");
  EXPECT_EQ(ChangeFileExt("/x/a.map", ".bak"), "/x/a.bak");
  EXPECT_EQ(ChangeFileExt("/x.d/a", ".ini"), "/x.d/a.ini");
  EXPECT_EQ(ExtractFilePath("plain"), "");
  EXPECT_FALSE(FileExists("/nonexistent/file"));
  EXPECT_FALSE(FileExists("/tmp"));  // a folder is not a file
  EXPECT_TRUE(DirectoryExists("/tmp"));
  EXPECT_EQ(ConfigFilePath("R7TQ5.ini"), ConfigFolder() + "R7TQ5.ini");
  EXPECT_EQ(ConfigFilePath("/etc/x.ini"), "/etc/x.ini");
}

TEST(Dates, EncodeDecodeRoundTrip) {
  EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_DOUBLE_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_NO_THROW(EncodeDate(2024, 2, 29));

  Word y, m, d, h, n, s, ms;
  DecodeDate(EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 59, 999), y, m, d);
  EXPECT_EQ(y, 2024);
  EXPECT_EQ(m, 2);
  EXPECT_EQ(d, 29);
  DecodeTime(EncodeTime(13, 45, 30, 250), h, n, s, ms);
  EXPECT_EQ(h, 13);
  EXPECT_EQ(n, 45);
  EXPECT_EQ(s, 30);
  EXPECT_EQ(ms, 250);
  // Negative values count days back, the fraction is still the time of that day.
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(d, 29);
  EXPECT_EQ(h, 6);
  // A time that rounds up to midnight moves the date on with it.
  DecodeDate(1.9999999999, y, m, d);
  DecodeTime(1.9999999999, h, n, s, ms);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(h, 0);
}

TEST(Dates, FormatDateTime) {
  const TDateTime t = EncodeDate(2024, 3, 7) + EncodeTime(14, 5, 9, 42);
  const std::pair<const char*, const char*> cases[] = {
      {"hh:mm", "14:05"},       {"hh:nn:ss.zzz", "14:05:09.042"}, {"dd/mm/yyyy", "07/03/2024"},
      {"yyyy", "2024"},         {"d", "7"},                       {"m", "3"},
      {"yy", "24"},             {"h:nn am/pm", "2:05 pm"},        {"hh AM/PM", "02 PM"},
      {"h a/p", "2 p"},         {"'at' hh\"h\"", "at 14h"},       {"d/m/yy h:n:s", "7/3/24 14:5:9"},
  };
  for (auto [f, s] : cases) EXPECT_EQ(FormatDateTime(f, t), s) << f;
  EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(0, 30, 0, 0)), "12 am");
}

}  // namespace
