// Values of the binary component stream: encodings byte by byte, and readers that refuse
// truncated or corrupt input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include "platform/streaming/Extended.h"
#include "platform/streaming/Filer.h"

namespace {

AnsiString Bytes(std::initializer_list<int> b) {
  AnsiString s;
  for (int v : b) s += static_cast<char>(v);
  return s;
}

template <class F>
AnsiString Written(F f) {
  AnsiString out;
  TWriter w(out);
  f(w);
  return out;
}

TEST(ComponentStream, ValueTypeCodesAreFixed) {
  const std::pair<TValueType, int> codes[] = {
      {vaNull, 0},    {vaList, 1},   {vaInt8, 2},     {vaInt16, 3},      {vaInt32, 4},   {vaExtended, 5},
      {vaString, 6},  {vaIdent, 7},  {vaFalse, 8},    {vaTrue, 9},       {vaBinary, 10}, {vaSet, 11},
      {vaLString, 12}, {vaNil, 13},  {vaCollection, 14}, {vaSingle, 15}, {vaCurrency, 16}, {vaDate, 17},
      {vaWString, 18}, {vaInt64, 19}, {vaUTF8String, 20}};
  for (auto [type, code] : codes) EXPECT_EQ(static_cast<int>(type), code) << ValueTypeName(type);
}

TEST(ComponentStream, IntegersTakeTheSmallestForm) {
  struct Row {
    int64_t value;
    AnsiString bytes;
  };
  const Row rows[] = {
      {0, Bytes({2, 0x00})},
      {127, Bytes({2, 0x7F})},
      {128, Bytes({3, 0x80, 0x00})},
      {-128, Bytes({2, 0x80})},
      {-129, Bytes({3, 0x7F, 0xFF})},
      {32767, Bytes({3, 0xFF, 0x7F})},
      {32768, Bytes({4, 0x00, 0x80, 0x00, 0x00})},
      {-32768, Bytes({3, 0x00, 0x80})},
      {-32769, Bytes({4, 0xFF, 0x7F, 0xFF, 0xFF})},
      {INT32_MAX, Bytes({4, 0xFF, 0xFF, 0xFF, 0x7F})},
      {INT32_MIN, Bytes({4, 0x00, 0x00, 0x00, 0x80})},
      {int64_t{INT32_MAX} + 1, Bytes({19, 0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0})},
      {8454016, Bytes({4, 0x80, 0xFF, 0x80, 0x00})},
  };
  for (const Row& r : rows) {
    AnsiString out = Written([&](TWriter& w) { w.WriteInteger(r.value); });
    EXPECT_EQ(out, r.bytes) << r.value;
    TReader reader(out.data(), out.size());
    EXPECT_EQ(reader.ReadInt64(), r.value);
    EXPECT_EQ(reader.Position(), out.size());
  }
}

TEST(ComponentStream, ReadIntegerRefusesValuesBeyond32Bits) {
  AnsiString out = Written([](TWriter& w) { w.WriteInteger(int64_t{1} << 40); });
  TReader r(out.data(), out.size());
  EXPECT_THROW(r.ReadInteger(), EReadError);
}

TEST(ComponentStream, StringsSwitchToLongFormBeyond255Bytes) {
  AnsiString s255(255, 'a'), s256(256, 'b');
  AnsiString short_form = Written([&](TWriter& w) { w.WriteString(s255); });
  ASSERT_EQ(short_form.size(), 2u + 255);
  EXPECT_EQ(short_form.substr(0, 2), Bytes({6, 255}));
  AnsiString long_form = Written([&](TWriter& w) { w.WriteString(s256); });
  ASSERT_EQ(long_form.size(), 5u + 256);
  EXPECT_EQ(long_form.substr(0, 5), Bytes({12, 0x00, 0x01, 0x00, 0x00}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteString(""); }), Bytes({6, 0}));

  AnsiString both = short_form + long_form;
  TReader r(both.data(), both.size());
  EXPECT_EQ(r.ReadString(), s255);
  EXPECT_EQ(r.ReadString(), s256);
}

TEST(ComponentStream, WideAndUtf8StringsReadAsWindows1252) {
  AnsiString out = Written([](TWriter& w) {
    w.WriteWideString(u"\u00B0C \u20AC");
    w.WriteUTF8String("\xC2\xB0" "F");
  });
  EXPECT_EQ(out.substr(0, 5), Bytes({18, 4, 0, 0, 0}));
  TReader r(out.data(), out.size());
  EXPECT_EQ(r.ReadString(), "\xB0" "C \x80");
  EXPECT_EQ(r.ReadString(), "\xB0" "F");
}

TEST(ComponentStream, IdentifiersSetsAndBooleans) {
  AnsiString out = Written([](TWriter& w) {
    w.WriteIdent("clRed");
    w.WriteIdent("True");
    w.WriteIdent("false");
    w.WriteIdent("nil");
    w.WriteSet({"fsBold", "fsItalic"});
    w.WriteSet({});
  });
  EXPECT_EQ(out, Bytes({7, 5, 'c', 'l', 'R', 'e', 'd', 9, 8, 13, 11, 6, 'f', 's', 'B', 'o', 'l', 'd', 8, 'f', 's',
                        'I', 't', 'a', 'l', 'i', 'c', 0, 11, 0}));
  TReader r(out.data(), out.size());
  EXPECT_EQ(r.ReadIdent(), "clRed");
  EXPECT_TRUE(r.ReadBoolean());
  EXPECT_FALSE(r.ReadBoolean());
  EXPECT_EQ(r.ReadIdent(), "nil");
  EXPECT_EQ(r.ReadSet(), (std::vector<AnsiString>{"fsBold", "fsItalic"}));
  EXPECT_TRUE(r.ReadSet().empty());
}

TEST(ComponentStream, BinaryBlocksCarryA32BitLength) {
  const char data[] = {1, 0, 2, static_cast<char>(0xFF)};
  AnsiString out = Written([&](TWriter& w) { w.WriteBinary(data, sizeof data); });
  EXPECT_EQ(out, Bytes({10, 4, 0, 0, 0, 1, 0, 2, 0xFF}));
  TReader r(out.data(), out.size());
  EXPECT_EQ(r.ReadBinary(), AnsiString(data, sizeof data));
}

TEST(ComponentStream, NestedListsAndCollections) {
  AnsiString out = Written([](TWriter& w) {
    w.WriteListBegin();
    w.WriteInteger(1);
    w.WriteListBegin();
    w.WriteString("x");
    w.WriteListEnd();
    w.WriteListBegin();
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteValue(vaCollection);
    w.WriteListBegin();
    w.WriteStr("Width");
    w.WriteInteger(50);
    w.WriteListEnd();
    w.WriteListEnd();
  });
  EXPECT_EQ(out, Bytes({1, 2, 1, 1, 6, 1, 'x', 0, 1, 0, 0, 14, 1, 5, 'W', 'i', 'd', 't', 'h', 2, 50, 0, 0}));
  TReader r(out.data(), out.size());
  r.ReadListBegin();
  EXPECT_EQ(r.ReadInteger(), 1);
  r.ReadListBegin();
  EXPECT_EQ(r.ReadString(), "x");
  EXPECT_TRUE(r.EndOfList());
  r.ReadListEnd();
  r.ReadListBegin();
  r.ReadListEnd();
  r.ReadListEnd();
  r.SkipValue();
  EXPECT_EQ(r.Position(), out.size());
}

TEST(ComponentStream, FloatsAreStoredAsX87Extended) {
  EXPECT_EQ(Written([](TWriter& w) { w.WriteFloat(1.0); }), Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteFloat(-2.5); }), Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteFloat(0.0); }), Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  const double values[] = {0.1, -123.456, 1e300, -1e-300, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308, 3.0};
  for (double v : values) EXPECT_EQ(streaming::ExtendedToDouble(streaming::DoubleToExtended(v)), v) << v;
  EXPECT_TRUE(std::signbit(streaming::ExtendedToDouble(streaming::DoubleToExtended(-0.0))));
  EXPECT_THROW(Written([](TWriter& w) { w.WriteFloat(NAN); }), EWriteError);
}

TEST(ComponentStream, ExtendedRoundsToNearestEvenAndRefusesWhatADoubleCannotHold) {
  // 1 + 2^-53 exactly halfway between two doubles: rounds to the even one (1.0);
  // 1 + 3 * 2^-53 rounds up to 1 + 2^-51.
  streaming::Extended80 half = {0x00, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(streaming::ExtendedToDouble(half), 1.0);
  streaming::Extended80 three = {0x00, 0x0C, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(streaming::ExtendedToDouble(three), 1.0 + std::ldexp(1.0, -51));
  streaming::Extended80 huge = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F};  // 2^16383
  EXPECT_THROW(streaming::ExtendedToDouble(huge), EReadError);
  streaming::Extended80 inf = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F};
  EXPECT_THROW(streaming::ExtendedToDouble(inf), EReadError);
  streaming::Extended80 tiny = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00};  // 2^-16382
  EXPECT_EQ(streaming::ExtendedToDouble(tiny), 0.0);
}

TEST(ComponentStream, OtherNumberForms) {
  AnsiString out = Written([](TWriter& w) {
    w.WriteSingle(0.5f);
    w.WriteCurrency(123400);
    w.WriteDate(36526.5);
  });
  EXPECT_EQ(out.substr(0, 5), Bytes({15, 0, 0, 0, 0x3F}));
  TReader r(out.data(), out.size());
  EXPECT_EQ(r.ReadSingle(), 0.5f);
  EXPECT_EQ(r.ReadCurrency(), 123400);
  EXPECT_EQ(r.ReadDate(), 36526.5);
}

TEST(ComponentStream, WrongValueTypesRaise) {
  AnsiString out = Written([](TWriter& w) { w.WriteString("x"); });
  TReader r(out.data(), out.size());
  EXPECT_THROW(r.ReadInteger(), EReadError);
  AnsiString bad = Bytes({21});
  TReader r2(bad.data(), bad.size());
  EXPECT_THROW(r2.ReadValue(), EReadError);
}

TEST(ComponentStream, EveryTruncationRaisesInsteadOfReadingPastTheEnd) {
  AnsiString out = Written([](TWriter& w) {
    w.WriteListBegin();
    w.WriteInteger(100000);
    w.WriteString(AnsiString(300, 'z'));
    w.WriteFloat(2.5);
    w.WriteBinary("abc", 3);
    w.WriteSet({"a"});
    w.WriteIdent("x");
    w.WriteListEnd();
  });
  for (size_t n = 0; n < out.size(); ++n) {
    // A copy of exactly n bytes, so that reading past it is caught by the sanitizers too.
    std::vector<char> cut(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n));
    TReader r(cut.data(), cut.size());
    EXPECT_THROW(r.SkipValue(), EReadError) << n;
  }
  TReader whole(out.data(), out.size());
  whole.SkipValue();
}

TEST(ComponentStream, ALengthBeyondTheDataRaisesWithoutAllocating) {
  AnsiString bad = Bytes({10, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2});
  TReader r(bad.data(), bad.size());
  EXPECT_THROW(r.ReadBinary(), EReadError);
  AnsiString wide = Bytes({18, 0xFF, 0xFF, 0xFF, 0xFF});
  TReader r2(wide.data(), wide.size());
  EXPECT_THROW(r2.ReadString(), EReadError);
}

TEST(ComponentStream, DeepNestingRaises) {
  AnsiString deep(100000, static_cast<char>(vaList));
  TReader r(deep.data(), deep.size());
  EXPECT_THROW(r.SkipValue(), EReadError);
}

TEST(ComponentStream, ReaderOnAStreamLeavesItAfterTheValuesRead) {
  TMemoryStream s;
  {
    TWriter w(s);
    w.WriteInteger(5);
    w.WriteString("tail");
  }
  s.SetPosition(0);
  {
    TReader r(s);
    EXPECT_EQ(r.ReadInteger(), 5);
  }
  EXPECT_EQ(s.Position(), 2);
}

}  // namespace

TEST(ComponentStream, EndOfListLooksOnlyForTheClosingZero) {
  // Before a property the next byte is the length of its name; names longer than the
  // highest value-type code must not be taken for a bad value.
  const AnsiString name = "DesignFormClientWidth";
  std::string bytes(1, static_cast<char>(name.size()));
  bytes += name;
  bytes += '\0';
  TReader r(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  EXPECT_FALSE(r.EndOfList());
  EXPECT_EQ(r.ReadStr(), name);
  EXPECT_TRUE(r.EndOfList());
  r.ReadValue();
  EXPECT_THROW(r.EndOfList(), EReadError);
}
