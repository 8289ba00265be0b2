// The main window's map fields write their record fields with their scaling and bounds.
#include <gtest/gtest.h>

#include <functional>

#include "app/ProgramWindowsFixture.h"

#include "controls/AdvSpin.h"
#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/Clipboard.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Simulate.h"

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

// The details page with "ab" in the owner field and 240 characters of comments: six of the
// 248 shared characters are left, and the owner field has the focus.
static void SixCharactersLeftInTheOwnerField() {
  MapSlots[1].Comments.Set(AnsiString(240, 'c'));
  MapSlots[1].Owner.Set("ab");
  MapSlots[1].Date.Set("");
  R7Tform1->RefreshMapTables();
  ui::SimulateKey(R7Tform1, "F1");
  R7Tform1->DetailsOwnerEdit->SetFocus();
}

TEST_F(MainFields, DetailsShareTheBudgetAndRefuseTypedCharactersBeyondIt) {
  ui::DialogScript script;
  ShowMainWindow(script);
  SixCharactersLeftInTheOwnerField();
  f_->DetailsOwnerEdit->SetSelStart(0);
  ui::BeepCounter beeps;
  // Typed at the front: six fit the 248 shared characters, the seventh is refused and
  // the end of the field stays.
  for (const char* key : {"1", "2", "3", "4", "5", "6", "7"}) ui::SimulateKey(f_, key);
  EXPECT_EQ(f_->DetailsOwnerEdit->Text(), "123456ab");
  EXPECT_EQ(MapSlots[1].Owner.Get(), "123456ab");
  EXPECT_EQ(f_->map_comments->Caption(), "Map comments (248/248 used)");
  EXPECT_EQ(beeps.Count(), 1);
}

// A paste that overshoots the shared budget keeps as much of the pasted text as fits.
TEST_F(MainFields, PasteBeyondTheBudgetKeepsWhatFits) {
  ui::DialogScript script;
  ShowMainWindow(script);
  SixCharactersLeftInTheOwnerField();
  f_->DetailsOwnerEdit->SetSelStart(1);
  Clipboard()->SetAsText("123456789");
  ui::BeepCounter beeps;
  ui::SimulateKey(f_, "Ctrl+V");
  EXPECT_EQ(f_->DetailsOwnerEdit->Text(), "a123456b");
  EXPECT_EQ(MapSlots[1].Owner.Get(), "a123456b");
  EXPECT_EQ(f_->map_comments->Caption(), "Map comments (248/248 used)");
  EXPECT_EQ(beeps.Count(), 1);
}

TEST_F(MainFields, SequentialStartIdleNotesAndLambdaLabelsFollowTheirChoices) {
  ui::DialogScript script;
  ShowMainWindow(script);
  MapSlots[1].SeqShiftType = 0;
  MapSlots[1].SeqShiftStart = 3000;
  f_->RefreshMapTables();
  EXPECT_EQ(f_->SeqStart->Increment(), 50);
  EXPECT_EQ(f_->SeqStart->MaxValue(), 20000);
  f_->SeqType->UserSelect(1);  // "mS"
  EXPECT_EQ(MapSlots[1].SeqShiftStart, 2550);
  EXPECT_EQ(MapSlots[1].SeqShiftType, 1);
  EXPECT_EQ(f_->SeqStart->Value(), 2550);
  EXPECT_EQ(f_->SeqStart->Increment(), 10);
  EXPECT_EQ(f_->SeqStart->MaxValue(), 2550);

  struct Idle {
    int mode;
    bool note1, note2, note3;
  } const idle[] = {{0, true, false, false}, {1, true, true, true}, {2, false, false, false}};
  for (const Idle& c : idle) {
    SCOPED_TRACE(c.mode);
    f_->IdleControlMode->UserSelect(c.mode);
    EXPECT_EQ(MapSlots[1].IdleControlMode, c.mode);
    EXPECT_EQ(f_->IdleNote1->Visible(), c.note1);
    EXPECT_EQ(f_->IdleNote2->Visible(), c.note2);
    EXPECT_EQ(f_->IdleNote3->Visible(), c.note3);
  }

  MapSlots[1].LambdaOptions = 0x17;  // bit 4 set, other bits around it
  f_->Lam_Sensor->UserSelect(1);
  EXPECT_EQ(MapSlots[1].LambdaOptions, 0x0F);
  EXPECT_EQ(f_->Label104->Caption(), "AFR :");
  EXPECT_EQ(f_->Label104->Left(), 117);
  EXPECT_EQ(f_->Label105->Caption(), "Target AFR :");
  EXPECT_EQ(f_->Label105->Left(), 83);
  MapSlots[1].LambdaOptions = 0;
  f_->RefreshMapTables();
  EXPECT_EQ(f_->Label104->Caption(), "Lambda O2 :");
  EXPECT_EQ(f_->Label104->Left(), 83);
  EXPECT_EQ(f_->Label105->Caption(), "Target :");
  EXPECT_EQ(f_->Label105->Left(), 107);
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

// A truncated field keeps what the tuner typed, not the binary rounding error of it:
// 0.3 in tenths is 3, though 0.3 / 0.1 and 2.3 x 10 come out just below a whole number.
TEST_F(MainFields, TruncatedEntriesKeepTheTypedDigits) {
  struct Case {
    TAdvSpinEdit* spin;
    double typed;
    std::function<int()> stored;
    int expected;
  };
  const TMapRecord& m = MapSlots[1];
  const Case cases[] = {
      {f_->Lam_MaxCorr, 0.3, [&] { return int(m.LambdaMaxCorrection); }, 3},
      {f_->Lam_MaxCorr, 0.7, [&] { return int(m.LambdaMaxCorrection); }, 7},
      {f_->Lam_MaxCorr, 0.25, [&] { return int(m.LambdaMaxCorrection); }, 2},  // truncated
      {f_->Lam_MinCorr, 0.3, [&] { return int(m.LambdaMinCorrection); }, 3},
      {f_->Lam_MinCorr, 0.6, [&] { return int(m.LambdaMinCorrection); }, 6},
      {f_->idleupv, 2.3, [&] { return int(m.IdleUpVoltage); }, 23},
      {f_->idleupv, 2.35, [&] { return int(m.IdleUpVoltage); }, 23},
      {f_->Lam_mapRes, 4.1, [&] { return int(m.LambdaMapResponse); }, 41},
      {f_->Lam_LockTimer, 0.29, [&] { return int(m.LambdaLockTimer); }, 29},
      {f_->Lam_Rate, 0.57, [&] { return int(m.LambdaLockRate); }, 57},
      {f_->Lam_Rate, 0.58, [&] { return int(m.LambdaLockRate); }, 58},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.spin->Name().c_str() << " " << c.typed);
    c.spin->SetMaxFloatValue(100);
    c.spin->SetFloatValue(c.typed);
    f_->NumberFieldChange(c.spin);
    EXPECT_EQ(c.stored(), c.expected);
  }
}

}  // namespace
