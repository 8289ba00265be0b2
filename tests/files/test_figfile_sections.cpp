// Every section of an old ".fig" map file, each number checked at its record offset: a
// section that reads one number too few or too many shifts every value after it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <memory>
#include <vector>

#include "files/FigFile.h"
#include "model/MapRecord.h"
#include "platform/rtl/SysUtils.h"

namespace {

using Numbers = std::vector<int>;

int W(const TMapRecord& m, int at) { return static_cast<int16_t>(m.Bytes()[at] | m.Bytes()[at + 1] << 8); }
int B(const TMapRecord& m, int at) { return m.Bytes()[at]; }
int Duty(int percent) { return static_cast<int>(std::nearbyint(percent / 100.0 * 255.0)); }
int Half(int v) { return v / 2; }
int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

// 14 numbers onto the 14 temperature sites: the first three share number 1, numbers 11
// and 13 are dropped.
std::vector<int> Spread(const Numbers& n) {
  return {n[0], n[0], n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8], n[9], n[11], n[13]};
}

Numbers Series(int count, int first, int step) {
  Numbers n;
  for (int i = 0; i < count; ++i) n.push_back(first + i * step);
  return n;
}

// Rows of 32 speed sites, `rows` load rows: value of (row l, site s) from 1.
Numbers Grid(int rows, const std::function<int(int, int)>& value) {
  Numbers n;
  for (int l = 1; l <= rows; ++l)
    for (int s = 1; s <= 32; ++s) n.push_back(value(l, s));
  return n;
}

// A table cell: speed site column s (1..32), load row l (1..16).
int Cell(const TMapRecord& m, int table, int s, int l) { return W(m, table + s * 34 + l * 2); }

using Check = std::function<void(const TMapRecord&, const Numbers&)>;

void Words(const TMapRecord& m, int at, const std::vector<int>& expected, const char* what) {
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(W(m, at + 2 * static_cast<int>(i)), expected[i]) << what << " word " << i << " at " << at + 2 * i;
}

Check SpreadTo(int at, int (*transform)(int) = [](int v) { return v; }) {
  return [at, transform](const TMapRecord& m, const Numbers& n) {
    Numbers t;
    for (int v : n) t.push_back(transform(v));
    Words(m, at, Spread(t), "spread");
  };
}

Check TableRows(int table, int rows, int (*transform)(int)) {
  return [table, rows, transform](const TMapRecord& m, const Numbers& n) {
    int wrong = 0;
    for (int l = 1; l <= rows && wrong < 3; ++l)
      for (int s = 1; s <= 32 && wrong < 3; ++s)
        if (Cell(m, table, s, l) != transform(n[(l - 1) * 32 + s - 1])) {
          ++wrong;
          ADD_FAILURE() << "table " << table << " site " << s << " row " << l << ": " << Cell(m, table, s, l);
        }
  };
}

// Five throttle sites and five MAP sites of an additional load axis, after one dropped number.
Check AxisTo(int throttle, int map) {
  return [throttle, map](const TMapRecord& m, const Numbers& n) {
    Words(m, throttle, {n[1], n[2], n[3], n[4], n[5]}, "throttle sites");
    Words(m, map, {n[6], n[7], n[8], n[9], n[10]}, "MAP sites");
  };
}

int Same(int v) { return v; }

struct Section {
  const char* label;
  Numbers numbers;
  Check check;
};

const int kDefaultSite = 500;  // the default speed sites are 0, 500, 1000, ...

std::vector<Section> Sections() {
  return {
      {"Startup timing:", {41}, [](const TMapRecord& m, const Numbers&) { EXPECT_EQ(W(m, 510), 20); }},
      {"Accell:", {11, 12, 13, 6000},
       [](const TMapRecord& m, const Numbers&) {
         Words(m, 16678, {11, 12, 13, 6000}, "acceleration");
         // Sites below 6000 rpm get 100, the rest 0.
         for (int i = 0; i < 32; ++i) EXPECT_EQ(W(m, 16690 + 2 * i), kDefaultSite * i >= 6000 ? 0 : 100) << i;
       }},
      {"Limits:", {7000, 6800, 6500},
       [](const TMapRecord& m, const Numbers&) {
         EXPECT_EQ(W(m, 16950), 7000);
         EXPECT_EQ(W(m, 16948), 6800);
         EXPECT_EQ(W(m, 16938), 6500);
       }},
      {"BattVComp:", Series(20, 101, 3),
       [](const TMapRecord& m, const Numbers& n) {
         Words(m, 16636, Numbers(n.begin(), n.begin() + 10), "battery axis");
         Words(m, 16656, Numbers(n.begin() + 10, n.end()), "battery values");
         EXPECT_EQ(B(m, 16676), 0);
       }},
      {"SLSeq:", {1, 0, 40, 4025},
       [](const TMapRecord& m, const Numbers&) {
         EXPECT_EQ(B(m, 16940), 1);
         EXPECT_EQ(B(m, 16944), 0);
         EXPECT_EQ(W(m, 16946), 40);
         EXPECT_EQ(W(m, 16942), 4000);
       }},
      {"Ignition map:", Grid(16, [](int l, int s) { return (l * 37 + s * 5) % 121 - 60; }),
       TableRows(512, 16, Half)},
      {"Injection map:", Grid(16, [](int l, int s) { return (l * 29 + s * 3) % 256; }), TableRows(1668, 16, Same)},
      {"LST:", {1}, [](const TMapRecord& m, const Numbers&) { EXPECT_EQ(W(m, 14294), 1); }},
      {"MainLoad:", Series(16, 20, 10),
       [](const TMapRecord& m, const Numbers& n) {
         // Bit 0 of the load options (from "LST:" when the file has it) chooses the MAP sites.
         Words(m, (W(m, 14294) & 1) ? 14022 : 13954, n, "main load sites");
       }},
      {"MainSpeed:", Series(32, 7, 400),
       [](const TMapRecord& m, const Numbers& n) { Words(m, 14090, n, "speed sites"); }},
      {"Boost map:", Grid(5, [](int l, int s) { return (l * 13 + s * 5) % 101; }), TableRows(5136, 5, Duty)},
      {"BoostMapT:", Grid(5, [](int l, int s) { return (l * 17 + s * 7) % 256; }), TableRows(6292, 5, Same)},
      {"BoostFunction:", {91, 92, 93, 94, 95, 96, 97, 98},
       [](const TMapRecord& m, const Numbers&) {
         const std::pair<int, int> bytes[] = {{16961, 92}, {16959, 93}, {16966, 94}, {16967, 95}, {16968, 96},
                                              {16962, 97}};
         for (auto [at, v] : bytes) EXPECT_EQ(B(m, at), v) << at;
       }},
      {"PWMMap:", Grid(5, [](int l, int s) { return (l * 11 + s * 3) % 101; }), TableRows(7464, 5, Duty)},
      {"PWMLoad:", Series(11, 1, 6), AxisTo(13274, 13614)},
      {"PWMFunction:", {31, 32, 2, 34, 35, 50, 37, 100, 0, 40, 10, 42, 90},
       [](const TMapRecord& m, const Numbers&) {
         const std::pair<int, int> words[] = {{13252, 31}, {13254, 32}, {13256, 34}, {13258, 35},
                                              {13262, Duty(50)}, {13260, 37}, {13264, Duty(100)}, {13266, 40},
                                              {13270, Duty(10)}, {13268, 42}, {13272, Duty(90)}};
         for (auto [at, v] : words) EXPECT_EQ(W(m, at), v) << at;
         EXPECT_EQ(B(m, 13250), 1);
         EXPECT_EQ(B(m, 13251), 0);
       }},
      {"VVTMap:", Grid(5, [](int l, int s) { return (l * 19 + s * 11) % 256; }), TableRows(8620, 5, Same)},
      {"VVTLoad:", Series(11, 2, 7), AxisTo(13410, 13750)},
      {"VVTtemp:", Series(14, 51, 2), SpreadTo(16356)},
      {"VVTvar:", {45, -30},
       [](const TMapRecord& m, const Numbers&) {
         EXPECT_EQ(W(m, 13246), 45);
         EXPECT_EQ(W(m, 13248), -30);
       }},
      {"COTMap:", Grid(5, [](int l, int s) { return (l * 23 + s * 13) % 256; }), TableRows(10932, 5, Same)},
      {"COTLoad:", Series(11, 3, 8), AxisTo(13342, 13682)},
      {"COTFunction:", {77}, [](const TMapRecord& m, const Numbers&) { EXPECT_EQ(W(m, 12088), 77); }},
      {"InjectorLS:", Series(11, 4, 9), AxisTo(13478, 13818)},
      {"Air ignition:", Series(14, -21, 5), SpreadTo(14456, Half)},
      {"Coolant ignition:", Series(14, 33, -5), SpreadTo(14728, Half)},
      {"Air fuel:", Series(14, -13, 3), SpreadTo(14524)},
      {"Coolant fuel:", Series(14, 40, -4), SpreadTo(14796)},
      {"Cranking", Series(14, 101, 3),
       [](const TMapRecord& m, const Numbers& n) {
         const std::vector<int> row0 = Spread(n);
         for (int c = 1; c <= 14; ++c) {
           const int at = 15132 + c * 34;
           EXPECT_EQ(W(m, at), row0[c - 1]) << c;
           EXPECT_EQ(W(m, at + 2), row0[c - 1]) << c;
           EXPECT_EQ(W(m, at + 4), row0[c - 1] / 2) << c;
           EXPECT_EQ(W(m, at + 6), 0) << c;
           EXPECT_EQ(W(m, at + 8), 0) << c;
         }
         Words(m, 14226, {1, 2, 3, 50, 100}, "cranking turns");
       }},
      {"Coolant correction:", Series(32, 3, 2),
       [](const TMapRecord& m, const Numbers& n) { Words(m, 14864, n, "rpm enrichment"); }},
      {"Coolant idle:", Series(14, 150, 5), SpreadTo(14928)},
      {"Idle fuel map:", Series(5, 61, 4),
       [](const TMapRecord& m, const Numbers& n) { Words(m, 16424, n, "idle fuel"); }},
      {"IACV position map:", Series(14, 40, 9), SpreadTo(16288, [](int v) { return v > 100 ? 100 : v; })},
      // 16838 is also the fifth number of "Idle Control:"; both give it the same value.
      {"IACV control map:", {2, 55, 150},
       [](const TMapRecord& m, const Numbers&) {
         EXPECT_EQ(W(m, 16836), 2);
         EXPECT_EQ(W(m, 16838), 55);
         EXPECT_EQ(W(m, 16834), 100);
       }},
      {"Idle up:", {95, 12},
       [](const TMapRecord& m, const Numbers&) {
         EXPECT_EQ(W(m, 16826), 950);
         EXPECT_EQ(W(m, 16828), 12);
       }},
      {"IACVSD:", {66}, [](const TMapRecord& m, const Numbers&) { EXPECT_EQ(W(m, 16840), 66); }},
      {"Idle Control:", {7, 8, 3, 30, 55, 14},
       [](const TMapRecord& m, const Numbers&) {
         EXPECT_EQ(W(m, 16830), 7);
         EXPECT_EQ(W(m, 16832), 8);
         EXPECT_EQ(B(m, 16842), 1);
         EXPECT_EQ(W(m, 16846), 25);
         EXPECT_EQ(W(m, 16838), 55);
         EXPECT_EQ(W(m, 16844), 14);
       }},
      {"Map sensor:",
       [] {
         Numbers n = {700, -150, 130};
         for (int r = 2; r <= 20; ++r) n.insert(n.end(), {10 * r, 5 * r - 50, 7 * r - 90});
         return n;
       }(),
       [](const TMapRecord& m, const Numbers& n) {
         for (int r = 1; r <= 20; ++r) {
           const int* v = &n[3 * (r - 1)];
           EXPECT_EQ(W(m, 14330 + 2 * r), Clamp(v[0], 0, 600)) << r;
           EXPECT_EQ(W(m, 14372 + 2 * r), Clamp(v[1], -100, 999)) << r;
           EXPECT_EQ(W(m, 14414 + 2 * r), Half(Clamp(v[2], -100, 120))) << r;
         }
       }},
      // The file is version 10: nine numbers, the last the time base.
      {"Injector data:", {1, 2, 3, 4, 5, 6, 7, 8, 64},
       [](const TMapRecord& m, const Numbers&) { EXPECT_EQ(B(m, 16924), 64); }},
      {"Overrun Cut-Off:", {5, 812, 1800},
       [](const TMapRecord& m, const Numbers&) {
         EXPECT_EQ(B(m, 16925), 1);
         EXPECT_EQ(W(m, 16926), 812);
         EXPECT_EQ(W(m, 16928), 1800);
       }},
      {"Air switch:", {61, 52}, [](const TMapRecord& m, const Numbers& n) { Words(m, 16930, n, "air switch"); }},
      {"Coolant switch:", {93, 88},
       [](const TMapRecord& m, const Numbers& n) { Words(m, 16934, n, "coolant switch"); }},
      {"Double injector:", {21, 22, 2, 24, 25, 26, 3},
       [](const TMapRecord& m, const Numbers&) {
         const std::pair<int, int> bytes[] = {{16952, 21}, {16953, 22}, {16954, 0},  {16955, 24},
                                              {16956, 25}, {16957, 26}, {16958, 1}};
         for (auto [at, v] : bytes) EXPECT_EQ(B(m, at), v) << at;
       }},
      {"TSVTECONOFF:", {5200, 40, 4800, 35},
       [](const TMapRecord& m, const Numbers&) {
         EXPECT_EQ(W(m, 16974), 5200);
         EXPECT_EQ(W(m, 16976), 40);
         EXPECT_EQ(W(m, 16978), 4800);
         EXPECT_EQ(W(m, 16980), 35);
       }},
  };
}

AnsiString SectionText(const Section& s) {
  AnsiString text = AnsiString(s.label) + "\r\n";
  for (size_t i = 0; i < s.numbers.size(); ++i)
    text += IntToStr(s.numbers[i]) + ((i + 1) % 32 == 0 || i + 1 == s.numbers.size() ? "\r\n" : " ");
  return text;
}

struct FigSections : ::testing::Test {
  std::unique_ptr<TMapRecord> map = std::make_unique<TMapRecord>();
  int32_t speedSites[33];

  void SetUp() override {
    map->Clear();
    for (int i = 0; i < 33; ++i) speedSites[i] = kDefaultSite * i;
  }
  void Read(const AnsiString& text) { ReadFigText(text, "/maps/all.fig", *map, 16, speedSites); }
};

}  // namespace

TEST_F(FigSections, EverySectionInOneFile) {
  const std::vector<Section> sections = Sections();
  AnsiString text = "Old map file\r\nMapVersion :10\r\n";
  for (const Section& s : sections) text += SectionText(s);
  text += "Details:\r\nAll sections   \r\nin one file\r\n";
  Read(text);
  for (const Section& s : sections) {
    SCOPED_TRACE(s.label);
    s.check(*map, s.numbers);
  }
  EXPECT_EQ(map->Comments.Get(), "All sections\r\nin one file\r\n");
  EXPECT_EQ(map->Source, 1);
  EXPECT_EQ(map->MapName.Get(), "all.fig");
}

TEST_F(FigSections, EverySectionFromOneLineOfLabels) {
  // A line holding several labels reads their numbers one after another in table order,
  // so a number left unread at the end of one section becomes the next section's first.
  const std::vector<Section> sections = Sections();
  AnsiString labels, numbers;
  for (const Section& s : sections) {
    labels += AnsiString(s.label) + " ";
    numbers += SectionText(s).substr(std::string(s.label).size() + 2);
  }
  Read("MapVersion :10\r\n" + labels + "\r\n" + numbers);
  for (const Section& s : sections) {
    SCOPED_TRACE(s.label);
    s.check(*map, s.numbers);
  }
}

TEST_F(FigSections, EachSectionAlone) {
  // Alone, each section reads its numbers and leaves the next section to itself.
  for (const Section& s : Sections()) {
    SCOPED_TRACE(s.label);
    SetUp();
    const bool cot = std::string(s.label) == "COTFunction:";
    Read("MapVersion :10\r\n" + SectionText(s) + (cot ? "IACVSD:\r\n4321\r\n" : "COTFunction:\r\n4321\r\n"));
    s.check(*map, s.numbers);
    EXPECT_EQ(W(*map, cot ? 16840 : 12088), 4321);
  }
}

TEST_F(FigSections, DefaultsOfAFileWithoutLabels) {
  std::memset(map->Bytes(), 0x77, kMapRecordSize);
  Read("nothing known here\r\n");
  Words(*map, 14090, Series(32, 0, kDefaultSite), "speed sites");
  for (int i = 0; i < 32; ++i) EXPECT_EQ(W(*map, 16758 + 2 * i), 100) << i;
  for (int l = 1; l <= 5; ++l)
    for (int s = 1; s <= 32; ++s) ASSERT_EQ(Cell(*map, 12090, s, l), 316) << s << " " << l;
  EXPECT_EQ(B(*map, 17687), 0x76);  // bit 0 cleared, the others kept
  const std::pair<int, int> bytes[] = {{16959, 0}, {16972, 99}, {16924, 61}, {16676, 1}};
  for (auto [at, v] : bytes) EXPECT_EQ(B(*map, at), v) << at;
  const std::pair<int, int> words[] = {{16970, 255}, {16686, 40}, {16688, 75}};
  for (auto [at, v] : words) EXPECT_EQ(W(*map, at), v) << at;
  Words(*map, 13954, {0, 6, 12, 19, 25, 31, 38, 44, 50, 56, 62, 69, 75, 81, 88, 94}, "throttle sites");
  // Fields nothing names keep what the slot held.
  EXPECT_EQ(W(*map, 16950), 0x7777);
  EXPECT_EQ(W(*map, 14022), 0x7777);
}
