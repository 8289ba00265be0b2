// The main window's table keys, cell and block dialogs, interpolation key and live keys,
// driven through the handlers with scripted dialogs.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/Block.h"
#include "config/Additonl.h"
#include "app/Graphs.h"
#include "chart/TeeSurfa.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Simulate.h"
#include "serial/AdPort.h"

namespace {

class MainEditing : public ProgramWindowsTest {
 protected:
  void TearDown() override {
    ProgramWindowsTest::TearDown();
    MapBoxItem1 = 1;
    MapBoxItem2 = 2;
    LiveCellTrim.fill(0);
    LiveCellValue.fill(0);
    ECUActiveMap = 1;
    LiveSpeedSite = 0;
    LiveLoadSite = 0;
  }

  static void Select(TStringAlignGrid* g, int l, int t, int r, int b) { g->SetSelection(TGridRect{l, t, r, b}); }
};

// One key on one selected cell: the record word before, the key, the word after.
TEST_F(MainEditing, TableKeysChangeTheSelectedCellsWithinTheirLimits) {
  struct Case {
    TableId id;
    int col, row;  // grid cell
    int before;
    WORD key;
    int after;
    const char* text;
  };
  const Case cases[] = {
      {TableId::Ignition, 2, 1, 10, VK_ADD, 11, "11"},
      {TableId::Ignition, 2, 1, 60, 187, 60, "60"},
      {TableId::Ignition, 5, 16, -50, VK_SUBTRACT, -50, "-50"},
      {TableId::Injection, 33, 3, 0, 189, 0, "0"},
      {TableId::Injection, 3, 3, 7, 'A', 7, nullptr},
      {TableId::AFRTarget, 4, 2, 125, VK_ADD, 126, "12.6"},
      {TableId::AFRCorrection, 2, 1, 0, VK_ADD, 32, "0.20"},
      {TableId::Cranking, 3, 2, 100, 189, 99, "99"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "no change");
    const TTableInfo& t = TableInfo(c.id);
    TStringAlignGrid* grid = f_->TableGrid(c.id);
    const int col = c.col - t.GridColumnOffset;
    TableWords(MapSlots[1], c.id)[col][c.row] = static_cast<int16_t>(c.before);
    Select(grid, c.col, c.row, c.col, c.row);
    WORD key = c.key;
    f_->TableKeyDown(c.id, key);
    EXPECT_EQ(TableWords(MapSlots[1], c.id)[col][c.row], c.after);
    if (c.text) {
      EXPECT_EQ(grid->Cells(c.col, c.row), c.text);
    }
  }
}

TEST_F(MainEditing, KeysReachTheGridHandlersThroughTheWindow) {
  // The first activation asks for a port; no port is chosen.
  f_->SettingsFileName = (std::filesystem::temp_directory_path() /
                          ("editing-keys-" + std::to_string(getpid()) + ".ini")).string();
  ui::DialogScript script;
  script.AnswerForm([](TForm& form) { form.SetModalResult(mrCancel); });
  script.Answer(mrOk);
  f_->Show();
  f_->Notebook1->SetPageIndex(2);
  f_->ignitiontable->SetFocus();
  Application->ProcessMessages();
  MapSlots[1].IgnitionTable[1][1] = 5;
  Select(f_->ignitiontable, 2, 1, 2, 1);
  ui::SimulateKey(f_->ignitiontable, "+", true);
  ui::SimulateKey(f_->ignitiontable, "+", true);
  ui::SimulateKey(f_->ignitiontable, "-");
  EXPECT_EQ(MapSlots[1].IgnitionTable[1][1], 6);
}

TEST_F(MainEditing, F4StepsTheInjectionPageThroughItsTables) {
  ui::DialogScript script;
  ShowMainWindow(script);
  ui::SimulateKey(f_, "F4");
  ASSERT_EQ(f_->Notebook1->PageIndex(), 3);
  TStringAlignGrid* const grids[4] = {f_->injectiontable, f_->AFRTargetTable, f_->AFRCorrectionTable,
                                      f_->AFRModeTable};
  const char* const labels[4] = {"Injection map", "AFR target", "AFR corrections", "Control mode"};
  for (int expected : {1, 2, 3, 0, 1}) {
    SCOPED_TRACE(expected);
    ui::SimulateKey(f_, "F4");
    EXPECT_EQ(f_->InjectionPageTable, expected);
    EXPECT_EQ(f_->TabSet2->TabIndex(), expected);
    for (int g = 0; g < 4; ++g) EXPECT_EQ(grids[g]->Visible(), g == expected);
    EXPECT_EQ(f_->page4_label->Caption(), labels[expected]);
    EXPECT_EQ(f_->ActiveControl(), grids[expected]);
  }
  // A tab clicked by the user is where the next F4 starts from.
  ui::SimulateClick(f_->TabSet2, f_->TabSet2->ItemRect(3).Left + 3, 5);
  EXPECT_TRUE(f_->AFRModeTable->Visible());
  ui::SimulateKey(f_, "F4");
  EXPECT_EQ(f_->InjectionPageTable, 0);
  EXPECT_TRUE(f_->injectiontable->Visible());
}

TEST_F(MainEditing, OneRowTablesTakeTheirKeysThroughTheWindow) {
  ui::DialogScript script;
  ShowMainWindow(script);
  TMapRecord& m = MapSlots[1];
  struct Case {
    TStringAlignGrid* grid;
    le::I16* words;
    int page;
    const char* key;
    int before, after;
    const char* text;
  };
  const Case cases[] = {
      {f_->airign_table, m.AirIgnCorrection, 5, "Up", 9, 10, "10"},
      {f_->airign_table, m.AirIgnCorrection, 5, "=", 10, 10, "10"},
      {f_->coolantign_table, m.CoolantIgnCorrection, 5, "Down", -10, -10, "-10"},
      {f_->airinj_table, m.AirFuelCorrection, 6, "-", 3, 2, "2"},
      {f_->coolantinj_table, m.CoolantFuelCorrection, 6, "Up", 254, 255, "255"},
      {f_->CrankPrime_table, m.CrankingPrime, 6, "Down", 0, 0, "0"},
      {f_->idlerpm_table, m.IdleSpeedByCoolant, 4, "=", 90, 91, "910"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    f_->TabSet1->SetTabIndex(c.page);
    c.words[2] = static_cast<int16_t>(c.before);
    c.words[3] = static_cast<int16_t>(c.before);
    c.grid->SetFocus();
    c.grid->SetSelection(TGridRect{2, 0, 3, 0});
    ui::SimulateKey(f_, c.key);
    EXPECT_EQ(c.words[2], c.after);
    EXPECT_EQ(c.words[3], c.after);
    EXPECT_EQ(c.grid->Cells(3, 0), c.text);
  }
  // Only the table with the focus shows its selection.
  EXPECT_TRUE(f_->idlerpm_table->DrawSelection());
  EXPECT_FALSE(f_->airign_table->DrawSelection());

  // "C" interpolates the run after the question, in the record's units.
  f_->TabSet1->SetTabIndex(4);
  for (int i = 0; i < 14; ++i) m.IdleSpeedByCoolant[i] = static_cast<int16_t>(i == 4 ? 120 : 80);
  f_->idlerpm_table->SetFocus();
  f_->idlerpm_table->SetSelection(TGridRect{0, 0, 4, 0});
  script.Answer(mrOk);
  ui::SimulateKey(f_, "C");
  EXPECT_EQ(script.Last().Text, "Interpolate row\rPart of the map will be overwritten, Continue?");
  const int expected[5] = {80, 90, 100, 110, 120};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(m.IdleSpeedByCoolant[i], expected[i]);
  EXPECT_EQ(f_->idlerpm_table->Cells(1, 0), "900");
}

// Tab moves the keyboard on out of the program's grids; only the one-row table with the focus
// shows its cell, and the temperature headings above them never do.
TEST_F(MainEditing, TabLeavesTheGridsAndOnlyTheFocusedOneRowTableShowsItsCell) {
  ui::DialogScript script;
  ShowMainWindow(script);
  f_->TabSet1->SetTabIndex(4);
  f_->idlerpm_table->SetFocus();
  f_->idlerpm_table->SetCol(5);
  ui::SimulateKey(f_, "Tab");
  EXPECT_NE(f_->ActiveControl(), f_->idlerpm_table);
  EXPECT_EQ(f_->idlerpm_table->Col(), 5);

  f_->TabSet1->SetTabIndex(5);
  f_->coolantign_table->SetFocus();
  EXPECT_TRUE(f_->coolantign_table->DrawSelection());
  EXPECT_FALSE(f_->airign_table->DrawSelection());
  ui::SimulateKey(f_, "Tab");
  EXPECT_EQ(f_->ActiveControl(), f_->airign_table);
  EXPECT_FALSE(f_->coolantign_table->DrawSelection());
  EXPECT_TRUE(f_->airign_table->DrawSelection());
  ui::SimulateKey(f_, "Shift+Tab");
  EXPECT_EQ(f_->ActiveControl(), f_->coolantign_table) << "the heading strip is not a stop";
  for (TStringAlignGrid* heading : {f_->StringAlignGrid1, f_->StringAlignGrid2, f_->CoolantTempMarker}) {
    EXPECT_FALSE(heading->DrawSelection()) << heading->Name();
    EXPECT_FALSE(heading->TabStop()) << heading->Name();
  }
}

TEST_F(MainEditing, TableClicksShowTheSpeedSiteAndEditsRedrawAVisibleGraph) {
  ui::DialogScript script;
  ShowMainWindow(script);
  for (int i = 0; i < 33; ++i) MapSlots[1].SpeedSites[i] = static_cast<int16_t>(500 * (i + 1));
  MapSlots[1].HardRevLimit = 6000;
  ui::SimulateKey(f_, "F3");
  const TRect cell = f_->ignitiontable->CellRect(5, 3);
  ui::SimulateClick(f_->ignitiontable, cell.Left + 3, cell.Top + 3);
  EXPECT_EQ(f_->info_panel->Caption(), "Speed site : 3 (2000 - 2500 rpm)");

  Graph->Show();
  f_->ignitiontable->SetFocus();
  ui::SimulateKey(f_, "=");
  EXPECT_EQ(Graph->Series1->NumXValues(), 16);
  EXPECT_EQ(Graph->Series1->NumZValues(), 14);  // 6000 div 500 + 2
  Settings.SpeedSiteStep = 100;
  ui::SimulateKey(f_, "=");
  EXPECT_EQ(Graph->Series1->NumZValues(), 32);
}

TEST_F(MainEditing, FunctionKeysHandTheKeyboardToThePageTable) {
  ui::DialogScript script;
  ShowMainWindow(script);
  const struct {
    const char* key;
    TStringAlignGrid* table;
  } rows[] = {{"F3", f_->ignitiontable}, {"F4", f_->injectiontable}, {"F5", f_->idlerpm_table},
              {"F6", f_->coolantign_table}, {"F7", f_->coolantinj_table}};
  for (const auto& r : rows) {
    ui::SimulateKey(f_, "F1");
    ui::SimulateKey(f_, r.key);
    EXPECT_EQ(f_->ActiveControl(), r.table) << r.key;
  }
  // The arrows then move in the table without a click first.
  ui::SimulateKey(f_, "F3");
  const int col = f_->ignitiontable->Col();
  ui::SimulateKey(f_, "Right");
  EXPECT_EQ(f_->ignitiontable->Col(), col + 1);
}

TEST_F(MainEditing, BlockDialogAppliesTheChosenOperation) {
  auto& inj = MapSlots[1].InjectionTable;
  inj[1][1] = 200;
  inj[2][1] = 10;
  Select(f_->injectiontable, 2, 1, 3, 1);
  ui::DialogScript script;
  int items = 0;
  script.AnswerForm([&](TForm&) {
    items = map_function->operation->Items()->Count();
    EXPECT_EQ(map_function->operation->ItemIndex(), 0);  // opens at Fill
    EXPECT_FALSE(map_function->percent->Visible());
    map_function->operation->SetItemIndex(3);  // Increase
    map_function->operationChange(nullptr);
    EXPECT_EQ(map_function->do_what->Caption(), "By");
    EXPECT_TRUE(map_function->percent->Visible());
    map_function->Value->SetText("50");
    WORD enter = VK_RETURN;  // Enter in the value accepts
    map_function->ValueKeyDown(nullptr, enter, {});
  });
  WORD key = VK_RETURN;
  f_->injectiontableKeyDown(nullptr, key, {});
  EXPECT_EQ(items, 5);
  EXPECT_EQ(inj[1][1], 255);  // 300 capped
  EXPECT_EQ(inj[2][1], 15);

  // A value that is no number keeps the dialog open, and Cancel changes nothing.
  script.AnswerForm([&](TForm&) {
    map_function->Value->SetText("abc");
    map_function->ok->Click();
    EXPECT_EQ(map_function->ModalResult(), mrNone);
    map_function->cancel->Click();
  });
  f_->injectiontableKeyDown(nullptr, key, {});
  EXPECT_EQ(inj[1][1], 255);
}

TEST_F(MainEditing, InterpolationKeyAsksForARowAndCancelKeepsTheMap) {
  auto& ign = MapSlots[1].IgnitionTable;
  for (int s = 1; s <= 5; ++s) ign[s][4] = 0;
  ign[1][4] = 10;
  ign[5][4] = 25;
  Select(f_->ignitiontable, 2, 4, 6, 4);
  ui::DialogScript script;
  script.Answer(mrCancel);
  WORD key = 'C';
  f_->ignitiontableKeyDown(nullptr, key, {});
  EXPECT_EQ(ign[2][4], 0);
  script.Answer(mrOk);
  f_->ignitiontableKeyDown(nullptr, key, {});
  EXPECT_EQ(ign[2][4], 13);
  EXPECT_EQ(ign[3][4], 17);
  EXPECT_EQ(ign[4][4], 21);
  EXPECT_EQ(f_->ignitiontable->Cells(4, 4), "17");
}

// Without a link the digits that follow have nothing to trim (with one, Alt + 1 also
// resets box 2's trim: the live page's end-to-end test).
TEST_F(MainEditing, AltDigitsCycleTheBoxes) {
  f_->Notebook1->SetPageIndex(7);
  ECUConnected = false;
  MapBoxItem2 = 3;
  LiveCellTrim[3] = 2;
  LiveCellValue[3] = 100;
  const int expected[] = {2, 4, 5, 6, 1};
  for (int k : expected) {
    WORD key = '1';
    f_->FormKeyDown(nullptr, key, TShiftState{ssAlt});
    EXPECT_EQ(MapBoxItem1, k);
  }
  EXPECT_EQ(LiveCellTrim[3], 2);
  WORD key = '2';
  f_->FormKeyDown(nullptr, key, TShiftState{ssAlt});
  EXPECT_EQ(MapBoxItem2, 4);
  EXPECT_EQ(LiveCellTrim[3], 2);
}

TEST_F(MainEditing, LiveEnterStoresTheTrimmedValueAndClearsTheTrim) {
  // The link is up, so the port is open: the cell frames have somewhere to go.
  int master = -1, slave = -1;
  char name[128];
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  setenv("CORVANEQ5_COM78", name, 1);
  f_->comms->SetComNumber(78);
  f_->comms->SetOpen(true);
  f_->Notebook1->SetPageIndex(7);
  ECUConnected = true;
  Settings.LiveMapSave = true;
  LiveSpeedSite = 3;
  LiveLoadSite = 5;
  LiveCellValue[1] = 10;
  LiveCellTrim[1] = 2;
  LiveCellValue[2] = 50;
  LiveCellTrim[2] = 0;  // nothing to write for box 2
  MapSlots[1].InjectionTable[4][6] = 77;
  WORD key = VK_RETURN;
  f_->FormKeyDown(nullptr, key, {});
  EXPECT_EQ(MapSlots[1].IgnitionTable[4][6], 12);
  EXPECT_EQ(MapSlots[1].InjectionTable[4][6], 77);
  EXPECT_EQ(LiveCellTrim[1], 0);

  // A trim that would leave the item's range is kept and nothing is written.
  LiveCellValue[1] = 60;
  LiveCellTrim[1] = 1;
  key = VK_RETURN;  // the live page took the key before
  f_->FormKeyDown(nullptr, key, {});
  EXPECT_EQ(LiveCellTrim[1], 1);
  EXPECT_EQ(MapSlots[1].IgnitionTable[4][6], 12);

  // Items 3..6 redraw their additional table.
  LiveCellTrim[1] = 0;
  MapBoxItem1 = 3;
  LiveCellRow[3] = 2;
  LiveCellValue[3] = 100;
  LiveCellTrim[3] = 2;
  key = VK_RETURN;
  f_->FormKeyDown(nullptr, key, {});
  EXPECT_EQ(MapSlots[1].BoostDutyTable[4][3], 102);
  EXPECT_EQ(AdditionalMaps->BoostPWMTable->Cells(4, 3), "40.0");
  LiveCellRow[3] = 0;
  f_->comms->SetOpen(false);
  unsetenv("CORVANEQ5_COM78");
  close(master);
  close(slave);
}

// Reads what the port sent to the other end of a pseudo-terminal.
std::string Drain(int fd) {
  std::string got;
  char buf[256];
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, 200) > 0) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, static_cast<size_t>(n));
  }
  return got;
}

TEST_F(MainEditing, LiveEnterSendsTheCellFrame) {
  int master = -1, slave = -1;
  char name[128];
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  setenv("CORVANEQ5_COM77", name, 1);
  f_->comms->SetComNumber(77);
  f_->comms->SetOpen(true);
  f_->Notebook1->SetPageIndex(7);
  ECUConnected = true;
  Settings.LiveMapSave = false;
  ECUActiveMap = 2;
  LiveSpeedSite = 3;
  LiveLoadSite = 5;
  LiveCellValue[1] = 10;
  LiveCellTrim[1] = 2;
  const int16_t before = MapSlots[1].IgnitionTable[4][6];
  WORD key = VK_RETURN;
  f_->FormKeyDown(nullptr, key, {});
  EXPECT_EQ(Drain(master), std::string("\x24\x69\x1D\xC3\x07\x90\xFC", 7));
  EXPECT_EQ(MapSlots[1].IgnitionTable[4][6], before);  // not saved to the PC map

  // Without the live page's link nothing goes out.
  LiveCellTrim[1] = 2;
  ECUConnected = false;
  f_->FormKeyDown(nullptr, key, {});
  EXPECT_EQ(Drain(master), "");
  EXPECT_EQ(LiveCellTrim[1], 2);
  f_->comms->SetOpen(false);
  unsetenv("CORVANEQ5_COM77");
  close(master);
  close(slave);
}

}  // namespace
