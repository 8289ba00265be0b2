// The first activation's work on the other windows: grid shapes, header colours, axis
// captions, the configuration defaults, the battery-compensation display and the
// logger's settings.
#include "app/MainWindows.h"

#include <algorithm>
#include <initializer_list>

#include "model/ChannelFunctions.h"
#include "model/Settings.h"
#include "app/Windows.h"
#include "chart/Series.h"
#include "config/Additonl.h"
#include "config/SitePos.h"
#include "config/SpeedSiteAdj.h"
#include "config/TCSetup.h"
#include "config/setup.h"
#include "controls/AdvEdit.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "controls/LblEffct.h"
#include "ecu/NewComPort.h"
#include "gauges/AbNumEdit.h"
#include "logger/AbTrend.h"
#include "logger/logger.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrlsRegistration.h"

namespace {

constexpr TColor kGreen = TColor(0x008000);
constexpr TColor kNavy = TColor(0x000080);
constexpr TColor kBlue = TColor(0xFF0000);
// One duty unit (of 0..255) in percent.
constexpr double kDutyStep = 100.0 / 255;

void SetCellFontColor(TStringAlignGrid* grid, int col, int row, TColor color) {
  if (col < grid->ColCount() && row < grid->RowCount()) grid->FontCell(col, row)->SetColor(color);
}

void SetCellText(TStringAlignGrid* grid, int col, int row, const AnsiString& text) {
  if (col < grid->ColCount() && row < grid->RowCount()) grid->SetCells(col, row, text);
}

// The value at Index of a series' value list, adding zero points until it exists.
void SetSeriesValue(TChartSeries* series, int index, double value) {
  while (series->Count() <= index) series->Add(0);
  series->YValues()->SetValue(index, value);
}

}  // namespace

void RegisterMainWindowControlClasses() {
  RegisterProgramWindows();
  RegisterStdCtrlsClasses();
  RegisterAligridClasses();
  RegisterAdvEditClasses();
  RegisterLabelStatusElasticClasses();
}

void StopLoggerRecorder() { LoggerForm->DataPlotter->SetStartRecording(false); }

void SetBoostDutyIncrements() {
  AdditionalMaps->BoostMinDuty->SetIncrement(kDutyStep);
  AdditionalMaps->BoostMaxDuty->SetIncrement(kDutyStep);
}

void ShapeOtherWindowGrids() {
  TAdditionalMaps* a = AdditionalMaps;
  for (TStringAlignGrid* grid :
       {a->BoostPWMTable, a->BoostTargetTable, a->CoilOnTable, a->InjTimingTable, a->PWMTable, a->VVT_table})
    grid->SetColCount(33);
  a->RpmCorr_table->SetColCount(32);
  SpeedSiteForm->SitePosGrid->SetColCount(33);
}

void SetPWMAdjustIncrements() {
  AdditionalMaps->Func1UpperAdj->SetIncrementFloat(kDutyStep);
  AdditionalMaps->Func1LowerAdj->SetIncrementFloat(kDutyStep);
}

void ShapeAdditionalTables() {
  TAdditionalMaps* a = AdditionalMaps;
  for (TStringAlignGrid* grid : {a->InjTimingTable, a->BoostPWMTable, a->BoostTargetTable, a->PWMTable,
                                 a->CoilOnTable, a->VVTcontrol_table, a->VVT_table})
    grid->SetAlignment(TMyAlign::alCenter);

  for (TStringAlignGrid* grid :
       {a->IACVPosMap_table, a->VVTcontrol_table, SetupForm->ATStable, SetupForm->CTStable, SetupForm->XTStable})
    for (int col = 0; col <= 13; ++col) SetCellFontColor(grid, col, 0, kGreen);
  static const char* const kIdleFuelLoads[5] = {"0", "25", "50", "75", "100"};
  for (int col = 0; col <= 4; ++col) {
    SetCellFontColor(a->IdleFuelMap_table, col, 0, kGreen);
    SetCellText(a->IdleFuelMap_table, col, 0, kIdleFuelLoads[col]);
  }
  for (TStringAlignGrid* grid : {a->MapTable, a->BaroTable})
    for (int row = 1; row <= 20; ++row)
      for (int col = 1; col <= 3; ++col) SetCellFontColor(grid, col, row, kBlue);
}

void ShowBoostLoadAxis() {
  static const char* const kLoads[5] = {"0", "25", "50", "75", "100"};
  for (TStringAlignGrid* grid : {AdditionalMaps->BoostPWMTable, AdditionalMaps->BoostTargetTable})
    for (int row = 1; row <= 5; ++row) SetCellText(grid, 0, row, kLoads[row - 1]);
}

void ShapeCylinderTrimTable() {
  TStringAlignGrid* grid = AdditionalMaps->CylTrims_table;
  if (grid->RowCount() < 17) grid->SetRowCount(17);
  for (int row = 1; row <= 16; ++row) {
    const bool ignition = row <= 8;
    grid->SetCells(0, row, ignition ? "Ign " + IntToStr(row) : "Inj " + IntToStr(row - 8));
    for (TFont* font : {grid->FontCell(0, row), grid->FontRow(row)}) {
      font->SetStyle({fsBold});
      font->SetColor(ignition ? kGreen : kNavy);
    }
  }
  // Nine rows at a time; the scroll bar reaches the rest.
  grid->SetClientWidth(6 * grid->DefaultColWidth() + 6 + 18);
  grid->SetHeight(9 * grid->DefaultRowHeight() + 9);
}

void SizeGridsToContents() {
  auto fit = [](TStringAlignGrid* grid, int dw, int dh) {
    grid->SetWidth(grid->TotalWidth() + dw);
    grid->SetHeight(grid->TotalHeight() + dh);
  };
  fit(TCSetupForm->GearPos_table, 0, 6);
  fit(AdditionalMaps->EGT_table, 2, 8);
  fit(SetupForm->AFRinput_table, 2, 6);
  TStringAlignGrid* sites = SitePosFrm->SitePosGrid;
  sites->SetWidth(sites->TotalWidth() + 2);
  sites->SetClientHeight(sites->TotalHeight() + 16);
  // Grid and notes side by side, centred in the window, 7 pixels apart.
  TMemo* memo = SitePosFrm->Memo1;
  const int gap = 7;
  const int left = (SitePosFrm->ClientWidth() - (sites->Width() + gap + memo->Width())) / 2;
  sites->SetLeft(left);
  memo->SetLeft(left + sites->Width() + gap);
  SitePosFrm->ReCalcMaps->SetLeft(memo->Left());
}

void ShowConfigurationDefaults() {
  SetupForm->ConfigDefault();
  SetupForm->RefreshConfigDisplay();
}

void ShowBatteryCompensation(const std::array<double, 10>& volts) {
  TAdditionalMaps* a = AdditionalMaps;
  for (TChartSeries* series : std::initializer_list<TChartSeries*>{a->BattCompSeries1, a->BattCompSeries2}) {
    series->Clear();
    for (int k = 0; k < 7; ++k) series->Add(0);
  }
  for (int i = 1; i <= 10; ++i) {
    const double v = volts[static_cast<size_t>(i - 1)];
    SetCellText(a->BattCompTable, 1, i, Str(v, 4, 2));
    SetCellText(a->BattCompTable, 2, i, "0");
    // The curve's points for the ten rows follow the seven zero points; they are
    // appended when missing instead of written past the end of the series.
    SetSeriesValue(a->BattCompSeries1, i + 6, v);
    SetSeriesValue(a->BattCompSeries2, i + 6, 0);
  }
}

void ShowLoggerSettings() {
  TLoggerForm* l = LoggerForm;
  TComboBox* channels[8] = {l->Chan1Lab, l->Chan2Lab, l->Chan3Lab, l->Chan4Lab,
                            l->Chan5Lab, l->Chan6Lab, l->Chan7Lab, l->Chan8Lab};
  for (int n = 1; n <= 8; ++n) {
    FillChannelItems(channels[n - 1]);
    channels[n - 1]->SetItemIndex(LoggerSettings.Channels[n]);
  }
  l->StartChan->SetItemIndex(LoggerSettings.StartChan);
  l->StartLogic->SetItemIndex(LoggerSettings.StartLogic);
  l->StartVal->SetFloatValue(LoggerSettings.StartValue);
  l->StopChan->SetItemIndex(LoggerSettings.StopChan);
  l->StopLogic->SetItemIndex(LoggerSettings.StopLogic);
  l->StopVal->SetFloatValue(LoggerSettings.StopValue);
}

void RefreshLoggerChannels() {
  TLoggerForm* l = LoggerForm;
  l->Chan1LabChange(l->Chan1Lab);
  l->Chan2LabChange(l->Chan2Lab);
  l->Chan3LabChange(l->Chan3Lab);
  l->Chan4LabChange(l->Chan4Lab);
  l->Chan5LabChange(l->Chan5Lab);
  l->Chan6LabChange(l->Chan6Lab);
  l->Chan7LabChange(l->Chan7Lab);
  l->Chan8LabChange(l->Chan8Lab);
  l->LoggerSSUpdate();
}

void ApplyLoggerEnabled() {
  LoggerForm->StartRecording->SetChecked(LoggerSettings.Enabled);
  LoggerForm->StartRecordingClick(LoggerForm->StartRecording);
}

bool ShowSelectPort() { return SelectPort->ShowModal() == mrOk; }
