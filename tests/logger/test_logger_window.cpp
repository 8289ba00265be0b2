// The data logger window: its channels, the automatic trigger, and logs saved and loaded
// through its "Data" menu with the file dialog answered by the script.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "model/ChannelFunctions.h"
#include "controls/AdvSpin.h"
#include "gauges/AbLED.h"
#include "logger/AbTrend.h"
#include "files/LogFiles.h"
#include "logger/AbPrtTrd.h"
#include "logger/LoggerExport.h"
#include "logger/logger.h"
#include "LockHolder.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/FileDialogs.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/Printer.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Simulate.h"

namespace {

class LoggerWindow : public ProgramWindowsTest {
 protected:
  void SetUp() override {
    ProgramWindowsTest::SetUp();
    ShowMainWindow(script);
    l = LoggerForm;
    dir = std::filesystem::temp_directory_path() / ("logger-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    ProgramWindowsTest::TearDown();
    LoggingActive = false;
    LogNewDataShown = false;
    LoggerCaption = "Data Logger";
    LoggerSettings = TLoggerSettings();
    LiveValues.fill(0);
  }
  void Menu(const char* item) { static_cast<TMenuItem*>(l->FindComponent(item))->Click(); }
  std::string File(const char* name) { return (dir / name).string(); }
  void SetChannel(int n, int f) {
    l->ChannelCombo(n)->SetItemIndex(f);
    l->ApplyChannel(n);
  }
  // Records with every channel at `v`.
  void Fill(std::initializer_list<uint16_t> values) {
    l->DataPlotter->Clear();
    double t = 45000.25;
    for (uint16_t v : values) {
      TTrendRecord r;
      r.Time = (t += 0.001);
      r.Values.fill(v);
      l->DataPlotter->MutableRecords().push_back(r);
    }
  }

  // The logger shown with eight channels of different units and ranges (speed to 10000
  // rpm, times to 20.00 ms) over a log of 900 records.
  void ShowEightChannelLog() {
    const int functions[8] = {19, 20, 2, 18, 22, 26, 24, 27};
    for (int n = 1; n <= 8; ++n) SetChannel(n, functions[n - 1]);
    l->Show();
    std::vector<TTrendRecord> records;
    for (int i = 0; i < 900; ++i) {
      TTrendRecord r;
      r.Time = 46000.5 + i * 0.5 / 86400;
      const double t = i / 40.0;
      const double v[8] = {60 + i * 0.05, 3000 + 2500 * std::sin(t), 45 + 5 * std::sin(t / 3), 300 + 200 * std::cos(t),
                           30 + 20 * std::sin(t * 1.3), 500 + 400 * std::sin(t), 300 + 150 * std::cos(t / 2),
                           800 + 600 * std::sin(t / 1.5)};
      for (size_t k = 0; k < 8; ++k) r.Values[k] = static_cast<uint16_t>(std::max(0.0, v[k]));
      records.push_back(r);
    }
    l->DataPlotter->Clear();
    l->DataPlotter->AppendLoaded(records);
    Application->ProcessMessages();
  }

  ui::DialogScript script;
  TLoggerForm* l = nullptr;
  std::filesystem::path dir;
};

// "_Disabled" has the range 0..0: its samples are 0 and its read-out and plot divide by
// nothing. A range whose start equals the old end is still taken whole.
TEST_F(LoggerWindow, ChannelFunctionsSetRangesAndUnits) {
  SetChannel(1, 0);
  TChSettings* ch = l->DataPlotter->Channel(1);
  EXPECT_EQ(ch->DigitalFrom(), 0);
  EXPECT_EQ(ch->DigitalTo(), 0);
  LiveValues[0] = 123;
  l->DataPlotterInterval(l->DataPlotter);
  EXPECT_EQ(l->DataPlotter->CurrentSample()[0], 0);
  l->AbValueInd1->SetValue(5);
  l->DataPlotter->Redraw();

  SetChannel(2, 29);  // Lambda O2 0..1
  SetChannel(2, 39);  // TC_gear 1..8
  ch = l->DataPlotter->Channel(2);
  EXPECT_FLOAT_EQ(ch->ValueFrom(), 1);
  EXPECT_FLOAT_EQ(ch->ValueTo(), 8);
  EXPECT_EQ(ch->DigitalFrom(), 1);
  EXPECT_EQ(ch->DigitalTo(), 8);
  EXPECT_EQ(l->Chan2Unit->Caption(), "raw");
  EXPECT_EQ(LoggerSettings.Channels[2], 39);

  SetChannel(3, 27);  // Inj PW, 2 decimals
  EXPECT_EQ(l->DataPlotter->Channel(3)->DigitalTo(), 2000);
  EXPECT_EQ(l->DataPlotter->Channel(3)->ValueFormat(), "##0.00");
  LiveValues[27] = 3.21;
  l->DataPlotterInterval(l->DataPlotter);
  EXPECT_EQ(l->DataPlotter->CurrentSample()[2], 321);
}

// A trigger value above the function's range becomes half the range's width.
TEST_F(LoggerWindow, TriggerRowsFollowTheirChannel) {
  SetChannel(1, 34);  // Status Flags 0..65535
  l->StartChan->SetItemIndex(1);
  l->LoggerSSUpdate();
  l->StartVal->SetFloatValue(20000);
  SetChannel(1, 20);  // Engine Speed 0..10000
  EXPECT_EQ(l->StartLab->Caption(), "rpm");
  EXPECT_DOUBLE_EQ(LoggerSettings.StartValue, 5000);
  EXPECT_TRUE(l->StartLogic->Enabled());
  l->StartChan->SetItemIndex(0);
  l->LoggerSSUpdate();
  EXPECT_EQ(l->StartLab->Caption(), "");
  EXPECT_FALSE(l->StartVal->Enabled());
}

// The start row set to "User" from the keyboard: logic and value are disabled and look it
// (the value's box is no longer white); a channel enables them again.
TEST_F(LoggerWindow, UserTriggerChannelGreysOutLogicAndValue) {
  SetChannel(1, 20);
  l->Show();
  l->TabSet->SetTabIndex(1);
  l->TabSetClick(l->TabSet);
  l->StartChan->SetItemIndex(1);
  l->LoggerSSUpdate();
  auto valueBackground = [&] {
    Application->ProcessMessages();
    TBitmap shot;
    ui::GrabControl(l->StartVal, shot);
    return shot.Canvas()->Pixel(shot.Width() - 26, shot.Height() / 2);  // right of the text, left of the arrows
  };
  EXPECT_EQ(valueBackground(), clWhite);
  l->StartChan->SetFocus();
  ui::SimulateKey(l, "Home");
  ASSERT_EQ(l->StartChan->ItemIndex(), 0);
  EXPECT_FALSE(l->StartLogic->Enabled());
  EXPECT_FALSE(l->StartVal->Enabled());
  EXPECT_NE(valueBackground(), clWhite);
  ui::SimulateKey(l, "Down");
  ASSERT_EQ(l->StartChan->ItemIndex(), 1);
  EXPECT_TRUE(l->StartLogic->Enabled());
  EXPECT_TRUE(l->StartVal->Enabled());
  EXPECT_EQ(valueBackground(), clWhite);
  l->Hide();
}

TEST_F(LoggerWindow, AutomaticStartAndStop) {
  SetChannel(3, 19);  // coolant
  l->StartRecording->SetChecked(true);
  l->StartChan->SetItemIndex(3);
  l->StartLogic->SetItemIndex(0);
  l->StopChan->SetItemIndex(3);
  l->StopLogic->SetItemIndex(1);
  l->LoggerSSUpdate();
  l->StartVal->SetFloatValue(95.0);
  l->StopVal->SetFloatValue(90.0);
  struct Step {
    double coolant;
    bool logging;
  };
  const Step steps[] = {{95.0, false}, {95.1, true}, {92, true}, {89.9, false}, {96, true}};
  for (const Step& s : steps) {
    LiveValues[19] = s.coolant;
    f_->Timer2Timer(f_->Timer2);
    EXPECT_EQ(LoggingActive, s.logging) << s.coolant;
    EXPECT_EQ(l->DataPlotter->StartRecording(), s.logging) << s.coolant;
    EXPECT_EQ(f_->TimeLogLED->Checked(), s.logging) << s.coolant;
  }
  EXPECT_EQ(l->Caption(), "Data Logger ...New Data!");  // once, for two starts
  // Start and stop together: stop wins.
  l->StopLogic->SetItemIndex(0);
  l->LoggerSSUpdate();
  f_->Timer2Timer(f_->Timer2);
  EXPECT_FALSE(LoggingActive);
  // "Enabled" cleared while logging stops the recorder and the lamp.
  l->StopChan->SetItemIndex(0);
  l->LoggerSSUpdate();
  f_->Timer2Timer(f_->Timer2);
  ASSERT_TRUE(LoggingActive);
  l->StartRecording->SetChecked(false);
  EXPECT_FALSE(LoggingActive);
  EXPECT_FALSE(l->DataPlotter->StartRecording());
  EXPECT_FALSE(f_->TimeLogLED->Checked());
}

TEST_F(LoggerWindow, SavedLogLoadsBackWithItsChannels) {
  for (int n = 1; n <= 8; ++n) SetChannel(n, 10 + n);
  Fill({1, 2, 3, 400});
  const auto saved = l->DataPlotter->Records();
  script.AnswerFile(File("run.lg1").c_str());
  Menu("Savetofile1");
  EXPECT_EQ(l->Caption(), ("Data logger - " + File("run.lg2")).c_str());
  // The channel file's name is left in the dialog, as its file name.
  EXPECT_EQ(f_->SaveDialog1()->FileName, File("run.lg2").c_str());
  std::ifstream in(File("run.lg2"), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.substr(0, 12), "[chan1]\r\n11\r");
  EXPECT_EQ(std::filesystem::file_size(File("run.lg1")), 4u * 24);

  // Saving over it asks first; No keeps the file.
  script.AnswerFile(File("run.lg1").c_str()).Answer(mrNo);
  Menu("Savetofile1");
  EXPECT_NE(script.Last().Text.find("run.lg1) already exists!, Overwrite it?"), AnsiString::npos);

  for (int n = 1; n <= 8; ++n) SetChannel(n, 0);
  Fill({9});
  script.AnswerFile(File("run.lg1").c_str());
  Menu("LoadLogfile1");
  EXPECT_EQ(l->DataPlotter->Records(), saved);
  for (int n = 1; n <= 8; ++n) EXPECT_EQ(l->ChannelCombo(n)->ItemIndex(), 10 + n);
  EXPECT_EQ(l->Caption(), ("Data log - " + File("run.lg2")).c_str());
}

// A log saved in degF loads under degC with its temperatures converted.
TEST_F(LoggerWindow, LoadConvertsToTheUnitsNowChosen) {
  SetChannel(1, 19);
  Fill({176});
  const std::array<int32_t, 9> channels{0, 19, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(l->DataPlotter->SaveToFile(File("f.lg1").c_str()), 0);
  std::ofstream(File("f.lg2"), std::ios::binary) << FormatLogDescription(channels, 1, 1, 0, 0, 0).c_str();
  Settings.TemperatureUnit = 0;
  script.AnswerFile(File("f.lg1").c_str());
  Menu("LoadLogfile1");
  ASSERT_EQ(l->DataPlotter->RecordCount(), 1);
  EXPECT_EQ(l->DataPlotter->Records()[0].Values[0], 98);
  EXPECT_EQ(l->DataPlotter->Records()[0].Values[1], 176);  // "_Disabled" is left alone
}

// A load that cannot succeed says so and leaves the log on screen as it was.
TEST_F(LoggerWindow, FailedLoadKeepsTheLog) {
  SetChannel(1, 20);
  Fill({5, 6, 7});
  const auto before = l->DataPlotter->Records();
  ASSERT_EQ(l->DataPlotter->SaveToFile(File("a.lg1").c_str()), 0);
  std::ofstream(File("a.lg2")) << "[chan1]\n20\n";
  std::ofstream(File("a.lg1"), std::ios::binary | std::ios::app) << std::string(24, '\xFF');  // no date-time
  std::filesystem::copy_file(File("a.lg2"), File("b.lg2"));
  ASSERT_EQ(l->DataPlotter->SaveToFile(File("b.lg1").c_str()), 0);
  std::filesystem::remove(File("b.lg2"));
  ASSERT_EQ(l->DataPlotter->SaveToFile(File("c.lg1").c_str()), 0);
  std::ofstream(File("c.lg2")) << "[chan1]\n99\n";
  const struct {
    const char* file;
    const char* message;
  } cases[] = {{"a.lg1", "Cannot load file!"},
               {"b.lg1", "The channel file b.lg2 of this log cannot be read"},
               {"c.lg1", "The channel file c.lg2 is damaged"},
               {"none.lg1", "Cannot load file!"}};
  LoggingActive = true;
  for (const auto& c : cases) {
    script.AnswerFile(File(c.file).c_str()).Answer(mrAbort);
    Menu("LoadLogfile1");
    EXPECT_EQ(script.Last().Text.find(c.message), 0u) << c.file << ": " << script.Last().Text.c_str();
    EXPECT_EQ(l->DataPlotter->Records(), before) << c.file;
    EXPECT_EQ(l->ChannelCombo(1)->ItemIndex(), 20);
    EXPECT_TRUE(LoggingActive);
  }
}

// A log cut short loads its whole records, a log longer than the trend holds loads what it
// holds; either way the window says what was left out.
TEST_F(LoggerWindow, LoadSaysWhatWasLeftOut) {
  SetChannel(1, 20);
  Fill({});
  for (int i = 0; i < 102; ++i) {
    TTrendRecord r;
    r.Time = 45000.25 + i * 0.001;
    l->DataPlotter->MutableRecords().push_back(r);
  }
  const auto all = l->DataPlotter->Records();
  ASSERT_EQ(l->DataPlotter->SaveToFile(File("a.lg1").c_str()), 0);
  std::ofstream(File("a.lg2")) << "[chan1]\n20\n";
  std::filesystem::resize_file(File("a.lg1"), 102 * 24 - 7);
  const int oldMax = l->DataPlotter->MaxRecords();
  struct Case { int max; size_t loaded; const char* message; } cases[] = {
      {oldMax, 101, "The last record of a.lg1 is cut short (17 bytes) and was left out."},
      {100, 100,
       "The log holds more records than the logger can show: the first 100 were loaded, the last 1 were left "
       "out.\r\nThe last record of a.lg1 is cut short (17 bytes) and was left out."}};
  for (const Case& c : cases) {
    l->DataPlotter->SetMaxRecords(c.max);
    script.AnswerFile(File("a.lg1").c_str()).Answer(mrOk);
    Menu("LoadLogfile1");
    EXPECT_EQ(script.Last().Text, c.message);
    ASSERT_EQ(l->DataPlotter->Records().size(), c.loaded);
    EXPECT_EQ(l->DataPlotter->Records().back().Time, all[c.loaded - 1].Time);
  }
  l->DataPlotter->SetMaxRecords(oldMax);
}

// The records and their channel file are replaced together or not at all, and the message
// gives the reason.
TEST_F(LoggerWindow, LogSavedAsAPairOrNotAtAll) {
  SetChannel(1, 20);
  Fill({1, 2});
  script.AnswerFile(File("run.lg1").c_str());
  Menu("Savetofile1");
  const auto size = std::filesystem::file_size(File("run.lg1"));
  const std::string lg2 = [&] {
    std::ifstream in(File("run.lg2"), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }();
  Fill({7, 8, 9});
  std::filesystem::create_directory(File("dir.lg2"));
  struct Case { const char* file; std::function<void()> prepare, undo; const char* reason; } cases[] = {
      {"dir.lg1", [] {}, [] {}, "dir.lg2\". It is not a regular file but a folder."},
      {"run.lg1", [&] { std::filesystem::permissions(File("run.lg2"), std::filesystem::perms::owner_read); },
       [&] { std::filesystem::permissions(File("run.lg2"), std::filesystem::perms::owner_all); }, "Permission denied"}};
  for (const Case& c : cases) {
    c.prepare();
    // Refused before the question whether to replace the records file.
    script.AnswerFile(File(c.file).c_str());
    script.Answer(mrAbort);
    Menu("Savetofile1");
    c.undo();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(script.Last().Text.find("Error saving log file\r\n"), 0u) << script.Last().Text.c_str();
    EXPECT_NE(script.Last().Text.find(c.reason), AnsiString::npos) << script.Last().Text.c_str();
  }
  EXPECT_FALSE(std::filesystem::exists(File("dir.lg1")));
  EXPECT_EQ(std::filesystem::file_size(File("run.lg1")), size);
  std::ifstream in(File("run.lg2"), std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), lg2);
  for (const auto& e : std::filesystem::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

// The channel file of the pair held by another program (a record lock, a whole-file lock,
// or open for writing): the save is refused before anything is asked or written, and
// neither file of the pair changes.
TEST_F(LoggerWindow, APairWhoseChannelFileAnotherProgramHoldsIsNotSaved) {
  SetChannel(1, 20);
  Fill({1, 2});
  script.AnswerFile(File("held.lg1").c_str());
  Menu("Savetofile1");
  auto read = [&](const char* name) {
    std::ifstream in(File(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  const std::string lg1 = read("held.lg1"), lg2 = read("held.lg2");
  ASSERT_FALSE(lg1.empty());
  Fill({7, 8, 9});
  using testhelp::LockHolder;
  for (LockHolder::Kind how : {LockHolder::FcntlWrite, LockHolder::FlockExclusive, LockHolder::OpenForWriting}) {
    SCOPED_TRACE(how);
    auto holder = std::make_unique<LockHolder>(File("held.lg2"), how);
    ASSERT_TRUE(holder->Locked());
    script.AnswerFile(File("held.lg1").c_str());
    script.Answer(mrAbort);
    Menu("Savetofile1");
    holder.reset();
    EXPECT_EQ(script.Pending(), 0u) << "no question about replacing the records";
    EXPECT_EQ(script.Last().Text.find("Error saving log file\r\n"), 0u) << script.Last().Text.c_str();
    EXPECT_NE(script.Last().Text.find("held.lg2\". It is in use by another program."), AnsiString::npos)
        << script.Last().Text.c_str();
    EXPECT_EQ(read("held.lg1"), lg1);
    EXPECT_EQ(read("held.lg2"), lg2);
  }
  // Let go, the pair is saved again.
  script.AnswerFile(File("held.lg1").c_str()).Answer(mrYes);
  Menu("Savetofile1");
  EXPECT_NE(read("held.lg1"), lg1);
  for (const auto& e : std::filesystem::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

// Printing the log to a PDF file another program holds: taken as the page is finished,
// after the print dialog closed (a whole-file lock, a record lock), or held before the print
// starts. The preview says why, in the words every save uses, and the file keeps its bytes.
TEST_F(LoggerWindow, APdfFileAnotherProgramHoldsIsNotPrintedOver) {
  Fill({1, 2, 3});
  const std::string pdf = File("held.pdf");
  { std::ofstream(pdf, std::ios::binary) << "%PDF-1.4 old"; }
  using testhelp::LockHolder;
  struct Case {
    LockHolder::Kind how;
    bool takenAtTheEnd;
  } cases[] = {{LockHolder::FlockExclusive, true}, {LockHolder::FcntlWrite, true}, {LockHolder::FlockExclusive, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.how << (c.takenAtTheEnd ? " at the end" : " before"));
    std::unique_ptr<LockHolder> holder;
    if (!c.takenAtTheEnd) holder = std::make_unique<LockHolder>(pdf, c.how);
    script.AnswerForm([&](TForm& form) {
      TAbPrintTrend& p = *dynamic_cast<TLoggerExportForm&>(form).AbPrintTrend1;
      const TNotifyEvent was = p.OnBeforeEndDoc;
      p.OnBeforeEndDoc = [&](TObject*) {
        if (c.takenAtTheEnd) holder = std::make_unique<LockHolder>(pdf, c.how);
      };
      script.AnswerPrint(pdf.c_str()).Answer(mrOk);
      dynamic_cast<TLoggerExportForm&>(form).BitBtn2->Click();  // "Print"
      p.OnBeforeEndDoc = was;
      form.SetModalResult(mrOk);
    });
    Menu("ExportCSV1");
    ASSERT_TRUE(holder && holder->Locked());
    holder.reset();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(script.Last().Text,
              "The log could not be printed.\r\nCannot create file \"" + pdf + "\". It is in use by another program.");
    std::ifstream in(pdf, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "%PDF-1.4 old");
  }
  for (const auto& e : std::filesystem::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
  Printer()->SetOutputFileName("");
}

TEST_F(LoggerWindow, ClearAsksFirst) {
  Fill({1, 2, 3});
  script.Answer(mrCancel);
  Menu("RetrievefromECU1");
  EXPECT_EQ(l->DataPlotter->RecordCount(), 3);
  script.Answer(mrOk);
  Menu("RetrievefromECU1");
  EXPECT_EQ(script.Last().Text, kLogClearQuestion);
  EXPECT_EQ(l->DataPlotter->RecordCount(), 0);
  EXPECT_EQ(l->Caption(), "Data Logger");
}

}  // namespace

namespace {

// With LOGGER_SHOTS=<folder>, the logger window with a trend of eight channels is saved as
// pictures of both pages (for a look under a real window system; LOGGER_LINGER=<seconds>
// keeps it open).
TEST_F(LoggerWindow, Picture) {
  const char* dir = std::getenv("LOGGER_SHOTS");
  if (dir == nullptr) GTEST_SKIP() << "LOGGER_SHOTS not set";
  const int functions[8] = {19, 20, 2, 18, 22, 26, 24, 27};
  for (int n = 1; n <= 8; ++n) SetChannel(n, functions[n - 1]);
  l->Show();
  l->DataPlotter->Clear();
  std::vector<TTrendRecord> records;
  for (int i = 0; i < 900; ++i) {
    TTrendRecord r;
    r.Time = 46000.5 + i * 0.5 / 86400;
    if (i >= 400 && i < 405) r.Time = 0;
    const double t = i / 40.0;
    const double v[8] = {60 + i * 0.05, 3000 + 2500 * std::sin(t), 45 + 5 * std::sin(t / 3), 300 + 200 * std::cos(t),
                         30 + 20 * std::sin(t * 1.3), 500 + 400 * std::sin(t), 300 + 150 * std::cos(t / 2),
                         800 + 600 * std::sin(t / 1.5)};
    for (size_t k = 0; k < 8; ++k) r.Values[k] = static_cast<uint16_t>(std::max(0.0, v[k]));
    if (r.Time == 0) r.Values = records.back().Values;
    records.push_back(r);
  }
  l->DataPlotter->AppendLoaded(records);
  Application->ProcessMessages();
  const TRect p = l->DataPlotter->PlotRect();
  l->DataPlotter->MouseMove({}, p.Left + 300, p.Top + 40);
  Application->ProcessMessages();
  ui::GrabToPng(l, AnsiString(dir) + "/logger.png");
  if (const char* linger = std::getenv("LOGGER_LINGER")) {
    for (int i = 0; i < std::atoi(linger) * 50; ++i) {
      Application->ProcessMessages();
      usleep(20000);
    }
  }
  l->TabSet->SetTabIndex(1);
  l->TabSetClick(l->TabSet);
  // The start row on "User": its logic and value are greyed out.
  l->StartChan->SetItemIndex(0);
  l->LoggerSSUpdate();
  Application->ProcessMessages();
  ui::GrabToPng(l, AnsiString(dir) + "/logger-options.png");
}

// The texts of the preview's scales and time scale never run into each other: not at the
// window's own size, not in a larger window, not on the printed page (a PDF file); and the
// channel's colour box over the bottom line takes no scale's lowest label.
TEST_F(LoggerWindow, PreviewAndPrintedScalesKeepTheirTextsApart) {
  ShowEightChannelLog();
  auto overlaps = [](const TAbPrintTrend& p) {
    std::vector<TRect> all = p.ScaleTextRects();
    const std::vector<TRect>& times = p.TimeTextRects();
    all.insert(all.end(), times.begin(), times.end());
    std::string out;
    for (size_t a = 0; a < all.size(); ++a)
      for (size_t b = a + 1; b < all.size(); ++b)
        if (all[a].Left < all[b].Right && all[b].Left < all[a].Right && all[a].Top < all[b].Bottom &&
            all[b].Top < all[a].Bottom)
          out += " " + std::to_string(a) + "/" + std::to_string(b);
    return out;
  };
  const std::string pdf = File("log.pdf");
  // The channels whose scale shows its lowest label.
  auto lowest = [](const TAbPrintTrend& p) {
    const int steps = LoggerForm->DataPlotter->GridYSteps();
    int n = 0;
    for (const auto& t : p.ScaleTextPlaces()) n += t.Line == steps && !t.Tag;
    return n;
  };
  struct Seen {
    size_t scaleTexts = 0, timeTexts = 0;
    std::string overlaps;
    int lowest = 0;
  } own, large, printed;
  script.AnswerForm([&](TForm& form) {
    auto& preview = dynamic_cast<TLoggerExportForm&>(form);
    preview.Button1->Click();  // "All"
    Application->ProcessMessages();
    TAbPrintTrend& p = *preview.AbPrintTrend1;
    own = {p.ScaleTextRects().size(), p.TimeTextRects().size(), overlaps(p), lowest(p)};
    form.SetClientSize(1000, 700);
    Application->ProcessMessages();
    large = {p.ScaleTextRects().size(), p.TimeTextRects().size(), overlaps(p), lowest(p)};
    script.AnswerPrint(pdf.c_str());
    preview.BitBtn2->Click();  // "Print"
    printed = {p.ScaleTextRects().size(), p.TimeTextRects().size(), overlaps(p), lowest(p)};
    form.SetModalResult(mrOk);
  });
  Menu("ExportCSV1");
  for (const Seen* seen : {&own, &large, &printed}) {
    // Each of the eight scales keeps at least its tag, unit and two labels; six time labels
    // of two lines each.
    EXPECT_GE(seen->scaleTexts, 8u * 4);
    EXPECT_EQ(seen->timeTexts, 12u);
    EXPECT_EQ(seen->overlaps, "");
    EXPECT_EQ(seen->lowest, 8);
  }
  EXPECT_TRUE(std::filesystem::exists(pdf));
  if (const char* shots = std::getenv("LOGGER_SHOTS"))
    std::filesystem::copy_file(pdf, std::filesystem::path(shots) / "log.pdf", std::filesystem::copy_options::overwrite_existing);
}

// The log preview window over a log of 900 records (LOGGER_SHOTS=<folder> writes its
// picture at its own size and larger).
TEST_F(LoggerWindow, PreviewPicture) {
  const char* dir = std::getenv("LOGGER_SHOTS");
  if (dir == nullptr) GTEST_SKIP() << "LOGGER_SHOTS not set";
  ShowEightChannelLog();
  script.AnswerForm([&](TForm& form) {
    auto& preview = dynamic_cast<TLoggerExportForm&>(form);
    preview.Button1->Click();
    Application->ProcessMessages();
    ui::GrabToPng(&form, AnsiString(dir) + "/preview.png");
    form.SetClientSize(1000, 700);
    Application->ProcessMessages();
    ui::GrabToPng(&form, AnsiString(dir) + "/preview-large.png");
    if (const char* linger = std::getenv("LOGGER_LINGER")) {
      for (int i = 0; i < std::atoi(linger) * 50; ++i) {
        Application->ProcessMessages();
        usleep(20000);
      }
    }
    form.SetModalResult(mrOk);
  });
  Menu("ExportCSV1");
}

}  // namespace
