// The main window's live adjustments page: the two live boxes that show and trim items
// of the running ECU, the keys that trim them and write single cells into its map bank,
// the target display of the operating point, and logging started and stopped by hand.
#include <algorithm>

#include "app/Main.h"
#include "model/Settings.h"
#include "config/Additonl.h"
#include "controls/Aligrid.h"
#include "link/LiveData.h"
#include "gauges/AbBar.h"
#include "gauges/AbLED.h"
#include "logger/AbTrend.h"
#include "logger/logger.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Keys.h"
#include "serial/AdTickTimer.h"

std::array<int32_t, 7> LiveCellMin{0, -60, 0, 0, 0, 0, 0};
std::array<int32_t, 7> LiveCellMax{0, 60, 255, 255, 180, 255, 720};
int32_t LiveEditMarks = 0;

namespace {

constexpr WORD kKeyEquals = 187;  // "=" on the main keyboard, "+" with Shift
constexpr WORD kKeyMinus = 189;   // "-" on the main keyboard
constexpr int kLivePage = 7;      // "Live adjustments"

// The trim code byte of items 3..6 (items 1 and 2 have their own letters).
constexpr uint8_t kTrimCode[7] = {0, 0, 0, 0x90, 0x80, 0x98, 0x88};

bool IsPlus(WORD key) { return key == VK_ADD || key == kKeyEquals; }
bool IsMinus(WORD key) { return key == VK_SUBTRACT || key == kKeyMinus; }

AnsiString Byte(uint8_t b) { return AnsiString(reinterpret_cast<const char*>(&b), 1); }

}  // namespace

// ---- live boxes and keys ----

namespace {

struct TLiveItemText {
  const char* Title;
  const char* Quantity;
  const char* Suffix;
};
const TLiveItemText kLiveItems[7] = {{"", "", ""},
                                     {"Ignition ", "advance", "\xB0"},
                                     {"Injection ", "number", ""},
                                     {"Boost PWM ", "%", ""},
                                     {"INJ position ", "position", "\xB0"},
                                     {"PWM ", "%", ""},
                                     {"VVT position", "position", "\xB0"}};

constexpr TColor kLoggingIdleText = 0x808080;

// The next item after k, skipping the item the other box shows.
int NextLiveItem(int k, int other) {
  k = k % 6 + 1;
  if (k == other) k = k % 6 + 1;
  return k;
}

int LiveRow(int k) { return k <= 2 ? LiveLoadSite : LiveCellRow[static_cast<size_t>(k)]; }

// One value of item k as a box shows it: the PWM items in percent of 255 with one
// decimal, the injector position in degrees (4 per step), the rest as they are; cut to
// 8 characters before the unit.
AnsiString LiveBoxText(int k, int32_t x) {
  AnsiString text;
  if (k == 3 || k == 5) {
    text = Str(x * 100.0 / 255, 3, 1);
  } else {
    text = IntToStr(static_cast<int64_t>(x) * (k == 4 ? 4 : 1));
  }
  return text.substr(0, 8) + kLiveItems[k].Suffix;
}

struct TLiveBox {
  TGroupBox* Title;
  TLabel* Captions[3];  // map value, trimmed value, trim
  TPanel* Values[3];
  TAbBar* Bar;
};

void CentreOver(TLabel* label, const TPanel* panel) {
  if (label != nullptr && panel != nullptr)
    label->SetLeft(panel->Left() + panel->Width() / 2 - label->Width() / 2);
}

void SetText(TControl* c, const AnsiString& text) {
  if (c != nullptr) c->SetCaption(text);
}

void ShowBox(const TLiveBox& box, int k) {
  if (k < 1 || k > 6) return;
  const size_t i = static_cast<size_t>(k);
  const int32_t v = LiveCellValue[i], t = LiveCellTrim[i];
  SetText(box.Values[0], LiveBoxText(k, v));
  SetText(box.Values[1], LiveBoxText(k, v + t));
  SetText(box.Values[2], LiveBoxText(k, t));
  if (box.Bar != nullptr) box.Bar->SetValue(LiveCellBar[i]);
}

// The captions of item k, or the reset texts when `reset` names them.
void CaptionBox(const TLiveBox& box, int k, const char* const* reset) {
  const TLiveItemText& item = kLiveItems[k];
  if (reset != nullptr) {
    SetText(box.Title, reset[0]);
    for (int j = 0; j < 3; ++j) SetText(box.Captions[j], reset[j + 1]);
  } else {
    SetText(box.Title, item.Title);
    SetText(box.Captions[0], AnsiString("Map ") + item.Quantity);
    SetText(box.Captions[1], AnsiString("Trimmed ") + item.Quantity);
    SetText(box.Captions[2], AnsiString(item.Title) + "trim");
    for (TPanel* p : box.Values) SetText(p, AnsiString("0") + item.Suffix);
  }
  for (int j = 0; j < 3; ++j) CentreOver(box.Captions[j], box.Values[j]);
  if (box.Bar != nullptr) box.Bar->SetVisible(k > 2);
}

// The logger's caption says once that it holds data not yet saved.
void MarkNewLogData() {
  if (LogNewDataShown || LoggerForm == nullptr) return;
  // Built on the caption of the log in use rather than on whatever the window shows now,
  // which on the options page is that page's own caption.
  LoggerCaption = LoggerCaption + " ...New Data!";
  LoggerForm->SetCaption(LoggerCaption);
  LogNewDataShown = true;
}

const char* const kIgnitionBoxReset[4] = {"Ignition", "Map advance", "Trimmed Advance", "Ignition trim"};
const char* const kInjectionBoxReset[4] = {"Injection", "Map number", "Trimmed number", "Injection trim"};

}  // namespace

void TR7Tform1::PublishLive(TClassProps<TR7Tform1>& P) {
  P.Field("ignition_box", &TR7Tform1::ignition_box)
      .Field("injection_box", &TR7Tform1::injection_box)
      .Field("Label21", &TR7Tform1::Label21)
      .Field("Label22", &TR7Tform1::Label22)
      .Field("Label23", &TR7Tform1::Label23)
      .Field("Label24", &TR7Tform1::Label24)
      .Field("Label25", &TR7Tform1::Label25)
      .Field("Label26", &TR7Tform1::Label26)
      .Field("map_advance", &TR7Tform1::map_advance)
      .Field("actual_advance", &TR7Tform1::actual_advance)
      .Field("ignition_trim", &TR7Tform1::ignition_trim)
      .Field("map_injection", &TR7Tform1::map_injection)
      .Field("actual_injection", &TR7Tform1::actual_injection)
      .Field("injection_trim", &TR7Tform1::injection_trim)
      .Field("TimeLogLED", &TR7Tform1::TimeLogLED)
      .Handler("TimeLogLEDClick", &TR7Tform1::TimeLogLEDClick);
}

void TR7Tform1::UpdateMapBox1() {
  ShowBox({ignition_box, {Label22, Label23, Label21}, {map_advance, actual_advance, ignition_trim}, BoxBar1},
          MapBoxItem1);
}

void TR7Tform1::UpdateMapBox2() {
  ShowBox({injection_box, {Label26, Label25, Label24}, {map_injection, actual_injection, injection_trim}, BoxBar2},
          MapBoxItem2);
}

void TR7Tform1::CycleIgnitionBox(bool advance) {
  MapBoxItem1 = advance ? NextLiveItem(MapBoxItem1, MapBoxItem2) : 1;
  CaptionBox({ignition_box, {Label22, Label23, Label21}, {map_advance, actual_advance, ignition_trim}, BoxBar1},
             MapBoxItem1, advance ? nullptr : kIgnitionBoxReset);
}

void TR7Tform1::CycleInjectionBox(bool advance) {
  MapBoxItem2 = advance ? NextLiveItem(MapBoxItem2, MapBoxItem1) : 2;
  CaptionBox({injection_box, {Label26, Label25, Label24}, {map_injection, actual_injection, injection_trim}, BoxBar2},
             MapBoxItem2, advance ? nullptr : kInjectionBoxReset);
}

void TR7Tform1::CentreLiveBoxCaptions() {
  const std::pair<TLabel*, TPanel*> pairs[] = {{Label22, map_advance},   {Label23, actual_advance},
                                               {Label21, ignition_trim}, {Label26, map_injection},
                                               {Label25, actual_injection}, {Label24, injection_trim}};
  for (const auto& [label, panel] : pairs) CentreOver(label, panel);
}

void TR7Tform1::UpdateTarget() {
  if (Image9 == nullptr || TargetBitmap == nullptr) return;
  const int w = TargetBitmap->Width(), h = TargetBitmap->Height();
  if (w <= 0 || h <= 0) return;
  // The cross marks the fractions of the speed and load sites, 0..255 across the image.
  const int x = static_cast<int>(Round(w / 256.0 * LiveSpeedFraction)) - 1;
  const int y = static_cast<int>(Round(h / 256.0 * LiveLoadFraction)) - 1;
  // Most packets move the operating point by less than a pixel: the picture shown stays.
  TBitmap* shown = Image9->Picture()->Bitmap();
  const TargetDrawn now{w, h, x, y};
  if (now.w == target_drawn_.w && now.h == target_drawn_.h && now.x == target_drawn_.x &&
      now.y == target_drawn_.y && shown->Width() == w && shown->Height() == h)
    return;
  // The squares are drawn once a size into the target bitmap; each move copies them and
  // draws the cross over the copy.
  if (now.w != target_drawn_.w || now.h != target_drawn_.h) {
    TCanvas* c = TargetBitmap->Canvas();
    TCanvasPainterHold hold(c);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, 0, w, h));
    // Three nested squares: blue, red inset by a sixth, yellow inset by a third.
    const int red = static_cast<int>(Round(w / 6.0)), yellow = static_cast<int>(Round(w / 3.0));
    const std::pair<int, TColor> squares[] = {{0, clBlue}, {red, clRed}, {yellow, clYellow}};
    for (const auto& [inset, colour] : squares) {
      c->Brush()->SetColor(colour);
      c->FillRect(TRect(inset, inset, w - inset, h - inset));
    }
  }
  target_drawn_ = now;
  if (shown->Width() != w || shown->Height() != h) shown->SetSize(w, h);
  TCanvas* c = shown->Canvas();
  c->Draw(0, 0, TargetBitmap);
  TCanvasPainterHold hold(c);
  const int arm = static_cast<int>(Round(w / 8.0));
  c->Pen()->SetColor(clBlack);
  c->Pen()->SetWidth(3);
  c->MoveTo(x - arm, y);
  c->LineTo(x + arm, y);
  c->MoveTo(x, y - arm);
  c->LineTo(x, y + arm);
  c->Pen()->SetWidth(1);
}

void TR7Tform1::NoteLiveMark(const ecu::GridMarker& marker) {
  if (marker.unmark || marker.mark) live_mark_ = marker.mark;
}

// The operating point's cell of the two main tables stands out in silver. Painted with
// the dashboard, so a point that crosses several cells between two drawings repaints only
// the cell it left and the one it stands on; each cell alone is drawn again.
void TR7Tform1::ShowLiveMark() {
  const auto same = [](const std::optional<ecu::GridCell>& a, const std::optional<ecu::GridCell>& b) {
    return a.has_value() == b.has_value() && (!a || (a->column == b->column && a->row == b->row));
  };
  if (same(live_mark_, live_mark_shown_)) return;
  for (TStringAlignGrid* grid : {ignitiontable, injectiontable}) {
    if (grid == nullptr) continue;
    if (live_mark_shown_) grid->SetColorCell(live_mark_shown_->column, live_mark_shown_->row, clWhite);
    if (live_mark_) grid->SetColorCell(live_mark_->column, live_mark_->row, clSilver);
  }
  live_mark_shown_ = live_mark_;
}

void TR7Tform1::ShowLoggingLED(bool on) {
  if (TimeLogLED == nullptr) return;
  TimeLogLED->SetChecked(on);
  TimeLogLED->Font()->SetColor(on ? clBlack : kLoggingIdleText);
}

void TR7Tform1::StartLogging() {
  if (LoggerForm != nullptr) {
    // The trend's own timer records the sample it holds: that is taken from the live
    // values now, not left from the end of an earlier run.
    LoggerForm->DataPlotterInterval(LoggerForm->DataPlotter);
    LoggerForm->DataPlotter->SetStartRecording(true);
  }
  LoggingActive = true;
  ShowLoggingLED(true);
  ArmTriggerTimer();
}

void TR7Tform1::StopLogging() {
  if (LoggerForm != nullptr) LoggerForm->DataPlotter->SetStartRecording(false);
  LoggingActive = false;
  ShowLoggingLED(false);
  ArmTriggerTimer();
}

// The trigger timer runs only while it has something to watch: a start channel while
// logging may start, a stop channel while logging runs. Logging started and stopped by
// hand ("User" for both) needs no tick ten times a second.
void TR7Tform1::ArmTriggerTimer() {
  if (Timer2 == nullptr || !trigger_timer_allowed_) return;
  const bool enabled = LoggerForm != nullptr && LoggerForm->StartRecording->Checked();
  const bool watches = LoggingActive ? !enabled || LoggerSettings.StopChan > 0
                                     : enabled && (LoggerSettings.StartChan > 0 || LoggerSettings.StopChan > 0);
  Timer2->SetEnabled(watches);
}

void TR7Tform1::TimeLogLEDClick(TObject*) {
  if (LoggerForm == nullptr) return;
  // A trigger channel of 0 ("User") means the user starts or stops by hand.
  if (LoggingActive) {
    if (LoggerForm->StopChan->ItemIndex() <= 0) StopLogging();
    return;
  }
  if (LoggerForm->StartChan->ItemIndex() > 0 || !LoggerForm->StartRecording->Checked() || !ECUConnected) return;
  StartLogging();
  MarkNewLogData();
}

namespace {

// Whether the live value of the logger's channel `chan` (1..8) is above (logic 0) or
// below (logic 1) `value`; any other logic never holds.
bool TriggerHolds(int chan, int logic, double value) {
  const int f = LoggerSettings.Channels[chan];
  if (f < 0 || f >= static_cast<int>(LiveValues.size())) return false;
  const double live = LiveValues[static_cast<size_t>(f)];
  return logic == 0 ? live > value : logic == 1 ? live < value : false;
}

}  // namespace

// The logger's automatic start and stop, every 100 ms. A stop condition wins over a start
// condition that holds at the same time.
void TR7Tform1::Timer2Timer(TObject*) {
  if (LoggerForm == nullptr) return;
  if (!LoggerForm->StartRecording->Checked()) {
    if (LoggingActive) StopLogging();
    return;
  }
  const TLoggerSettings& g = LoggerSettings;
  bool start = g.StartChan > 0 && g.StartChan <= 8 && TriggerHolds(g.StartChan, g.StartLogic, g.StartValue);
  bool stop = false;
  if (g.StopChan > 0 && g.StopChan <= 8) {
    stop = TriggerHolds(g.StopChan, g.StopLogic, g.StopValue);
    if (stop) start = false;
  }
  if (start && !LoggingActive) {
    StartLogging();
    MarkNewLogData();
  }
  if (stop && LoggingActive) StopLogging();
}

void TR7Tform1::LogSample() {
  if (LoggerForm == nullptr) return;
  LoggerForm->DataPlotterInterval(LoggerForm->DataPlotter);
  LoggerForm->DataPlotter->AddRecord();
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
      // The additional table of the item shows the new cell (and repaints when shown).
      TStringAlignGrid* grids[7] = {nullptr, nullptr, nullptr, AdditionalMaps->BoostPWMTable,
                                    AdditionalMaps->InjTimingTable, AdditionalMaps->PWMTable,
                                    AdditionalMaps->VVT_table};
      const AnsiString text = k == 3 || k == 5 ? Str(cell.NewValue * 100.0 / 255.0, 3, 1) : IntToStr(cell.NewValue);
      if (TStringAlignGrid* g = grids[k]) g->SetCells(cell.Col, cell.Row, text);
      if (AdditionalMaps->Visible()) AdditionalMaps->Invalidate();
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
  if (k == MapBoxItem1) UpdateMapBox1();
  if (k == MapBoxItem2) UpdateMapBox2();
}

void TR7Tform1::RunLiveAction(std::function<void()> action) {
  live_actions_.push_back(std::move(action));
  if (live_action_running_) return;
  live_action_running_ = true;
  while (!live_actions_.empty()) {
    std::function<void()> next = std::move(live_actions_.front());
    live_actions_.pop_front();
    try {
      next();
    } catch (...) {
      live_actions_.clear();
      live_action_running_ = false;
      throw;
    }
  }
  live_action_running_ = false;
}

void TR7Tform1::FormKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  const bool livePage = Notebook1 != nullptr && Notebook1->PageIndex() == kLivePage;
  if (Shift.Contains(ssAlt)) {
    // Alt + 1 / Alt + 2 choose what the boxes show and then go on as the plain keys (so
    // Alt + 1 also resets box 2's trim); the function keys work with Alt as without.
    // Every other Alt combination is the menus' and goes no further here.
    if (Key == 'M' || Key == VK_SUBTRACT) {
      // Taken here, before the menu bar: Alt+M opens the map choice.
      Key = 0;
      SelectMAP1Click(this);
      return;
    }
    if (livePage && Key == '1') CycleIgnitionBox(true);
    else if (livePage && Key == '2') CycleInjectionBox(true);
    else if (!(Key >= VK_F1 && Key <= VK_F8) && Key != VK_F12) return;
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
    FocusPageTable();
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
  if (!livePage) return;
  const bool liveKey = Key == VK_SPACE || Key == VK_RETURN || IsPlus(Key) || IsMinus(Key) ||
                       (Key >= '0' && Key <= '3');
  if (!liveKey) return;
  // The live page's keys are the page's own: no control behind it (a table of another
  // page that kept the focus) takes them as well.
  const WORD key = Key;
  Key = 0;
  if (key == VK_SPACE) {
    TimeLogLEDClick(this);
    return;
  }
  if (!ECUConnected) return;
  RunLiveAction([this, key] {
    if (!ECUConnected) return;
    const int box1 = MapBoxItem1, box2 = MapBoxItem2;
    if (key == VK_RETURN) {
      UpdateCell(box1);
      UpdateMapBox1();
      UpdateCell(box2);
      UpdateMapBox2();
      const int c = LiveSpeedSite + 2, r = LiveLoadSite + 1;
      if (LiveEditMarks & 1) ignitiontable->FontCell(c, r)->SetColor(clRed);
      if (LiveEditMarks & 2) injectiontable->FontCell(c, r)->SetColor(clRed);
      LiveEditMarks = 0;
    } else if (IsPlus(key)) {
      TrimLiveItem(box1, +1);
    } else if (IsMinus(key)) {
      TrimLiveItem(box1, -1);
    } else if (key == '3') {
      TrimLiveItem(box2, +1);
    } else if (key == '2') {
      TrimLiveItem(box2, -1);
    } else if (key == '0') {
      TrimLiveItem(box1, 0);
    } else if (key == '1') {
      TrimLiveItem(box2, 0);
    }
  });
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
  RunLiveAction([this, mode] {
    MessageBeep(MB_BEEP_OK);
    WaitTicks(1, true);
    // "$" + "E" + mode + checksum sum to 0 modulo 256.
    Send("$");
    Send("E");
    Send(Byte(mode));
    Send(Byte(static_cast<uint8_t>(256 - ('$' + 'E' + mode))));
  });
}

// A page chosen by its function key hands the keyboard to its table, so the arrows and the
// editing keys work on what is shown without a click first.
void TR7Tform1::FocusPageTable() {
  TStringAlignGrid* grid = nullptr;
  switch (Notebook1 != nullptr ? Notebook1->PageIndex() : -1) {
    case 2: grid = ignitiontable; break;
    case 3: {
      TStringAlignGrid* tables[4] = {injectiontable, AFRTargetTable, AFRCorrectionTable, AFRModeTable};
      grid = tables[std::clamp(InjectionPageTable, 0, 3)];
      break;
    }
    case 4: grid = idlerpm_table; break;
    case 5: grid = coolantign_table; break;
    case 6: grid = coolantinj_table; break;
    default: break;
  }
  if (grid != nullptr && grid->Showing() && grid->CanFocus()) grid->SetFocus();
}
