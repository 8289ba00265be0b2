// The additional tables against the simulated ECU: a map read from the ECU is edited in
// the additional tables window (keys, spins, ticks, the injection scaling), its speed
// sites moved with re-sampling, then programmed with "Program MAP"; after the PC copy is
// spoiled, "Read MAP" brings every edit back unchanged through the bank image.
#include <cstring>
#include <vector>

#include "app/Main.h"
#include "config/Additonl.h"
#include "config/SpeedSiteAdj.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "e2e/MainWindowLink.h"
#include "ecu/Progress.h"
#include "gauges/AbNumEdit.h"
#include "model/MapRecord.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ComCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Simulate.h"

namespace e2e {
namespace {

class AdditionalMapsLink : public MainWindowLink {
 protected:
  AdditionalMapsLink() : MainWindowLink(36) {}

  void Prepare(ecusim::Ecu& e) override {
    TMapRecord m;
    m.Clear();
    SetMapSpeedSiteAndLimitDefaults(m, 500);
    SetMapAdditionalDefaults(m);
    SetMapBoostLoadDefaults(m);
    SetMapMainDefaults(m);
    SetMapBattCompDefaults(m);
    m.MapName.Set("Track");
    const ecu::MapImage image = ecu::EncodeMapImage(m);
    std::copy(image.begin(), image.end(), e.Bank(1).begin());
  }

  // A transfer command of the Comms menu, its window answered for the current map only.
  bool Transfer(const char* item) {
    bool finished = false;
    script.AnswerForm([&](TForm&) {
      TCommsProgress& w = *CommsProgress;
      if (w.ComboBox1->Enabled()) {
        w.ComboBox1->SetItemIndex(0);
        w.ComboBox1Change(w.ComboBox1);
      }
      w.ok->Click();
      finished = PumpUntil([&] { return w.Tag == 0; }, 60000);
      w.ok->Click();
    });
    Menu(item)->Click();
    Application->ProcessMessages();
    return finished;
  }

  TMenuItem* Menu(const char* name) { return dynamic_cast<TMenuItem*>(f_->FindComponent(name)); }

  static void Press(TWinControl* c, const char* key, bool keypad = false) {
    c->SetFocus();
    ui::SimulateKey(c, key, keypad);
    Application->ProcessMessages();
  }
};

TEST_F(AdditionalMapsLink, EditsSurviveProgramAndReadUnchanged) {
  ASSERT_TRUE(LinkUp());
  ASSERT_TRUE(Transfer("ReadECUdata1"));
  TMapRecord& m = MapSlots[CurrentMap];
  ASSERT_EQ(m.MapName.Get().substr(0, 5), "Track");
  const int coilBefore = m.CoilOnTable[3][2];

  // The tuner's session in the additional tables window.
  script.AnswerForm([&](TForm& form) {
    TAdditionalMaps* a = AdditionalMaps;
    a->CoilOnTable->SetSelection(TGridRect{3, 2, 3, 2});
    Press(a->CoilOnTable, "+", true);
    Press(a->CoilOnTable, "+", true);
    ui::SimulateKey(a, "F4");  // boost control
    Application->ProcessMessages();
    a->CheckBox1->SetChecked(true);
    a->BoostCut->SetValue(Settings.PressureUnit == 0 ? 250 : 1.5);
    a->BoostControlLimit->SetValue(66);
    a->BoostFreq->SetValue(200);
    ui::SimulateKey(a, "F1");  // accel fuelling
    Application->ProcessMessages();
    a->AccelEnrich->SetValue(40);
    ui::SimulateKey(a, "F11");  // injection scaling
    Application->ProcessMessages();
    a->mspbEdit->SetValue(70);
    a->TabSet->SetTabIndex(15);  // user PWM
    a->TabSetClick(a->TabSet);
    a->Func1UpperAdj->SetFloatValue(50.0);
    form.SetModalResult(mrOk);
  });
  Menu("Coilontime1")->Click();
  Application->ProcessMessages();
  EXPECT_EQ(m.CoilOnTable[3][2], coilBefore + 2);
  EXPECT_EQ(m.BoostCutPressure, 250);
  EXPECT_EQ(m.MSPB, 70);

  // Speed sites moved with re-sampling: the additional tables follow, and the window
  // shows the new values.
  m.CoilOnTable[2][1] = 0;
  m.CoilOnTable[3][1] = 100;
  script.AnswerForm([](TForm& form) {
    SpeedSiteForm->ReCalcMaps->SetChecked(true);
    SpeedSiteForm->SitePosGrid->SetSelection(TGridRect{2, 2, 2, 2});
    WORD key = VK_ADD;
    for (int i = 0; i < 5; ++i) SpeedSiteForm->SitePosGridKeyDown(nullptr, key, {ssShift});
    SpeedSiteForm->BitBtn1Click(nullptr);
    form.SetModalResult(mrOk);
  });
  const int site1 = m.SpeedSites[1], site2 = m.SpeedSites[2];
  Menu("Speedsitepositions1")->Click();
  Application->ProcessMessages();
  ASSERT_EQ(m.SpeedSites[1], site1 + 250);
  const int expected = static_cast<int>(Round(100.0 * 250 / (site2 - site1)));
  EXPECT_EQ(m.CoilOnTable[2][1], expected);
  EXPECT_EQ(AdditionalMaps->CoilOnTable->Cells(2, 1), AddTableText(TAddTableId::CoilOn, expected, 0));

  const TMapRecord edited = m;
  ASSERT_TRUE(Transfer("ProgramECU1"));
  // Spoil the PC copy, then read the bank back.
  m.CoilOnTable[3][2] = 0;
  m.BoostCutPressure = 100;
  m.MSPB = 1;
  m.AccelEnrichment = 0;
  m.PWMUpperAdjust = 0;
  m.BoostFrequency = 10;
  m.BoostControlLimit = 0;
  m.SpeedSites[1] = 0;
  ASSERT_TRUE(Transfer("ReadECUdata1"));
  EXPECT_EQ(m.CoilOnTable[3][2], edited.CoilOnTable[3][2]);
  EXPECT_EQ(m.CoilOnTable[2][1], expected);
  EXPECT_EQ(m.BoostCutPressure, 250);
  EXPECT_EQ(m.BoostOptions & 16, 16);
  EXPECT_EQ(m.MSPB, 70);
  EXPECT_EQ(m.AccelEnrichment, 40);
  EXPECT_EQ(m.PWMUpperAdjust, 128);
  EXPECT_EQ(m.BoostFrequency, 200);
  EXPECT_EQ(m.BoostControlLimit, 66);
  EXPECT_EQ(m.SpeedSites[1], site1 + 250);
  // And the window shows what came back.
  EXPECT_EQ(AdditionalMaps->mspbEdit->Value(), 70);
  EXPECT_NEAR(AdditionalMaps->Func1UpperAdj->FloatValue(), 50.2, 0.05);
}

}  // namespace
}  // namespace e2e
