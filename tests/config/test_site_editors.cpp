// The site editors' step and spread rules, the re-sampling of the main tables onto moved
// load sites, and the site, cell-entry, block and method dialogs driven through their
// handlers with scripted answers.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"

#include <vector>

#include "app/Block.h"
#include "model/MapInterp.h"
#include "config/Insert.h"
#include "config/InterpolateBlock.h"
#include "config/LoadSiteAdjU.h"
#include "config/SiteEditing.h"
#include "config/SitePos.h"
#include "config/SpeedSiteAdj.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Simulate.h"

namespace {

TEST(SiteEditing, LoadStepsKeepTheSitesApartAndWithinTheKindsMaximum) {
  struct Case {
    std::vector<int32_t> sites;
    int first, last, direction, lastMax;
    bool moved;
    std::vector<int32_t> after;
  };
  const Case cases[] = {
      {{5, 10, 11, 12, 20}, 2, 2, -1, 100, false, {5, 10, 11, 12, 20}},  // 11 alone is held by 10
      {{5, 10, 11, 12, 20}, 2, 3, +1, 100, true, {5, 10, 12, 13, 20}},   // the block moves together
      {{5, 10, 11, 12, 13}, 2, 3, +1, 100, false, {5, 10, 11, 12, 13}},  // 12 is held by 13
      {{0, 3}, 0, 0, -1, 100, false, {0, 3}},                            // site 0 stops above 0
      {{1, 3}, 0, 0, -1, 100, true, {0, 3}},
      {{1, 100}, 1, 1, +1, 100, false, {1, 100}},  // throttle
      {{1, 99}, 1, 1, +1, 100, true, {1, 100}},
      {{1, 455}, 1, 1, +1, 455, false, {1, 455}},  // MAP kPa
      {{1, 999}, 1, 1, +1, 999, false, {1, 999}},  // turns
  };
  for (const Case& c : cases) {
    std::vector<int32_t> sites = c.sites;
    EXPECT_EQ(StepLoadSites(sites, c.first, c.last, c.direction, c.lastMax), c.moved);
    EXPECT_EQ(sites, c.after);
  }
}

TEST(SiteEditing, SpeedStepsLeaveSiteZeroAndStayBelowTheEndMark) {
  std::vector<int32_t> sites{0, 500, 1000, 19990, kSpeedSiteEnd};
  EXPECT_EQ(StepSpeedSites(sites, 0, 3, -1, 50), 0b1110u);  // site 0 never moves
  EXPECT_EQ(sites, (std::vector<int32_t>{0, 450, 950, 19940, kSpeedSiteEnd}));
  EXPECT_EQ(StepSpeedSites(sites, 3, 3, +1, 50), 0b1000u);
  EXPECT_EQ(StepSpeedSites(sites, 3, 3, +1, 50), 0u);  // 20040 would pass the end mark
  sites[3] = 20000;
  EXPECT_EQ(StepSpeedSites(sites, 3, 3, +1, 1), 0u);  // never 20001
  sites[1] = 50;
  EXPECT_EQ(StepSpeedSites(sites, 1, 1, -1, 50), 0u);  // 50 is not above site 0 + 50
}

TEST(SiteEditing, SpreadNeedsOneUnitPerSite) {
  std::vector<int32_t> sites(16, 0);
  sites[15] = 100;
  ASSERT_TRUE(InterpolateSites(sites, 0, 15));
  for (int k = 0; k < 15; ++k) EXPECT_EQ(sites[static_cast<size_t>(k)], k * 100 / 15);
  sites[15] = 14;
  sites[7] = 3;
  EXPECT_FALSE(InterpolateSites(sites, 0, 15));
  EXPECT_EQ(sites[7], 3);
  EXPECT_FALSE(InterpolateSites(sites, 4, 4));
}

TEST(SiteEditing, LoadResamplingReadsTheOldSitesAndSkipsEmptyIntervals) {
  auto m = std::make_unique<TMapRecord>();
  for (int l = 0; l < 16; ++l) {
    m->MainThrottleSites[l] = static_cast<int16_t>(l * 10);
    for (int s = 1; s <= 32; ++s) m->IgnitionTable[s][l + 1] = static_cast<int16_t>(l * 2);
  }
  std::array<int, 16> fresh{};
  for (int l = 0; l < 16; ++l) fresh[static_cast<size_t>(l)] = l * 10 + 5;
  fresh[15] = 150;
  const TLoadSiteChange change = ChangeLoadSites(*m, fresh, true);
  EXPECT_EQ(m->IgnitionTable[1][2], 3);    // 15 lies halfway between sites 10 and 20
  EXPECT_EQ(m->IgnitionTable[1][1], 0);    // site 0 keeps its value
  EXPECT_EQ(m->IgnitionTable[32][16], 30); // and so does site 15
  EXPECT_EQ(m->IgnitionTable[5][15], 29);  // 145 between 140 and 150
  EXPECT_EQ(m->MainThrottleSites[3], 35);
  EXPECT_EQ(change.Ignition.size(), 32u * 14u);

  // Two equal old sites at the start give no slope; a cleared axis divides by nothing.
  TMainTable t{};
  t[1][1] = 7, t[1][2] = 9, t[1][3] = 20;
  std::array<int, 16> old{};
  for (int l = 2; l < 16; ++l) old[static_cast<size_t>(l)] = l * 10;
  std::array<int, 16> target = old;
  target[1] = 0;
  RecalcLoadTable(t, old, target);
  EXPECT_EQ(t[1][2], 9);
  std::array<int, 16> zeros{};
  RecalcLoadTable(t, zeros, zeros);
  EXPECT_EQ(t[1][3], 9);
}

TEST(SiteEditing, CellEntryStoresByCaption) {
  struct Case {
    const char* caption;
    double v;
    int unit;
    int stored;
  };
  const Case cases[] = {{"Insert INJECTION TIMING map data", 359, 1, 356},
                        {"Insert BOOST TARGET map data", 80, 0, 0},
                        {"Insert BOOST TARGET map data", 250, 0, 150},
                        {"Insert BOOST TARGET map data", 0.5, 1, 50},
                        {"Insert BOOST TARGET map data", 14.5, 2, 100},
                        {"Insert PWM o/p map data", 40, 1, 102},
                        {"Insert Coil on time value", 2, 1, 41},
                        {"Insert AFR target", 12.5, 1, 125},
                        {"Insert AFR correction", 50, 1, 8192}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    auto m = std::make_unique<TMapRecord>();
    const auto w = StoreInsertData(*m, c.caption, 3, 2, c.v, c.unit);
    ASSERT_TRUE(w.has_value());
    EXPECT_EQ(w->NewValue, c.stored);
    EXPECT_EQ(w->Col, 4);
    EXPECT_EQ(w->Row, 3);
  }
  auto m = std::make_unique<TMapRecord>();
  EXPECT_FALSE(StoreInsertData(*m, "Insert map data", 3, 2, 1, 0));
  EXPECT_FALSE(StoreInsertData(*m, "Insert IGNITION map data", 32, 2, 1, 0));
}

// The dialogs, shown from the main window's commands and keys.
class SiteDialogs : public ProgramWindowsTest {};

TEST_F(SiteDialogs, LoadSitesMoveWithoutResamplingWhenTheBoxIsClear) {
  TMapRecord& map = MapSlots[1];
  map.LoadOptions = 0;
  for (int l = 0; l < 16; ++l) map.MainThrottleSites[l] = static_cast<int16_t>(l * 6);
  map.IgnitionTable[1][3] = 17;
  ui::DialogScript script;
  script.AnswerForm([](TForm&) {
    SitePosFrm->SitePosGrid->SetSelection(TGridRect{2, 3, 2, 3});
    WORD up = VK_ADD;
    SitePosFrm->SitePosGridKeyDown(nullptr, up, {});
    SitePosFrm->ReCalcMaps->SetChecked(false);
    SitePosFrm->BitBtn1->Click();
  });
  f_->PopUpLoadsitepositions1Click(nullptr);
  EXPECT_EQ(map.MainThrottleSites[2], 13);
  EXPECT_EQ(map.IgnitionTable[1][3], 17);
  EXPECT_FALSE(Settings.ReCalcPos);
  EXPECT_EQ(f_->ignitiontable->Cells(0, 3), "13");
  EXPECT_EQ(SitePosFrm->SitePosGrid->Cells(1, 0), "Current pos\r(%)");

  // "C" without the range says so and changes nothing.
  script.AnswerForm([](TForm&) {
    SitePosFrm->SitePosGrid->SetSelection(TGridRect{2, 1, 2, 3});
    SiteEditList[2] = 1;
    WORD c = 'C';
    SitePosFrm->SitePosGridKeyDown(nullptr, c, {});
    SitePosFrm->SetModalResult(mrCancel);
  });
  script.Answer(mrOk);
  f_->PopUpLoadsitepositions1Click(nullptr);
  EXPECT_EQ(script.Last().Text, kNotEnoughRange);
  EXPECT_EQ(map.MainThrottleSites[2], 13);
}

TEST_F(SiteDialogs, SpeedSitesStepFiftyWithShiftAndResampleEveryTable) {
  TMapRecord& map = MapSlots[1];
  for (int i = 0; i < 33; ++i) map.SpeedSites[i] = static_cast<uint16_t>(i * 500);
  for (int s = 1; s <= 32; ++s) map.CoilOnTable[s][2] = static_cast<int16_t>(s * 10);
  ui::DialogScript script;
  script.AnswerForm([](TForm&) {
    EXPECT_EQ(SiteEditList[32], kSpeedSiteEnd);
    SpeedSiteForm->SitePosGrid->SetSelection(TGridRect{1, 2, 3, 2});
    WORD up = 187;
    SpeedSiteForm->SitePosGridKeyDown(nullptr, up, TShiftState{ssShift});
    SpeedSiteForm->ReCalcMaps->SetChecked(true);
    SpeedSiteForm->BitBtn1->Click();
  });
  f_->Speedsitepositions1Click(nullptr);
  EXPECT_EQ(map.SpeedSites[0], 0);
  EXPECT_EQ(map.SpeedSites[1], 550);
  EXPECT_EQ(map.SpeedSites[2], 1050);
  EXPECT_EQ(map.CoilOnTable[2][2], 21);  // 20 + 10 x 50 / 500
  EXPECT_EQ(SpeedSiteForm->SitePosGrid->Cells(3, 2), "1,050");
  EXPECT_TRUE(Settings.ReCalcPos);
}

TEST_F(SiteDialogs, TurnsAndAdditionalAxesAreStoredByTag) {
  TMapRecord& map = MapSlots[1];
  for (int i = 0; i < 5; ++i) map.CrankTurns[i] = static_cast<int16_t>(i * 2);
  ui::DialogScript script;
  script.AnswerForm([](TForm& form) {
    EXPECT_EQ(form.Caption(), "Number of engine turns from start");
    LoadSiteAdj->SitePosGrid->SetSelection(TGridRect{2, 3, 2, 3});
    WORD up = VK_ADD;
    LoadSiteAdj->SitePosGridKeyDown(nullptr, up, {});
    LoadSiteAdj->BitBtn1->Click();
  });
  f_->Adjustturns1Click(nullptr);
  EXPECT_EQ(map.CrankTurns[2], 5);
  EXPECT_EQ(f_->CrankingTable->Cells(0, 2), "5");

  LoadSiteNew = {100, 110, 120, 130, 140};
  EXPECT_TRUE(StoreSiteAxis(map, 0, 1, LoadSiteNew));
  EXPECT_EQ(map.AddMAPSites[axCoilOn][4], 140);
  EXPECT_TRUE(StoreSiteAxis(map, 2, 0, LoadSiteNew));
  EXPECT_EQ(map.AddThrottleSites[axPWMBoost][0], 100);
  EXPECT_FALSE(StoreSiteAxis(map, 6, 0, LoadSiteNew));
}

TEST_F(SiteDialogs, CellEntryStoresOnceAndCancelKeepsTheRecord) {
  TMapRecord& map = MapSlots[1];
  map.AFRTargetTable[3][2] = 125;
  f_->AFRTargetTable->SetSelection(TGridRect{4, 2, 4, 2});
  ui::DialogScript script;
  double offered = 0;
  script.AnswerForm([&](TForm&) {
    offered = insertdata->newvalue->Value();
    EXPECT_EQ(insertdata->currentval->Text(), "12.50");
    insertdata->newvalue->SetText("13");
    WORD enter = VK_RETURN;
    insertdata->newvalueKeyDown(nullptr, enter, {});
  });
  WORD key = VK_RETURN;
  f_->AFRTargetTableKeyDown(nullptr, key, {});
  EXPECT_DOUBLE_EQ(offered, 12.5);
  EXPECT_EQ(map.AFRTargetTable[3][2], 130);
  EXPECT_EQ(f_->AFRTargetTable->Cells(4, 2), "13.0");

  script.AnswerForm([](TForm&) {
    insertdata->newvalue->SetText("15");
    insertdata->BitBtn2->Click();
  });
  f_->AFRTargetTableKeyDown(nullptr, key, {});
  EXPECT_EQ(map.AFRTargetTable[3][2], 130);
}

TEST_F(SiteDialogs, InterpolationMethodIsKeptForTheNextUse) {
  ui::DialogScript script;
  script.AnswerForm([](TForm& form) {
    InterpBlock->RadioButton2->SetChecked(true);
    InterpBlock->RadioButton2Click(nullptr);
    form.SetModalResult(mrOk);
  });
  InterpBlock->ShowModal();
  int tag = -1;
  script.AnswerForm([&](TForm& form) {
    tag = InterpBlock->Tag;
    form.SetModalResult(mrOk);
  });
  InterpBlock->ShowModal();
  EXPECT_EQ(tag, 1);
  EXPECT_TRUE(InterpBlock->RadioButton2->Checked());
  EXPECT_TRUE(InterpBlock->Image2->Visible());
}

// Every control of the dialogs lies inside its window; SITES_SHOTS=<folder> also writes
// each dialog as a picture.
TEST_F(SiteDialogs, DialogsKeepTheirControlsInside) {
  SizeGridsToContents();
  MapSlots[1].LoadOptions = 1;
  for (int i = 0; i < 16; ++i) MapSlots[1].MainMAPSites[i] = static_cast<int16_t>(100 + 15 * i);
  for (int i = 0; i < 33; ++i) MapSlots[1].SpeedSites[i] = static_cast<uint16_t>(500 * i);
  LoadSiteUnit = 1;
  LoadSiteCurrent = LoadSiteNew = {100, 150, 200, 250, 300};
  ui::DialogScript script;
  script.AnswerForm([](TForm& form) { form.SetModalResult(mrCancel); });
  f_->PopUpLoadsitepositions1Click(nullptr);
  insertdata->SetCaption("Insert IGNITION map data");
  insertdata->Speedinfo->SetCaption("(1000 - 1500 rpm)");
  const char* dir = std::getenv("SITES_SHOTS");
  for (TForm* form : std::initializer_list<TForm*>{SitePosFrm, SpeedSiteForm, LoadSiteAdj, insertdata,
                                                   InterpBlock, map_function}) {
    SCOPED_TRACE(form->Name());
    form->Show();
    for (int i = 0; i < form->ControlCount(); ++i) {
      const TControl* c = form->Controls(i);
      EXPECT_GE(c->Left(), 0) << c->Name();
      EXPECT_GE(c->Top(), 0) << c->Name();
      EXPECT_LE(c->Left() + c->Width(), form->ClientWidth()) << c->Name();
      EXPECT_LE(c->Top() + c->Height(), form->ClientHeight()) << c->Name();
    }
    if (dir) ui::GrabToPng(form, AnsiString(dir) + "/" + form->Name() + ".png");
    form->Hide();
  }
}

// A map may hold values beyond the editors' limits (from a file or an ECU). Moving one
// site with "Re-calc maps" ticked gives every site that did not move its cells back as
// they were, and the moved site the line's value, with no limit applied.
TEST_F(SiteDialogs, MovingASpeedSiteKeepsTheCellsOfTheOthers) {
  TMapRecord& map = MapSlots[1];
  for (int i = 0; i < 33; ++i) map.SpeedSites[i] = static_cast<uint16_t>(i * 500);
  map.IgnitionTable[20][1] = 100;
  map.IgnitionTable[21][1] = -60;
  map.InjectionTable[20][2] = 300;
  map.AFRTargetTable[20][3] = 200;
  map.AFRCorrectionTable[21][4] = -20000;
  // Speed site 3 (1500 rpm, record column 4) moves to 1501: the line from 100 at site 3
  // to 110 at site 4 gives 110 - 10 x 499 / 500 = 100.02.
  map.IgnitionTable[4][1] = 100;
  map.IgnitionTable[5][1] = 110;
  map.InjectionTable[4][2] = map.InjectionTable[5][2] = 300;
  ui::DialogScript script;
  script.AnswerForm([](TForm&) {
    SpeedSiteForm->ReCalcMaps->SetChecked(true);
    SpeedSiteForm->SitePosGrid->SetSelection(TGridRect{4, 2, 4, 2});
    WORD up = VK_ADD;
    SpeedSiteForm->SitePosGridKeyDown(nullptr, up, {});
    SpeedSiteForm->BitBtn1->Click();
  });
  f_->Speedsitepositions1Click(nullptr);
  ASSERT_EQ(map.SpeedSites[3], 1501);
  EXPECT_EQ(map.IgnitionTable[20][1], 100);
  EXPECT_EQ(map.IgnitionTable[21][1], -60);
  EXPECT_EQ(map.InjectionTable[20][2], 300);
  EXPECT_EQ(map.AFRTargetTable[20][3], 200);
  EXPECT_EQ(map.AFRCorrectionTable[21][4], -20000);
  EXPECT_EQ(map.IgnitionTable[4][1], 100);
  EXPECT_EQ(map.InjectionTable[4][2], 300);
}

TEST_F(SiteDialogs, MovingALoadSiteKeepsTheRowsOfTheOthers) {
  TMapRecord& map = MapSlots[1];
  map.LoadOptions = 0;
  for (int l = 0; l < 16; ++l) map.MainThrottleSites[l] = static_cast<int16_t>(l * 6);
  map.IgnitionTable[1][10] = 100;
  map.InjectionTable[2][10] = 300;
  map.AFRTargetTable[3][10] = 200;
  map.AFRCorrectionTable[3][10] = -20000;
  // Load site 2 (12 %) moves to 13: 90 + (96 - 90) x 1 / 6 = 91.
  map.IgnitionTable[5][3] = 90;
  map.IgnitionTable[5][4] = 96;
  ui::DialogScript script;
  script.AnswerForm([](TForm&) {
    SitePosFrm->ReCalcMaps->SetChecked(true);
    SitePosFrm->SitePosGrid->SetSelection(TGridRect{2, 3, 2, 3});
    WORD up = VK_ADD;
    SitePosFrm->SitePosGridKeyDown(nullptr, up, {});
    SitePosFrm->BitBtn1->Click();
  });
  f_->PopUpLoadsitepositions1Click(nullptr);
  ASSERT_EQ(map.MainThrottleSites[2], 13);
  EXPECT_EQ(map.IgnitionTable[1][10], 100);
  EXPECT_EQ(map.InjectionTable[2][10], 300);
  EXPECT_EQ(map.AFRTargetTable[3][10], 200);
  EXPECT_EQ(map.AFRCorrectionTable[3][10], -20000);
  EXPECT_EQ(map.IgnitionTable[5][3], 91);
  EXPECT_EQ(f_->ignitiontable->Cells(6, 3), "91");
}

// The cylinder trims' speed sites: ten rpm a step, each above the one before, the first
// not below speed site 0 and the last not above speed site 31.
TEST(SiteEditing, RpmStepsKeepTheTrimSitesRisingWithinTheSpeedRange) {
  struct Case {
    std::vector<int32_t> sites;
    int first, last, direction;
    bool moved;
  };
  const Case cases[] = {
      {{1000, 1010, 3000}, 1, 1, -1, false},  // 1000 is not below 1000
      {{1000, 1011, 3000}, 1, 1, -1, true},
      {{500, 2000, 3000}, 0, 0, -1, false},   // stops at speed site 0 (500)
      {{510, 2000, 3000}, 0, 0, -1, true},
      {{500, 2000, 15495}, 2, 2, +1, false},  // 15505 passes speed site 31 (15500)
      {{500, 2000, 15490}, 2, 2, +1, true},
      {{500, 2990, 3000}, 0, 1, +1, false},   // the block is held by its upper end
  };
  for (const Case& c : cases) {
    std::vector<int32_t> sites = c.sites;
    EXPECT_EQ(StepLoadSites(sites, c.first, c.last, c.direction, 15500, 10, 500), c.moved);
    if (c.moved) {
      EXPECT_EQ(sites[static_cast<size_t>(c.first)], c.sites[static_cast<size_t>(c.first)] + 10 * c.direction);
    }
  }
}

}  // namespace
