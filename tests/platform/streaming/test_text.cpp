// The text form of component streams and its conversion to and from binary.
#include <gtest/gtest.h>

#include "platform/streaming/FormResources.h"
#include "platform/streaming/ObjectText.h"

namespace {

AnsiString Bytes(std::initializer_list<int> b) {
  AnsiString s;
  for (int v : b) s += static_cast<char>(v);
  return s;
}

// The binary of one property "P = <value>" of an object A: TX: the bytes of the value.
AnsiString ValueBytes(const AnsiString& value) {
  AnsiString bin = ObjectTextToBinary("object A: TX\n  P = " + value + "\nend\n");
  const AnsiString head = AnsiString("TPF0") + Bytes({2, 'T', 'X', 1, 'A', 1, 'P'});
  EXPECT_EQ(bin.substr(0, head.size()), head);
  EXPECT_EQ(bin.substr(bin.size() - 2), Bytes({0, 0}));
  return bin.substr(head.size(), bin.size() - head.size() - 2);
}

TEST(FormText, ValuesBecomeTheirBinaryForms) {
  struct Row {
    const char* text;
    AnsiString bytes;
  };
  const Row rows[] = {
      {"12", Bytes({2, 12})},
      {"-129", Bytes({3, 0x7F, 0xFF})},
      {"40000", Bytes({4, 0x40, 0x9C, 0, 0})},
      {"$FF", Bytes({3, 0xFF, 0})},
      {"$FFFFFFFF", Bytes({2, 0xFF})},  // eight hex digits are a 32-bit value
      {"$80000005", Bytes({4, 5, 0, 0, 0x80})},
      {"-$10", Bytes({2, 0xF0})},
      {"'a'#13#10'b'", Bytes({6, 4, 'a', 13, 10, 'b'})},
      {"'it''s'", Bytes({6, 4, 'i', 't', '\'', 's'})},
      {"'x' +\n    'y'", Bytes({6, 2, 'x', 'y'})},
      {"#$41#66", Bytes({6, 2, 'A', 'B'})},
      {"'caf\xC3\xA9'", Bytes({6, 4, 'c', 'a', 'f', 0xE9})},
      {"''", Bytes({6, 0})},
      {"[fsBold, fsItalic]", Bytes({11, 6, 'f', 's', 'B', 'o', 'l', 'd', 8, 'f', 's', 'I', 't', 'a', 'l', 'i', 'c', 0})},
      {"[]", Bytes({11, 0})},
      {"clRed", Bytes({7, 5, 'c', 'l', 'R', 'e', 'd'})},
      {"Form2.Edit1", Bytes({7, 11, 'F', 'o', 'r', 'm', '2', '.', 'E', 'd', 'i', 't', '1'})},
      {"True", Bytes({9})},
      {"false", Bytes({8})},
      {"nil", Bytes({13})},
      {"(1 'a' (2) ())", Bytes({1, 2, 1, 6, 1, 'a', 1, 2, 2, 0, 1, 0, 0})},
      {"{01 02\n   0a}", Bytes({10, 3, 0, 0, 0, 1, 2, 10})},
      {"{}", Bytes({10, 0, 0, 0, 0})},
      {"<\n item\n  W = 1\n end\n item [3]\n end>", Bytes({14, 1, 1, 'W', 2, 1, 0, 2, 3, 1, 0, 0})},
      {"<>", Bytes({14, 0})},
      {"1.0", Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})},
      {"-2.5", Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0})},
      {"1e3", Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xFA, 0x08, 0x40})},
      {"0.5s", Bytes({15, 0, 0, 0, 0x3F})},
      {"12.34c", Bytes({16, 0x08, 0xE2, 0x01, 0, 0, 0, 0, 0})},
      {"-1c", Bytes({16, 0xF0, 0xD8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
      {"2d", Bytes({17, 0, 0, 0, 0, 0, 0, 0, 0x40})},
  };
  for (const Row& r : rows) EXPECT_EQ(ValueBytes(r.text), r.bytes) << r.text;
}

TEST(FormText, LongStringsBecomeLongStringValues) {
  AnsiString value = "'" + AnsiString(200, 'a') + "' + '" + AnsiString(100, 'b') + "'";
  AnsiString bytes = ValueBytes(value);
  EXPECT_EQ(bytes.substr(0, 5), Bytes({12, 44, 1, 0, 0}));
  EXPECT_EQ(bytes.size(), 5u + 300);
}

TEST(FormText, BinaryToTextWritesTheCanonicalForm) {
  const AnsiString text =
      "object A: TX\n"
      "  S = 'Temp '#176'C'#13#10\n"
      "  L = ()\n"
      "  C = <>\n"
      "  F = 3.0\n"
      "  G = 0.1\n"
      "  H = 1e+300\n"
      "  D = 36526.5d\n"
      "  M = 12.34c\n"
      "  N = -7c\n"
      "  T = 0.5s\n"
      "  E = {}\n"
      "  B = {\n"
      "    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\n"
      "    20}\n"
      "  object TY\n"
      "  end\n"
      "end\n";
  EXPECT_EQ(ObjectBinaryToText(ObjectTextToBinary(text)), text);
}

TEST(FormText, UnnamedObjectsAndIndentedContinuations) {
  AnsiString bin = ObjectTextToBinary("object TX\n  P = (\n    '" + AnsiString(70, 'q') + "')\nend");
  EXPECT_EQ(ObjectBinaryToText(bin), "object TX\n  P = (\n    '" + AnsiString(64, 'q') + "' +\n      '" +
                                         AnsiString(6, 'q') + "')\nend\n");
}

TEST(FormText, RealisticFormRoundTripsExactly) {
  const TFormResource* res = FindFormResource("TestMain");
  ASSERT_NE(res, nullptr);
  AnsiString text(res->Text);
  AnsiString bin = ObjectTextToBinary(text);
  EXPECT_EQ(ObjectBinaryToText(bin), text);
  EXPECT_EQ(ObjectTextToBinary(ObjectBinaryToText(bin)), bin);

  TStringStream in(text), out;
  ObjectTextToBinary(in, out);
  EXPECT_EQ(out.DataString(), bin);
}

TEST(FormText, LineMapPointsAtObjectsAndProperties) {
  TLineMap lines;
  ObjectTextToBinary("object A: TX\n\n  P = 1\n  object B: TY\n    Q = 'x'\n  end\nend\n", "", &lines);
  std::vector<int> numbers;
  for (auto [offset, line] : lines) numbers.push_back(line);
  EXPECT_EQ(numbers, (std::vector<int>{1, 3, 4, 5}));
  EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end()));
}

TEST(FormText, MalformedTextNamesSourceAndLine) {
  struct Row {
    const char* text;
    const char* message;
  };
  const Row rows[] = {
      {"object A: TX\n  P = 'abc\nend\n", "F.form, line 2: Unterminated string"},
      {"object A: TX\n  P = ]\nend\n", "F.form, line 2: Invalid value ']'"},
      {"object A: TX\n  P = {012}\nend\n", "F.form, line 2: Odd number of hexadecimal digits"},
      {"object A: TX\n  P = {01 zz}\nend\n", "F.form, line 2: Invalid character in binary data"},
      {"object A: TX\n  P = #300\nend\n", "F.form, line 2: Character code above 255"},
      {"object A: TX\n  P = 99999999999999999999\nend\n", "F.form, line 2: Integer out of range"},
      {"object A: TX\n  P = [a b]\nend\n", "F.form, line 2: ',' expected"},
      {"object A: TX\n  P = 'a' +\nend\n", "F.form, line 3: String expected after +"},
      {"object A: TX\n  P = 1\n", "F.form, line 3: 'end' expected"},
      {"object A: TX\nend\nend\n", "F.form, line 3: Text after the final end"},
      {"inherited A: TX\nend\n", "F.form, line 1: Inherited and inline objects are not supported"},
      {"object A: TX\n  P = <\n  thing\n  >\nend\n", "F.form, line 3: 'item' expected"},
      {"object A: TX\n  P = 1.5q\nend\n", "F.form, line 2: Invalid number"},
      {"object A: TX\n  P = 9e999\nend\n", "F.form, line 2: Invalid floating point value 9e999"},
      {"", "F.form, line 1: 'object' expected"},
  };
  for (const Row& r : rows) {
    try {
      ObjectTextToBinary(r.text, "F.form");
      ADD_FAILURE() << "no error for " << r.text;
    } catch (const EParserError& e) {
      EXPECT_EQ(AnsiString(e.what()).substr(0, strlen(r.message)), r.message) << r.text;
    }
  }
}

TEST(FormText, CorruptBinaryNeverConvertsSilently) {
  AnsiString bin = ObjectTextToBinary(AnsiString(FindFormResource("TestMain")->Text));
  for (size_t n = 0; n < bin.size(); ++n) {
    std::vector<char> cut(bin.begin(), bin.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(ObjectBinaryToText(std::string_view(cut.data(), cut.size())), EReadError) << n;
  }
  AnsiString bad = bin;
  bad[0] = 'X';
  EXPECT_THROW(ObjectBinaryToText(bad), EReadError);
}

}  // namespace
