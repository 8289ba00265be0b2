#include "config/SelectMap.h"

#include "model/MapRecord.h"
#include "link/LiveData.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/TextUtils.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"

TSelectMapForm* SelectMapForm = nullptr;

void TSelectMapForm::Publish(TClassProps<TSelectMapForm>& P) {
  P.Field("SelectedMap", &TSelectMapForm::SelectedMap)
      .Field("SelectedMap_panel", &TSelectMapForm::SelectedMap_panel)
      .Field("GroupBox1", &TSelectMapForm::GroupBox1)
      .Field("Label1", &TSelectMapForm::Label1)
      .Field("Memo1", &TSelectMapForm::Memo1)
      .Field("OKBtn", &TSelectMapForm::OKBtn)
      .Field("CancelBtn", &TSelectMapForm::CancelBtn)
      .Field("GroupBox2", &TSelectMapForm::GroupBox2)
      .Field("Map1Name", &TSelectMapForm::Map1Name)
      .Field("Map2Name", &TSelectMapForm::Map2Name)
      .Field("Map3Name", &TSelectMapForm::Map3Name)
      .Handler("SelectedMapChange", &TSelectMapForm::SelectedMapChange)
      .Handler("FormShow", &TSelectMapForm::FormShow);
}

void TSelectMapForm::ShowChoice(int n) {
  static const TColor kColours[3] = {clLime, clRed, clYellow};
  if (n < 1 || n > 3) return;
  SelectedMap_panel->SetCaption("PC Map " + IntToStr(n));
  SelectedMap_panel->SetColor(kColours[n - 1]);
}

void TSelectMapForm::SelectedMapChange(TObject*) { ShowChoice(SelectedMap->ItemIndex() + 1); }

void TSelectMapForm::UpdateOptions() {
  TLabel* names[3] = {Map1Name, Map2Name, Map3Name};
  for (int n = 1; n <= 3; ++n)
    if (names[n - 1] != nullptr)
      names[n - 1]->SetCaption("PC Map " + IntToStr(n) + " :  " +
                               (MapSlots.Present(n) ? TrimRight(MapSlots[n].MapName.Get()) : AnsiString("empty")));
  if (ECUConnected && SelectedMap->Enabled()) {
    SelectedMap->SetEnabled(false);
    if (Visible() && OKBtn->Visible()) SetActiveControl(OKBtn);
    Label1->SetCaption("ECU : CONNECTED");
    Memo1->SetText("The map selection is set by the ECU.\r\nUser map selection is not possible.");
  } else if (!ECUConnected && !SelectedMap->Enabled()) {
    SelectedMap->SetEnabled(true);
    if (Visible() && SelectedMap->Visible()) SetActiveControl(SelectedMap);
    Label1->SetCaption("ECU : No connection");
    Memo1->SetText("Select the map you wish to display/edit.");
  }
  // While linked the window reports the map the ECU runs, also when the ECU switches
  // maps while the window is open.
  if (ECUConnected && SelectedMap->ItemIndex() != CurrentMap - 1) {
    SelectedMap->SetItemIndex(CurrentMap - 1);
    ShowChoice(CurrentMap);
  }
}

void TSelectMapForm::FormShow(TObject*) {
  SelectedMap->SetItemIndex(CurrentMap - 1);
  ShowChoice(CurrentMap);
  UpdateOptions();
  if (ECUConnected) SetActiveControl(OKBtn);
  else if (SelectedMap->Enabled()) SetActiveControl(SelectedMap);
}
