// The data logger against the simulated ECU, as a tuner uses it: the automatic trigger
// logs about a minute of the engine warming up, the log is saved through the logger's
// "Data" menu, the program is closed and started again, and the log loaded back holds
// the same records and channels.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/MainWindowLink.h"
#include "platform/stdctrls/FileDialogs.h"
#include "gauges/AbLED.h"
#include "logger/AbPrtTrd.h"
#include "logger/AbTrend.h"
#include "logger/LoggerExport.h"
#include "logger/logger.h"
#include "config/DisplayUnits.h"
#include "link/LiveData.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/rtl/Numbers.h"
#include "model/ChannelFunctions.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Printer.h"
#include "tests/logger/XlsReader.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"

namespace e2e {
namespace {

constexpr int kCom = 44;

// Ten times the ECU's cadence: a fast packet every 10 ms, so the 600 fast packets of a
// minute of live data arrive in about six seconds.
ecusim::Timing Quick() {
  ecusim::Timing t;
  t.fastIntervalMs = 10;
  t.slowIntervalMs = 50;
  return t;
}

class LoggerLink : public MainWindowLink {
 protected:
  LoggerLink() : MainWindowLink(kCom, Quick()) {}

  void Prepare(ecusim::Ecu& e) override { e.State().slow.coolantTemp = 20; }

  // The engine warms up at ten times its pace (5 degC a second instead of 0.5) while its
  // speed sweeps 800..3800 rpm every three seconds.
  void RunEngine(std::chrono::steady_clock::time_point start) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    sim.With([&](ecusim::Ecu& e) {
      e.State().slow.coolantTemp = static_cast<int>(std::min<int64_t>(20 + ms / 200, 88));
      e.State().fast.rpm = static_cast<std::uint16_t>(800 + ms % 3000);
    });
  }

  // Channel 1 is the coolant; logging starts above 30 degC and stops above 59 degC: about
  // a minute of the engine warming up is logged.
  std::string IniText() override {
    return MainWindowLink::IniText() +
           "[Logger]\nCh1Lab=19\nCh2Lab=20\nEnabled=1\n"
           "[LoggerStart]\nChan=1\nOption=0\nValue=30\n"
           "[LoggerStop]\nChan=1\nOption=0\nValue=59\n";
  }

  void TearDown() override {
    MainWindowLink::TearDown();
    std::filesystem::remove_all(dir_);
    LoggingActive = false;
    LogNewDataShown = false;
    LoggerCaption = "Data Logger";
    LoggerSettings = TLoggerSettings();
  }

  // The engine warms up with the link up: the start trigger begins a log, the stop trigger
  // ends it. `started` tells whether the logger's lamp was on while it logged.
  void LogOneTriggeredRun(bool& started) {
    std::filesystem::create_directories(dir_);
    ASSERT_TRUE(LinkUp());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] {
      RunEngine(start);
      return LoggingActive;
    })) << "the start trigger never fired";
    started = f_->TimeLogLED->Checked();
    ASSERT_TRUE(PumpUntil([&] {
      RunEngine(start);
      return !LoggingActive;
    })) << "the stop trigger never fired";
  }

  void Menu(const char* item) { static_cast<TMenuItem*>(LoggerForm->FindComponent(item))->Click(); }

  std::filesystem::path dir_ = std::filesystem::temp_directory_path() / ("e2e-logger-" + std::to_string(getpid()));
};

TEST_F(LoggerLink, TriggeredLogSavedAndLoadedAfterARestart) {
  bool lamp = false;
  ASSERT_NO_FATAL_FAILURE(LogOneTriggeredRun(lamp));
  EXPECT_TRUE(lamp);
  EXPECT_FALSE(LoggerForm->DataPlotter->StartRecording());
  EXPECT_EQ(LoggerForm->Caption(), "Data Logger ...New Data!");

  const std::vector<TTrendRecord> logged = LoggerForm->DataPlotter->Records();
  // A record per fast packet: about 580 over the minute (fewer when the machine is busy).
  ASSERT_GT(logged.size(), 400u);
  // Coolant stored above -30 degC: from just over 30 degC to 59 degC, never down.
  EXPECT_GE(logged.front().Values[0], 60);
  EXPECT_GE(logged.back().Values[0], 88);
  EXPECT_LE(logged.back().Values[0], 90);
  for (size_t i = 1; i < logged.size(); ++i) {
    EXPECT_GE(logged[i].Values[0], logged[i - 1].Values[0]);
    EXPECT_GE(logged[i].Time, logged[i - 1].Time);
  }
  // Engine speed in rpm.
  EXPECT_GE(logged.back().Values[1], 800);

  const std::string file = (dir_ / "warmup.lg1").string();
  script.AnswerFile(file.c_str());
  Menu("Savetofile1");
  ASSERT_TRUE(std::filesystem::exists(file));
  ASSERT_TRUE(std::filesystem::exists((dir_ / "warmup.lg2").string()));

  // The program closes and starts again, with the settings it wrote at exit.
  script.Answer(mrOk);
  ASSERT_TRUE(f_->CloseQuery());
  DestroyWindows();
  LoggerSettings = TLoggerSettings();
  CreateProgramForms();
  f_ = R7Tform1;
  f_->SettingsFileName = ini_;
  f_->Show();
  ASSERT_TRUE(LinkUp());
  LoggerForm->StartRecording->SetChecked(false);  // no new logging while loading
  EXPECT_EQ(LoggerForm->DataPlotter->RecordCount(), 0);

  script.AnswerFile(file.c_str());
  Menu("LoadLogfile1");
  EXPECT_EQ(LoggerForm->DataPlotter->Records(), logged);
  EXPECT_EQ(LoggerForm->Chan1Lab->ItemIndex(), 19);
  EXPECT_EQ(LoggerForm->Chan2Lab->ItemIndex(), 20);
  EXPECT_EQ(LoggerForm->Caption(), ("Data log - " + (dir_ / "warmup.lg2").string()).c_str());
  EXPECT_EQ(script.Pending(), 0u);
}

// Reads a binary PPM (P6) image: width, height and RGB bytes.
bool ReadPpm(const std::string& path, int& w, int& h, std::vector<unsigned char>& rgb) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxval = 0;
  in >> magic >> w >> h >> maxval;
  in.get();
  if (magic != "P6" || w <= 0 || h <= 0 || maxval != 255) return false;
  rgb.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
  in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
  return static_cast<size_t>(in.gcount()) == rgb.size();
}

TEST_F(LoggerLink, LogPreviewedExportedToAWorkbookAndPrinted) {
  bool lamp = false;
  ASSERT_NO_FATAL_FAILURE(LogOneTriggeredRun(lamp));
  const std::vector<TTrendRecord> logged = LoggerForm->DataPlotter->Records();
  ASSERT_GT(logged.size(), 100u);
  LoggerSettings.ExportSamples = 100;

  // Data, Export/Print: the preview opens; "All" takes the whole log, "Excel File" saves
  // it, "Print" prints it to a PDF file, "Done" closes the window.
  const std::string xls = (dir_ / "warmup.xls").string();
  const std::string pdf = (dir_ / "warmup.pdf").string();
  int shownFrom = -1, shownTo = -1;
  script.AnswerForm([&](TForm& form) {
    auto& preview = dynamic_cast<TLoggerExportForm&>(form);
    preview.Button1->Click();
    shownFrom = preview.AbPrintTrend1->RecFrom();
    shownTo = preview.AbPrintTrend1->RecTo();
    preview.BitBtn3->Click();
    preview.BitBtn2->Click();
    preview.BitBtn1->Click();
  });
  script.AnswerFile(xls.c_str());
  script.AnswerPrint(pdf.c_str());
  Menu("ExportCSV1");
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(f_->SaveDialog1()->FileName, xls.c_str());  // the workbook went through the plain save dialog
  EXPECT_EQ(script.Count(ui::DialogKind::Print), 1);
  EXPECT_EQ(shownFrom, 0);
  EXPECT_EQ(shownTo, static_cast<int>(logged.size()));
  EXPECT_EQ(Printer()->Title(), "Corvane R7TQ log");

  // The workbook holds every record of the log, the first and the last among them.
  const xlsread::Workbook b = xlsread::ReadWorkbook(xls);
  XLS_REQUIRE_READER(b.Read, "python3-xlrd");
  ASSERT_EQ(b.Error, "");
  EXPECT_EQ(b.SheetNames, (std::vector<std::string>{"data log"}));
  EXPECT_EQ(b.Text(0, 2, 2), "Corvane R7TQ data log");
  EXPECT_EQ(b.Text(0, 4, 2), "100% data sample");
  // Each channel's cell holds the value as the log shows it, with the channel's decimals
  // (coil on time and injection times have two, injection duty one).
  for (size_t i = 0; i < logged.size(); ++i) {
    SCOPED_TRACE(i);
    const int row = 10 + static_cast<int>(i);
    EXPECT_DOUBLE_EQ(b.Number(0, row, 0), logged[i].Time);
    for (int n = 1; n <= 8; ++n) {
      const size_t f = static_cast<size_t>(LoggerSettings.Channels[n]);
      const int decimals = ChannelFunctionDecimals[f];
      const long digits = ChannelFunctionFrom[f] * std::lround(std::pow(10, decimals)) + logged[i].Values[static_cast<size_t>(n - 1)];
      char shown[32];
      std::snprintf(shown, sizeof shown, "%ld", digits);
      std::string text = shown;
      if (decimals > 0) {
        const bool minus = text[0] == '-';
        if (minus) text.erase(0, 1);
        while (text.size() <= static_cast<size_t>(decimals)) text.insert(0, "0");
        text.insert(text.size() - static_cast<size_t>(decimals), ".");
        if (minus) text.insert(0, "-");
      }
      EXPECT_NEAR(b.Number(0, row, n + 1), std::stod(text), 1e-9) << "channel " << n << " shows " << text;
    }
  }
  EXPECT_FALSE(b.Has(0, 10 + static_cast<int>(logged.size()), 0));

  // The printed page: landscape, white at its corner, the coolant trace in its colour.
  ASSERT_TRUE(std::filesystem::exists(pdf));
  const std::string prefix = (dir_ / "page").string();
  const int rc = std::system(("pdftoppm -r 60 '" + pdf + "' '" + prefix + "' 2>/dev/null").c_str());
  XLS_REQUIRE_READER(rc == 0, "pdftoppm (poppler-utils)");
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  ASSERT_TRUE(ReadPpm(prefix + "-1.ppm", w, h, rgb));
  EXPECT_GT(w, h);
  auto at = [&](int x, int y) { return &rgb[(static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 3]; };
  EXPECT_EQ(at(2, 2)[0] + at(2, 2)[1] + at(2, 2)[2], 3 * 255);
  const TColor c1 = LoggerForm->DataPlotter->Channel(1)->Color();
  const int r1 = c1 & 0xFF, g1 = (c1 >> 8) & 0xFF, b1 = (c1 >> 16) & 0xFF;
  int coolant = 0, dark = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const unsigned char* p = at(x, y);
      // A thin line is blended with the white page: its hue is what stays.
      const int dr = p[0] - r1, dg = p[1] - g1, db = p[2] - b1;
      if (std::abs(dr - dg) < 60 && std::abs(dg - db) < 60 && std::abs(dr - db) < 60 && p[0] + p[1] + p[2] < 3 * 250 &&
          !(p[0] == p[1] && p[1] == p[2]))
        ++coolant;
      if (p[0] < 80 && p[1] < 80 && p[2] < 80) ++dark;
    }
  EXPECT_GT(coolant, 50) << "no coolant trace on the page";
  EXPECT_GT(dark, 500) << "no frame, scales or text on the page";
}

// Logging by hand with the coolant at 88 degC and the air at 22 degC, the temperature
// unit is switched to degF through the "Display units" dialog while the log runs. Every
// sample, before and after the change, reads 190 degF and 72 degF: the records already
// logged are converted once, and the records that follow are taken in the new units from
// the first one on. The replay's read-out and the printed legend's extremes say the same.
class LoggerUnitsLink : public MainWindowLink {
 protected:
  LoggerUnitsLink() : MainWindowLink(45, Quick()) {}
  void Prepare(ecusim::Ecu& e) override {
    e.State().slow.coolantTemp = 88;
    e.State().slow.airTemp = 22;
  }
  std::string IniText() override {
    return MainWindowLink::IniText() +
           "[Units]\nTemperature=0\n[Logger]\nCh1Lab=19\nCh2Lab=2\nEnabled=1\n"
           "[LoggerStart]\nChan=0\n[LoggerStop]\nChan=0\n";
  }
  void TearDown() override {
    MainWindowLink::TearDown();
    LoggingActive = false;
    LogNewDataShown = false;
    LoggerCaption = "Data Logger";
    LoggerSettings = TLoggerSettings();
    FillChannelFunctions(Settings);
  }
  bool RecordsReach(size_t n) {
    return PumpUntil([&] { return LoggerForm->DataPlotter->Records().size() >= n; });
  }
};

TEST_F(LoggerUnitsLink, UnitsChangedWhileLoggingConvertEverySampleOnce) {
  ASSERT_TRUE(LinkUp());
  ASSERT_TRUE(PumpUntil([] { return LiveValues[19] > 87; }));  // a slow packet is in
  f_->TimeLogLED->Click();
  ASSERT_TRUE(LoggingActive);
  ASSERT_TRUE(RecordsReach(40));

  // The ECU pauses its stream for a moment, so that the first record after the change is
  // the trend's own (every 500 ms), of the sample it held.
  sim.SetStreaming(false);
  PumpUntil([] { return false; }, 60);
  script.AnswerForm([](TForm&) {
    UnitsForm->UnitsTemperature->SetItemIndex(1);
    UnitsForm->BitBtn1->Click();
  });
  static_cast<TMenuItem*>(f_->FindComponent("Displayunits1"))->Click();
  EXPECT_EQ(script.Pending(), 0u);
  const size_t atChange = LoggerForm->DataPlotter->Records().size();
  ASSERT_TRUE(RecordsReach(atChange + 1));
  sim.SetStreaming(true);
  // The fast packets, the slow ones and the trend's own records all go on.
  ASSERT_TRUE(RecordsReach(atChange + 80));
  f_->TimeLogLED->Click();
  ASSERT_FALSE(LoggingActive);

  TAbTrend* t = LoggerForm->DataPlotter;
  const std::vector<TTrendRecord>& records = t->Records();
  for (size_t i = 0; i < records.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "record " << i << (i < atChange ? " before" : " after") << " the change");
    EXPECT_EQ(records[i].Values[0], 190 + 22);  // degF above -22
    EXPECT_EQ(records[i].Values[1], 72 + 22);
  }
  EXPECT_FLOAT_EQ(t->CursorValue(1, records[atChange].Values[0]), 190.0f);
  ASSERT_TRUE(t->CalcMinMax(0, t->RecordCount() - 1));
  for (int ch : {1, 2}) {
    const TTrendMinMax& m = t->MinMaxValues()[static_cast<size_t>(ch - 1)];
    EXPECT_EQ(FormatFloat(t->Channel(ch)->ValueFormat(), t->CursorValue(ch, m.Min)), ch == 1 ? "190" : "72");
    EXPECT_EQ(FormatFloat(t->Channel(ch)->ValueFormat(), t->CursorValue(ch, m.Max)), ch == 1 ? "190" : "72");
  }
}

}  // namespace
}  // namespace e2e
