// The map choice and the display units through the real main window, linked to the
// simulated ECU: while the ECU streams, the map it runs is the map shown and the choice is
// refused; once the ECU falls silent the tuner chooses the slot. A change of units re-shows
// the live values and the logged samples in the new units.
#include "app/Main.h"
#include "config/DisplayUnits.h"
#include "config/SelectMap.h"
#include "e2e/MainWindowLink.h"
#include "logger/AbTrend.h"
#include "logger/logger.h"
#include "model/ChannelFunctions.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Simulate.h"

namespace e2e {
namespace {

class MapChoice : public MainWindowLink {
 protected:
  MapChoice() : MainWindowLink(47) {}
  // The ECU runs its second bank.
  void Prepare(ecusim::Ecu& e) override { e.State().activeBank = 2; }
  TMenuItem* Menu(const char* name) { return dynamic_cast<TMenuItem*>(f_->FindComponent(name)); }
};

TEST_F(MapChoice, TheEcusMapDecidesWhileLinkedAndTheTunerChoosesOffline) {
  ASSERT_TRUE(LinkUp());
  ASSERT_TRUE(PumpUntil([] { return CurrentMap == 2; }));
  EXPECT_EQ(f_->PCmap_panel->Caption(), "PC Map 2");

  // Alt+M opens the choice; with the link up it only reports the ECU's map.
  script.AnswerForm([](TForm&) {
    EXPECT_EQ(SelectMapForm->Label1->Caption(), "ECU : CONNECTED");
    EXPECT_FALSE(SelectMapForm->SelectedMap->Enabled());
    EXPECT_EQ(SelectMapForm->SelectedMap->ItemIndex(), 1);
    EXPECT_EQ(SelectMapForm->SelectedMap_panel->Caption(), "PC Map 2");
    EXPECT_EQ(SelectMapForm->ActiveControl(), SelectMapForm->OKBtn);
    SelectMapForm->SelectedMap->SetItemIndex(2);
    SelectMapForm->OKBtn->Click();
  });
  ui::SimulateKey(f_, "Alt+M");
  Application->ProcessMessages();
  EXPECT_EQ(script.Count(ui::DialogKind::ModalForm), 1);
  EXPECT_EQ(CurrentMap, 2);

  // The ECU switches to bank 3 while the window shows: the window follows it. Then the
  // ECU falls silent: the watchdog frees the list, and the tuner picks slot 1.
  script.AnswerForm([this](TForm&) {
    sim.With([](ecusim::Ecu& e) { e.State().activeBank = 3; });
    ASSERT_TRUE(PumpUntil([] { return SelectMapForm->SelectedMap->ItemIndex() == 2; }));
    EXPECT_EQ(CurrentMap, 3);
    sim.SetStreaming(false);
    ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }));
    EXPECT_TRUE(SelectMapForm->SelectedMap->Enabled());
    EXPECT_EQ(SelectMapForm->Label1->Caption(), "ECU : No connection");
    EXPECT_EQ(SelectMapForm->Memo1->Text(), "Select the map you wish to display/edit.");
    SelectMapForm->SelectedMap->SetItemIndex(0);
    SelectMapForm->SelectedMapChange(nullptr);
    SelectMapForm->OKBtn->Click();
  });
  Menu("SelectMAP1")->Click();
  EXPECT_EQ(CurrentMap, 1);
  EXPECT_EQ(f_->PCmap_panel->Caption(), "PC Map 1");
  EXPECT_EQ(f_->ECUmap_panel->Caption(), "ECU Map 3");
}

class LiveUnits : public MainWindowLink {
 protected:
  LiveUnits() : MainWindowLink(48) {}
  std::string IniText() override {
    return MainWindowLink::IniText() + "[Units]\nTemperature=0\nPressure=0\nSpeed=0\n[UserView]\nVar1=19\n";
  }
  TMenuItem* Menu(const char* name) { return dynamic_cast<TMenuItem*>(f_->FindComponent(name)); }
};

TEST_F(LiveUnits, ChangingUnitsReShowsLiveValuesAndTheLog) {
  ASSERT_TRUE(LinkUp());
  // Channel 1 logs the coolant temperature; one record holds 70 degC (stored above -30).
  auto& records = LoggerForm->DataPlotter->MutableRecords();
  records.assign(1, TTrendRecord{});
  records[0].Time = 46000.5;
  records[0].Values[0] = 100;
  ASSERT_EQ(LoggerSettings.Channels[1], 19);

  script.AnswerForm([](TForm&) {
    UnitsForm->UnitsTemperature->SetItemIndex(1);
    UnitsForm->UnitsSpeed->SetItemIndex(1);
    UnitsForm->BitBtn1->Click();
  });
  Menu("Displayunits1")->Click();
  EXPECT_EQ(LoggerForm->DataPlotter->MutableRecords().at(0).Values[0], 180);  // 158 degF above -22
  EXPECT_EQ(ChannelFunctionUnit[19], "\xB0" "F");
  EXPECT_EQ(ChannelFunctionUnit[40], "kph");
  EXPECT_EQ(LoggerForm->Chan1Unit->Caption(), "\xB0" "F");
  // The live values go on arriving and are shown in the new units.
  const int packets = PacketCountsA[0];
  ASSERT_TRUE(PumpUntil([&] { return PacketCountsA[0] > packets + 2; }));
  EXPECT_TRUE(ECUConnected);
  EXPECT_EQ(f_->Label5->Caption(), "Temp (\xB0" "F)");
  EXPECT_EQ(f_->UserLabel1->Caption(), "\xB0" "F");
}

}  // namespace
}  // namespace e2e
