#include <gtest/gtest.h>

#include "platform/rtl/AnsiString.h"

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
  AnsiString all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(cp1252::FromUtf8(cp1252::ToUtf8(all)), all);
}

TEST(Cp1252, KnownCharacters) {
  EXPECT_EQ(cp1252::ToUtf8("\xB0"), "\xC2\xB0");          // degree sign
  EXPECT_EQ(cp1252::ToUtf8("\x80"), "\xE2\x82\xAC");      // euro sign
  EXPECT_EQ(cp1252::FromUtf8("\xE2\x80\x94"), "\x97");   // em dash
  EXPECT_EQ(cp1252::FromUtf8("\xE4\xB8\xAD"), "?");      // not in the code page
  EXPECT_EQ(cp1252::FromUtf8("a\xC3"), "a?");            // truncated sequence
}
