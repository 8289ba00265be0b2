// The additional tables window's own live readings against the simulated ECU sending known
// bytes: the accel meter with its peaks (started again every second by the main window's
// clock), the clutch text, the five output states and their emptying when the ECU falls
// silent; the VVT control table's scroll bar; the cylinder trims' channel names.
#include <functional>
#include <string>

#include "app/Main.h"
#include "config/Additonl.h"
#include "controls/Aligrid.h"
#include "e2e/MainWindowLink.h"
#include "gauges/AbVMeter.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/ScrollCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"

namespace e2e {
namespace {

class AdditionalLive : public MainWindowLink {
 protected:
  AdditionalLive() : MainWindowLink(27) {}

  void Prepare(ecusim::Ecu& e) override {
    e.State().fast.gaugeValue = 100;
    e.State().fast.flags = 3;  // gauge value negative, clutch down
    e.State().slow.outputs = 0x15;
  }

  // The menu command shows the window modally; `look` runs while it is up, then it closes.
  void Open(const char* item, const std::function<void(TAdditionalMaps*)>& look) {
    bool shown = false;
    script.AnswerForm([&](TForm& form) {
      shown = true;
      look(AdditionalMaps);
      form.SetModalResult(mrOk);
    });
    dynamic_cast<TMenuItem*>(f_->FindComponent(item))->Click();
    Application->ProcessMessages();
    EXPECT_TRUE(shown) << item;
  }

  static std::string Outputs(TAdditionalMaps* a) {
    std::string out;
    TLabel* texts[5] = {a->OutputText1, a->OutputText2, a->OutputText3, a->OutputText4, a->OutputText5};
    TShape* shapes[5] = {a->OutputShape1, a->OutputShape2, a->OutputShape3, a->OutputShape4, a->OutputShape5};
    for (int k = 0; k < 5; ++k) {
      const TColor c = shapes[k]->Brush()->Color();
      out += std::string(texts[k]->Caption().c_str()) + (c == clLime ? "/lime " : c == clGreen ? "/green " : "/? ");
    }
    return out;
  }
};

TEST_F(AdditionalLive, MeterClutchAndOutputsFollowTheEcuAndEmptyWhenItFallsSilent) {
  ASSERT_TRUE(LinkUp());
  Open("AccelFuelling1", [&](TAdditionalMaps* a) {
    ASSERT_EQ(a->AdditionalBook->PageIndex(), 0);

    // Byte 21 = 100 with the sign bit: the meter shows -100; the clock's reset and the next
    // packets leave -100 as both peaks.
    ASSERT_TRUE(PumpUntil([&] { return a->AbVMeter1->Value() == -100.0f; }));
    EXPECT_EQ(a->ClutchText->Caption(), "DOWN");
    ASSERT_TRUE(PumpUntil([&] { return a->Label76->Caption() == "-Peak = -100"; }, 4000));

    // Now +60 with the clutch up: after the next second the peaks run from the reset value 0.
    sim.With([](ecusim::Ecu& e) {
      e.State().fast.gaugeValue = 60;
      e.State().fast.flags = 0;
    });
    ASSERT_TRUE(PumpUntil([&] { return a->AbVMeter1->Value() == 60.0f && a->ClutchText->Caption() == "UP"; }));
    EXPECT_TRUE(PumpUntil(
        [&] { return a->Label21->Caption() == "+Peak = 60" && a->Label76->Caption() == "-Peak = 0"; }, 4000))
        << a->Label76->Caption().c_str() << " " << a->Label21->Caption().c_str();
  });

  // Page 1's live readings: bits 0, 2 and 4 of slow byte 50 are on, then the others.
  Open("Airconditioningcontrol1", [&](TAdditionalMaps* a) {
    ASSERT_EQ(a->AdditionalBook->PageIndex(), 1);
    EXPECT_TRUE(PumpUntil([&] { return Outputs(a) == "ON/lime OFF/green ON/lime OFF/green ON/lime "; }))
        << Outputs(a);
    sim.With([](ecusim::Ecu& e) { e.State().slow.outputs = 0x0A; });
    EXPECT_TRUE(PumpUntil([&] { return Outputs(a) == "OFF/green ON/lime OFF/green ON/lime OFF/green "; }))
        << Outputs(a);
    EXPECT_EQ(a->ClutchText->Caption(), "UP");

    // Silence: the texts empty, every marker green.
    sim.SetStreaming(false);
    ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }));
    EXPECT_EQ(Outputs(a), "/green /green /green /green /green ");
    EXPECT_EQ(a->ClutchText->Caption(), "");
  });
}

TEST_F(AdditionalLive, VvtScrollBarAndTableScrollTogether) {
  ASSERT_TRUE(LinkUp());
  Open("VVT1", [&](TAdditionalMaps* a) {
    ASSERT_EQ(a->AdditionalBook->PageIndex(), 17);
    TScrollBar* bar = a->VVT_ScrollBar;
    TStringAlignGrid* table = a->VVTcontrol_table;
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), 13);
    const int last = table->ColCount() - table->VisibleColCount();
    ASSERT_GT(last, 0) << "the table shows every column: nothing to scroll";

    struct Step {
      bool byBar;
      int to, expected;
    };
    // The bar moves the table; the table's own scrolling moves the bar; neither passes the
    // last column.
    for (const Step& s : {Step{true, 2, 2}, Step{false, 1, 1}, Step{true, 13, last}, Step{false, 0, 0}}) {
      if (s.byBar)
        bar->SetPosition(s.to);
      else
        table->SetLeftCol(s.to);
      Application->ProcessMessages();
      EXPECT_EQ(table->LeftCol(), s.expected) << (s.byBar ? "bar to " : "table to ") << s.to;
      EXPECT_EQ(bar->Position(), s.expected) << (s.byBar ? "bar to " : "table to ") << s.to;
    }
  });
}

TEST_F(AdditionalLive, CylinderTrimRowsNameTheirChannels) {
  ASSERT_TRUE(LinkUp());
  Open("Cylindertrims1", [&](TAdditionalMaps* a) {
    for (int r = 1; r <= 16; ++r)
      EXPECT_EQ(a->CylTrims_table->Cells(0, r), (r <= 8 ? "Ign " : "Inj ") + IntToStr(r <= 8 ? r : r - 8)) << r;
  });
}

}  // namespace
}  // namespace e2e
