// The main window's editing: the key family of the map grids (cell entry, block
// operations, "+" / "-" steps, interpolation), folding AFR corrections into the injection
// table, and the live keys that trim the running ECU and write single cells into its
// map bank. The arithmetic lives in MapEditing and MapInterp; this file maps grid
// selections onto record cells, runs the dialogs and sends the frames.
#include <algorithm>

#include "app/Block.h"
#include "app/Main.h"
#include "app/MapInterp.h"
#include "app/Settings.h"
#include "config/Insert.h"
#include "config/InterpolateBlock.h"
#include "controls/Aligrid.h"
#include "ecu/LiveData.h"
#include "gauges/AbNumEdit.h"
#include "logger/logger.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Keys.h"
#include "serial/AdTickTimer.h"

std::array<int32_t, 7> LiveCellMin{0, -60, 0, 0, 0, 0, 0};
std::array<int32_t, 7> LiveCellMax{0, 60, 255, 255, 180, 255, 720};
int32_t LiveEditMarks = 0;

namespace {

constexpr WORD kKeyEquals = 187;  // "=" on the main keyboard, "+" with Shift
constexpr WORD kKeyMinus = 189;   // "-" on the main keyboard
constexpr int kLivePage = 7;      // "Live adjustments"

const char* const kInterpolateRowQuestion = "Interpolate row\rPart of the map will be overwritten, Continue?";
const char* const kInterpolateColumnQuestion =
    "Interpolate column\rPart of the map will be overwritten, Continue?";
const char* const kClearCorrectionsQuestion =
    "The corrections have been applied to the injection map.\rClear relevant cells in correction map?";
const char* const kBlockOperationNames[] = {"Fill", "Add", "Subtract", "Increase", "Decrease"};

// The trim code byte of items 3..6 (items 1 and 2 have their own letters).
constexpr uint8_t kTrimCode[7] = {0, 0, 0, 0x90, 0x80, 0x98, 0x88};

bool IsPlus(WORD key) { return key == VK_ADD || key == kKeyEquals; }
bool IsMinus(WORD key) { return key == VK_SUBTRACT || key == kKeyMinus; }

AnsiString Byte(uint8_t b) { return AnsiString(reinterpret_cast<const char*>(&b), 1); }

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
  }
}

void TR7Tform1::ignitiontableKeyDown(TObject*, WORD& Key, TShiftState) { TableKeyDown(TableId::Ignition, Key); }
void TR7Tform1::injectiontableKeyDown(TObject*, WORD& Key, TShiftState) { TableKeyDown(TableId::Injection, Key); }
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
      // The dialog starts from the cell exactly as shown, so OK without a change keeps it.
      const int s = cells.Left;
      insertdata->SetCaption(t.EntryCaption);
      insertdata->loadsite->SetText(IntToStr(cells.Top - 1));
      insertdata->speedsite->SetText(IntToStr(s - 1));
      const int from = map.SpeedSites[s - 1];
      const int to = s < kMainSpeedSites ? static_cast<int>(map.SpeedSites[s]) : from;
      insertdata->Speedinfo->SetCaption("(" + IntToStr(from) + " - " + IntToStr(to) + " rpm)");
      const double now = CellEntryValue(map, id, cells.Left, cells.Top);
      insertdata->currentval->SetText(StoredText(id, TableWords(map, id)[cells.Left][cells.Top]));
      insertdata->newvalue->SetDigits(t.Decimals);
      insertdata->newvalue->SetMin(t.EntryMin);
      insertdata->newvalue->SetMax(t.EntryMax);
      insertdata->newvalue->SetValue(now);
      if (insertdata->ShowModal() == mrOk) {
        ShowCellWrites(id, {StoreCellEntry(map, id, cells.Left, cells.Top, insertdata->newvalue->Value())});
      }
    } else if (!single && t.BlockOperations > 0) {
      map_function->operation->Items()->Clear();
      for (int i = 0; i < t.BlockOperations; ++i) map_function->operation->Items()->Add(kBlockOperationNames[i]);
      map_function->operation->SetItemIndex(0);
      map_function->Value->SetText("0.0");
      if (map_function->ShowModal() != mrOk) return;
      const int op = map_function->operation->ItemIndex();
      double value = 0;
      if (op < 0 || op >= t.BlockOperations || !TryStrToFloat(map_function->Value->Text(), value)) {
        ShowMessage("'" + map_function->Value->Text() + "' is not a valid number");
        return;
      }
      const auto block = static_cast<TBlockOp>(op);
      ShowCellWrites(id, ApplyBlockOperation(map, id, cells, block, BlockOperationValue(id, block, value)));
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

// ---- live boxes and keys ----

namespace {

struct TLiveItemText {
  const char* Title;
  const char* Quantity;
};
const TLiveItemText kLiveItems[7] = {{"", ""},
                                     {"Ignition ", "advance"},
                                     {"Injection ", "number"},
                                     {"Boost PWM ", "%"},
                                     {"INJ position ", "position"},
                                     {"PWM ", "%"},
                                     {"VVT position", "position"}};

// The next item after k, skipping the item the other box shows.
int NextLiveItem(int k, int other) {
  k = k % 6 + 1;
  if (k == other) k = k % 6 + 1;
  return k;
}

int LiveRow(int k) { return k <= 2 ? LiveLoadSite : LiveCellRow[static_cast<size_t>(k)]; }

}  // namespace

void TR7Tform1::CycleIgnitionBox(bool advance) {
  MapBoxItem1 = advance ? NextLiveItem(MapBoxItem1, MapBoxItem2) : 1;
  if (BoxBar1 != nullptr) BoxBar1->SetVisible(MapBoxItem1 > 2);
}

void TR7Tform1::CycleInjectionBox(bool advance) {
  MapBoxItem2 = advance ? NextLiveItem(MapBoxItem2, MapBoxItem1) : 2;
  if (BoxBar2 != nullptr) BoxBar2->SetVisible(MapBoxItem2 > 2);
}

void TR7Tform1::UpdateCell(int k) {
  if (k < 1 || k > 6) return;
  const size_t i = static_cast<size_t>(k);
  const int t = LiveCellTrim[i];
  const int w = LiveCellValue[i] + t;
  if (t == 0 || w < LiveCellMin[i] || w > LiveCellMax[i]) return;
  TMapRecord& map = MapSlots[CurrentMap];
  const int row = LiveRow(k);
  const auto item = static_cast<TLiveItem>(k);
  Send(LiveCellFrame(item, ECUActiveMap, LiveSpeedSite, row, w, map.VVTOffset));
  MessageBeep(MB_BEEP_OK);
  if (Settings.LiveMapSave) {
    // The PC map takes the value just written to the ECU, so both hold the same cell.
    const TCellWrite cell = StoreLiveCell(map, item, LiveSpeedSite, row, w);
    if (k == 1 || k == 2) {
      const TableId id = k == 1 ? TableId::Ignition : TableId::Injection;
      TableGrid(id)->SetCells(cell.Col + TableInfo(id).GridColumnOffset, cell.Row, IntToStr(cell.NewValue));
      Send("$");
      Send(k == 1 ? "0" : "z");
    } else {
      Send("$");
      WaitTicks(1, true);
      Send(Byte(kTrimCode[k]));
      Send(Byte(0x01));
    }
  }
  LiveCellTrim[i] = 0;
}

void TR7Tform1::TrimLiveItem(int k, int step) {
  const size_t i = static_cast<size_t>(k);
  const int v = LiveCellValue[i], t = LiveCellTrim[i];
  if (step > 0 && v + t >= LiveCellMax[i]) return;
  if (step < 0 && v + t <= LiveCellMin[i]) return;
  if (step == 0 && t == 0) return;
  Send("$");
  WaitTicks(1, true);
  if (k == 1) {
    Send(step > 0 ? "+" : step < 0 ? "-" : "0");
    if (step != 0) LiveEditMarks |= 1;
  } else if (k == 2) {
    Send(step > 0 ? ">" : step < 0 ? "<" : "z");
    if (step != 0) LiveEditMarks |= 2;
  } else {
    Send(Byte(kTrimCode[k]));
    Send(Byte(step > 0 ? 0x03 : step < 0 ? 0x02 : 0x01));
  }
  MessageBeep(MB_BEEP_OK);
  LiveCellTrim[i] = step == 0 ? 0 : t + step;
}

void TR7Tform1::FormKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  const bool livePage = Notebook1 != nullptr && Notebook1->PageIndex() == kLivePage;
  const bool live = livePage && ECUConnected;
  if (Shift.Contains(ssAlt)) {
    // Alt combinations choose what the boxes show; they never reach the trim keys
    // ("2" and "1" would otherwise also lower or reset box 2's trim).
    if (Key == 'M' || Key == VK_SUBTRACT) {
      SelectMAP1Click(this);
    } else if (livePage && Key == '1') {
      CycleIgnitionBox(true);
    } else if (livePage && Key == '2') {
      CycleInjectionBox(true);
    }
    return;
  }
  if (Key >= VK_F1 && Key <= VK_F8) {
    // F4 on the injection page steps through the four tables that page shows.
    if (Key == VK_F4 && TabSet1->TabIndex() == 3) {
      InjectionPageTable = (InjectionPageTable + 1) % 4;
      if (TabSet2 != nullptr) TabSet2->SetTabIndex(InjectionPageTable);
    }
    TabSet1->SetTabIndex(Key - VK_F1);
    TabSet1Click(TabSet1);
    LiveEditMarks = 0;
    return;
  }
  if (Key == VK_F12) {
    if (LoggerForm != nullptr && LoggerForm->WindowState() == wsMinimized) {
      LoggerForm->SetWindowState(wsNormal);
      LoggerForm->SetFocus();
    } else {
      DataLogger1Click(this);
    }
    return;
  }
  if (!live) return;
  const int box1 = MapBoxItem1, box2 = MapBoxItem2;
  if (Key == VK_RETURN) {
    UpdateCell(box1);
    UpdateCell(box2);
    const int c = LiveSpeedSite + 2, r = LiveLoadSite + 1;
    if (LiveEditMarks & 1) ignitiontable->FontCell(c, r)->SetColor(clRed);
    if (LiveEditMarks & 2) injectiontable->FontCell(c, r)->SetColor(clRed);
    LiveEditMarks = 0;
  } else if (IsPlus(Key)) {
    TrimLiveItem(box1, +1);
  } else if (IsMinus(Key)) {
    TrimLiveItem(box1, -1);
  } else if (Key == '3') {
    TrimLiveItem(box2, +1);
  } else if (Key == '2') {
    TrimLiveItem(box2, -1);
  } else if (Key == '0') {
    TrimLiveItem(box1, 0);
  } else if (Key == '1') {
    TrimLiveItem(box2, 0);
  }
}

void TR7Tform1::FormKeyUp(TObject*, WORD& Key, TShiftState Shift) {
  if (Notebook1 == nullptr || Notebook1->PageIndex() != kLivePage || !ECUConnected) return;
  uint8_t mode;
  if (Key == VK_HOME || Key == 24) {
    mode = 0x00;
  } else if (Key == VK_PRIOR) {
    mode = Shift.Contains(ssShift) ? 0x05 : 0x01;
  } else if (Key == VK_NEXT) {
    mode = Shift.Contains(ssShift) ? 0x06 : 0x02;
  } else {
    return;
  }
  MessageBeep(MB_BEEP_OK);
  WaitTicks(1, true);
  // "$" + "E" + mode + checksum sum to 0 modulo 256.
  Send("$");
  Send("E");
  Send(Byte(mode));
  Send(Byte(static_cast<uint8_t>(256 - ('$' + 'E' + mode))));
}
