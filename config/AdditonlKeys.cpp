// The keys of the additional tables: the six 32 x 5 tables (cell entry, block functions,
// "+" / "-" steps, "C" interpolation), the one-row tables (steps and row interpolation)
// and the small multi-column tables (steps per column). Every key changes the current map
// record and redraws exactly the cells it changed.
#include <algorithm>
#include <functional>
#include <vector>

#include "app/Block.h"
#include "app/Main.h"
#include "config/Additonl.h"
#include "config/Insert.h"
#include "config/InterpolateBlock.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/ScrollCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Keys.h"

namespace {

constexpr WORD kKeyEquals = 187;
constexpr WORD kKeyMinus = 189;
const char* const kInterpolateRowQuestion = "Interpolate row\rPart of the map will be overwritten, Continue?";
const char* const kInterpolateColumnQuestion = "Interpolate column\rPart of the map will be overwritten, Continue?";
const char* const kBlockOperationNames[5] = {"Fill", "Add", "Subtract", "Increase", "Decrease"};

bool IsPlus(WORD key) { return key == VK_ADD || key == kKeyEquals; }
bool IsMinus(WORD key) { return key == VK_SUBTRACT || key == kKeyMinus; }

TMapRecord& Map() { return MapSlots[CurrentMap]; }
int PressureUnit() { return std::clamp(Settings.PressureUnit, 0, 2); }

AnsiString Percent(int v) { return Str(v * 100.0 / 255.0, 3, 1); }

}  // namespace

TStringAlignGrid* TAdditionalMaps::AddTableGrid(TAddTableId id) const {
  switch (id) {
    case TAddTableId::CoilOn: return CoilOnTable;
    case TAddTableId::InjTiming: return InjTimingTable;
    case TAddTableId::BoostPWM: return BoostPWMTable;
    case TAddTableId::BoostTarget: return BoostTargetTable;
    case TAddTableId::UserPWM: return PWMTable;
    case TAddTableId::VVT: return VVT_table;
  }
  return nullptr;
}

void TAdditionalMaps::ShowAddTableCells(TAddTableId id, const TCellWrites& writes) {
  TStringAlignGrid* grid = AddTableGrid(id);
  for (const TCellWrite& w : writes) grid->SetCells(w.Col, w.Row, AddTableText(id, w.NewValue, PressureUnit()));
}

namespace {

// The key family of the six 32 x 5 tables.
void AddTableKeyDown(TAdditionalMaps& a, TAddTableId id, WORD& Key) {
  TStringAlignGrid* grid = a.AddTableGrid(id);
  const TAddTableInfo& t = AddTableInfo(id);
  const TGridRect sel = grid->Selection();
  const TCellRect cells{std::max(sel.Left, 1), std::max(sel.Top, 1), std::min(sel.Right, kMainSpeedSites),
                        std::min(sel.Bottom, kAdditionalLoadRows)};
  if (cells.Left > cells.Right || cells.Top > cells.Bottom) return;
  TMapRecord& map = Map();
  TMainTable& table = map.*t.Field;
  const auto [lo, hi] = AddTableLimits(map, id);
  const int unit = PressureUnit();
  const bool single = cells.Left == cells.Right && cells.Top == cells.Bottom;

  if (Key == VK_RETURN) {
    if (single) {
      const int s = cells.Left - 1, l = cells.Top - 1;
      insertdata->SetCaption(t.EntryCaption);
      insertdata->loadsite->SetText(IntToStr(l));
      insertdata->speedsite->SetText(IntToStr(s));
      const int from = map.SpeedSites[s], to = map.SpeedSites[s + 1];
      insertdata->Speedinfo->SetCaption("(" + IntToStr(from) + " - " + IntToStr(to) + " rpm)");
      static const char* const kUnitNames[3] = {"KPa", "Bar", "PSI"};
      const AnsiString unitText = t.EntryUnit ? AnsiString(t.EntryUnit) : AnsiString(kUnitNames[unit]);
      insertdata->currentinfo->SetCaption(unitText);
      insertdata->newinfo->SetCaption(unitText);
      const int stored = table[cells.Left][cells.Top];
      const double current = AddTableEntryValue(id, stored, unit);
      insertdata->currentval->SetText(FormatFloat("#0.00", current));
      const bool decimals = id == TAddTableId::CoilOn || id == TAddTableId::BoostPWM || id == TAddTableId::UserPWM ||
                            (id == TAddTableId::BoostTarget && unit != 0);
      insertdata->newvalue->SetEditBase(ebFloat);
      insertdata->newvalue->SetFormatStr(decimals ? "0.00" : "0");
      const auto [entryMin, entryMax] = AddTableEntryLimits(map, id, unit);
      insertdata->newvalue->SetMinValue(entryMin);
      insertdata->newvalue->SetMaxValue(entryMax);
      insertdata->newvalue->SetValue(current);
      insertdata->LastStore.reset();
      insertdata->ShowModal();
      // OK or Cancel: the cell shows what the record holds now.
      grid->SetCells(cells.Left, cells.Top, AddTableText(id, table[cells.Left][cells.Top], unit));
    } else {
      map_function->operation->Items()->Clear();
      for (const char* name : kBlockOperationNames) map_function->operation->Items()->Add(name);
      map_function->operation->SetItemIndex(0);
      map_function->Value->SetFormatStr(id == TAddTableId::InjTiming || id == TAddTableId::VVT ? "0" : "0.00");
      map_function->Value->SetValue(0);
      if (map_function->ShowModal() != mrOk) return;
      const int op = map_function->operation->ItemIndex();
      if (op < 0 || op > 4) return;
      const auto block = static_cast<TBlockOp>(op);
      const int value = AddTableBlockValue(id, block, map_function->Value->Value(), unit);
      a.ShowAddTableCells(id, ManipulateBigTable(table, cells, block, value, lo, hi));
    }
  } else if (IsPlus(Key) || IsMinus(Key)) {
    a.ShowAddTableCells(id, ManipulateBigTable(table, cells, IsPlus(Key) ? TBlockOp::Add : TBlockOp::Subtract,
                                               t.Step, lo, hi));
  }
  // "C" is tested after the other keys, so it never also steps.
  if (Key != 'C') return;
  const int cols = cells.Right - cells.Left, rows = cells.Bottom - cells.Top;
  if (rows == 0 && cols >= 2) {
    if (MessageDlg(kInterpolateRowQuestion, mtConfirmation, mbOKCancel) != mrOk) return;
    a.ShowAddTableCells(id, MapInterpRow(table, cells.Top, cells.Left, cells.Right, hi));
  } else if (cols == 0 && rows >= 2) {
    if (MessageDlg(kInterpolateColumnQuestion, mtConfirmation, mbOKCancel) != mrOk) return;
    a.ShowAddTableCells(id, MapInterpCol(table, cells.Left, cells.Top, cells.Bottom, hi, AddTableColumnPositions(map, id)));
  } else if ((cols >= 1 && rows >= 2) || (cols >= 2 && rows >= 1)) {
    if (InterpBlock->ShowModal() != mrOk) return;
    const auto mode = static_cast<TInterpMode>(std::clamp(InterpBlock->Tag, 0, 2));
    a.ShowAddTableCells(id, MapInterpolate(table, cells, mode, hi, AddTableBlockPositions(map, id)));
  }
}

// A one-row table: its words, the grid row that shows them, limits and display.
struct TOneRow {
  std::function<std::span<le::I16>()> Words;
  int Row, Min, Max;
  bool Percent, Interpolate;
};

void OneRowKeyDown(TStringAlignGrid* grid, const TOneRow& t, WORD& Key) {
  const std::span<le::I16> words = t.Words();
  const int last = static_cast<int>(words.size()) - 1;
  const TGridRect sel = grid->Selection();
  const int left = std::clamp(sel.Left, 0, last), right = std::clamp(sel.Right, 0, last);
  auto show = [&](int i) {
    const int v = words[static_cast<size_t>(i)];
    grid->SetCells(i, t.Row, t.Percent ? Percent(v) : IntToStr(v));
  };
  const bool up = Key == VK_UP || IsPlus(Key), down = Key == VK_DOWN || IsMinus(Key);
  if (up || down) {
    std::vector<int> cells;
    for (int i = left; i <= right; ++i) cells.push_back(i);
    for (const int i : StepWords(words, cells, up ? 1 : -1, t.Min, t.Max, true)) show(i);
    Key = 0;
    return;
  }
  if (Key != 'C' || !t.Interpolate) return;
  Key = 0;
  if (right <= left + 1) return;
  if (MessageDlg(kInterpolateRowQuestion, mtConfirmation, mbOKCancel) != mrOk) return;
  MapInterpSmall(words, left, right, 1, t.Max);
  for (int i = left; i <= right; ++i) show(i);
}

// One column of a small table: how to read and write the value of a grid row, its
// limits, step and display.
struct TSmallColumn {
  int Col;
  std::function<int(TMapRecord&, int row)> Get;
  std::function<void(TMapRecord&, int row, int v)> Set;
  int Min, Max, Step;
  std::function<AnsiString(int)> Text;
};

// Steps every selected cell of the named columns; `clamp` applies the step and limits
// the result, otherwise a step that would leave the limits is skipped for that cell.
// Returns the grid rows changed per column.
void SmallTableStep(TStringAlignGrid* grid, const std::vector<TSmallColumn>& columns, int firstRow, int lastRow,
                    int direction, bool clamp, bool column0OnlyAtStart,
                    const std::function<void(int col, int row)>& changed = nullptr) {
  const TGridRect sel = grid->Selection();
  TMapRecord& m = Map();
  for (const TSmallColumn& c : columns) {
    const bool included = c.Col == 0 && column0OnlyAtStart ? sel.Left == 0 : sel.Left <= c.Col && sel.Right >= c.Col;
    if (!included) continue;
    for (int r = std::max(sel.Top, firstRow); r <= std::min(sel.Bottom, lastRow); ++r) {
      const int old = c.Get(m, r);
      int v = old + direction * c.Step;
      if (v < c.Min || v > c.Max) {
        if (!clamp) continue;
        v = std::clamp(v, c.Min, c.Max);
      }
      if (v == old) continue;
      c.Set(m, r, v);
      grid->SetCells(c.Col, r, c.Text(v));
      if (changed) changed(c.Col, r);
    }
  }
}

int StepDirection(WORD key) { return IsPlus(key) ? 1 : IsMinus(key) ? -1 : 0; }

AnsiString Integer(int v) { return IntToStr(v); }

}  // namespace

void TAdditionalMaps::BindTableKeys() {
  const std::pair<TStringAlignGrid*, TAddTableId> tables[6] = {
      {CoilOnTable, TAddTableId::CoilOn},     {InjTimingTable, TAddTableId::InjTiming},
      {BoostPWMTable, TAddTableId::BoostPWM}, {BoostTargetTable, TAddTableId::BoostTarget},
      {PWMTable, TAddTableId::UserPWM},       {VVT_table, TAddTableId::VVT}};
  for (const auto& [grid, id] : tables) {
    const TAddTableId table = id;
    grid->OnKeyDown = [this, table](TObject*, WORD& Key, TShiftState) { AddTableKeyDown(*this, table, Key); };
  }
  for (TStringAlignGrid* g : {CoilOnTable, InjTimingTable, PWMTable, VVT_table})
    g->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { LoadAxisGridMouseUp(s, b, sh, x, y); };
  CylTrims_table->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    CylTrimsGridMouseUp(s, b, sh, x, y);
  };

  auto oneRow = [](TStringAlignGrid* g, TOneRow t) {
    g->OnKeyDown = [g, t](TObject*, WORD& Key, TShiftState) { OneRowKeyDown(g, t, Key); };
  };
  oneRow(RpmCorr_table, {[] { return std::span<le::I16>(Map().RpmCorrection, 32); }, 1, 0, 100, false, false});
  oneRow(IdleFuelMap_table, {[] { return std::span<le::I16>(Map().IdleFuel, 5); }, 1, 0, 255, false, false});
  oneRow(IACVPosMap_table, {[] { return std::span<le::I16>(Map().IACVPositionByCoolant, 14); }, 1, 0, 100, false, false});
  oneRow(AppliedAccelRPM_table, {[] { return std::span<le::I16>(Map().AccelBySpeed, 32); }, 0, 0, 255, false, true});
  oneRow(AppliedAccelTemp_table, {[] { return std::span<le::I16>(Map().AccelByTemp, 14); }, 0, 0, 255, false, true});
  oneRow(VVTcontrol_table, {[] { return std::span<le::I16>(Map().VVTControlByCoolant, 14); }, 1, 0, 255, false, true});
  oneRow(AirBoostLimit_table, {[] { return std::span<le::I16>(Map().BoostLimitAirTemp, 14); }, 0, 0, 255, true, true});
  oneRow(CoolantBoostLimit_table, {[] { return std::span<le::I16>(Map().BoostLimitCoolant, 14); }, 0, 0, 255, true, true});
  oneRow(AuxBoostLimit_table, {[] { return std::span<le::I16>(Map().BoostLimitAuxTemp, 14); }, 0, 0, 255, true, true});
  // The rpm heading row and the VVT control's temperature row follow their tables' scrolling.
  AppliedAccelRPM_table->OnTopLeftChanged = [this](TObject*) { AccelRPMScale->SetLeftCol(AppliedAccelRPM_table->LeftCol()); };
  VVTcontrol_table->OnTopLeftChanged = [this](TObject*) { VVT_ScrollBar->SetPosition(VVTcontrol_table->LeftCol()); };
  // The thumb is as long as the part of the table on show, so the bar ends where the table does.
  VVT_ScrollBar->SetPageSize(std::max(1, VVTcontrol_table->VisibleColCount()));
  // The table has no fixed column: it starts at its first temperature.
  VVTcontrol_table->SetLeftCol(0);

  auto words = [](le::I16* (*field)(TMapRecord&), int offset) {
    return std::make_pair(
        std::function<int(TMapRecord&, int)>([field, offset](TMapRecord& m, int r) { return static_cast<int>(field(m)[r + offset]); }),
        std::function<void(TMapRecord&, int, int)>([field, offset](TMapRecord& m, int r, int v) { field(m)[r + offset] = static_cast<int16_t>(v); }));
  };
  auto column = [&](int col, le::I16* (*field)(TMapRecord&), int offset, int lo, int hi, int step,
                    std::function<AnsiString(int)> text) {
    auto [get, set] = words(field, offset);
    return TSmallColumn{col, get, set, lo, hi, step, std::move(text)};
  };

  MapTable->OnKeyDown = [this, column](TObject*, WORD& Key, TShiftState) {
    const int d = StepDirection(Key);
    if (d == 0) return;
    std::vector<TSmallColumn> cols = {
        column(0, [](TMapRecord& m) { return m.MAPCompPressure; }, 0, 0, 600, 1,
               [](int v) { return PressureText(v, PressureUnit()); }),
        column(1, [](TMapRecord& m) { return m.MAPCompValue2; }, 0, -100, 999, 1, Integer),
        column(2, [](TMapRecord& m) { return m.MAPCompValue3; }, 0, -50, 60, 1, Integer),
        {3, [](TMapRecord& m, int r) { return static_cast<int>(m.MAPCompValue4[r - 1]); },
         [](TMapRecord& m, int r, int v) { m.MAPCompValue4[r - 1] = static_cast<int8_t>(v); }, -50, 50, 1,
         [](int v) { return (v > 0 ? "+" : "") + Str(v / 10.0, 4, 1); }}};
    SmallTableStep(MapTable, cols, 1, 20, d, false, true);
    Key = 0;
  };
  BaroTable->OnKeyDown = [this, column](TObject*, WORD& Key, TShiftState Shift) {
    const int d = StepDirection(Key);
    if (d == 0) return;
    // Shift alone steps the pressures by 50 mbar.
    const bool shiftOnly = Shift.Contains(ssShift) && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl);
    std::vector<TSmallColumn> cols = {
        column(0, [](TMapRecord& m) { return m.BaroCompPressure; }, 0, 0, 1200, shiftOnly ? 50 : 1, Integer),
        column(1, [](TMapRecord& m) { return m.BaroCompValue2; }, 0, -100, 999, 1, Integer),
        column(2, [](TMapRecord& m) { return m.BaroCompValue3; }, 0, -50, 60, 1, Integer)};
    SmallTableStep(BaroTable, cols, 1, 20, d, true, true);
    Key = 0;
  };
  EGT_table->OnKeyDown = [this, column](TObject*, WORD& Key, TShiftState) {
    const int d = StepDirection(Key);
    if (d == 0) return;
    std::vector<TSmallColumn> cols = {
        column(1, [](TMapRecord& m) { return m.EGTColumn1; }, -1, 0, 255, 1, Integer),
        column(2, [](TMapRecord& m) { return m.EGTColumn2; }, -1, 0, 255, 1, Percent)};
    SmallTableStep(EGT_table, cols, 1, 8, d, false, false);
    Key = 0;
  };
  BattCompTable->OnKeyDown = [this, column](TObject*, WORD& Key, TShiftState) {
    const int d = StepDirection(Key);
    if (d == 0) return;
    std::vector<TSmallColumn> cols = {
        column(1, [](TMapRecord& m) { return m.BattCompVoltageAxis; }, -1, 0, 255, 1,
               [](int v) { return Str(v * 0.0122079, 4, 2); }),
        column(2, [](TMapRecord& m) { return m.BattCompValues; }, -1, -127, 127, 1,
               [](int v) { return Str(v * 0.05, 4, 2); })};
    SmallTableStep(BattCompTable, cols, 1, 10, d, false, false, [this](int, int r) { ShowBatteryPoint(r); });
    Key = 0;
  };
  BoostGearTable->OnKeyDown = [this, column](TObject*, WORD& Key, TShiftState) {
    const int d = StepDirection(Key);
    if (d == 0) return;
    SmallTableStep(BoostGearTable, {column(1, [](TMapRecord& m) { return m.BoostLimitByGear; }, -1, 0, 255, 1, Percent)}, 1, 8, d,
                   false, false);
    Key = 0;
  };
  Flat_Table->OnKeyDown = [this, column](TObject*, WORD& Key, TShiftState) {
    const int d = StepDirection(Key);
    if (d == 0) return;
    SmallTableStep(Flat_Table,
                   {column(1, [](TMapRecord& m) { return m.FlatShiftTable; }, -1, 0, 255, 1,
                           [](int v) { return Str(v * 0.01, 4, 2); })},
                   1, 8, d, false, false);
    Key = 0;
  };
  CylTrims_table->OnKeyDown = [this](TObject*, WORD& Key, TShiftState) {
    const int d = StepDirection(Key);
    if (d == 0) return;
    // A selection stays within the half it starts in, and that half decides the limits:
    // ignition trims +-10 degrees, injection trims +-100 %.
    const bool ignition = CylTrims_table->Selection().Top <= 8;
    const int limit = ignition ? 10 : 100;
    std::vector<TSmallColumn> cols;
    for (int c = 1; c <= 5; ++c)
      cols.push_back({c, [c](TMapRecord& m, int r) { return static_cast<int>(m.CylinderTrim(c, r)); },
                      [c](TMapRecord& m, int r, int v) { m.CylinderTrim(c, r) = static_cast<int16_t>(v); }, -limit, limit,
                      1, Integer});
    SmallTableStep(CylTrims_table, cols, ignition ? 1 : 9, ignition ? 8 : 16, d, false, false);
    Key = 0;
  };
}
