#pragma once
// The additional-tables window: eighteen notebook pages of tables and settings kept in the current map record.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAbNumSpin;
class TAdvSpinEdit;
class TChart;
class TCheckBox;
class TComboBox;
class TFastLineSeries;
class TLabel;
class TNotebook;
class TStringAlignGrid;
class TTabSet;

class TAdditionalMaps : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TAdditionalMaps"; }
  static void Publish(TClassProps<TAdditionalMaps>& P);

  TNotebook* AdditionalBook = nullptr;
  TStringAlignGrid* BattCompTable = nullptr;
  TChart* BattCompChart = nullptr;
  TLabel* Label1 = nullptr;
  TComboBox* BoostFunction = nullptr;
  TCheckBox* BoostMaxCB = nullptr;
  TLabel* Label2 = nullptr;
  TAbNumSpin* BoostMinDuty = nullptr;
  TLabel* Label3 = nullptr;
  TAbNumSpin* BoostMaxDuty = nullptr;
  TStringAlignGrid* BoostPWMTable = nullptr;
  TStringAlignGrid* BoostTargetTable = nullptr;
  TStringAlignGrid* CoilOnTable = nullptr;
  TStringAlignGrid* CylTrims_table = nullptr;
  TStringAlignGrid* EGT_table = nullptr;
  TStringAlignGrid* IACVPosMap_table = nullptr;
  TStringAlignGrid* IdleFuelMap_table = nullptr;
  TStringAlignGrid* InjTimingTable = nullptr;
  TStringAlignGrid* MapTable = nullptr;
  TStringAlignGrid* BaroTable = nullptr;
  TStringAlignGrid* RpmCorr_table = nullptr;
  TStringAlignGrid* PWMTable = nullptr;
  TLabel* Label4 = nullptr;
  TAdvSpinEdit* Func1UpperAdj = nullptr;
  TLabel* Label5 = nullptr;
  TAdvSpinEdit* Func1LowerAdj = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TCheckBox* CheckBox2 = nullptr;
  TCheckBox* CheckBox3 = nullptr;
  TStringAlignGrid* VVT_table = nullptr;
  TStringAlignGrid* VVTcontrol_table = nullptr;
  TTabSet* TabSet = nullptr;
  TFastLineSeries* BattCompSeries1 = nullptr;
  TFastLineSeries* BattCompSeries2 = nullptr;

  void FormCreate(TObject* Sender);
  void TabSetClick(TObject* Sender);
  void BoostFunctionChange(TObject* Sender);
  void BoostMaxCBClick(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void CheckBox2Click(TObject* Sender);
  void CheckBox3Click(TObject* Sender);
  void UpdateCoilOnLoad();
  void UpdatePWMLoad();
  void UpdateVVTload();
  void UpdateInjPosLoad();
  void UpdateCylTrimSites();
};

extern TAdditionalMaps* AdditionalMaps;
