// The raw 34 x 17 tables the additional tables edit: every word of a table, column 0..33
// by row 0..16, may be written, and the word at column 33, row 16 is the table's last
// (table base + 34 x 33 + 2 x 16 = base + 1154). A block or run reaching one column or one
// row further is refused, and the bytes around the table stay as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "model/MapEditing.h"
#include "model/MapInterp.h"
#include "platform/rtl/SysUtils.h"

namespace {

constexpr size_t kUserPWM = 7464;         // the user PWM table's record offset
constexpr size_t kLastWord = 34 * 33 + 2 * 16;
constexpr size_t kTableBytes = 34 * 17 * 2;

// A record of bytes no edit writes, so that any stray write shows.
std::unique_ptr<TMapRecord> PatternMap() {
  auto m = std::make_unique<TMapRecord>();
  for (size_t i = 0; i < kMapRecordSize; ++i) m->Bytes()[i] = static_cast<uint8_t>(0xA5 ^ (i * 7));
  return m;
}

int RecordWord(const TMapRecord& m, size_t at) {
  return static_cast<int16_t>(m.Bytes()[at] | m.Bytes()[at + 1] << 8);
}
void SetRecordWord(TMapRecord& m, size_t at, int v) {
  m.Bytes()[at] = static_cast<uint8_t>(v & 0xFF);
  m.Bytes()[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}
// Cell (c, r) of the user PWM table by its record offset.
size_t Cell(int c, int r) { return kUserPWM + 34 * static_cast<size_t>(c) + 2 * static_cast<size_t>(r); }

TRowPositions EvenRows() {
  TRowPositions p{};
  for (int r = 0; r < 17; ++r) p[static_cast<size_t>(r)] = 10 * r;
  return p;
}

// Record bytes outside [from, from + n) that differ between a and b.
int ChangedOutside(const TMapRecord& a, const TMapRecord& b, size_t from, size_t n) {
  int changed = 0;
  for (size_t i = 0; i < kMapRecordSize; ++i)
    if ((i < from || i >= from + n) && a.Bytes()[i] != b.Bytes()[i]) ++changed;
  return changed;
}

using RawEdit = std::function<void(TMainTable&)>;

struct EdgeCase {
  const char* what;
  RawEdit edit;
  size_t cell;   // the record offset written
  int expected;  // its value afterwards
};

}  // namespace

// Each operation at the table's last column and row writes the cells there and nothing
// outside the cells named.
TEST(RawTableEdges, LastColumnAndRowAreCells) {
  const TRowPositions rows = EvenRows();
  const EdgeCase cases[] = {
      {"fill the last cell", [](TMainTable& t) { ManipulateBigTable(t, {33, 16, 33, 16}, TBlockOp::Fill, 77, 0, 255); },
       kUserPWM + kLastWord, 77},
      {"fill the whole table", [](TMainTable& t) { ManipulateBigTable(t, {0, 0, 33, 16}, TBlockOp::Fill, 5, 0, 255); },
       kUserPWM + kLastWord, 5},
      {"row run ending in the last column", [](TMainTable& t) { MapInterpRow(t, 16, 31, 33, 255); }, Cell(32, 16), 20},
      {"column run ending in the last row", [&](TMainTable& t) { MapInterpCol(t, 33, 14, 16, 255, rows); }, Cell(33, 15),
       20},
      {"corners of the last block", [&](TMainTable& t) { MapInterpolate(t, {31, 14, 33, 16}, TInterpMode::Corners, 255, rows); },
       Cell(33, 15), 20},
      {"rows of the last block", [&](TMainTable& t) { MapInterpolate(t, {31, 14, 33, 16}, TInterpMode::Rows, 255, rows); },
       Cell(32, 16), 20},
      {"columns of the last block", [&](TMainTable& t) { MapInterpolate(t, {31, 14, 33, 16}, TInterpMode::Columns, 255, rows); },
       Cell(33, 15), 20},
  };
  for (const EdgeCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto m = PatternMap();
    // Corners of the last block: column 31 holds 10 at rows 14 and 16, column 33 holds 10
    // at row 14 and 30 at row 16.
    SetRecordWord(*m, Cell(31, 14), 10);
    SetRecordWord(*m, Cell(31, 16), 10);
    SetRecordWord(*m, Cell(33, 14), 10);
    SetRecordWord(*m, Cell(33, 16), 30);
    const auto before = std::make_unique<TMapRecord>(*m);
    c.edit(m->UserPWMTable);
    EXPECT_EQ(RecordWord(*m, c.cell), c.expected);
    EXPECT_EQ(ChangedOutside(*before, *m, kUserPWM, kTableBytes), 0) << "a byte outside the table changed";
  }
}

// One column or one row past the table: refused, and the record keeps every byte.
TEST(RawTableEdges, OnePastTheTableIsRefusedBeforeAnyWrite) {
  const TRowPositions rows = EvenRows();
  const std::pair<const char*, RawEdit> cases[] = {
      {"block to column 34", [](TMainTable& t) { ManipulateBigTable(t, {32, 15, 34, 16}, TBlockOp::Fill, 9, 0, 255); }},
      {"block to row 17", [](TMainTable& t) { ManipulateBigTable(t, {32, 15, 33, 17}, TBlockOp::Fill, 9, 0, 255); }},
      {"block from column -1", [](TMainTable& t) { ManipulateBigTable(t, {-1, 0, 1, 1}, TBlockOp::Add, 9, 0, 255); }},
      {"row run to column 34", [](TMainTable& t) { MapInterpRow(t, 16, 30, 34, 255); }},
      {"row run on row 17", [](TMainTable& t) { MapInterpRow(t, 17, 30, 33, 255); }},
      {"column run in column 34", [&](TMainTable& t) { MapInterpCol(t, 34, 12, 16, 255, rows); }},
      {"column run to row 17", [&](TMainTable& t) { MapInterpCol(t, 33, 12, 17, 255, rows); }},
      {"corners to column 34", [&](TMainTable& t) { MapInterpolate(t, {30, 12, 34, 16}, TInterpMode::Corners, 255, rows); }},
      // A block interpolated row by row or column by column is checked whole first, so the
      // rows or columns inside the table are not written before the one outside is met.
      {"corners to row 17", [&](TMainTable& t) { MapInterpolate(t, {30, 12, 33, 17}, TInterpMode::Corners, 255, rows); }},
      {"rows to row 17", [&](TMainTable& t) { MapInterpolate(t, {30, 12, 33, 17}, TInterpMode::Rows, 255, rows); }},
      {"columns to column 34", [&](TMainTable& t) { MapInterpolate(t, {30, 12, 34, 16}, TInterpMode::Columns, 255, rows); }},
  };
  for (const auto& [what, edit] : cases) {
    SCOPED_TRACE(what);
    auto m = PatternMap();
    const auto before = std::make_unique<TMapRecord>(*m);
    EXPECT_THROW(edit(m->UserPWMTable), ERangeError);
    EXPECT_EQ(std::memcmp(before->Bytes(), m->Bytes(), kMapRecordSize), 0);
  }
}

