// The log preview ("Data", "Export/Print" of the logger) and the logger's scroll bar under a
// real window manager, on screens of 1024x768 and 1600x1000: the preview's text is never
// smaller than the text of a page shown at its size on the screen, and grows with a page
// larger than that; clicking beside the scroll bar's thumb moves the plot
// by the part of the log it shows. With CQ5_SCREENSHOT_DIR set, the windows are captured
// from the screen for a look by eye.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "InkRuns.h"
#include "LockHolder.h"
#include "app/Main.h"
#include "app/MainWindows.h"
#include "logger/AbPrtTrd.h"
#include "logger/AbTrend.h"
#include "logger/LoggerExport.h"
#include "logger/logger.h"
#include "model/ChannelFunctions.h"
#include "model/Settings.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/ScrollCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/stdctrls/Printer.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Simulate.h"
#include "x11/XSession.h"

namespace {

using x11test::PumpFor;

class LoggerPreview : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    std::string missing;
    if (!x_.Start(missing, GetParam())) GTEST_SKIP() << "needs " << missing;
    Application->Initialize();
    CreateProgramForms();
    FillChannelFunctions(Settings);
    const int functions[8] = {19, 20, 2, 18, 22, 26, 24, 27};
    for (int n = 1; n <= 8; ++n) LoggerSettings.Channels[n] = functions[n - 1];
    ShowLoggerSettings();
    RefreshLoggerChannels();
    std::vector<TTrendRecord> records;
    for (int i = 0; i < 3000; ++i) {
      TTrendRecord r;
      r.Time = 46000.5 + i * 0.5 / 86400;
      const double t = i / 40.0;
      const double v[8] = {60 + i * 0.01, 3000 + 2500 * std::sin(t), 45 + 5 * std::sin(t / 3), 300 + 200 * std::cos(t),
                           30 + 20 * std::sin(t * 1.3), 500 + 400 * std::sin(t), 300 + 150 * std::cos(t / 2),
                           800 + 600 * std::sin(t / 1.5)};
      for (size_t k = 0; k < 8; ++k) r.Values[k] = static_cast<uint16_t>(std::max(0.0, v[k]));
      records.push_back(r);
    }
    LoggerForm->DataPlotter->SetStartRecording(false);
    LoggerForm->DataPlotter->Clear();
    LoggerForm->DataPlotter->AppendLoaded(records);
  }

  void TearDown() override {
    for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
    Application->ProcessMessages();
    LoggerSettings = TLoggerSettings();
  }

  void Shot(const std::string& name) {
    const char* dir = std::getenv("CQ5_SCREENSHOT_DIR");
    if (dir == nullptr) return;
    PumpFor(200);
    std::system(("import -window root '" + std::string(dir) + "/" + name + "-" + GetParam() + ".png' 2>/dev/null").c_str());
  }

  x11test::XSession x_;
  ui::DialogScript script;
};

// The preview's text height in pixels and the page's width, as the window shows them.
struct PreviewText {
  int text = 0, caption = 0, page = 0;
};

PreviewText Measure(TAbPrintTrend& p) {
  const double s = p.PreviewTextScale();
  const double px = p.FontSize() * p.LogPixelScreen() / 254.0;
  const double cap = p.FontSizeCaption() * p.LogPixelScreen() / 254.0;
  return {static_cast<int>(std::lrint(std::lrint(px) * s)), static_cast<int>(std::lrint(std::lrint(cap) * s)),
          static_cast<int>(std::lrint(p.PixelWidth() * p.PreviewZoom()))};
}

TEST_P(LoggerPreview, TextGrowsWithThePageAndStaysLegible) {
  LoggerForm->Show();
  PumpFor(200);
  PreviewText own, maximised;
  script.AnswerForm([&](TForm& form) {
    auto& preview = dynamic_cast<TLoggerExportForm&>(form);
    preview.Button1->Click();  // "All"
    PumpFor(300);
    own = Measure(*preview.AbPrintTrend1);
    Shot("preview");
    form.SetWindowState(wsMaximized);
    x11test::PumpUntil([&] { return form.Width() > 900; }, 3000);
    PumpFor(300);
    maximised = Measure(*preview.AbPrintTrend1);
    Shot("preview-maximised");
    preview.BitBtn1->Click();  // "Done"
  });
  static_cast<TMenuItem*>(LoggerForm->FindComponent("ExportCSV1"))->Click();
  EXPECT_EQ(script.Pending(), 0u);
  // 2.6 mm text at 96 dots an inch is 10 pixels: the least a preview shows.
  EXPECT_GE(own.text, 10);
  EXPECT_GE(own.caption, 19);
  EXPECT_GT(maximised.page, own.page);
  // A maximised window on the larger screen shows more than a 270 mm page would take on
  // the screen: its text is larger in proportion.
  if (std::string(GetParam()).rfind("1600", 0) == 0)
    EXPECT_GT(maximised.text, own.text);
  else
    EXPECT_GE(maximised.text, own.text);
}

TEST_P(LoggerPreview, ScrollBarPagesThroughTheLog) {
  LoggerForm->Show();
  PumpFor(300);
  TScrollBar* bar = LoggerForm->ScrollBar1;
  TAbTrend* t = LoggerForm->DataPlotter;
  LoggerForm->DataPlotterRecNoChanged(t);
  const int page = t->PlotRect().Right - t->PlotRect().Left;
  EXPECT_EQ(bar->PageSize(), page);
  // The thumb is the shown part of the 3000 records, within the rounding of a pixel.
  const int track = bar->Width() - 2 * bar->ArrowSize();
  const TRect thumb = bar->ThumbRect();
  EXPECT_NEAR(thumb.Right - thumb.Left, track * page / 3001.0, 1.0);
  Shot("logger");
  // A click in the track left of the thumb moves the plot a page back and unties it from
  // the newest record; one right of the thumb a page on again.
  const int at = bar->Position();
  ASSERT_GT(at, page);
  ui::SimulateClick(bar, thumb.Left - 5, bar->Height() / 2);
  PumpFor(100);
  EXPECT_FALSE(LoggerForm->Scroll->Checked());
  EXPECT_EQ(bar->Position(), at - page);
  EXPECT_EQ(t->RecordInfo().FirstDisplayedRec, at - page);
  ui::SimulateClick(bar, bar->ThumbRect().Right + 5, bar->Height() / 2);
  PumpFor(100);
  EXPECT_EQ(bar->Position(), at);
  EXPECT_EQ(t->RecordInfo().FirstDisplayedRec, at);
  Shot("logger-paged");
}

// The plot's scale headings ("°C Ch1" and the like over each scale) as the window shows
// them: above the second label each scale column holds two runs of ink rows, the
// heading's and the top label's, with at least one blank row between.
TEST_P(LoggerPreview, ScaleHeadingsStandClearAboveTheirTopLabels) {
  LoggerForm->Show();
  PumpFor(300);
  TAbTrend* t = LoggerForm->DataPlotter;
  TBitmap shot;
  ui::GrabControl(t, shot);
  Shot("logger-scales");
  const TRect p = t->PlotRect();
  const int text_h = t->Image()->Canvas()->TextHeight("0");
  const int second_label = p.Top + (p.Bottom - p.Top - 1) / t->GridYSteps() - text_h / 2;
  const int edge = t->BevelOuter()->TotalWidth();
  for (bool left : {true, false}) {
    const int from = left ? edge : p.Right + 4, to = left ? p.Left - 4 : shot.Width() - edge;
    const auto runs = InkRuns(shot, from, to, edge, second_label);
    ASSERT_EQ(runs.size(), 2u) << (left ? "left" : "right");
    EXPECT_LT(runs[0].second + 1, runs[1].first);
    EXPECT_LE(runs[1].first, p.Top);
  }
}

// Printing the log to a file through the real print dialog: an output file that is a named
// pipe is refused at once in the program's words and the dialog stays open (the program never
// waits for a reader of the pipe); a regular file named next gets the printed log.
TEST(LoggerPrint, APipeAsOutputFileIsRefusedAtOnceAndThePrintDialogStaysOpen) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  CreateProgramForms();
  namespace fs = std::filesystem;
  char tmpl[] = "/tmp/cq5-print-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path root = tmpl;
  const std::string fifo = (root / "pipe.pdf").string(), good = (root / "log.pdf").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  auto active = [] { return x11test::Output("xdotool getactivewindow getwindowname 2>/dev/null"); };
  auto waitActive = [&](const std::string& title, int ms) {
    for (int i = 0; i < ms / 20; ++i) {
      if (active() == title) return true;
      sleep(20);
    }
    return false;
  };
  auto xdo = [](const std::string& args) { std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()); };
  auto typeOutputFile = [&](const std::string& name) {
    xdo("key alt+f");
    sleep(200);
    xdo("key ctrl+a");
    xdo("type --delay 5 '" + name + "'");
    sleep(300);
    xdo("key alt+p");
  };

  std::atomic<bool> refusedInTime{false}, keptOpen{false}, pipeOpened{false};
  std::thread user([&] {
    if (!waitActive("Print", 10000)) return;
    sleep(300);
    typeOutputFile(fifo);
    // The answer comes at once; a program stuck opening the pipe would only go on once a
    // reader appears, which this guard gives it after a few seconds so the test never hangs.
    refusedInTime = waitActive("Print to file", 1000);
    if (!refusedInTime && !waitActive("Print to file", 3000)) {
      pipeOpened = true;
      const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
      sleep(1000);
      if (fd >= 0) ::close(fd);
    }
    if (const char* dir = std::getenv("CQ5_SCREENSHOT_DIR")) {
      std::atomic<bool> shot{false};
      const std::string file = std::string(dir) + "/print-pipe-refused.png";
      ui::RunOnGuiThread([&] {
        ui::GrabScreenToPng(file.c_str());
        shot = true;
      });
      for (int i = 0; i < 100 && !shot; ++i) sleep(20);
    }
    xdo("key Return");
    keptOpen = waitActive("Print", 2000);
    typeOutputFile(good);
    for (int i = 0; i < 40 && (active() == "Print" || active() == "Print to file"); ++i) {
      sleep(200);
      if (i == 20) xdo("key Escape");
    }
  });
  LoggerExportForm->Show();
  LoggerExportForm->BitBtn2->Click();  // "Print"
  user.join();

  EXPECT_TRUE(refusedInTime) << "the pipe was refused within a second";
  EXPECT_FALSE(pipeOpened) << "the program waited for a reader of the pipe";
  EXPECT_TRUE(keptOpen) << "the print dialog stays open after the refusal";
  std::ifstream pdf(good, std::ios::binary);
  std::string head(4, '\0');
  pdf.read(head.data(), 4);
  EXPECT_EQ(head, "%PDF") << "the log printed to the regular file named next";
  EXPECT_TRUE(fs::is_fifo(fifo)) << "the pipe is left as it was";
  Printer()->SetOutputFileName("");
  for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
  Application->ProcessMessages();
  fs::remove_all(root);
}

// Printing the log to a PDF file another program holds, through the real print dialog: a
// file held (a whole-file lock) when it is named is refused in the program's words before
// the dialog asks whether to overwrite it, and the dialog stays open; a file taken while
// the dialog asks, answered "Yes", is not printed over either: the print says why. The
// file keeps its bytes.
TEST(LoggerPrint, APdfFileAnotherProgramHoldsIsNeverPrintedOver) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  CreateProgramForms();
  namespace fs = std::filesystem;
  char tmpl[] = "/tmp/cq5-print-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path root = tmpl;
  const std::string held = (root / "held.pdf").string();
  { std::ofstream(held, std::ios::binary) << "%PDF-1.4 old"; }
  auto sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  auto active = [] { return x11test::Output("xdotool getactivewindow getwindowname 2>/dev/null"); };
  auto waitFor = [&](const std::function<bool()>& done, int ms) {
    for (int i = 0; i < ms / 20; ++i) {
      if (done()) return true;
      sleep(20);
    }
    return false;
  };
  auto waitActive = [&](const std::string& title, int ms) { return waitFor([&] { return active() == title; }, ms); };
  auto xdo = [](const std::string& args) { std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()); };
  auto typeOutputFile = [&](const std::string& name) {
    xdo("key alt+f");
    sleep(200);
    xdo("key ctrl+a");
    xdo("type --delay 5 '" + name + "'");
    sleep(300);
    xdo("key alt+p");
  };
  auto shot = [](const std::string& name) {
    const char* dir = std::getenv("CQ5_SCREENSHOT_DIR");
    if (dir == nullptr) return;
    std::atomic<bool> done{false};
    const std::string file = std::string(dir) + "/" + name + ".png";
    ui::RunOnGuiThread([&] {
      ui::GrabScreenToPng(file.c_str());
      done = true;
    });
    for (int i = 0; i < 100 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  };
  // The dialog and the question it asks over it carry the same title.
  auto printWindows = [] { return x11test::Output("xdotool search --onlyvisible --name '^Print$' 2>/dev/null | wc -l"); };

  using testhelp::LockHolder;
  std::unique_ptr<LockHolder> holder;
  std::atomic<bool> refused{false}, keptOpen{false}, asked{false}, told{false};
  std::thread user([&] {
    if (!waitActive("Print", 10000)) return;
    sleep(300);
    holder = std::make_unique<LockHolder>(held, LockHolder::FlockExclusive);
    typeOutputFile(held);
    refused = waitActive("Print to file", 5000);
    shot("print-held-refused");
    xdo("key Return");
    keptOpen = waitActive("Print", 3000) && printWindows() == "1";
    holder.reset();
    typeOutputFile(held);
    asked = waitFor([&] { return printWindows() == "2"; }, 5000);
    if (asked) {
      holder = std::make_unique<LockHolder>(held, LockHolder::FlockExclusive);
      shot("print-overwrite-asked");
      xdo("key alt+y");
      told = waitActive("Error", 10000);
      shot("print-held-told");
      xdo("key Return");
    }
    for (int i = 0; i < 40 && (active() == "Print" || active() == "Print to file" || active() == "Error"); ++i) {
      sleep(200);
      if (i % 10 == 9) xdo("key Escape");
    }
  });
  LoggerExportForm->Show();
  LoggerExportForm->BitBtn2->Click();  // "Print"
  user.join();

  ASSERT_TRUE(holder && holder->Locked());
  holder.reset();
  EXPECT_TRUE(refused) << "the held file was refused in the dialog";
  EXPECT_TRUE(keptOpen) << "the print dialog stays open after the refusal";
  EXPECT_TRUE(asked) << "the dialog asked whether to overwrite the file once it was free";
  EXPECT_TRUE(told) << "the print said why the file was not printed over";
  std::ifstream pdf(held, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(pdf), {}), "%PDF-1.4 old") << "the held file was printed over";
  for (const auto& e : fs::directory_iterator(root))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
  Printer()->SetOutputFileName("");
  for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
  Application->ProcessMessages();
  fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(Screens, LoggerPreview, ::testing::Values("1024x768x24", "1600x1000x24"));

}  // namespace
