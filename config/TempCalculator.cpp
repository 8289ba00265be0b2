#include "config/TempCalculator.h"

#include <array>

#include "app/Main.h"
#include "config/TempCalibration.h"
#include "controls/AdvSpin.h"
#include "gauges/AbNumEdit.h"
#include "link/LiveData.h"
#include "model/ConfigBlock.h"
#include "model/Frames.h"
#include "model/Settings.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Timer.h"

TTempCalc* TempCalc = nullptr;

namespace {

constexpr int kVoltageOption = 0;
constexpr double kHighestVolts = 5.0;
// Just under the supply: the highest signal that still has a resistance.
constexpr double kHighestConvertibleVolts = 4.99;
constexpr double kHighestOhms = 1000000.0;

}  // namespace

void TTempCalc::Publish(TClassProps<TTempCalc>& P) {
  P.Field("SensorCaption", &TTempCalc::SensorCaption)
      .Field("Label3", &TTempCalc::Label3)
      .Field("SensorVoltage", &TTempCalc::SensorVoltage)
      .Field("Measure1", &TTempCalc::Measure1)
      .Field("Measure2", &TTempCalc::Measure2)
      .Field("Measure3", &TTempCalc::Measure3)
      .Field("Temp1", &TTempCalc::Temp1)
      .Field("Temp2", &TTempCalc::Temp2)
      .Field("Temp3", &TTempCalc::Temp3)
      .Field("TempUnit1", &TTempCalc::TempUnit1)
      .Field("TempUnit2", &TTempCalc::TempUnit2)
      .Field("TempUnit3", &TTempCalc::TempUnit3)
      .Field("TempRange", &TTempCalc::TempRange)
      .Field("Label14", &TTempCalc::Label14)
      .Field("Label18", &TTempCalc::Label18)
      .Field("Label22", &TTempCalc::Label22)
      .Field("MeasureOption", &TTempCalc::MeasureOption)
      .Field("BitBtn1", &TTempCalc::BitBtn1)
      .Field("BitBtn2", &TTempCalc::BitBtn2)
      .Field("Timer1", &TTempCalc::Timer1)
      .Handler("FormCreate", &TTempCalc::FormCreate)
      .Handler("FormActivate", &TTempCalc::FormActivate)
      .Handler("FormClose", &TTempCalc::FormClose)
      .Handler("MeasureOptionClick", &TTempCalc::MeasureOptionClick)
      .Handler("BitBtn1Click", &TTempCalc::BitBtn1Click)
      .Handler("BitBtn2Click", &TTempCalc::BitBtn2Click)
      .Handler("Timer1Timer", &TTempCalc::Timer1Timer);
}

void TTempCalc::FormCreate(TObject*) {
  const double defaults[3] = {4.26, 3.62, 0.786};
  const int temperatures[3] = {0, 20, 100};
  TAdvSpinEdit* measures[3] = {Measure1, Measure2, Measure3};
  TAbNumSpin* temps[3] = {Temp1, Temp2, Temp3};
  for (int i = 0; i < 3; ++i) {
    measures[i]->SetSpinType(sptFloat);
    measures[i]->SetPrecision(3);
    measures[i]->SetIncrementFloat(0.001);
    measures[i]->SetMinFloatValue(0);
    measures[i]->SetMaxFloatValue(kHighestVolts);
    measures[i]->SetFloatValue(defaults[i]);
    temps[i]->SetValue(temperatures[i]);
  }
}

void TTempCalc::FormActivate(TObject*) {
  if (!refusing_) Timer1->SetEnabled(true);
}

void TTempCalc::FormClose(TObject*, TCloseAction&) {
  // However the window closes, the ECU is polled no more.
  Timer1->SetEnabled(false);
}

bool TTempCalc::ShowsResistance() const { return MeasureOption->ItemIndex() != kVoltageOption; }

void TTempCalc::ShowReading(const AnsiString& text) { SensorVoltage->SetCaption(text); }

void TTempCalc::MeasureOptionClick(TObject*) {
  TAdvSpinEdit* measures[3] = {Measure1, Measure2, Measure3};
  if (!ShowsResistance()) {
    for (TLabel* l : {Label14, Label18, Label22}) l->SetCaption("Volts");
    Label3->SetCaption("Signal voltage (V) :");
    for (TAdvSpinEdit* e : measures) {
      const double ohms = e->FloatValue();
      e->SetIncrementFloat(0.001);
      e->SetPrecision(3);
      e->SetMaxFloatValue(kHighestVolts);
      e->SetFloatValue(config::OhmsToVolts(ohms));
    }
    return;
  }
  for (TLabel* l : {Label14, Label18, Label22}) l->SetCaption("Ohm");
  Label3->SetCaption("Resistance (Ohm) :");
  for (TAdvSpinEdit* e : measures) {
    double volts = e->FloatValue();
    if (volts > kHighestConvertibleVolts) volts = kHighestConvertibleVolts;
    e->SetIncrementFloat(0.1);
    e->SetPrecision(1);
    e->SetMaxFloatValue(kHighestOhms);
    e->SetFloatValue(config::VoltsToOhms(volts));
  }
}

void TTempCalc::BitBtn1Click(TObject*) {
  Timer1->SetEnabled(false);
  const bool ohms = ShowsResistance();
  const bool fahrenheit = Settings.TemperatureUnit == 1;
  TAdvSpinEdit* measures[3] = {Measure1, Measure2, Measure3};
  TAbNumSpin* temps[3] = {Temp1, Temp2, Temp3};
  std::array<config::CalibrationPoint, 3> points;
  for (int i = 0; i < 3; ++i) {
    const double m = measures[i]->FloatValue();
    points[i].ohms = ohms ? m : config::VoltsToOhms(m);
    const int t = temps[i]->ValueAsInt();
    points[i].celsius = fahrenheit ? static_cast<double>(Round((t - 32) * 5.0 / 9.0)) : t;
  }
  const config::SensorTableFit fit = config::SensorTableFromPoints(points);
  if (!fit.table) {
    // Nothing is stored and polling stays stopped while the tuner corrects the points; the
    // window taking activation back from the message is no new opening.
    refusing_ = true;
    struct Done {
      bool& flag;
      ~Done() { flag = false; }
    } done{refusing_};
    MessageDlg(fit.error + "\rThe sensor table was not changed.", mtError, TMsgDlgButtons{mbOK});
    return;
  }
  le::U16* tables[3] = {ConfigBlock.AirTempTable, ConfigBlock.CoolantTempTable, ConfigBlock.AuxTempTable};
  le::U16* table = tables[SensorCaption->Tag >= 0 && SensorCaption->Tag <= 2 ? SensorCaption->Tag : 0];
  for (size_t i = 0; i < fit.table->size(); ++i) table[i] = (*fit.table)[i];
  SetModalResult(mrOk);
}

void TTempCalc::BitBtn2Click(TObject*) { Timer1->SetEnabled(false); }

void TTempCalc::Timer1Timer(TObject*) {
  if (!ECUConnected || R7Tform1 == nullptr) return;
  // The poll goes out one byte per write.
  for (char c : ecu::ReplyRequestFrame(ecu::ReplyRequest::SensorCounts)) R7Tform1->Send(AnsiString(1, c));
}
