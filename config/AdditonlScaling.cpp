// Page "Injection Scaling": the map's injector flow and fuel pressures with their units,
// the power estimate, and the calculation of a new injection time base (MSPB) for new
// injectors or fuel pressure, or for re-scaling the injection map to its whole range.
#include <algorithm>
#include <cmath>

#include "app/Main.h"
#include "config/Additonl.h"
#include "controls/AdvEdit.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "model/ConfigBlock.h"
#include "model/MapRecord.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"

namespace {

TMapRecord& Map() { return MapSlots[CurrentMap]; }

const char* FlowUnitName(bool lb) { return lb ? "lb/hr" : "cc/min"; }
const char* PressureUnitName(bool bar) { return bar ? "bar" : "psi"; }

// Pressure edits: tenths of psi up to 99.9, or hundredths of bar up to 9.99.
void ShapePressureEdit(TAdvSpinEdit* e, bool bar) {
  e->SetPrecision(bar ? 2 : 1);
  e->SetIncrementFloat(bar ? 0.01 : 0.1);
  e->SetMinFloatValue(0);
  e->SetMaxFloatValue(bar ? 9.99 : 99.9);
}

// The largest time base one byte of the ECU's image holds; 0 means "not set".
constexpr long long kMaxMSPB = 255;

bool MSPBFits(long long mspb) { return mspb >= 1 && mspb <= kMaxMSPB; }

void RefuseMSPB(long long mspb) {
  MessageDlg("The new MSPB value would be " + IntToStr(mspb) + ", outside the 1 to 255 the ECU can hold.\r" +
                 "Nothing has been changed.",
             mtError, TMsgDlgButtons{mbOK});
}

AnsiString Fixed2(double v) { return FormatFloat("0.00", v); }

}  // namespace

void TAdditionalMaps::RefreshScalingPage() {
  const TMapRecord& m = Map();
  NewFlowLb = m.FlowUnit != 0;
  NewPressureBar = m.FuelPressureUnit != 0;
  NewRatedBar = m.RatedPressureUnit != 0;
  const bool was = filling_;
  filling_ = true;
  CFlab->SetCaption(FlowUnitName(m.FlowUnit != 0));
  NFlab->SetCaption(FlowUnitName(NewFlowLb));
  CPlab->SetCaption(PressureUnitName(m.FuelPressureUnit != 0));
  NPlab->SetCaption(PressureUnitName(NewPressureBar));
  CTPlab->SetCaption(PressureUnitName(m.RatedPressureUnit != 0));
  NTPlab->SetCaption(PressureUnitName(NewRatedBar));
  ShapePressureEdit(CP_edit, m.FuelPressureUnit != 0);
  ShapePressureEdit(NP_edit, NewPressureBar);
  ShapePressureEdit(CTP_edit, m.RatedPressureUnit != 0);
  ShapePressureEdit(NTP_edit, NewRatedBar);
  CF_edit->SetValue(m.InjectorFlow);
  NF_edit->SetValue(m.InjectorFlow);
  CP_edit->SetFloatValue(m.FuelPressure);
  NP_edit->SetFloatValue(m.FuelPressure);
  CTP_edit->SetFloatValue(m.RatedPressure);
  NTP_edit->SetFloatValue(m.RatedPressure);
  mspbEdit->SetIntValue(m.MSPB);
  filling_ = was;
  calc_FR_CheckClick(calc_FR_Check);
  calc_FP_checkClick(calc_FP_check);
  AutoscaleCheckClick(AutoscaleCheck);
  ShowPowerEstimate();
}

void TAdditionalMaps::ShowPowerEstimate() { EstimateLab->SetCaption(PowerEstimateText(Map(), ConfigReadCopy.Cylinders)); }

void TAdditionalMaps::calc_FR_CheckClick(TObject*) {
  const bool on = calc_FR_Check->Checked();
  for (TControl* c : std::initializer_list<TControl*>{CF_edit, NF_edit, CFlab, NFlab, CTP_edit, CTPlab, NTP_edit, NTPlab})
    c->SetEnabled(on);
}

void TAdditionalMaps::calc_FP_checkClick(TObject*) {
  const bool on = calc_FP_check->Checked();
  for (TControl* c : std::initializer_list<TControl*>{CP_edit, NP_edit, CPlab, NPlab}) c->SetEnabled(on);
}

void TAdditionalMaps::AutoscaleCheckClick(TObject*) { MapMaxEdit->SetEnabled(AutoscaleCheck->Checked()); }

namespace {

// One unit button: the unit flips and the shown number is converted to it.
void FlipFlow(TAdvSpinEdit* e, TButton* b, bool& lb) {
  const double v = e->Value();
  lb = !lb;
  e->SetValue(static_cast<int>(Round(lb ? v / kCcPerLb : v * kCcPerLb)));
  b->SetCaption(FlowUnitName(lb));
}

void FlipPressure(TAdvSpinEdit* e, TButton* b, bool& bar) {
  const double v = e->FloatValue();
  bar = !bar;
  ShapePressureEdit(e, bar);
  e->SetFloatValue(bar ? v / kPsiPerBar : v * kPsiPerBar);
  b->SetCaption(PressureUnitName(bar));
}

}  // namespace

void TAdditionalMaps::CFlabClick(TObject*) {
  TMapRecord& m = Map();
  bool lb = m.FlowUnit != 0;
  FlipFlow(CF_edit, CFlab, lb);
  m.FlowUnit = lb ? 1 : 0;
  m.InjectorFlow = CF_edit->Value();
  ShowPowerEstimate();
}

void TAdditionalMaps::CPlabClick(TObject*) {
  TMapRecord& m = Map();
  bool bar = m.FuelPressureUnit != 0;
  FlipPressure(CP_edit, CPlab, bar);
  m.FuelPressureUnit = bar ? 1 : 0;
  m.FuelPressure = CP_edit->FloatValue();
  ShowPowerEstimate();
}

void TAdditionalMaps::CTPlabClick(TObject*) {
  TMapRecord& m = Map();
  bool bar = m.RatedPressureUnit != 0;
  FlipPressure(CTP_edit, CTPlab, bar);
  m.RatedPressureUnit = bar ? 1 : 0;
  m.RatedPressure = CTP_edit->FloatValue();
  ShowPowerEstimate();
}

void TAdditionalMaps::NFlabClick(TObject*) { FlipFlow(NF_edit, NFlab, NewFlowLb); }
void TAdditionalMaps::NPlabClick(TObject*) { FlipPressure(NP_edit, NPlab, NewPressureBar); }
void TAdditionalMaps::NTPlabClick(TObject*) { FlipPressure(NTP_edit, NTPlab, NewRatedBar); }

void TAdditionalMaps::calculateClick(TObject*) {
  // The questions and messages re-activate the window when they close; the new values
  // being calculated must not be reloaded from the map then.
  calculating_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{calculating_};
  TMapRecord& m = Map();
  const bool injector = calc_FR_Check->Checked(), pressure = calc_FP_check->Checked(),
             rescale = AutoscaleCheck->Checked();
  if (!injector && !pressure && !rescale) {
    MessageDlg(AnsiString("Nothing to calculate") + "\r" + "Select \"" + calc_FR_Check->Caption() + "\" or \"" +
                   calc_FP_check->Caption() + "\" or \"" + AutoscaleCheck->Caption() + "\"",
               mtInformation, TMsgDlgButtons{mbOK});
    return;
  }
  const double newFlow = NF_edit->Value(), newRated = NTP_edit->FloatValue(), newFuel = NP_edit->FloatValue();
  double currentFlow40 = 0, newFlow40 = 0;
  if (injector) {
    if (m.InjectorFlow == 0 || m.RatedPressure == 0 || newFlow == 0 || newRated == 0) {
      MessageDlg("All the current/new flow rates and pressure values need to be set first", mtError,
                 TMsgDlgButtons{mbOK});
      return;
    }
    // Both flows in cc/min at 40 psi, whatever units they were given in.
    currentFlow40 = NormalisedFlow(m.InjectorFlow, m.FlowUnit != 0, m.RatedPressure, m.RatedPressureUnit != 0);
    newFlow40 = NormalisedFlow(newFlow, NewFlowLb, newRated, NewRatedBar);
    if (Fixed2(currentFlow40) == Fixed2(newFlow40) && !pressure) {
      MessageDlg("Nothing to calculate\rThe new injector flow rate is the same!", mtError, TMsgDlgButtons{mbOK});
      return;
    }
  }
  const double fuelPsi = ToPsi(m.FuelPressure, m.FuelPressureUnit != 0), newFuelPsi = ToPsi(newFuel, NewPressureBar);
  if (pressure) {
    if (m.FuelPressure == 0 || newFuel == 0) {
      MessageDlg("Both the current and new fuel pressure values need to be set first", mtError, TMsgDlgButtons{mbOK});
      return;
    }
    if (Fixed2(fuelPsi) == Fixed2(newFuelPsi)) {
      MessageDlg("Nothing to calculate\rThe new fuel pressure is the same!", mtError, TMsgDlgButtons{mbOK});
      return;
    }
  }
  if (m.MSPB == 0) {
    if (MessageDlg("MSPB value has not been set, use the standard value of 61?", mtWarning, mbOKCancel) != mrOk) return;
    m.MSPB = kStandardMSPB;
    mspbEdit->SetIntValue(m.MSPB);
  }
  if (injector || pressure) {
    if (MessageDlg(AnsiString("Change fuel pressure/flow rate.") + "\r" +
                       "The MSPB value will be re-calculated using the new settings.  " +
                       "This will change the fuel quantity that the numbers in the " +
                       "injection map represent but the actual map numbers will remain " +
                       "the same.  The new MSPB will allow you to use the existing " +
                       "map with the new injector/fuel pressure settings." + "\r" + "Ok to continue with calculation?",
                   mtConfirmation, mbOKCancel) != mrOk)
      return;
    // Both results are checked before anything changes: a time base past one byte would
    // reach the ECU as a small number and starve the engine.
    long long mspb = m.MSPB;
    if (injector) {
      mspb = MSPBForInjectors(static_cast<int>(mspb), currentFlow40, newFlow40);
      if (!MSPBFits(mspb)) return RefuseMSPB(mspb);
    }
    if (pressure) {
      mspb = MSPBForPressure(static_cast<int>(mspb), fuelPsi, newFuelPsi);
      if (!MSPBFits(mspb)) return RefuseMSPB(mspb);
    }
    m.MSPB = static_cast<uint8_t>(mspb);
    const bool was = filling_;
    filling_ = true;
    if (injector) {
      m.InjectorFlow = static_cast<int32_t>(newFlow);
      m.FlowUnit = NewFlowLb ? 1 : 0;
      m.RatedPressure = newRated;
      m.RatedPressureUnit = NewRatedBar ? 1 : 0;
      CFlab->SetCaption(FlowUnitName(NewFlowLb));
      CTPlab->SetCaption(PressureUnitName(NewRatedBar));
      ShapePressureEdit(CTP_edit, NewRatedBar);
      CF_edit->SetValue(static_cast<int>(newFlow));
      CTP_edit->SetFloatValue(newRated);
    }
    if (pressure) {
      m.FuelPressure = newFuel;
      m.FuelPressureUnit = NewPressureBar ? 1 : 0;
      CPlab->SetCaption(PressureUnitName(NewPressureBar));
      ShapePressureEdit(CP_edit, NewPressureBar);
      CP_edit->SetFloatValue(newFuel);
    }
    mspbEdit->SetIntValue(m.MSPB);
    filling_ = was;
  }
  if (rescale) {
    if (MessageDlg(AnsiString("Rescale inj map numbers\r") + "The MSPB value will be re-calculated and the map rescaled.  " +
                       "The actual maps numbers will change but the fuel quantity " +
                       "injected will remain the same.  This effectively maximises the map number " + "resolution. " +
                       "\r" + "Ok to continue with calculation?",
                   mtConfirmation, mbOKCancel) != mrOk)
      return;
    const std::optional<TRescale> plan = PlanRescale(m, m.MSPB, std::clamp(MapMaxEdit->Value(), 1, 255));
    if (!plan) {
      MessageDlg("Error, no injection map loaded!\r", mtWarning, TMsgDlgButtons{mbOK});
      return;
    }
    if (!MSPBFits(plan->MSPB)) return RefuseMSPB(plan->MSPB);
    m.MSPB = static_cast<uint8_t>(plan->MSPB);
    const TCellWrites writes = RescaleInjection(m, plan->Factor);
    if (R7Tform1 && R7Tform1->injectiontable)
      for (const TCellWrite& w : writes) R7Tform1->injectiontable->SetCells(w.Col + 1, w.Row, IntToStr(w.NewValue));
    const bool was = filling_;
    filling_ = true;
    mspbEdit->SetIntValue(m.MSPB);
    filling_ = was;
  }
  ShowPowerEstimate();
  MessageDlg(AnsiString("The MSPB value has been calculated.\r") + "This map will need to be re-programmed into the ECU for it " +
                 "to take effect.",
             mtInformation, TMsgDlgButtons{mbOK});
}
