#include "config/Additonl.h"

#include "chart/Chart.h"
#include "chart/Series.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"

TAdditionalMaps* AdditionalMaps = nullptr;

void TAdditionalMaps::Publish(TClassProps<TAdditionalMaps>& P) {
  P.Field("AdditionalBook", &TAdditionalMaps::AdditionalBook)
      .Field("BattCompTable", &TAdditionalMaps::BattCompTable)
      .Field("BattCompChart", &TAdditionalMaps::BattCompChart)
      .Field("Label1", &TAdditionalMaps::Label1)
      .Field("BoostFunction", &TAdditionalMaps::BoostFunction)
      .Field("BoostMaxCB", &TAdditionalMaps::BoostMaxCB)
      .Field("Label2", &TAdditionalMaps::Label2)
      .Field("BoostMinDuty", &TAdditionalMaps::BoostMinDuty)
      .Field("Label3", &TAdditionalMaps::Label3)
      .Field("BoostMaxDuty", &TAdditionalMaps::BoostMaxDuty)
      .Field("BoostPWMTable", &TAdditionalMaps::BoostPWMTable)
      .Field("BoostTargetTable", &TAdditionalMaps::BoostTargetTable)
      .Field("CoilOnTable", &TAdditionalMaps::CoilOnTable)
      .Field("CylTrims_table", &TAdditionalMaps::CylTrims_table)
      .Field("EGT_table", &TAdditionalMaps::EGT_table)
      .Field("IACVPosMap_table", &TAdditionalMaps::IACVPosMap_table)
      .Field("IdleFuelMap_table", &TAdditionalMaps::IdleFuelMap_table)
      .Field("InjTimingTable", &TAdditionalMaps::InjTimingTable)
      .Field("MapTable", &TAdditionalMaps::MapTable)
      .Field("BaroTable", &TAdditionalMaps::BaroTable)
      .Field("RpmCorr_table", &TAdditionalMaps::RpmCorr_table)
      .Field("PWMTable", &TAdditionalMaps::PWMTable)
      .Field("Label4", &TAdditionalMaps::Label4)
      .Field("Func1UpperAdj", &TAdditionalMaps::Func1UpperAdj)
      .Field("Label5", &TAdditionalMaps::Label5)
      .Field("Func1LowerAdj", &TAdditionalMaps::Func1LowerAdj)
      .Field("CheckBox1", &TAdditionalMaps::CheckBox1)
      .Field("CheckBox2", &TAdditionalMaps::CheckBox2)
      .Field("CheckBox3", &TAdditionalMaps::CheckBox3)
      .Field("VVT_table", &TAdditionalMaps::VVT_table)
      .Field("VVTcontrol_table", &TAdditionalMaps::VVTcontrol_table)
      .Field("TabSet", &TAdditionalMaps::TabSet)
      .Field("BattCompSeries1", &TAdditionalMaps::BattCompSeries1)
      .Field("BattCompSeries2", &TAdditionalMaps::BattCompSeries2)
      .Field("AccelTempScale", &TAdditionalMaps::AccelTempScale)
      .Field("AppliedAccelTemp_table", &TAdditionalMaps::AppliedAccelTemp_table)
      .Field("AccelRPMScale", &TAdditionalMaps::AccelRPMScale)
      .Field("AppliedAccelRPM_table", &TAdditionalMaps::AppliedAccelRPM_table)
      .Field("AccelEnrich", &TAdditionalMaps::AccelEnrich)
      .Field("AccelClamp", &TAdditionalMaps::AccelClamp)
      .Field("AccelDecay", &TAdditionalMaps::AccelDecay)
      .Field("AccelRate", &TAdditionalMaps::AccelRate)
      .Field("AccelTPS", &TAdditionalMaps::AccelTPS)
      .Field("CheckBox4", &TAdditionalMaps::CheckBox4)
      .Field("CheckBox5", &TAdditionalMaps::CheckBox5)
      .Field("CheckBox6", &TAdditionalMaps::CheckBox6)
      .Field("AbNumSpin1", &TAdditionalMaps::AbNumSpin1)
      .Field("AbNumSpin2", &TAdditionalMaps::AbNumSpin2)
      .Field("AbNumSpin3", &TAdditionalMaps::AbNumSpin3)
      .Field("AbNumSpin4", &TAdditionalMaps::AbNumSpin4)
      .Field("AbNumSpin5", &TAdditionalMaps::AbNumSpin5)
      .Field("AbNumSpin6", &TAdditionalMaps::AbNumSpin6)
      .Field("ComboBox2", &TAdditionalMaps::ComboBox2)
      .Field("CompType", &TAdditionalMaps::CompType)
      .Field("AirBoostLimit_table", &TAdditionalMaps::AirBoostLimit_table)
      .Field("CoolantBoostLimit_table", &TAdditionalMaps::CoolantBoostLimit_table)
      .Field("AuxBoostLimit_table", &TAdditionalMaps::AuxBoostLimit_table)
      .Field("BoostGearTable", &TAdditionalMaps::BoostGearTable)
      .Field("BoostControlLimit", &TAdditionalMaps::BoostControlLimit)
      .Field("BoostFreq", &TAdditionalMaps::BoostFreq)
      .Field("Boost_Rate", &TAdditionalMaps::Boost_Rate)
      .Field("BoostP", &TAdditionalMaps::BoostP)
      .Field("BoostI", &TAdditionalMaps::BoostI)
      .Field("BoostD", &TAdditionalMaps::BoostD)
      .Field("BoostCutTime", &TAdditionalMaps::BoostCutTime)
      .Field("CoilOnTimeCrank", &TAdditionalMaps::CoilOnTimeCrank)
      .Field("Double2Size", &TAdditionalMaps::Double2Size)
      .Field("Double1Limit", &TAdditionalMaps::Double1Limit)
      .Field("DoubleForce", &TAdditionalMaps::DoubleForce)
      .Field("DoubleLoad", &TAdditionalMaps::DoubleLoad)
      .Field("DoubleLabel1", &TAdditionalMaps::DoubleLabel1)
      .Field("DoubleSpeed", &TAdditionalMaps::DoubleSpeed)
      .Field("DoubleLabel2", &TAdditionalMaps::DoubleLabel2)
      .Field("Double1AfterSize", &TAdditionalMaps::Double1AfterSize)
      .Field("DoubleLabel3", &TAdditionalMaps::DoubleLabel3)
      .Field("DoubleLabel4", &TAdditionalMaps::DoubleLabel4)
      .Field("DoubleRichCross", &TAdditionalMaps::DoubleRichCross)
      .Field("EGTEnabled", &TAdditionalMaps::EGTEnabled)
      .Field("Flat_Table", &TAdditionalMaps::Flat_Table)
      .Field("Flat_enabled", &TAdditionalMaps::Flat_enabled)
      .Field("Flat_TPS", &TAdditionalMaps::Flat_TPS)
      .Field("Flat_type", &TAdditionalMaps::Flat_type)
      .Field("Flat_advance", &TAdditionalMaps::Flat_advance)
      .Field("Flat_delay", &TAdditionalMaps::Flat_delay)
      .Field("Flat_RPM", &TAdditionalMaps::Flat_RPM)
      .Field("Flat_MinRpm", &TAdditionalMaps::Flat_MinRpm)
      .Field("IACVStartPosValue", &TAdditionalMaps::IACVStartPosValue)
      .Field("CF_edit", &TAdditionalMaps::CF_edit)
      .Field("CFlab", &TAdditionalMaps::CFlab)
      .Field("CP_edit", &TAdditionalMaps::CP_edit)
      .Field("CPlab", &TAdditionalMaps::CPlab)
      .Field("CTP_edit", &TAdditionalMaps::CTP_edit)
      .Field("CTPlab", &TAdditionalMaps::CTPlab)
      .Field("mspbEdit", &TAdditionalMaps::mspbEdit)
      .Field("CoolantTempMarker", &TAdditionalMaps::CoolantTempMarker)
      .Field("PWMFreq", &TAdditionalMaps::PWMFreq)
      .Field("Func1Enable", &TAdditionalMaps::Func1Enable)
      .Field("Func1TempType", &TAdditionalMaps::Func1TempType)
      .Field("Func1UpperTemp", &TAdditionalMaps::Func1UpperTemp)
      .Field("Func1LowerTemp", &TAdditionalMaps::Func1LowerTemp)
      .Field("TSVtecONRPM", &TAdditionalMaps::TSVtecONRPM)
      .Field("TSVtecONTPS", &TAdditionalMaps::TSVtecONTPS)
      .Field("TSVtecOFFRPM", &TAdditionalMaps::TSVtecOFFRPM)
      .Field("TSVtecOFFTPS", &TAdditionalMaps::TSVtecOFFTPS)
      .Field("VVT_mapoffset", &TAdditionalMaps::VVT_mapoffset)
      .Field("VVTdelay", &TAdditionalMaps::VVTdelay)
      .Handler("FormCreate", &TAdditionalMaps::FormCreate)
      .Handler("TabSetClick", &TAdditionalMaps::TabSetClick)
      .Handler("BoostFunctionChange", &TAdditionalMaps::BoostFunctionChange)
      .Handler("BoostMaxCBClick", &TAdditionalMaps::BoostMaxCBClick)
      .Handler("CheckBox1Click", &TAdditionalMaps::CheckBox1Click)
      .Handler("CheckBox2Click", &TAdditionalMaps::CheckBox2Click)
      .Handler("CheckBox3Click", &TAdditionalMaps::CheckBox3Click);
}

// The tab strip names the notebook pages, in page order.
void TAdditionalMaps::FormCreate(TObject*) {
  TabSet->Tabs()->Assign(AdditionalBook->Pages());
  TabSet->SetTabIndex(AdditionalBook->PageIndex());
}

void TAdditionalMaps::TabSetClick(TObject*) {
  AdditionalBook->SetPageIndex(TabSet->TabIndex());
}

void TAdditionalMaps::BoostFunctionChange(TObject*) {}

void TAdditionalMaps::BoostMaxCBClick(TObject*) {}

void TAdditionalMaps::CheckBox1Click(TObject*) {}

void TAdditionalMaps::CheckBox2Click(TObject*) {}

void TAdditionalMaps::CheckBox3Click(TObject*) {}

void TAdditionalMaps::UpdateCoilOnLoad() {}

void TAdditionalMaps::UpdatePWMLoad() {}

void TAdditionalMaps::UpdateVVTload() {}

void TAdditionalMaps::UpdateInjPosLoad() {}

void TAdditionalMaps::UpdateCylTrimSites() {}
