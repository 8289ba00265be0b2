// The files a logged run is printed and exported to, against targets a tuner may pick by
// mistake: the logger's "Export/Print" preview, its "Print" and "Excel File" buttons and
// the dialogs answered by the script, with the files checked by outside readers
// (pdftotext, pdfinfo, xlrd).
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/MainWindowLink.h"
#include "logger/AbPrtTrd.h"
#include "logger/AbTrend.h"
#include "logger/LoggerExport.h"
#include "logger/logger.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Menus.h"
#include "tests/logger/XlsReader.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs a command: its standard output in `out`, true when it succeeded.
bool Capture(const std::string& command, std::string& out) {
  const std::string file = fs::temp_directory_path() / ("cq5-run-" + std::to_string(getpid()));
  const int rc = std::system((command + " > '" + file + "' 2>/dev/null").c_str());
  out = Slurp(file);
  fs::remove(file);
  return rc == 0;
}

// The engine warms up while the link is up: the start trigger (coolant above 30 degC)
// begins a log, the stop trigger (above 40 degC) ends it.
class LogOutputs : public MainWindowLink {
 protected:
  LogOutputs() : MainWindowLink(44, Quick()) {}

  static ecusim::Timing Quick() {
    ecusim::Timing t;
    t.fastIntervalMs = 10;
    t.slowIntervalMs = 50;
    return t;
  }
  void Prepare(ecusim::Ecu& e) override { e.State().slow.coolantTemp = 25; }
  std::string IniText() override {
    return MainWindowLink::IniText() +
           "[Logger]\nCh1Lab=19\nCh2Lab=20\nEnabled=1\n"
           "[LoggerStart]\nChan=1\nOption=0\nValue=30\n"
           "[LoggerStop]\nChan=1\nOption=0\nValue=40\n";
  }
  void SetUp() override {
    MainWindowLink::SetUp();
    dir_ = fs::temp_directory_path() / ("e2e-outputs-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    MainWindowLink::TearDown();
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
    fs::remove_all(dir_);
    LoggingActive = false;
    LogNewDataShown = false;
    LoggerCaption = "Data Logger";
    LoggerSettings = TLoggerSettings();
  }

  void LogARun() {
    ASSERT_TRUE(LinkUp());
    const auto start = std::chrono::steady_clock::now();
    auto warm = [&] {
      const auto ms =
          std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
      sim.With([&](ecusim::Ecu& e) {
        e.State().slow.coolantTemp = static_cast<int>(std::min<int64_t>(25 + ms / 200, 60));
        e.State().fast.rpm = static_cast<std::uint16_t>(900 + ms % 2000);
      });
    };
    ASSERT_TRUE(PumpUntil([&] {
      warm();
      return LoggingActive;
    })) << "the start trigger never fired";
    ASSERT_TRUE(PumpUntil([&] {
      warm();
      return !LoggingActive;
    })) << "the stop trigger never fired";
    ASSERT_GT(LoggerForm->DataPlotter->RecordCount(), 20);
  }

  // Data, Export/Print: "All" takes the whole log, then `work` presses the preview's
  // buttons, its dialogs answered as `answers` queues them; "Done" closes it.
  void InPreview(const std::function<void()>& answers, const std::function<void(TLoggerExportForm&)>& work) {
    script.AnswerForm([&](TForm& form) {
      auto& preview = dynamic_cast<TLoggerExportForm&>(form);
      preview.Button1->Click();
      work(preview);
      preview.BitBtn1->Click();
    });
    answers();
    static_cast<TMenuItem*>(LoggerForm->FindComponent("ExportCSV1"))->Click();
  }

  // The messages shown so far, from the `from`th dialog on.
  std::vector<std::string> Messages(size_t from = 0) const {
    std::vector<std::string> out;
    for (size_t i = from; i < script.Shown().size(); ++i) {
      const ui::DialogRequest& r = script.Shown()[i];
      if (r.Kind == ui::DialogKind::MessageDlg || r.Kind == ui::DialogKind::MessageBox) out.push_back(r.Text);
    }
    return out;
  }

  // A file system of `kib` KiB at dir_ when one can be mounted here; otherwise false, and
  // the caller limits the size of the files the process may write instead.
  bool MountSmallFileSystem(size_t kib) {
    mounted_ = ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, ("size=" + std::to_string(kib) + "k").c_str()) == 0;
    return mounted_;
  }

  fs::path dir_;
  bool mounted_ = false;
};

// The printed page: one landscape page whose caption, legend and time labels are text.
// Printing it over an old PDF on a full disk, or to a pipe, says so and keeps what was
// there, without blocking.
TEST_F(LogOutputs, PrintedPageIsTextAndFailuresKeepTheOldFile) {
  ASSERT_NO_FATAL_FAILURE(LogARun());
  const std::string pdf = (dir_ / "warm.pdf").string();
  InPreview([&] { script.AnswerPrint(pdf.c_str()); }, [](TLoggerExportForm& p) { p.BitBtn2->Click(); });
  ASSERT_EQ(script.Pending(), 0u);
  ASSERT_TRUE(Messages().empty()) << Messages().front();

  std::string info, text;
  ASSERT_TRUE(Capture("pdfinfo '" + pdf + "'", info)) << "pdfinfo (poppler-utils) missing or the file unreadable";
  auto field = [all = "\n" + info](const char* name) {
    const size_t at = all.find(std::string("\n") + name + ":");
    if (at == std::string::npos) return std::string();
    const size_t from = all.find_first_not_of(' ', at + std::strlen(name) + 2);
    return all.substr(from, all.find('\n', from) - from);
  };
  EXPECT_EQ(field("Pages"), "1") << info;
  EXPECT_EQ(field("Title"), "Corvane R7TQ log") << info;
  double w = 0, h = 0;
  ASSERT_EQ(std::sscanf(info.substr(info.find("Page size:")).c_str(), "Page size: %lf x %lf", &w, &h), 2) << info;
  EXPECT_GT(w, h);
  ASSERT_TRUE(Capture("pdftotext -layout '" + pdf + "' -", text));
  TAbTrend& trend = *LoggerForm->DataPlotter;
  const TDateTime first = trend.Records().front().Time;
  std::vector<std::string> expected = {
      "Chan", "Name1", "MinTime", "MaxTime", "Unit", " ch1 ", " ch8 ",            // legend
      trend.Channel(1)->Name1(), trend.Channel(2)->Name1(),                     // channel names
      FormatDateTime(kPrintTimeFormat, first), FormatDateTime(kPrintDateFormat, first),  // time scale
  };
  if (!trend.Caption().empty()) expected.push_back(trend.Caption());
  for (const std::string& want : expected) EXPECT_NE(text.find(want), std::string::npos) << "\"" << want << "\" in\n" << text;
  const std::string printed = Slurp(pdf);

  // A full disk: the new page cannot be written whole beside the old one.
  ASSERT_TRUE(fs::remove(pdf));
  const bool small = MountSmallFileSystem(std::max<size_t>(200, printed.size() / 1024 + 16));
  { std::ofstream(pdf, std::ios::binary) << printed; }
  rlimit was {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
  if (small) {
    // Leave a few kilobytes: far less than a page.
    std::ofstream filler(dir_ / "filler", std::ios::binary);
    const std::string block(1024, 'x');
    while (filler.write(block.data(), block.size()) && fs::space(dir_).available > 4096) {}
  }
  const size_t before = script.Shown().size();
  InPreview(
      [&] {
        script.AnswerPrint(pdf.c_str());
        script.Answer(mrOk);
      },
      [&](TLoggerExportForm& p) {
    rlimit limit = was;
    if (!small) limit.rlim_cur = printed.size() / 2;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    p.BitBtn2->Click();
    setrlimit(RLIMIT_FSIZE, &was);
  });
  EXPECT_EQ(script.Pending(), 0u);
  std::vector<std::string> shown = Messages(before);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].rfind("The log could not be printed.\r\nCannot write file \"" + pdf + "\". ", 0), 0u) << shown[0];
  EXPECT_NE(shown[0].find(small ? "No space left on device" : "File too large"), std::string::npos) << shown[0];
  EXPECT_EQ(Slurp(pdf), printed) << "the old file was changed";
  for (const auto& e : fs::directory_iterator(dir_))
    EXPECT_TRUE(e.path().filename() == "warm.pdf" || e.path().filename() == "filler") << e.path();

  // A pipe chosen as the file: refused at once.
  const std::string pipe = (dir_ / "pipe.pdf").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  const size_t beforePipe = script.Shown().size();
  alarm(30);  // a blocking open ends the test here
  InPreview(
      [&] {
        script.AnswerPrint(pipe.c_str());
        script.Answer(mrOk);
      },
      [](TLoggerExportForm& p) { p.BitBtn2->Click(); });
  alarm(0);
  shown = Messages(beforePipe);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("not a regular file"), std::string::npos) << shown[0];
  struct stat st {};
  ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// "Excel File" saves as every save does: a pipe, a device, a folder and a read-only file
// are refused with a message and left as they were (the save dialog itself refuses the pipe
// and the device, and stays open); a link is written through to its target, which an outside
// reader then reads as the workbook.
TEST_F(LogOutputs, ExportRefusesWhatMayNotBeReplacedAndWritesThroughALink) {
  ASSERT_NO_FATAL_FAILURE(LogARun());
  LoggerSettings.ExportSamples = 100;
  const std::string pipe = (dir_ / "pipe.xls").string(), folder = (dir_ / "folder.xls").string(),
                    locked = (dir_ / "locked.xls").string(), real = (dir_ / "real.xls").string(),
                    link = (dir_ / "link.xls").string(), device = (dir_ / "device.xls").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  fs::create_directories(folder);
  { std::ofstream(locked) << "kept"; }
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  { std::ofstream(real) << "old"; }
  fs::create_symlink("real.xls", link);
  fs::create_symlink("/dev/null", device);  // a device under a name the dialog keeps

  struct Case {
    std::string target;
    bool asksOverwrite;  // a plain file that exists is asked about first
    const char* refusal;  // nullptr: written
    bool dialogRefuses = false;  // the dialog says so and stays open; the user cancels it
  } cases[] = {
      {pipe, false, "not a regular file", true},
      {device, false, "not a regular file", true},
      {folder, false, "but a folder"},
      {locked, true, "Permission denied"},
      {link, true, nullptr},
  };
  const size_t before = script.Shown().size();
  alarm(30);
  InPreview(
      [&] {
        for (const Case& c : cases) {
          script.AnswerFile(c.target.c_str());
          if (c.dialogRefuses) {
            script.Answer(mrOk).CancelFile();
            continue;
          }
          if (c.asksOverwrite) script.Answer(mrYes);
          if (c.refusal != nullptr) script.Answer(mrOk);
        }
      },
      [&](TLoggerExportForm& p) {
        for (size_t i = 0; i < std::size(cases); ++i) p.BitBtn3->Click();
      });
  alarm(0);
  EXPECT_EQ(script.Pending(), 0u);
  std::vector<std::string> errors;
  for (const std::string& m : Messages(before))
    if (m.find("already exists") == std::string::npos) errors.push_back(m);
  ASSERT_EQ(errors.size(), 4u);
  for (size_t i = 0; i < errors.size(); ++i) {
    SCOPED_TRACE(cases[i].target);
    const std::string start = cases[i].dialogRefuses
                                  ? fs::path(cases[i].target).filename().string() + "\r\n"
                                  : std::string(kExportError) + "\r\nCannot create file \"" + cases[i].target + "\". ";
    EXPECT_EQ(errors[i].rfind(start, 0), 0u) << errors[i];
    EXPECT_NE(errors[i].find(cases[i].refusal), std::string::npos) << errors[i];
  }
  struct stat st {};
  ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(stat(device.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(Slurp(locked), "kept");
  ASSERT_EQ(stat(locked.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  EXPECT_TRUE(fs::is_symlink(link));

  const std::vector<TTrendRecord> logged = LoggerForm->DataPlotter->Records();
  const xlsread::Workbook b = xlsread::ReadWorkbook(real);
  XLS_REQUIRE_READER(b.Read, "python3-xlrd");
  ASSERT_EQ(b.Error, "");
  EXPECT_EQ(b.SheetNames, (std::vector<std::string>{"data log"}));
  EXPECT_EQ(b.Text(0, 2, 2), "Corvane R7TQ data log");
  EXPECT_DOUBLE_EQ(b.Number(0, 10, 0), logged.front().Time);
  EXPECT_DOUBLE_EQ(b.Number(0, 10 + static_cast<int>(logged.size()) - 1, 0), logged.back().Time);
  for (const auto& e : fs::directory_iterator(dir_))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

}  // namespace
}  // namespace e2e
