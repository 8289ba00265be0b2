#include "config/Additonl.h"

#include "chart/Chart.h"
#include "chart/Series.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
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
