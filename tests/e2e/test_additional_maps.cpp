// The additional tables against the simulated ECU: a map read from the ECU is edited in
// the additional tables window (keys, spins, ticks, the injection scaling), its speed
// sites moved with re-sampling, then programmed with "Program MAP"; after the PC copy is
// spoiled, "Read MAP" brings every edit back unchanged through the bank image.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Main.h"
#include "config/Additonl.h"
#include "config/LoadSiteAdjU.h"
#include "config/SpeedSiteAdj.h"
#include "controls/AdvEdit.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "e2e/MainWindowLink.h"
#include "ecu/Progress.h"
#include "files/HKStreamCol.h"
#include "files/MapFiles.h"
#include "gauges/AbNumEdit.h"
#include "model/MapRecord.h"
#include "platform/classes/Streams.h"
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
  const int mspbRead = m.MSPB;
  ASSERT_NE(mspbRead, 70);

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
    // The time base typed digit by digit reaches the map (byte 16924) only when its edit
    // is left.
    for (const char* key : {"7", "0"}) {
      Press(a->mspbEdit, key);
      EXPECT_EQ(m.Bytes()[16924], mspbRead) << "while typing";
    }
    Press(a->mspbEdit, "Tab");
    EXPECT_EQ(m.Bytes()[16924], 70);
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
  EXPECT_EQ(sim.BankBytes(CurrentMap)[3968], 70);  // the time base's byte of the bank image
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
  EXPECT_EQ(AdditionalMaps->mspbEdit->Text(), "70");
  EXPECT_NEAR(AdditionalMaps->Func1UpperAdj->FloatValue(), 50.2, 0.05);
}

// The cylinder trims' five speed sites: a right click in the trim table offers "Position
// speed sites", which shows the five sites in rpm; steps of 10 rpm keep each above the one
// before and within the map's speed sites. OK stores them and heads the table with them,
// Cancel changes nothing, the ECU image is the same as before (it holds no trim sites) and
// a saved map file carries them.
TEST_F(AdditionalMapsLink, CylinderTrimSpeedSitesMoveFromTheTrimTablesMenu) {
  ASSERT_TRUE(LinkUp());
  ASSERT_TRUE(Transfer("ReadECUdata1"));
  TMapRecord& m = MapSlots[CurrentMap];
  const int sites[5] = {1000, 2000, 3000, 4000, 5000};
  for (int i = 0; i < 5; ++i) m.CylTrimSites[i] = static_cast<int16_t>(sites[i]);
  const int top = m.SpeedSites[31];
  m.CylTrimSites[4] = static_cast<int16_t>(top - 15);
  f_->RefreshMapTables();
  const ecu::MapImage imageBefore = ecu::EncodeMapImage(m);

  // The site dialog as the tuner sees it, then the steps asked for.
  auto answerSites = [](std::function<void()> work) {
    return [work](TForm& form) {
      EXPECT_EQ(form.Caption(), "Speed site positions");
      EXPECT_EQ(LoadSiteAdj->SitePosGrid->Cells(0, 0), "Speed site");
      EXPECT_EQ(LoadSiteAdj->SitePosGrid->Cells(1, 0), "Current RPM");
      EXPECT_EQ(LoadSiteAdj->SitePosGrid->Cells(1, 2), "2,000");
      work();
    };
  };
  auto step = [](int row, const char* key, int times = 1) {
    LoadSiteAdj->SitePosGrid->SetSelection(TGridRect{2, row, 2, row});
    for (int i = 0; i < times; ++i) Press(LoadSiteAdj->SitePosGrid, key, true);
  };
  auto openFromMenu = [&] {
    TAdditionalMaps* a = AdditionalMaps;
    EXPECT_EQ(a->AdditionalBook->PageIndex(), 5);
    ui::SimulateMouseUp(a->CylTrims_table, mbRight, 100, 60);
    Application->ProcessMessages();
    auto* item = dynamic_cast<TMenuItem*>(a->FindComponent("Positionspeedsites1"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(a->CylTrimsPopup->IsShown());
    a->CylTrimsPopup->CloseMenu();
    item->Click();
    Application->ProcessMessages();
  };

  // Cancel after steps: nothing changes.
  script.AnswerForm([&](TForm& form) {
    openFromMenu();
    form.SetModalResult(mrOk);
  });
  script.AnswerForm(answerSites([&] {
    step(2, "+");
    LoadSiteAdj->BitBtn2->Click();
  }));
  Menu("Cylindertrims1")->Click();
  Application->ProcessMessages();
  EXPECT_EQ(m.CylTrimSites[1], 2000);
  EXPECT_EQ(AdditionalMaps->CylTrims_table->Cells(2, 0), "2,000");

  // OK: site 2 up by 20 and site 1 down by 10; site 3 cannot reach site 4, site 5 stops
  // at the last speed site.
  m.CylTrimSites[3] = 3010;
  f_->RefreshMapTables();
  script.AnswerForm([&](TForm& form) {
    openFromMenu();
    form.SetModalResult(mrOk);
  });
  script.AnswerForm(answerSites([&] {
    step(2, "+", 2);
    step(1, "-");
    step(3, "+", 2);   // 3000 -> 3000: 3010 - 10 is not above it
    step(5, "+", 3);   // top - 15 -> top - 5, then held
    LoadSiteAdj->BitBtn1->Click();
  }));
  Menu("Cylindertrims1")->Click();
  Application->ProcessMessages();
  const int expected[5] = {990, 2020, 3000, 3010, top - 5};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(m.CylTrimSites[i], expected[i]) << i;
  EXPECT_EQ(AdditionalMaps->CylTrims_table->Cells(1, 0), "990");
  EXPECT_EQ(AdditionalMaps->CylTrims_table->Cells(2, 0), "2,020");
  const uint8_t* b = m.Bytes();
  EXPECT_EQ(b[16626], 990 & 0xFF);
  EXPECT_EQ(b[16627], 990 >> 8);
  EXPECT_EQ(b[16628] | b[16629] << 8, 2020);

  // The ECU image holds no trim sites: programming sends the image it sent before.
  EXPECT_EQ(ecu::EncodeMapImage(m), imageBefore);
  ASSERT_TRUE(Transfer("ProgramECU1"));
  sim.With([&](ecusim::Ecu& e) { EXPECT_TRUE(std::equal(imageBefore.begin(), imageBefore.end(), e.Bank(1).begin())); });

  // A map file keeps the record whole, the new sites with it.
  const std::string file =
      (std::filesystem::temp_directory_path() / ("trim-sites-" + std::to_string(getpid()) + ".map")).string();
  script.AnswerFile(file.c_str());
  f_->Savefile1Click(nullptr);
  THKStreams streams(nullptr);
  streams.LoadFromFile(file.c_str());
  TStringStream stream;
  streams.GetStream(MapStreamName(CurrentMap), &stream);
  const AnsiString saved = stream.DataString();
  std::filesystem::remove(file);
  ASSERT_GE(saved.size(), 16636u);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(uint8_t(saved[16626 + 2 * i]) | uint8_t(saved[16627 + 2 * i]) << 8, expected[i]) << i;
}

}  // namespace
}  // namespace e2e
