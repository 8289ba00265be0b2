// No caption of the program is cut: every label, check box, radio button and button of
// every window, read from its form and shown on screens of 1024x768 and 1600x1000, and
// again after the texts the program sets while it runs (units, values, the link's state),
// fits the room its control gives it. With CQ5_SCREENSHOT_DIR set, the windows are captured.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/Graphs.h"
#include "app/Splash.h"
#include "chart/Chart.h"
#include "chart/TeeEditors.h"
#include "config/Additonl.h"
#include "config/DisplayUnits.h"
#include "config/Insert.h"
#include "config/setup.h"
#include "controls/Aligrid.h"
#include "controls/ElastFrm.h"
#include "controls/LblEffct.h"
#include "link/LiveData.h"
#include "logger/logger.h"
#include "model/AdditionalTables.h"
#include "model/ChannelFunctions.h"
#include "model/MapRecord.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/CaptionFit.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/PageControl.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Keys.h"
#include "x11/ProgramUser.h"

namespace {

using namespace x11test;

// The width a parent gives its controls: a page put away takes the size of the page showing
// in its place only when it is turned to.
int RoomOf(TWinControl* parent) {
  const bool page = dynamic_cast<TPage*>(parent) != nullptr || dynamic_cast<TTabSheet*>(parent) != nullptr;
  if (page && !parent->Visible() && parent->Parent() != nullptr) {
    TWinControl* book = parent->Parent();
    for (int i = 0; i < book->ControlCount(); ++i)
      if (auto* shown = dynamic_cast<TWinControl*>(book->Controls(i)); shown != nullptr && shown->Visible())
        return shown->ClientWidth();
  }
  return parent->ClientWidth();
}

// The captions of f cut now, one line each: "Form.Control 'caption' needs WxH, has WxH".
std::string CutCaptions(TForm* f) {
  std::ostringstream out;
  std::function<void(TWinControl*)> walk = [&](TWinControl* parent) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
      TControl* c = parent->Controls(i);
      // A radio group's buttons go by the group's name and their place in it.
      const std::string name =
          c->Name().empty() ? std::string(parent->Name().c_str()) + "[" + std::to_string(i) + "]" : c->Name().c_str();
      TCaptionFit fit;
      if (CaptionFit(c, fit)) {
        // An effect label draws its shadow and highlight beside the text.
        if (auto* e = dynamic_cast<TLabelEffect*>(c)) {
          fit.Extent.cx += e->DepthShadow() + e->DepthHighlight();
          fit.Extent.cy += e->DepthShadow() + e->DepthHighlight();
        }
        const std::string key = std::string(f->Name().c_str()) + "." + name;
        if (!fit.Fits())
          out << key << " '" << c->Caption().c_str() << "' needs " << fit.Extent.cx << "x" << fit.Extent.cy << ", has "
              << fit.Room.cx << "x" << fit.Room.cy << "\n";
        // Nor may its parent cut it: the text, which starts where its room starts, ends
        // inside the parent.
        const int right = c->Left() + c->Width() - fit.Room.cx + std::min(fit.Extent.cx, fit.Room.cx);
        if (dynamic_cast<TButton*>(c) == nullptr && right > RoomOf(parent))
          out << key << " '" << c->Caption().c_str() << "' ends at " << right << " of " << parent->Name().c_str()
              << "'s " << RoomOf(parent) << "\n";
      }
      if (auto* w = dynamic_cast<TWinControl*>(c)) walk(w);
    }
  };
  walk(f);
  return out.str();
}

class CutTexts : public ProgramUser {
 protected:
  void Settle(int ms = 150) { PumpFor(ms); }
  // Checks a window that shows, naming the state it is in.
  void ExpectWhole(TForm* f, const std::string& when) {
    Settle(50);
    const std::string cut = CutCaptions(f);
    EXPECT_TRUE(cut.empty()) << when << ":\n" << cut;
  }
  // Every window that shows now.
  void ExpectAllWhole(const std::string& when) {
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (Screen->Forms(i)->Visible()) ExpectWhole(Screen->Forms(i), when + ", " + Screen->Forms(i)->Name().c_str());
  }
  // A command of the main window's menu, as the user gives it: a modal window it opens is
  // checked while it shows and then cancelled, other windows it shows are checked and hidden.
  // A command that reports by a message box instead (`boxes` of them after its window) has
  // them answered with OK.
  void Command(const char* item, const std::string& shot = "", int boxes = 0, bool refused = false,
               TModalResult answer = mrCancel, const std::function<void()>& inWindow = nullptr) {
    SCOPED_TRACE(item);
    auto* command = dynamic_cast<TMenuItem*>(R7Tform1->FindComponent(item));
    ASSERT_NE(command, nullptr);
    std::vector<TForm*> shown;
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (Screen->Forms(i)->Visible()) shown.push_back(Screen->Forms(i));
    bool modal = false;
    {
      ui::DialogScript script;
      if (!refused)
        script.AnswerForm([&](TForm& form) {
          modal = true;
          Settle();
          ExpectAllWhole(item);
          if (!shot.empty()) Shot(shot);
          if (inWindow) inWindow();
          form.SetModalResult(answer);
        });
      for (int i = 0; i < boxes; ++i) script.Answer(mrOk);
      try {
        command->Click();
      } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
      }
      Settle();
      EXPECT_EQ(script.Pending(), modal || refused ? 0u : 1u) << "a window or box expected";
    }
    if (modal || refused) return;
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TForm* f = Screen->Forms(i);
      if (!f->Visible() || std::find(shown.begin(), shown.end(), f) != shown.end()) continue;
      ExpectWhole(f, item);
      if (!shot.empty()) Shot(shot);
      f->Hide();
    }
  }
  void ChooseUserValues(const std::vector<int>& functions) {
    TR7Tform1* m = R7Tform1;
    TComboBox* selections[] = {m->User1Selection, m->User2Selection, m->User3Selection, m->User4Selection};
    for (size_t i = 0; i < 4; ++i) {
      selections[i]->SetItemIndex(functions[i % functions.size()]);
      m->UserSelectionChange(selections[i]);
    }
  }
  // Display units by the units window's OK: temperature, pressure, speed, distance, O2.
  void Units(int t, int p, int s, int d, int o) {
    UnitsForm->ShowSettings();
    UnitsForm->UnitsTemperature->SetItemIndex(t);
    UnitsForm->UnitsPressure->SetItemIndex(p);
    UnitsForm->UnitsSpeed->SetItemIndex(s);
    UnitsForm->UnitsDistance->SetItemIndex(d);
    UnitsForm->UnitsO2->SetItemIndex(o);
    UnitsForm->BitBtn1Click(UnitsForm->BitBtn1);
    Settle();
  }
  // The windows the program's commands open, each in the state the command leaves it.
  void EveryCommand(const std::string& shots, bool linked = true) {
    for (const char* item :
         {"SelectMAP1", "Plotgraph1", "AccelFuelling1", "Airconditioningcontrol1", "Batteryvoltagecompensation1",
          "BoostControl1", "Coilontime1", "Cylindertrims1", "DoubleInjectorControl1", "EGTfeedback1",
          "Fullthrottlegearchange1", "IdleAirControl1", "InjectionScaling1", "InjectorTiming1", "MAPcompensation1",
          "BAROcompensation1", "RPMCorrectionforCoolantEnrichment1", "UserOutput1PWMControl1", "VTECswitch1", "VVT1",
          "ECUversioninfo1", "CrankCamDistributorsensors1", "Ignitionoutputs1", "Injectoroutputs1",
          "AirTemperatureSensor1", "CoolantTemperatureSensor1", "AuxTemperatureSensor1", "EGTsensor1",
          "ThrottlePositionSensor1", "MAPSensor1", "BAROSensor1", "AFRLambdainput1", "WheelSpeedSensors1",
          "MapSwitching1", "Boostdashcontrol1", "Idleaircontrolvalve1", "Inputchannels1", "Outputchannels1",
          "Gearposition1", "CANdatalink1", "TractionControl1", "Diagdata1", "MapLock1", "Immobiliser1",
          "DataLogger1", "Ignitionalignment1", "ThrottlePositionSensor2", "Displayunits1", "About1"})
      Command(item, shots.empty() ? "" : shots + "-" + item);
    // The wheel sensors' options in place of a wheel's settings.
    Command("WheelSpeedSensors1", "", 0, false, mrCancel, [&] {
      SetupForm->Options->Click();
      ExpectWhole(SetupForm, "wheel sensor options");
      if (!shots.empty()) Shot(shots + "-wheel-options");
    });
    // The port chosen again; without a link, maps are neither read nor programmed.
    Command("Commsport1", shots.empty() ? "" : shots + "-Commsport1", 0, false, mrOk);
    if (linked) {
      ASSERT_TRUE(PumpUntil([] { return ECUConnected; }, 10000));
    }
    for (const char* item : {"ReadECUdata1", "ProgramECU1"})
      Command(item, shots.empty() ? "" : shots + "-" + item, linked ? 0 : 1, !linked);
  }

  // The main window shown and linked to the ECU.
  void Start() {
    R7Tform1->Show();
    ASSERT_TRUE(PumpUntil([] { return Screen->ActiveForm() == R7Tform1 && ECUConnected; }, 20000));
    Settle(500);
    MapSlots[CurrentMap].Source = 1;  // a map to program
  }
  // The four longest units of the channel functions.
  std::vector<int> LongestUnits() const {
    std::vector<int> longest;
    for (int fn = 0; fn < R7Tform1->User1Selection->Items()->Count(); ++fn) longest.push_back(fn);
    std::stable_sort(longest.begin(), longest.end(), [](int a, int b) {
      return ChannelFunctionUnit[static_cast<size_t>(a)].size() > ChannelFunctionUnit[static_cast<size_t>(b)].size();
    });
    longest.resize(4);
    return longest;
  }
};

// Every window as its form reads and shows it; the main window's user values with every
// unit, at its own size and maximised; the cell-entry dialog with the unit of each table.
TEST_P(CutTexts, EveryWindowAsReadAndTheUnitsOfItsValues) {
  TR7Tform1* m = R7Tform1;
  Start();

  // Every window as its form reads, shown.
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TForm* f = Screen->Forms(i);
    SCOPED_TRACE(f->Name().c_str());
    const bool shown = f->Visible();
    if (!shown) f->Show();
    Settle();
    ExpectWhole(f, "as read");
    Shot(std::string("as-read-") + f->Name().c_str());
    if (!shown) f->Hide();
  }

  // The main window with the user values showing every channel function and its unit,
  // at its own size, maximised and restored: then with the longest units.
  std::vector<int> functions;
  for (int fn = 0; fn < m->User1Selection->Items()->Count(); ++fn) functions.push_back(fn);
  const std::vector<int> longest = LongestUnits();
  auto everyFunction = [&](const std::string& when) {
    for (int fn : functions) {
      ChooseUserValues({fn});
      ExpectWhole(m, when + ", user values " + m->User1Selection->Text().c_str());
    }
    ChooseUserValues(longest);
    ExpectWhole(m, when + ", longest units");
  };
  everyFunction("own size");
  Shot("main");
  m->SetWindowState(wsMaximized);
  PumpUntil([m] { return m->WindowState() == wsMaximized; }, 5000);
  Settle(800);
  m->ElasticForm1->FlushPendingResize();
  ExpectWhole(m, "maximised");
  Shot("main-maximised");
  everyFunction("maximised");
  m->SetWindowState(wsNormal);
  Settle(800);
  m->ElasticForm1->FlushPendingResize();
  ExpectWhole(m, "restored");

  // The cell-entry dialog from each table that takes a value, with its unit.
  auto entry = [&](TStringAlignGrid* grid, const std::function<void(WORD&)>& keyDown, const std::string& shot) {
    grid->SetSelection(TGridRect{3, 3, 3, 3});
    ui::DialogScript script;
    script.AnswerForm([&](TForm& form) {
      Settle();
      ExpectWhole(&form, form.Caption().c_str());
      if (!shot.empty()) Shot(shot);
      form.SetModalResult(mrCancel);
    });
    WORD key = VK_RETURN;
    keyDown(key);
    EXPECT_EQ(script.Pending(), 0u) << shot;
  };
  entry(m->ignitiontable, [m](WORD& k) { m->ignitiontableKeyDown(m->ignitiontable, k, {}); }, "entry-ignition");
  entry(m->injectiontable, [m](WORD& k) { m->injectiontableKeyDown(m->injectiontable, k, {}); }, "");
  for (TAddTableId id : {TAddTableId::CoilOn, TAddTableId::InjTiming, TAddTableId::BoostPWM, TAddTableId::BoostTarget,
                         TAddTableId::UserPWM, TAddTableId::VVT}) {
    TStringAlignGrid* g = AdditionalMaps->AddTableGrid(id);
    entry(g, [g](WORD& k) { g->OnKeyDown(g, k, {}); }, id == TAddTableId::CoilOn ? "entry-coil" : "");
  }

}

// The windows the program's commands open, in the display units as they start and in the
// others, with the widest values the ECU sends, and once the link is lost.
TEST_P(CutTexts, EveryWindowOfTheCommandsInEveryState) {
  TR7Tform1* m = R7Tform1;
  Start();
  const std::vector<int> longest = LongestUnits();
  EveryCommand("window");
  for (const auto& u : {std::array{1, 2, 1, 1, 1}, std::array{0, 0, 0, 0, 0}, std::array{1, 1, 1, 0, 1}}) {
    Units(u[0], u[1], u[2], u[3], u[4]);
    const std::string when = "units " + std::to_string(u[0]) + std::to_string(u[1]) + std::to_string(u[2]) +
                             std::to_string(u[3]) + std::to_string(u[4]);
    ChooseUserValues(longest);
    ExpectWhole(m, when);
    for (TForm* f : {static_cast<TForm*>(SetupForm), static_cast<TForm*>(AdditionalMaps), static_cast<TForm*>(LoggerForm)}) {
      f->Show();
      Settle();
      ExpectWhole(f, when);
      f->Hide();
    }
  }

  // Live values at their widest: the values the ECU's packets can carry with the most digits.
  sim_.With([](ecusim::Ecu& e) {
    auto& s = e.State();
    s.fast.rpm = 19999;
    s.fast.throttlePercent = 100;
    s.fast.advance = -128;
    s.fast.ignitionMapValue = -128;
    s.fast.manifoldPressure = 9999;
    s.fast.afr = 255;
    s.fast.roadSpeed = 65535;
    s.slow.airTemp = -40;
    s.slow.coolantTemp = 215;
    s.slow.auxTemp = -40;
    s.slow.battery = 255;
    s.slow.egt = 1999;
    s.slow.lambdaTrim = -32768;
    s.slow.injectionCorrection = -32768;
    s.slow.ignitionCorrection = 255;
    s.identity.serialNumber = 65535;
    s.identity.ecuSeconds = 0xFFFFFFFFu;
    s.identity.engineSeconds = 0xFFFFFFFFu;
  });
  Settle(1500);
  ExpectWhole(m, "widest live values");
  for (const char* item : {"Diagdata1", "ECUversioninfo1", "Inputchannels1", "DataLogger1", "Immobiliser1", "MapLock1"})
    Command(item);

  // The link lost, and the windows that show it.
  sim_.SetPowered(false);
  ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }, 5000));
  Settle(300);
  ExpectWhole(m, "link lost");
  Shot("main-link-lost");
  EveryCommand("", false);
}

// The windows made on demand: the splash shown at start-up and the chart's pen, brush and
// gradient editors.
TEST_P(CutTexts, EveryWindowMadeOnDemand) {
  TSplashScreen* splash = ui::CreateForm<TSplashScreen>(Application);
  splash->Show();
  Settle(300);
  ExpectWhole(splash, "splash");
  Shot("splash");
  delete splash;
  TChart* chart = Graph->Chart1;
  const std::function<bool()> editors[] = {
      [&] { return ShowPenEditor(Graph, chart->Title()->Pen()); },
      [&] { return ShowBrushEditor(Graph, chart->Title()->Brush()); },
      [&] { return ShowGradientEditor(Graph, chart->Gradient()); },
  };
  for (const auto& edit : editors) {
    ui::DialogScript script;
    script.AnswerForm([&](TForm& form) {
      Settle();
      ExpectWhole(&form, form.ClassName());
      Shot(std::string("editor-") + form.ClassName());
      form.SetModalResult(mrCancel);
    });
    edit();
    EXPECT_EQ(script.Pending(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Screens, CutTexts, ::testing::Values("1024x768x24", "1600x1000x24"));

}  // namespace
