// The additional tables' setting controls: each one writes its value into the current map
// record on every change (the time base when its edit is left), converted and limited as
// its field keeps it. The main window's map refresh fills the controls; while it does, the
// handlers store nothing.
#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>

#include "app/Main.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "config/Additonl.h"
#include "controls/AdvEdit.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "model/TypedNumbers.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TextUtils.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"

namespace {

TMapRecord& Map() { return MapSlots[CurrentMap]; }

void StoreWord(le::I16& field, int v) { field = static_cast<int16_t>(v); }
void StoreByte(uint8_t& field, int v) { field = static_cast<uint8_t>(v); }

int RoundToInt(double v) { return std::isfinite(v) ? static_cast<int>(Round(std::clamp(v, -1e6, 1e6))) : 0; }

constexpr double kCoilMsPerCount = 0.0488;
constexpr double kCoilCountsPerMs = 20.4918;
constexpr double kDutyPercent = 100.0 / 255.0;
constexpr double kBattInjMsPerCount = 0.0122079;
constexpr double kBattCoilMsPerCount = 0.05;

}  // namespace

void TAdditionalMaps::BindSettings() {
  // An integer spin edit: its limits, and the limited value into the record.
  auto integer = [this](TAdvSpinEdit* e, int lo, int hi, std::function<void(TMapRecord&, int)> store) {
    e->SetMinValue(lo);
    e->SetMaxValue(hi);
    e->OnChange = [this, e, lo, hi, store](TObject*) {
      // A cleared or half-typed text stores nothing until it is a number again.
      int v = 0;
      if (!Filling() && TryStrToInt(Trim(e->Text()), v)) store(Map(), std::clamp(v, lo, hi));
    };
  };
  // A decimal spin edit: the typed number within its limits, converted by `store`.
  auto decimal = [this](TAdvSpinEdit* e, double lo, double hi, std::function<void(TMapRecord&, double)> store) {
    e->SetMinFloatValue(lo);
    e->SetMaxFloatValue(hi);
    e->OnChange = [this, e, lo, hi, store](TObject*) {
      if (!Filling()) store(Map(), std::clamp(e->FloatValue(), lo, hi));
    };
  };
  auto number = [this](TAbNumSpin* e, double lo, double hi, std::function<void(TMapRecord&, double)> store) {
    e->SetMinValue(lo);
    e->SetMaxValue(hi);
    e->OnValueChanged = [this, e, lo, hi, store](TObject*) {
      if (!Filling()) store(Map(), std::clamp(e->Value(), lo, hi));
    };
  };
  auto tick = [this](TCheckBox* c, std::function<void(TMapRecord&, bool)> store, std::function<void(bool)> follow) {
    c->OnClick = [this, c, store, follow](TObject*) {
      if (!Filling()) store(Map(), c->Checked());
      if (follow) follow(c->Checked());
    };
  };
  auto bit = [](uint8_t TMapRecord::*field, int b) {
    return [field, b](TMapRecord& m, bool on) {
      m.*field = static_cast<uint8_t>(on ? (m.*field | (1 << b)) : (m.*field & ~(1 << b)));
    };
  };
  auto flag = [](uint8_t TMapRecord::*field) {
    return [field](TMapRecord& m, bool on) { m.*field = on ? 1 : 0; };
  };

  // Accel fuelling.
  integer(AccelEnrich, 0, 100, [](TMapRecord& m, int v) { StoreWord(m.AccelEnrichment, v); });
  integer(AccelClamp, 0, 255, [](TMapRecord& m, int v) { StoreWord(m.AccelClamp, v); });
  integer(AccelDecay, 0, 255, [](TMapRecord& m, int v) { StoreWord(m.AccelDecay, v); });
  integer(AccelRate, 0, 255, [](TMapRecord& m, int v) { StoreWord(m.AccelRate, v); });
  integer(AccelTPS, 0, 100, [](TMapRecord& m, int v) { StoreWord(m.AccelThrottle, v); });

  // Air conditioning: the first box switches every other control.
  TControl* const airCon[] = {CheckBox5, CheckBox6, AbNumSpin1, AbNumSpin2, AbNumSpin3, AbNumSpin4, AbNumSpin5, AbNumSpin6};
  tick(CheckBox4, bit(&TMapRecord::OptionBits17688, 0), [airCon](bool on) {
    for (TControl* c : airCon) c->SetEnabled(on);
  });
  tick(CheckBox5, bit(&TMapRecord::OptionBits17688, 1), nullptr);
  tick(CheckBox6, bit(&TMapRecord::OptionBits17688, 2), nullptr);
  number(AbNumSpin1, 0, 100, [](TMapRecord& m, double v) { StoreByte(m.Setting17695, RoundToInt(v)); });
  number(AbNumSpin2, 0, 16000, [](TMapRecord& m, double v) { StoreWord(m.Setting17690, RoundToInt(v)); });
  number(AbNumSpin4, 0, 16000, [](TMapRecord& m, double v) { StoreWord(m.Setting17692, RoundToInt(v)); });
  number(AbNumSpin3, 0, 255, [](TMapRecord& m, double v) { StoreByte(m.Setting17694, RoundToInt(v)); });
  number(AbNumSpin5, 0, 25.5, [](TMapRecord& m, double v) { StoreByte(m.Setting17689, RoundToInt(v * 10)); });
  number(AbNumSpin6, 0, 25.5, [](TMapRecord& m, double v) { StoreByte(m.Setting17696, RoundToInt(v * 10)); });

  // Battery compensation: the basic curve replaces the table; the user table keeps it.
  CompType->OnClick = [this](TObject*) {
    TMapRecord& m = Map();
    const bool basic = CompType->ItemIndex() == 0;
    if (!Filling()) {
      m.BattCompType = basic ? 1 : 0;
      if (basic)
        for (int r = 1; r <= 10; ++r) {
          // 0.16 ms per volt below 16 V.
          m.BattCompVoltageAxis[r - 1] = static_cast<int16_t>(RoundToInt((10 - r) * 0.16 / kBattInjMsPerCount));
          m.BattCompValues[r - 1] = 0;
        }
    }
    BattCompTable->SetEnabled(!basic);
    BattCompTable->SetDrawSelection(!basic);
    BattCompTable->SetColor(basic ? clInactiveCaption : clWindow);
    for (int r = 1; r <= 10; ++r) {
      const double inj = m.BattCompVoltageAxis[r - 1] * kBattInjMsPerCount;
      const double coil = m.BattCompValues[r - 1] * kBattCoilMsPerCount;
      BattCompTable->SetCells(1, r, Str(inj, 4, 2));
      BattCompTable->SetCells(2, r, Str(coil, 4, 2));
      ShowBatteryPoint(r);
    }
  };

  // Boost control settings; the flag boxes are the form's own handlers.
  integer(BoostControlLimit, 0, 100, [](TMapRecord& m, int v) { StoreByte(m.BoostControlLimit, v); });
  // The frequency is kept in one byte: 255 Hz is the most it can hold.
  integer(BoostFreq, 10, 255, [](TMapRecord& m, int v) { StoreByte(m.BoostFrequency, v); });
  decimal(Boost_Rate, 0.01, 2.55, [](TMapRecord& m, double v) { StoreByte(m.BoostRate, RoundToInt(v * 100)); });
  number(BoostMinDuty, 0, 100, [this](TMapRecord& m, double v) {
    StoreByte(m.BoostMinDuty, std::clamp(RoundToInt(v / BoostMinDuty->Increment()), 0, 255));
  });
  number(BoostMaxDuty, 0, 100, [this](TMapRecord& m, double v) {
    StoreByte(m.BoostMaxDuty, std::clamp(RoundToInt(v / BoostMaxDuty->Increment()), 0, 255));
  });
  integer(BoostMaxTPS, 0, 255, [](TMapRecord& m, int v) { StoreByte(m.Reserved16965, v); });
  integer(BoostP, 0, 255, [](TMapRecord& m, int v) { StoreByte(m.BoostP, v); });
  integer(BoostI, 0, 255, [](TMapRecord& m, int v) { StoreByte(m.BoostI, v); });
  integer(BoostD, 0, 255, [](TMapRecord& m, int v) { StoreByte(m.BoostD, v); });
  decimal(BoostCutTime, 0, 9.9, [](TMapRecord& m, double v) { StoreByte(m.BoostCutTime, RoundToInt(v * 10)); });
  // The pressure entries: typed in the display unit, stored as kPa within their range
  // and shown back, so an entry outside the range snaps to the limit.
  auto pressure = [this](TAbNumSpin* e, bool cut) {
    e->OnValueChanged = [this, e, cut](TObject*) {
      if (Filling() || showing_pressures_) return;
      TMapRecord& m = Map();
      const int unit = Settings.PressureUnit;
      if (cut)
        StoreWord(m.BoostCutPressure, BoostCutFromTyped(e->Value(), unit));
      else if (e == AbNumEdit1)
        StoreByte(m.BoostPressureLimit2, BoostDifferenceFromTyped(e->Value(), unit));
      else
        StoreByte(m.BoostPressureLimit1, BoostDifferenceFromTyped(e->Value(), unit));
      ShowBoostPressures();
    };
  };
  pressure(BoostCut, true);
  pressure(AbNumEdit1, false);
  pressure(AbNumEdit2, false);

  // Coil on-time while cranking: whole steps of the stored count.
  CoilOnTimeCrank->SetMaxFloatValue(255 * kCoilMsPerCount);
  CoilOnTimeCrank->SetMinFloatValue(0);
  CoilOnTimeCrank->OnChange = [this](TObject*) {
    if (Filling() || snapping_) return;
    const double ms = std::clamp(CoilOnTimeCrank->FloatValue(), 0.0, 255 * kCoilMsPerCount);
    const int counts = std::clamp(RoundToInt(ms / kCoilMsPerCount), 0, 255);
    const double snapped = counts * kCoilMsPerCount;
    StoreWord(Map().CoilOnCranking, std::clamp(RoundToInt(snapped * kCoilCountsPerMs), 0, 255));
    if (std::fabs(snapped - CoilOnTimeCrank->FloatValue()) > 0.005) {
      snapping_ = true;
      CoilOnTimeCrank->SetFloatValue(snapped);
      snapping_ = false;
    }
  };

  // Double injector.
  integer(Double2Size, 0, 255, [](TMapRecord& m, int v) { StoreByte(m.DblInjSecondSize, v); });
  integer(Double1Limit, 0, 100, [](TMapRecord& m, int v) { StoreByte(m.DblInjFirstLimit, v); });
  integer(DoubleLoad, 0, 15, [](TMapRecord& m, int v) { StoreByte(m.DblInjLoad, v); });
  integer(DoubleSpeed, 0, 31, [](TMapRecord& m, int v) { StoreByte(m.DblInjSpeed, v); });
  integer(Double1AfterSize, 0, 100, [](TMapRecord& m, int v) { StoreByte(m.DblInjFirstAfterSize, v); });
  TControl* const forced[] = {DoubleLoad, DoubleSpeed, Double1AfterSize, DoubleLabel1, DoubleLabel2, DoubleLabel3, DoubleLabel4};
  tick(DoubleForce, flag(&TMapRecord::DblInjForced), [forced](bool on) {
    for (TControl* c : forced) c->SetEnabled(on);
  });
  tick(DoubleRichCross, flag(&TMapRecord::DblInjRichCrossover), nullptr);

  // EGT feedback; the warning temperature is a setting of the program, not of the map.
  tick(EGTEnabled, flag(&TMapRecord::EGTEnabled), [this](bool on) { ShowTableEnabled(EGT_table, on); });
  EGTwarning->OnValueChanged = [this](TObject*) {
    if (Filling()) return;
    const double v = EGTwarning->Value();
    Settings.EGTWarning = std::clamp(Settings.TemperatureUnit == 1 ? RoundToInt((v - 32) * 5 / 9) : RoundToInt(v), 0, 1250);
  };

  // Flat shift.
  tick(Flat_enabled, flag(&TMapRecord::FlatShiftEnabled), [this](bool on) {
    for (TControl* c : std::initializer_list<TControl*>{Flat_TPS, Flat_RPM, Flat_advance, Flat_type, Flat_MinRpm, Flat_delay})
      c->SetEnabled(on);
    if (auto* l = dynamic_cast<TControl*>(FindComponent("Label45"))) l->SetEnabled(on);
    ShowTableEnabled(Flat_Table, on && Flat_type->ItemIndex() == 0);
  });
  integer(Flat_TPS, 0, 100, [](TMapRecord& m, int v) { StoreWord(m.FlatShiftThrottle, v); });
  Flat_type->OnChange = [this](TObject*) {
    if (!Filling()) StoreByte(Map().FlatShiftType, std::max(Flat_type->ItemIndex(), 0));
    ShowTableEnabled(Flat_Table, Flat_enabled->Checked() && Flat_type->ItemIndex() == 0);
  };
  decimal(Flat_advance, -30, 60, [](TMapRecord& m, double v) {
    StoreWord(m.FlatShiftAdvance, static_cast<int>(TruncTyped(v * 2 + 120)));
  });
  integer(Flat_delay, 0, 2550, [](TMapRecord& m, int v) { StoreByte(m.FlatShiftDelay, v / 10); });
  integer(Flat_RPM, 0, 16000, [](TMapRecord& m, int v) { StoreWord(m.FlatShiftSpeed, v); });
  integer(Flat_MinRpm, 0, 16000, [](TMapRecord& m, int v) { StoreWord(m.FlatShiftMinSpeed, v); });

  // Idle air control.
  integer(IACVStartPosValue, 0, 100, [](TMapRecord& m, int v) { StoreWord(m.IACVStartPosition, v); });

  // Injector timing edge.
  ComboBox2->OnChange = [this](TObject*) {
    if (!Filling()) StoreBit(Map().OptionBits17687, 0, ComboBox2->ItemIndex() == 1);
  };

  // User PWM output.
  integer(PWMFreq, 10, 265, [](TMapRecord& m, int v) { StoreWord(m.PWMFrequency, v); });
  TControl* const func1[] = {Func1TempType, Func1UpperAdj, Func1LowerAdj};
  tick(Func1Enable, flag(&TMapRecord::PWMEnabled), [this, func1](bool on) {
    for (TControl* c : func1) c->SetEnabled(on);
    for (const char* n : {"Func1Lab1", "Func1Lab2", "Func1Lab3", "Func1Lab4", "Label4", "Label5"})
      if (auto* l = dynamic_cast<TControl*>(FindComponent(n))) l->SetEnabled(on);
  });
  Func1TempType->OnChange = [this](TObject*) {
    if (!Filling()) StoreWord(Map().PWMTempSource, std::max(Func1TempType->ItemIndex(), 0));
  };
  auto temperature = [](double v) {
    return Settings.TemperatureUnit == 1 ? RoundToInt((v - 32) * 5 / 9) : RoundToInt(v);
  };
  number(Func1UpperTemp, -30, 248, [temperature](TMapRecord& m, double v) { StoreWord(m.PWMUpperTemp, std::clamp(temperature(v), -30, 120)); });
  number(Func1LowerTemp, -30, 248, [temperature](TMapRecord& m, double v) { StoreWord(m.PWMLowerTemp, std::clamp(temperature(v), -30, 120)); });
  // The adjustments are kept as duty counts (255 = 100 %), as the refresh shows them.
  decimal(Func1UpperAdj, 0, 100, [](TMapRecord& m, double v) { StoreWord(m.PWMUpperAdjust, std::clamp(RoundToInt(v / kDutyPercent), 0, 255)); });
  decimal(Func1LowerAdj, 0, 100, [](TMapRecord& m, double v) { StoreWord(m.PWMLowerAdjust, std::clamp(RoundToInt(v / kDutyPercent), 0, 255)); });

  // VTEC.
  integer(TSVtecONRPM, 0, 16000, [](TMapRecord& m, int v) { StoreWord(m.VTECOnSpeed, v); });
  integer(TSVtecONTPS, 0, 100, [](TMapRecord& m, int v) { StoreWord(m.VTECOnThrottle, v); });
  integer(TSVtecOFFRPM, 0, 16000, [](TMapRecord& m, int v) { StoreWord(m.VTECOffSpeed, v); });
  integer(TSVtecOFFTPS, 0, 100, [](TMapRecord& m, int v) { StoreWord(m.VTECOffThrottle, v); });
  for (TAdvSpinEdit* e : {TSVtecONRPM, TSVtecOFFRPM}) e->SetIncrement(50);

  // VVT: the map offset moves the range of the cells and of their live adjustment.
  integer(VVT_mapoffset, 0, 465, [](TMapRecord& m, int v) {
    StoreWord(m.VVTOffset, v);
    LiveCellMin[6] = v;
    LiveCellMax[6] = v + 255;
  });
  integer(VVTdelay, 0, 255, [](TMapRecord& m, int v) { StoreWord(m.VVTDelay, v); });

  // Injection scaling: the map's injector data.
  integer(CF_edit, 0, 999, [this](TMapRecord& m, int v) {
    m.InjectorFlow = v;
    ShowPowerEstimate();
  });
  decimal(CP_edit, 0, 99.9, [this](TMapRecord& m, double v) {
    m.FuelPressure = v;
    ShowPowerEstimate();
  });
  decimal(CTP_edit, 0, 99.9, [this](TMapRecord& m, double v) {
    m.RatedPressure = v;
    ShowPowerEstimate();
  });

  // The time base goes into the map once the tuner leaves its edit: "6" on the way to "61"
  // never reaches the map. A number past one byte is held at its end and shown as stored,
  // rather than reaching the ECU as a small time base that would starve the engine.
  mspbEdit->OnValueValidate = [this](TObject*, const AnsiString&, bool&) {
    if (Filling()) return;
    double typed = Map().MSPB;  // a text that is no number leaves the map's value
    try {
      typed = mspbEdit->FloatValue();
    } catch (const EConvertError&) {
    }
    const int v = std::clamp(RoundToInt(typed), 0, 255);
    StoreByte(Map().MSPB, v);
    if (IntToStr(v) != mspbEdit->Text()) mspbEdit->SetText(IntToStr(v));
  };
}

void TAdditionalMaps::StoreBit(uint8_t& byte, int b, bool on) {
  byte = static_cast<uint8_t>(on ? (byte | (1 << b)) : (byte & ~(1 << b)));
}

void TAdditionalMaps::ShowTableEnabled(TStringAlignGrid* grid, bool on) {
  grid->SetEnabled(on);
  grid->SetDrawSelection(on);
  grid->SetColor(on ? clWindow : clInactiveCaption);
}

void TAdditionalMaps::ShowBatteryPoint(int r) {
  const TMapRecord& m = Map();
  const std::pair<TFastLineSeries*, double> points[2] = {
      {BattCompSeries1, m.BattCompVoltageAxis[r - 1] * kBattInjMsPerCount},
      {BattCompSeries2, m.BattCompValues[r - 1] * kBattCoilMsPerCount}};
  for (const auto& [series, ms] : points) {
    while (series->Count() <= r + 6) series->Add(0);
    series->YValues()->SetValue(r + 6, ms);
  }
  BattCompChart->Invalidate();
}

// The boost cut and the two differences in the display pressure unit; their spin buttons
// move the stored value by 1 kPa in every unit.
void TAdditionalMaps::ShowBoostPressures() {
  const TMapRecord& m = Map();
  const int unit = std::clamp(Settings.PressureUnit, 0, 2);
  showing_pressures_ = true;
  const double step = unit == 1 ? 0.01 : unit == 2 ? 0.145 : 1;
  const struct {
    TAbNumSpin* e;
    int lo, hi, stored;
    bool cut;
  } edits[3] = {{BoostCut, 100, 655, m.BoostCutPressure, true},
                {AbNumEdit1, 0, 255, m.BoostPressureLimit2, false},
                {AbNumEdit2, 0, 255, m.BoostPressureLimit1, false}};
  for (const auto& x : edits) {
    x.e->SetEditBase(unit == 0 ? ebInt : ebFloat);
    x.e->SetFormatStr(unit == 0 ? "#0" : "#0.00");
    x.e->SetIncrement(static_cast<float>(step));
    const auto shown = [&](int v) { return x.cut ? BoostCutShown(v, unit) : BoostDifferenceShown(v, unit); };
    x.e->SetMinValue(shown(x.lo));
    x.e->SetMaxValue(shown(x.hi));
    x.e->SetValue(shown(x.stored));
  }
  showing_pressures_ = false;
}

void TAdditionalMaps::ApplyEnabledStates() {
  for (TCheckBox* c : {CheckBox4, DoubleForce, EGTEnabled, Flat_enabled, Func1Enable})
    if (c->OnClick) c->OnClick(c);
  if (CompType->OnClick) CompType->OnClick(CompType);
  if (Flat_type->OnChange) Flat_type->OnChange(Flat_type);
}
