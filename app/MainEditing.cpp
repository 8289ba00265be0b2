// The main window's editing: the key family of the map grids (cell entry, block
// operations, "+" / "-" steps, interpolation) and folding AFR corrections into the
// injection table. The arithmetic lives in MapEditing and MapInterp; this file maps grid
// selections onto record cells and runs the dialogs. The live keys are in MainLive.cpp.
#include <algorithm>
#include <span>

#include "app/Block.h"
#include "app/Main.h"
#include "model/MapInterp.h"
#include "model/MapRecord.h"
#include "app/Graphs.h"
#include "model/Settings.h"
#include "config/Insert.h"
#include "config/InterpolateBlock.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "logger/logger.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Keys.h"

namespace {

constexpr WORD kKeyEquals = 187;  // "=" on the main keyboard, "+" with Shift
constexpr WORD kKeyMinus = 189;   // "-" on the main keyboard

const char* const kInterpolateRowQuestion = "Interpolate row\rPart of the map will be overwritten, Continue?";
const char* const kInterpolateColumnQuestion =
    "Interpolate column\rPart of the map will be overwritten, Continue?";
const char* const kClearCorrectionsQuestion =
    "The corrections have been applied to the injection map.\rClear relevant cells in correction map?";
const char* const kBlockOperationNames[] = {"Fill", "Add", "Subtract", "Increase", "Decrease"};

bool IsPlus(WORD key) { return key == VK_ADD || key == kKeyEquals; }
bool IsMinus(WORD key) { return key == VK_SUBTRACT || key == kKeyMinus; }

// The grid selection cut to the table's map cells, in record terms; false when the
// selection holds no map cell (fixed rows and columns only).
bool SelectedCells(TStringAlignGrid* grid, const TTableInfo& t, TCellRect& cells) {
  const TGridRect sel = grid->Selection();
  cells.Left = std::max(sel.Left - t.GridColumnOffset, t.FirstCol);
  cells.Right = std::min(sel.Right - t.GridColumnOffset, t.LastCol);
  cells.Top = std::max(sel.Top, t.FirstRow);
  cells.Bottom = std::min(sel.Bottom, t.LastRow);
  return cells.Left <= cells.Right && cells.Top <= cells.Bottom;
}

AnsiString StoredText(TableId id, int stored) {
  const TTableInfo& t = TableInfo(id);
  if (t.Decimals == 0) return IntToStr(stored);
  return FloatToStrF(DisplayValue(id, stored), ffFixed, 15, t.Decimals);
}

}  // namespace

void TR7Tform1::PublishEditing(TClassProps<TR7Tform1>& P) {
  P.Handler("FormKeyDown", &TR7Tform1::FormKeyDown)
      .Handler("FormKeyUp", &TR7Tform1::FormKeyUp)
      .Handler("ignitiontableKeyDown", &TR7Tform1::ignitiontableKeyDown)
      .Handler("injectiontableKeyDown", &TR7Tform1::injectiontableKeyDown)
      .Handler("AFRTargetTableKeyDown", &TR7Tform1::AFRTargetTableKeyDown)
      .Handler("AFRCorrectionTableKeyDown", &TR7Tform1::AFRCorrectionTableKeyDown)
      .Handler("CrankingTableKeyDown", &TR7Tform1::CrankingTableKeyDown)
      .Handler("AFRModeTableKeyDown", &TR7Tform1::AFRModeTableKeyDown)
      .Handler("Applycorrectionstoinjectionmap1Click", &TR7Tform1::Applycorrectionstoinjectionmap1Click)
      .Handler("MapGridMouseUp", &TR7Tform1::MapGridMouseUp)
      .Handler("airign_tableKeyDown", &TR7Tform1::airign_tableKeyDown)
      .Handler("coolantign_tableKeyDown", &TR7Tform1::coolantign_tableKeyDown)
      .Handler("airinj_tableKeyDown", &TR7Tform1::airinj_tableKeyDown)
      .Handler("coolantinj_tableKeyDown", &TR7Tform1::coolantinj_tableKeyDown)
      .Handler("CrankPrime_tableKeyDown", &TR7Tform1::CrankPrime_tableKeyDown)
      .Handler("idlerpm_tableKeyDown", &TR7Tform1::idlerpm_tableKeyDown)
      .Handler("OneRowTableEnter", &TR7Tform1::OneRowTableEnter)
      .Handler("OneRowTableExit", &TR7Tform1::OneRowTableExit)
      .Handler("ignitiontableClick", &TR7Tform1::ignitiontableClick)
      .Handler("injectiontableClick", &TR7Tform1::injectiontableClick)
      .Handler("AFRTargetTableClick", &TR7Tform1::AFRTargetTableClick)
      .Handler("AFRCorrectionTableClick", &TR7Tform1::AFRCorrectionTableClick)
      .Field("PopupMenu4", &TR7Tform1::PopupMenu4)
      .Field("Applycorrectionstoinjectionmap1", &TR7Tform1::Applycorrectionstoinjectionmap1);
}

TStringAlignGrid* TR7Tform1::TableGrid(TableId id) const {
  switch (id) {
    case TableId::Ignition: return ignitiontable;
    case TableId::Injection: return injectiontable;
    case TableId::AFRTarget: return AFRTargetTable;
    case TableId::AFRCorrection: return AFRCorrectionTable;
    case TableId::Cranking: return CrankingTable;
  }
  return nullptr;
}

void TR7Tform1::ShowCellWrites(TableId id, const TCellWrites& writes) {
  const TTableInfo& t = TableInfo(id);
  TStringAlignGrid* grid = TableGrid(id);
  if (grid == nullptr) return;
  for (const TCellWrite& w : writes) {
    const int col = w.Col + t.GridColumnOffset;
    grid->SetCells(col, w.Row, StoredText(id, w.NewValue));
    if (t.MarkBlue) grid->FontCell(col, w.Row)->SetColor(clBlue);
    // The AFR tables show their values by colour as well.
    if (id == TableId::AFRTarget) SetCellColour(grid, col, w.Row, clRed, clBlue, 110, 147, 160, w.NewValue);
    if (id == TableId::AFRCorrection) SetCellColour(grid, col, w.Row, clBlue, clRed, -16384, 0, 16384, w.NewValue);
  }
}

void TR7Tform1::ClearEditMarks() {
  LiveEditMarks = 0;
  for (TStringAlignGrid* grid : {ignitiontable, injectiontable, AFRTargetTable, AFRCorrectionTable, AFRModeTable}) {
    if (grid == nullptr) continue;
    const TColor plain = grid->Font()->Color();
    for (int c = grid->FixedCols(); c < grid->ColCount(); ++c)
      for (int r = grid->FixedRows(); r < grid->RowCount(); ++r)
        if (const TCellProperties* p = grid->PropCell(c, r); p != nullptr && p->Font != nullptr)
          grid->FontCell(c, r)->SetColor(plain);
    grid->SetSelection(TGridRect{grid->Col(), grid->Row(), grid->Col(), grid->Row()});
  }
}

void TR7Tform1::ignitiontableKeyDown(TObject*, WORD& Key, TShiftState) {
  TableKeyDown(TableId::Ignition, Key);
  if (Graph != nullptr && Graph->Visible()) PrepareGraphSurface();
}
void TR7Tform1::injectiontableKeyDown(TObject*, WORD& Key, TShiftState) {
  TableKeyDown(TableId::Injection, Key);
  if (Graph != nullptr && Graph->Visible()) PrepareGraphSurface();
}
void TR7Tform1::AFRTargetTableKeyDown(TObject*, WORD& Key, TShiftState) { TableKeyDown(TableId::AFRTarget, Key); }
void TR7Tform1::AFRCorrectionTableKeyDown(TObject*, WORD& Key, TShiftState) {
  TableKeyDown(TableId::AFRCorrection, Key);
}
void TR7Tform1::CrankingTableKeyDown(TObject*, WORD& Key, TShiftState) { TableKeyDown(TableId::Cranking, Key); }

void TR7Tform1::TableKeyDown(TableId id, WORD& Key) {
  const TTableInfo& t = TableInfo(id);
  TStringAlignGrid* grid = TableGrid(id);
  TCellRect cells{};
  if (grid == nullptr || !SelectedCells(grid, t, cells)) return;
  TMapRecord& map = MapSlots[CurrentMap];
  const bool single = cells.Left == cells.Right && cells.Top == cells.Bottom;

  if (Key == VK_RETURN) {
    if (single && t.EntryCaption != nullptr) {
      // The dialog starts from the cell exactly as shown, so OK without a change keeps it;
      // the dialog itself stores the answer, and the cell is then redrawn from the record.
      const int s = cells.Left;
      insertdata->SetCaption(t.EntryCaption);
      insertdata->loadsite->SetText(IntToStr(cells.Top - 1));
      insertdata->speedsite->SetText(IntToStr(s - 1));
      const int from = map.SpeedSites[s - 1];
      const int to = s < kMainSpeedSites ? static_cast<int>(map.SpeedSites[s]) : from;
      insertdata->Speedinfo->SetCaption("(" + IntToStr(from) + " - " + IntToStr(to) + " rpm)");
      const AnsiString unit = id == TableId::Ignition ? "\xB0" : "";
      insertdata->currentinfo->SetCaption(unit);
      insertdata->newinfo->SetCaption(unit);
      insertdata->currentval->SetText(FormatFloat("#0.00", CellEntryValue(map, id, cells.Left, cells.Top)));
      insertdata->newvalue->SetEditBase(ebFloat);
      insertdata->newvalue->SetFormatStr(t.Decimals == 0 ? AnsiString("0") : "0." + AnsiString(t.Decimals, '0'));
      insertdata->newvalue->SetMinValue(t.EntryMin);
      insertdata->newvalue->SetMaxValue(t.EntryMax);
      insertdata->newvalue->SetValue(CellEntryValue(map, id, cells.Left, cells.Top));
      insertdata->LastStore.reset();
      if (insertdata->ShowModal() == mrOk && insertdata->LastStore) ShowCellWrites(id, {*insertdata->LastStore});
    } else if (!single && t.BlockOperations > 0) {
      map_function->operation->Items()->Clear();
      for (int i = 0; i < t.BlockOperations; ++i) map_function->operation->Items()->Add(kBlockOperationNames[i]);
      map_function->operation->SetItemIndex(0);
      // Whole numbers for the integer tables, tenths for the AFR tables.
      map_function->Value->SetFormatStr(t.Decimals == 0 ? "0" : "0.0");
      map_function->Value->SetValue(0);
      if (map_function->ShowModal() != mrOk) return;
      const int op = map_function->operation->ItemIndex();
      if (op < 0 || op >= t.BlockOperations) return;
      const auto block = static_cast<TBlockOp>(op);
      ShowCellWrites(id, ApplyBlockOperation(map, id, cells, block,
                                             BlockOperationValue(id, block, map_function->Value->Value())));
    }
  } else if (IsPlus(Key) || IsMinus(Key)) {
    ShowCellWrites(id, StepCells(map, id, cells, IsPlus(Key)));
  } else if (Key == 'C') {
    if (cells.Top == cells.Bottom) {
      if (cells.Right <= cells.Left + 1) return;
      if (MessageDlg(kInterpolateRowQuestion, mtConfirmation, mbOKCancel) != mrOk) return;
      ShowCellWrites(id, MapInterpRow(map, id, cells.Top, cells.Left, cells.Right));
    } else if (cells.Left == cells.Right) {
      if (cells.Bottom <= cells.Top + 1) return;
      if (MessageDlg(kInterpolateColumnQuestion, mtConfirmation, mbOKCancel) != mrOk) return;
      ShowCellWrites(id, MapInterpCol(map, id, cells.Left, cells.Top, cells.Bottom));
    } else {
      if (InterpBlock->ShowModal() != mrOk) return;
      const int mode = std::clamp(InterpBlock->Tag, 0, 2);
      ShowCellWrites(id, MapInterpolate(map, id, cells, static_cast<TInterpMode>(mode)));
    }
  }
}

namespace {

// A one-row table of 14 words and how its grid shows them.
struct TOneRowTable {
  le::I16* Words;
  int Min, Max;
  int Scale;  // shown value = word x Scale
};

void OneRowKeyDown(TStringAlignGrid* grid, const TOneRowTable& t, WORD& Key) {
  if (grid == nullptr) return;
  const TGridRect sel = grid->Selection();
  const int left = std::clamp(sel.Left, 0, 13), right = std::clamp(sel.Right, 0, 13);
  auto show = [&](int i) { grid->SetCells(i, 0, IntToStr(static_cast<int>(t.Words[i]) * t.Scale)); };
  const bool up = Key == VK_UP || IsPlus(Key), down = Key == VK_DOWN || IsMinus(Key);
  if (up || down) {
    for (int i = left; i <= right; ++i) {
      const int v = std::clamp(t.Words[i] + (up ? 1 : -1), t.Min, t.Max);
      // A value outside the limits (from a file) only ever moves toward them.
      if ((up && v > t.Words[i]) || (down && v < t.Words[i])) t.Words[i] = static_cast<int16_t>(v);
      show(i);
    }
    Key = 0;
  } else if (Key == 'C') {
    Key = 0;
    if (right <= left + 1) return;
    if (MessageDlg(kInterpolateRowQuestion, mtConfirmation, mbOKCancel) != mrOk) return;
    MapInterpSmall(std::span<le::I16>(t.Words, 14), left, right, 1, t.Max);
    for (int i = left; i <= right; ++i) show(i);
  }
}

}  // namespace

void TR7Tform1::airign_tableKeyDown(TObject*, WORD& Key, TShiftState) {
  OneRowKeyDown(airign_table, {MapSlots[CurrentMap].AirIgnCorrection, -10, 10, 1}, Key);
}
void TR7Tform1::coolantign_tableKeyDown(TObject*, WORD& Key, TShiftState) {
  OneRowKeyDown(coolantign_table, {MapSlots[CurrentMap].CoolantIgnCorrection, -10, 10, 1}, Key);
}
void TR7Tform1::airinj_tableKeyDown(TObject*, WORD& Key, TShiftState) {
  OneRowKeyDown(airinj_table, {MapSlots[CurrentMap].AirFuelCorrection, -10, 10, 1}, Key);
}
void TR7Tform1::coolantinj_tableKeyDown(TObject*, WORD& Key, TShiftState) {
  OneRowKeyDown(coolantinj_table, {MapSlots[CurrentMap].CoolantFuelCorrection, 0, 255, 1}, Key);
}
void TR7Tform1::CrankPrime_tableKeyDown(TObject*, WORD& Key, TShiftState) {
  OneRowKeyDown(CrankPrime_table, {MapSlots[CurrentMap].CrankingPrime, 0, 255, 1}, Key);
}
void TR7Tform1::idlerpm_tableKeyDown(TObject*, WORD& Key, TShiftState) {
  OneRowKeyDown(idlerpm_table, {MapSlots[CurrentMap].IdleSpeedByCoolant, 0, 255, 10}, Key);
}

void TR7Tform1::OneRowTableEnter(TObject* Sender) {
  if (auto* g = dynamic_cast<TStringAlignGrid*>(Sender)) g->SetDrawSelection(true);
}

void TR7Tform1::OneRowTableExit(TObject* Sender) {
  if (auto* g = dynamic_cast<TStringAlignGrid*>(Sender)) g->SetDrawSelection(false);
}

void TR7Tform1::ignitiontableClick(TObject*) { ShowSpeedSiteInfo(ignitiontable); }
void TR7Tform1::injectiontableClick(TObject*) { ShowSpeedSiteInfo(injectiontable); }
void TR7Tform1::AFRTargetTableClick(TObject*) { ShowSpeedSiteInfo(AFRTargetTable); }
void TR7Tform1::AFRCorrectionTableClick(TObject*) { ShowSpeedSiteInfo(AFRCorrectionTable); }

void TR7Tform1::PrepareGraphSurface() {
  if (Graph == nullptr || Graph->Series1 == nullptr) return;
  // The graph reads the table it shows again, from the map as it is now.
  Graph->RefreshSurface();
}

void TR7Tform1::AFRModeTableKeyDown(TObject*, WORD& Key, TShiftState) {
  if (!IsPlus(Key) && !IsMinus(Key)) return;
  // The mode table has the main tables' shape: speed sites from grid column 2.
  const TGridRect sel = AFRModeTable->Selection();
  TCellRect cells{std::max(sel.Left - 1, 1), std::max(sel.Top, 1), std::min(sel.Right - 1, kMainSpeedSites),
                  std::min(sel.Bottom, kMainLoadSites)};
  if (cells.Left > cells.Right || cells.Top > cells.Bottom) return;
  static const TColor kModeColour[3] = {clWhite, clGreen, clLime};
  for (const TCellWrite& w : StepAFRModes(MapSlots[CurrentMap], cells, IsPlus(Key)))
    AFRModeTable->SetColorCell(w.Col + 1, w.Row, kModeColour[std::clamp(w.NewValue, 0, 2)]);
}

void TR7Tform1::Applycorrectionstoinjectionmap1Click(TObject*) {
  TCellRect cells{};
  const TTableInfo& t = TableInfo(TableId::AFRCorrection);
  if (!SelectedCells(AFRCorrectionTable, t, cells)) return;
  const bool clear = MessageDlg(kClearCorrectionsQuestion, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}) == mrYes;
  TMapRecord& map = MapSlots[CurrentMap];
  ShowCellWrites(TableId::Injection, ApplyCorrections(map, cells, clear));
  if (clear) {
    for (int c = cells.Left; c <= cells.Right; ++c)
      for (int r = cells.Top; r <= cells.Bottom; ++r) {
        AFRCorrectionTable->SetCells(c + t.GridColumnOffset, r, "0.00");
        AFRCorrectionTable->SetColorCell(c + t.GridColumnOffset, r, clWhite);
      }
  }
  injectiontable->SetSelection(AFRCorrectionTable->Selection());
}

void TR7Tform1::MapGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState, int X, int Y) {
  auto* grid = dynamic_cast<TStringAlignGrid*>(Sender);
  if (Button != mbRight || grid == nullptr) return;
  TPopupMenu* menu = nullptr;
  if (grid == CrankingTable) {
    if (X < grid->ColWidths(0) && Y >= grid->RowHeights(0)) menu = PopupMenu3;
  } else {
    const bool mainTable = grid == ignitiontable || grid == injectiontable || grid == AFRTargetTable ||
                           grid == AFRCorrectionTable;
    const bool loadColumn = X <= grid->ColWidths(0) + grid->ColWidths(1);
    const bool headingRow = Y <= grid->RowHeights(0);
    if (mainTable && loadColumn && !headingRow) {
      menu = PopupMenu1;
    } else if (mainTable && headingRow && !loadColumn) {
      menu = PopupMenu2;
    } else if (grid == AFRCorrectionTable || grid == AFRModeTable) {
      const TGridRect sel = AFRCorrectionTable->Selection();
      const bool single = sel.Left == sel.Right && sel.Top == sel.Bottom;
      // The command acts on the selected cells; the caption says so in both cases.
      if (Applycorrectionstoinjectionmap1 != nullptr)
        Applycorrectionstoinjectionmap1->SetCaption(single ? "Apply selected correction to injection map"
                                                           : "Apply selected corrections to injection map");
      menu = PopupMenu4;
    }
  }
  if (menu == nullptr) return;
  const TPoint at = grid->ClientToScreen(TPoint{X, Y});
  menu->Popup(at.x, at.y);
}
