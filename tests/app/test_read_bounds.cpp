// Files far larger than any real file of their kind, opened as a tuner opens them (the main
// window's "Open", the configuration editor's "Load configuration from disk", the update
// window's "Select update file", the logger's "Load from file"): each is refused with a
// message naming its bound, before any of it is read, and nothing changes. The files are
// sparse, so they cost no disk and would cost 1.5 GB of memory if they were read.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"

#include <sys/resource.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "config/setup.h"
#include "ecu/FlashUpdate.h"
#include "files/ConfigFile.h"
#include "files/HKStreamCol.h"
#include "files/MapFiles.h"
#include "logger/AbTrend.h"
#include "logger/logger.h"
#include "model/ConfigBlock.h"
#include "platform/classes/SafeFile.h"
#include "platform/classes/Streams.h"
#include "platform/stdctrls/Menus.h"
#include "platform/ui/Dialogs.h"

namespace {

namespace fs = std::filesystem;

constexpr uintmax_t kHuge = uintmax_t{1536} << 20;  // 1.5 GiB

long PeakResidentKiB() {
  rusage u {};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

class ReadBounds : public ProgramWindowsInFolderTest {
 protected:
  ReadBounds() : ProgramWindowsInFolderTest("read-bounds") {}
  void SetUp() override {
    ProgramWindowsInFolderTest::SetUp();
    ShowMainWindow(script);
  }

  // A container with the given streams: a genuine file of its kind, which the caller
  // then stretches.
  void Container(const std::string& file, std::vector<std::pair<const char*, AnsiString>> streams) {
    THKStreams c(nullptr);
    for (auto& [name, data] : streams) {
      TStringStream s(data);
      c.AddStream(name, &s);
    }
    c.SaveToFile(file);
  }
  static TMenuItem* Item(TComponent* form, const char* name) {
    return dynamic_cast<TMenuItem*>(form->FindComponent(name));
  }

  ui::DialogScript script;
  fs::path dir_;
};

TEST_F(ReadBounds, FilesFarLargerThanTheirKindAreRefusedUnread) {
  Container(File("huge.map"), {{"Q5mapver", "1.0"}, {"Q5map-01", AnsiString(kMapRecordSize, '\0')}});
  Container(File("huge.q05"), {{"Q5-2", "1.0"}, {"Q5-4", AnsiString(sizeof(TConfigBlock), '\0')}});
  Container(File("huge.rom"), {{"MEMO", "notes"}, {"INI", "FRomUpdate=True\r\n"}, {"DATA", "S9030000FC\r\n"}});
  safefile::WriteFile(File("huge.lg1"), AnsiString(24, '\0'));
  safefile::WriteFile(File("huge.lg2"), "[chan1]\r\n19\r\n");

  const TMapRecord slot1 = MapSlots[1];
  const TConfigBlock block = ConfigBlock;
  const size_t records = LoggerForm->DataPlotter->Records().size();
  struct Case {
    const char* file;
    const char* bound;
    std::function<void()> open;  // the menu command, its dialog answered by the script
    const char* prefix;          // what the window says before the reason
    int button = mrOk;           // the message's button
  } cases[] = {
      {"huge.map", "1 MiB", [&] { Item(f_, "Open1")->Click(); }, ""},
      {"huge.q05", "64 KiB",
       [&] {
         // Escapes to the application's error box, which shows its message.
         try {
           Item(SetupForm, "Loadconfigurationfromdisk1")->Click();
           ADD_FAILURE() << "accepted";
         } catch (const EFileTooLarge& e) {
           ShowMessage(e.Message());
         }
       },
       ""},
      {"huge.rom", "4 MiB", [&] { Item(FlashUpdateForm, "SelectUpdateFile1")->Click(); }, "File Access Error.\r\r"},
      {"huge.lg1", "64 KiB", [&] { Item(LoggerForm, "LoadLogfile1")->Click(); },
       "The channel file huge.lg2 of this log cannot be read, so its channels are unknown.\r\n", mrAbort},
  };
  const long peakBefore = PeakResidentKiB();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string big = c.file == std::string("huge.lg1") ? File("huge.lg2") : File(c.file);
    fs::resize_file(big, kHuge);
    const size_t before = script.Shown().size();
    script.AnswerFile(File(c.file).c_str());
    script.Answer(c.button);
    c.open();
    const std::string want = c.prefix + ("Cannot read file \"" + big + "\". It is larger than " + c.bound + ".");
    bool told = false;
    for (size_t i = before; i < script.Shown().size(); ++i) {
      const ui::DialogRequest& r = script.Shown()[i];
      if (r.Kind != ui::DialogKind::MessageBox && r.Kind != ui::DialogKind::MessageDlg) continue;
      EXPECT_EQ(r.Text.rfind(want, 0), 0u) << r.Text;
      told = true;
    }
    EXPECT_TRUE(told) << "no message";
    EXPECT_EQ(script.Pending(), 0u);
  }
  EXPECT_LT(PeakResidentKiB() - peakBefore, 256 * 1024) << "a refused file was read";
  EXPECT_EQ(std::memcmp(MapSlots[1].Bytes(), slot1.Bytes(), kMapRecordSize), 0);
  EXPECT_EQ(std::memcmp(&ConfigBlock, &block, sizeof block), 0);
  EXPECT_EQ(LoggerForm->DataPlotter->Records().size(), records);
}

}  // namespace
