// The main window's single map settings: details texts, rev limits, idle, overrun,
// sequential shift, lambda control, fans, the user value boxes and the telltale buttons.
// Each control writes its record field of the current map as soon as it changes, so the
// record is always what the window shows.
#include <algorithm>
#include <cmath>

#include "model/ChannelFunctions.h"
#include "app/Main.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "model/TypedNumbers.h"
#include "controls/AdvSpin.h"
#include "link/LiveData.h"
#include "gauges/AbNumEdit.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"

namespace {

constexpr int kDetailsBudget = 248;

// `now` is `old` with characters inserted at one place; the inserted run loses its last
// `excess` characters (all of them when it is shorter).
AnsiString FitInsertion(const AnsiString& old, const AnsiString& now, size_t excess) {
  size_t head = 0;
  while (head < old.size() && old[head] == now[head]) ++head;
  size_t tail = 0;
  while (tail < old.size() - head && old[old.size() - 1 - tail] == now[now.size() - 1 - tail]) ++tail;
  const size_t inserted = now.size() - head - tail;
  if (now.size() - inserted != old.size() || excess >= inserted) return old;
  return now.substr(0, head + inserted - excess) + now.substr(now.size() - tail);
}

AnsiString Byte(uint8_t b) { return AnsiString(reinterpret_cast<const char*>(&b), 1); }

// How a numeric control's value becomes its record word.
enum class Scale { Word, Tenths, Times10, Times255Rounded, Times100, PerIncrement };

struct NumberField {
  const char* Name;
  TAdvSpinEdit* TR7Tform1::*Control;
  le::I16 TMapRecord::*Record;
  Scale How;
};

const NumberField kNumberFields[] = {
    {"startup_timing", &TR7Tform1::startup_timing, &TMapRecord::StartupTiming, Scale::Word},
    // The idle-up speed is shown in rpm and kept in units of 10 rpm.
    {"Idleuprpm", &TR7Tform1::Idleuprpm, &TMapRecord::IdleUpSpeed, Scale::Tenths},
    {"IdleRpmSw", &TR7Tform1::IdleRpmSw, &TMapRecord::IdleSpeedSwitch, Scale::Word},
    {"IdlePotSw", &TR7Tform1::IdlePotSw, &TMapRecord::IdleThrottleSwitch, Scale::Word},
    {"IACVRateValue", &TR7Tform1::IACVRateValue, &TMapRecord::IACVRate, Scale::Word},
    {"IACVoff", &TR7Tform1::IACVoff, &TMapRecord::IACVOff, Scale::Word},
    {"IdleIgnTrim", &TR7Tform1::IdleIgnTrim, &TMapRecord::IdleIgnTrim, Scale::Word},
    {"IdleIgnRate", &TR7Tform1::IdleIgnRate, &TMapRecord::IdleIgnRate, Scale::Word},
    {"CutOffRpm", &TR7Tform1::CutOffRpm, &TMapRecord::OverrunCutSpeed, Scale::Word},
    {"SeqDown", &TR7Tform1::SeqDown, &TMapRecord::SeqShiftDown, Scale::Word},
    {"Lam_StartDelay", &TR7Tform1::Lam_StartDelay, &TMapRecord::LambdaStartDelay, Scale::Word},
    {"Lam_Warmupdelay", &TR7Tform1::Lam_Warmupdelay, &TMapRecord::LambdaWarmupDelay, Scale::Word},
    {"Lam_Coolant", &TR7Tform1::Lam_Coolant, &TMapRecord::LambdaCoolant, Scale::Word},
    {"Lam_Decel", &TR7Tform1::Lam_Decel, &TMapRecord::LambdaDecel, Scale::Word},
    {"Lam_accel", &TR7Tform1::Lam_accel, &TMapRecord::LambdaAccel, Scale::Word},
    {"Lam_Load", &TR7Tform1::Lam_Load, &TMapRecord::LambdaLoad, Scale::Word},
    {"Lam_Speed", &TR7Tform1::Lam_Speed, &TMapRecord::LambdaSpeed, Scale::Word},
    {"Lam_Response", &TR7Tform1::Lam_Response, &TMapRecord::LambdaResponse, Scale::Word},
    {"Lam_deceldelay", &TR7Tform1::Lam_deceldelay, &TMapRecord::LambdaDecelDelay, Scale::Word},
    {"idleupv", &TR7Tform1::idleupv, &TMapRecord::IdleUpVoltage, Scale::Times10},
    {"Lam_mapRes", &TR7Tform1::Lam_mapRes, &TMapRecord::LambdaMapResponse, Scale::Times10},
    {"Lam_Pgain", &TR7Tform1::Lam_Pgain, &TMapRecord::LambdaPGain, Scale::Times255Rounded},
    {"Lam_Igain", &TR7Tform1::Lam_Igain, &TMapRecord::LambdaIGain, Scale::Times255Rounded},
    {"Lam_LockTimer", &TR7Tform1::Lam_LockTimer, &TMapRecord::LambdaLockTimer, Scale::Times100},
    {"Lam_Rate", &TR7Tform1::Lam_Rate, &TMapRecord::LambdaLockRate, Scale::Times100},
    {"Lam_MaxCorr", &TR7Tform1::Lam_MaxCorr, &TMapRecord::LambdaMaxCorrection, Scale::PerIncrement},
    {"Lam_MinCorr", &TR7Tform1::Lam_MinCorr, &TMapRecord::LambdaMinCorrection, Scale::PerIncrement},
};

// A scaled value as a record word; values beyond the word are held at its ends.
int16_t ToRecordWord(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
}

int16_t StoredNumber(const TAdvSpinEdit* spin, Scale how) {
  const double v = spin->FloatValue();
  switch (how) {
    case Scale::Word: return ToRecordWord(spin->Value());
    case Scale::Tenths: return ToRecordWord(spin->Value() / 10);
    case Scale::Times10: return ToRecordWord(TruncTyped(v * 10));
    case Scale::Times255Rounded: return ToRecordWord(static_cast<double>(Round(v * 255)));
    case Scale::Times100: return ToRecordWord(TruncTyped(v * 100));
    case Scale::PerIncrement: {
      const double inc = spin->IncrementFloat();
      return inc > 0 ? ToRecordWord(TruncTyped(v / inc)) : ToRecordWord(v);
    }
  }
  return 0;
}

// Rev limit rule: 0 is stored as is; other values are held within 2000..20000 and, when
// they differ from the record, rounded to a multiple of 50 (a remainder above 25 goes up).
template <class W>
void ApplyRevLimit(TAdvSpinEdit* spin, W& field) {
  int v = spin->Value();
  if (v != 0) {
    const int held = std::clamp(v, 2000, 20000);
    if (held != v) spin->SetValue(held);
    v = held;
    if (v == static_cast<int>(field)) return;
    const int rest = v % 50;
    v = rest > 25 ? v - rest + 50 : v - rest;
    spin->SetValue(v);
  }
  field = v;
}

}  // namespace

void TR7Tform1::PublishFields(TClassProps<TR7Tform1>& P) {
  for (const char* name : {"DetailsDateEditChange", "DetailsOwnerEditChange", "DetailsEngineEditChange",
                           "DetailsInductionEditChange", "DetailsPressureEditChange", "DetailsInjectorsEditChange",
                           "DetailsInjectionTypeEditChange", "DetailsExhaustEditChange", "detailsChange"})
    P.Handler(name, &TR7Tform1::DetailsChange);
  for (const NumberField& f : kNumberFields)
    P.Handler((AnsiString(f.Name) + "Change").c_str(), &TR7Tform1::NumberFieldChange);
  P.Handler("SeqStartChange", &TR7Tform1::NumberFieldChange).Handler("CutOffPotChange", &TR7Tform1::NumberFieldChange);
  P.Handler("soft_limitExit", &TR7Tform1::soft_limitExit)
      .Handler("hard_limitExit", &TR7Tform1::hard_limitExit)
      .Handler("shiftlightExit", &TR7Tform1::shiftlightExit)
      .Handler("Lam_MaxCorrExit", &TR7Tform1::Lam_CorrExit)
      .Handler("Lam_MinCorrExit", &TR7Tform1::Lam_CorrExit)
      .Handler("CutOffEnabledClick", &TR7Tform1::CutOffEnabledClick)
      .Handler("FineEnabledClick", &TR7Tform1::FineEnabledClick)
      .Handler("SeqEnabledClick", &TR7Tform1::SeqEnabledClick)
      .Handler("Lam_SensorChange", &TR7Tform1::Lam_SensorChange)
      .Handler("ComboBox1Change", &TR7Tform1::ComboBox1Change)
      .Handler("NS2OnValueChanged", &TR7Tform1::FanThresholdChanged)
      .Handler("NS2OffValueChanged", &TR7Tform1::FanThresholdChanged)
      .Handler("NSOnValueChanged", &TR7Tform1::FanThresholdChanged)
      .Handler("NSoffValueChanged", &TR7Tform1::FanThresholdChanged)
      .Handler("TellTaleClearClick", &TR7Tform1::TellTaleClearClick)
      .Handler("TelltaleToggleClick", &TR7Tform1::TelltaleToggleClick)
      .Handler("Panel9Click", &TR7Tform1::UserPanelClick)
      .Handler("Panel10Click", &TR7Tform1::UserPanelClick)
      .Handler("Panel11Click", &TR7Tform1::UserPanelClick)
      .Handler("Panel12Click", &TR7Tform1::UserPanelClick)
      .Handler("User1SelectionChange", &TR7Tform1::UserSelectionChange)
      .Handler("User2SelectionChange", &TR7Tform1::UserSelectionChange)
      .Handler("User3SelectionChange", &TR7Tform1::UserSelectionChange)
      .Handler("User4SelectionChange", &TR7Tform1::UserSelectionChange);
}

int TR7Tform1::DetailsCharsUsed(TObject* Sender, AnsiString& text) {
  const TControl* texts[] = {DetailsDateEdit,      DetailsOwnerEdit,     DetailsEngineEdit,
                             DetailsInductionEdit, DetailsPressureEdit,  DetailsInjectorsEdit,
                             DetailsInjectionTypeEdit, DetailsExhaustEdit, details};
  int total = 0;
  for (const TControl* c : texts) {
    if (c == nullptr) continue;
    total += static_cast<int>(c == Sender ? text.size() : c->Text().size());
  }
  if (map_comments != nullptr) map_comments->SetCaption("Map comments (" + IntToStr(total) + "/248 used)");
  return total;
}

void TR7Tform1::DetailsChange(TObject* Sender) {
  if (RefreshingTables) return;
  static bool busy = false;  // putting the old text back raises this event again
  if (busy) return;
  auto* control = dynamic_cast<TControl*>(Sender);
  if (control == nullptr) return;
  TMapRecord& map = MapSlots[CurrentMap];
  auto apply = [&](auto& field) {
    AnsiString text = control->Text();
    const int used = DetailsCharsUsed(Sender, text);
    if (used > kDetailsBudget && text.size() > field.Get().size()) {
      // The characters just typed or pasted do not all fit the shared budget: of them, the
      // field keeps as many as fit, and keeps its own end.
      text = FitInsertion(field.Get(), text, static_cast<size_t>(used - kDetailsBudget));
      MessageBeep(MB_BEEP_OK);
      busy = true;
      control->SetText(text);
      busy = false;
      DetailsCharsUsed(Sender, text);
    }
    field.Set(text);
  };
  if (Sender == DetailsDateEdit) apply(map.Date);
  else if (Sender == DetailsOwnerEdit) apply(map.Owner);
  else if (Sender == DetailsEngineEdit) apply(map.Engine);
  else if (Sender == DetailsInductionEdit) apply(map.Induction);
  else if (Sender == DetailsPressureEdit) apply(map.Pressure);
  else if (Sender == DetailsInjectorsEdit) apply(map.Injectors);
  else if (Sender == DetailsInjectionTypeEdit) apply(map.InjectionType);
  else if (Sender == DetailsExhaustEdit) apply(map.Exhaust);
  else if (Sender == details) apply(map.Comments);
}

void TR7Tform1::soft_limitExit(TObject*) { ApplyRevLimit(soft_limit, MapSlots[CurrentMap].SoftRevLimit); }
void TR7Tform1::hard_limitExit(TObject*) { ApplyRevLimit(hard_limit, MapSlots[CurrentMap].HardRevLimit); }
void TR7Tform1::shiftlightExit(TObject*) { ApplyRevLimit(shiftlight, MapSlots[CurrentMap].ShiftLightSpeed); }

void TR7Tform1::NumberFieldChange(TObject* Sender) {
  if (RefreshingTables) return;
  // The two unsigned words.
  if (Sender == SeqStart && SeqStart != nullptr) {
    MapSlots[CurrentMap].SeqShiftStart = static_cast<uint16_t>(std::clamp(SeqStart->Value(), 0, 65535));
    return;
  }
  if (Sender == CutOffPot && CutOffPot != nullptr) {
    MapSlots[CurrentMap].OverrunCutThrottle = static_cast<uint16_t>(std::clamp(CutOffPot->Value(), 0, 65535));
    return;
  }
  for (const NumberField& f : kNumberFields) {
    TAdvSpinEdit* spin = this->*(f.Control);
    if (spin != nullptr && spin == Sender) {
      MapSlots[CurrentMap].*(f.Record) = StoredNumber(spin, f.How);
      return;
    }
  }
}

void TR7Tform1::Lam_CorrExit(TObject* Sender) {
  // The shown value snaps to whole increments, as the record holds them.
  auto* spin = dynamic_cast<TAdvSpinEdit*>(Sender);
  if (spin == nullptr || spin->IncrementFloat() <= 0) return;
  const double inc = spin->IncrementFloat();
  spin->SetFloatValue(static_cast<double>(Round(spin->FloatValue() / inc)) * inc);
}

void TR7Tform1::CutOffEnabledClick(TObject*) {
  if (RefreshingTables) return;
  const bool on = CutOffEnabled->Checked();
  MapSlots[CurrentMap].OverrunCutEnabled = on ? 1 : 0;
  for (TControl* c : {static_cast<TControl*>(CutOffPot), static_cast<TControl*>(cutoffpotlabel),
                      static_cast<TControl*>(CutOffRpm), static_cast<TControl*>(cutoffrpmlabel)})
    if (c != nullptr) c->SetEnabled(on);
}

void TR7Tform1::FineEnabledClick(TObject*) {
  if (RefreshingTables) return;
  const bool on = FineEnabled->Checked();
  MapSlots[CurrentMap].IdleFineControl = on ? 1 : 0;
  for (TControl* c : {static_cast<TControl*>(IdleIgnTrim), static_cast<TControl*>(FineLabel),
                      static_cast<TControl*>(IdleIgnRate), static_cast<TControl*>(UpdateLabel)})
    if (c != nullptr) c->SetEnabled(on);
}

void TR7Tform1::SeqEnabledClick(TObject*) {
  if (RefreshingTables) return;
  const bool on = SeqEnabled->Checked();
  MapSlots[CurrentMap].SeqShiftEnabled = on ? 1 : 0;
  for (TControl* c : {static_cast<TControl*>(SeqLabel1), static_cast<TControl*>(SeqLabel2),
                      static_cast<TControl*>(SeqLabel3), static_cast<TControl*>(SeqStart),
                      static_cast<TControl*>(SeqType), static_cast<TControl*>(SeqDown)})
    if (c != nullptr) c->SetEnabled(on);
}

void TR7Tform1::ShowLambdaLabels() {
  if (Label104 == nullptr || Label105 == nullptr || Lam_Sensor == nullptr) return;
  const bool wideband = Lam_Sensor->ItemIndex() == 1;
  Label104->SetCaption(wideband ? "AFR :" : "Lambda O2 :");
  Label104->SetLeft(wideband ? 117 : 83);
  Label105->SetCaption(wideband ? "Target AFR :" : "Target :");
  Label105->SetLeft(wideband ? 83 : 107);
}

void TR7Tform1::Lam_SensorChange(TObject*) {
  ShowLambdaLabels();
  if (RefreshingTables) return;
  // Bits 3 and 4 hold the sensor type; the other bits stay.
  const int index = std::max(0, Lam_Sensor->ItemIndex());
  uint8_t& options = MapSlots[CurrentMap].LambdaOptions;
  options = static_cast<uint8_t>((options & 0xE7) + index * 8);
}

void TR7Tform1::ComboBox1Change(TObject*) {
  if (RefreshingTables) return;
  MapSlots[CurrentMap].MainOptionItem = static_cast<uint8_t>(std::max(0, ComboBox1->ItemIndex()));
}

void TR7Tform1::FanThresholdChanged(TObject* Sender) {
  if (RefreshingTables) return;
  auto* spin = dynamic_cast<TAbNumSpin*>(Sender);
  if (spin == nullptr) return;
  const double v = spin->Value();
  const int16_t stored = Settings.TemperatureUnit == 1 ? static_cast<int16_t>(Round((v - 32) * 5 / 9))
                                                       : static_cast<int16_t>(std::trunc(v));
  TMapRecord& map = MapSlots[CurrentMap];
  if (Sender == NS2On) map.Fan2OnTemp = stored;
  else if (Sender == NS2Off) map.Fan2OffTemp = stored;
  else if (Sender == NSOn) map.Fan1OnTemp = stored;
  else if (Sender == NSoff) map.Fan1OffTemp = stored;
}

void TR7Tform1::TellTaleClearClick(TObject*) {
  if (!ECUConnected) return;
  Send("$");
  Send("F");
  Send(Byte(0x03));
  Send(Byte(0x93));
}

void TR7Tform1::TelltaleToggleClick(TObject*) {
  if (!ECUConnected) return;
  // "$" "F" mode checksum: the four bytes sum to 0 modulo 256.
  Send("$");
  Send("F");
  Send(Byte(TelltaleOn ? 0x02 : 0x01));
  Send(Byte(TelltaleOn ? 0x94 : 0x95));
}

void TR7Tform1::UserPanelClick(TObject* Sender) {
  TPanel* panels[] = {Panel9, Panel10, Panel11, Panel12};
  TPanel* values[] = {User1, User2, User3, User4};
  TComboBox* combos[] = {User1Selection, User2Selection, User3Selection, User4Selection};
  for (int i = 0; i < 4; ++i) {
    if ((panels[i] != Sender && values[i] != Sender) || panels[i] == nullptr || combos[i] == nullptr) continue;
    panels[i]->SetVisible(false);
    combos[i]->SetVisible(true);
    combos[i]->SetDroppedDown(true);
  }
}

void TR7Tform1::UserSelectionChange(TObject* Sender) {
  TPanel* panels[] = {Panel9, Panel10, Panel11, Panel12};
  TComboBox* combos[] = {User1Selection, User2Selection, User3Selection, User4Selection};
  TLabel* labels[] = {UserLabel1, UserLabel2, UserLabel3, UserLabel4};
  for (int i = 0; i < 4; ++i) {
    if (combos[i] != Sender || panels[i] == nullptr) continue;
    const int index = combos[i]->ItemIndex();
    if (index < 0 || index >= static_cast<int>(ChannelFunctionUnit.size())) return;
    panels[i]->SetCaption(combos[i]->Text() + ": ");
    Settings.UserViewVar[i + 1] = index;
    combos[i]->SetVisible(false);
    if (labels[i] != nullptr) labels[i]->SetCaption(ChannelFunctionUnit[static_cast<size_t>(index)]);
    panels[i]->SetVisible(true);
  }
}
