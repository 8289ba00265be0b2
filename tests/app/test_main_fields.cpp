// The main window's map fields write their record fields with their scaling and bounds.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"

#include "controls/AdvSpin.h"
#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"

namespace {

class MainFields : public ProgramWindowsTest {};

TEST_F(MainFields, RevLimitsAreHeldAndRoundedWhenTheEntryIsComplete) {
  struct Case {
    int entered, stored;
  };
  const Case cases[] = {{6026, 6050}, {6025, 6000}, {1500, 2000}, {25000, 20000}, {0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entered);
    MapSlots[1].SoftRevLimit = 7000;
    f_->soft_limit->SetMaxValue(30000);
    f_->soft_limit->SetValue(c.entered);
    f_->soft_limitExit(f_->soft_limit);
    EXPECT_EQ(MapSlots[1].SoftRevLimit, c.stored);
    EXPECT_EQ(f_->soft_limit->Value(), c.stored);
  }
}

TEST_F(MainFields, DetailsShareTheBudgetAndRefuseCharactersBeyondIt) {
  ui::BeepCounter beeps;
  f_->details->SetText(AnsiString(240, 'c'));
  f_->DetailsDateEdit->SetText("2024-01-01");  // 250 in all: two too many
  f_->DetailsChange(f_->DetailsDateEdit);
  EXPECT_EQ(f_->DetailsDateEdit->Text(), "2024-01-");
  EXPECT_EQ(MapSlots[1].Date.Get(), "2024-01-");
  EXPECT_EQ(f_->map_comments->Caption(), "Map comments (248/248 used)");

  // A field cannot go below empty, whatever the others hold.
  f_->details->SetText(AnsiString(255, 'c'));
  f_->DetailsOwnerEdit->SetText("abc");
  AnsiString text = "abc";
  f_->DetailsCharsUsed(f_->DetailsOwnerEdit, text);
  EXPECT_EQ(text, "");
  EXPECT_GE(beeps.Count(), 2);
}

TEST_F(MainFields, ScaledAndBitFieldsKeepTheirRules) {
  MapSlots[1].LambdaOptions = 0xFF;
  f_->Lam_Sensor->Items()->Clear();
  f_->Lam_Sensor->Items()->Add(" Simple 02 sensor");
  f_->Lam_Sensor->Items()->Add(" Wideband+controller, AFR");
  f_->Lam_Sensor->SetItemIndex(1);
  f_->Lam_SensorChange(f_->Lam_Sensor);
  EXPECT_EQ(MapSlots[1].LambdaOptions, 0xEF);  // bit 3 set, bit 4 clear, others kept

  Settings.TemperatureUnit = 1;
  f_->NS2On->SetMaxValue(300);
  f_->NS2On->SetValue(212);
  f_->FanThresholdChanged(f_->NS2On);
  EXPECT_EQ(MapSlots[1].Fan2OnTemp, 100);

  f_->Lam_Pgain->SetMaxFloatValue(10);
  f_->Lam_Pgain->SetFloatValue(0.5);
  f_->NumberFieldChange(f_->Lam_Pgain);
  EXPECT_EQ(MapSlots[1].LambdaPGain, 128);  // 127.5 to even
}

}  // namespace
