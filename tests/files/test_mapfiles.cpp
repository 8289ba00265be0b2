// Map files: opening into and saving from the three PC map slots.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "files/FigFile.h"
#include "files/HKStreamCol.h"
#include "files/MapFiles.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "platform/classes/SafeFile.h"
#include "platform/rtl/SysUtils.h"

namespace {

namespace fs = std::filesystem;

using Snapshot = std::unique_ptr<TMapRecord[]>;

struct MapFileTest : ::testing::Test {
  AnsiString dir;

  void SetUp() override {
    const fs::path p = fs::temp_directory_path() /
                       (std::string("cq5_mapfiles_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(p);
    fs::create_directories(p);
    dir = p.string() + "/";
    for (int k = 1; k <= 3; ++k) MapSlots[k].Clear();
    CurrentMap = 1;
    Settings.MapPath.clear();
  }
  void TearDown() override { fs::remove_all(dir); }

  // Slot k filled with bytes that differ from slot to slot, as read from the ECU.
  static void Fill(int k) {
    TMapRecord& m = MapSlots[k];
    for (size_t i = 0; i < kMapRecordSize; ++i) m.Bytes()[i] = static_cast<uint8_t>(i * (k + 2) + k);
    m.Source = 2;
    m.MapName.Set("map " + IntToStr(k));
    m.Comments.Set("notes of map " + IntToStr(k));
  }
  static Snapshot Take() {
    Snapshot s(new TMapRecord[3]);
    for (int k = 1; k <= 3; ++k) s[k - 1] = MapSlots[k];
    return s;
  }
  static bool Same(const TMapRecord& a, const TMapRecord& b) {
    return std::memcmp(a.Bytes(), b.Bytes(), kMapRecordSize) == 0;
  }
  static TMapFileOpenOptions Boxes(bool b1, bool b2, bool b3, int option = mlLoadAll) {
    TMapFileOpenOptions o;
    o.Maps[0] = b1, o.Maps[1] = b2, o.Maps[2] = b3;
    o.LoadOption = option;
    return o;
  }
  static AnsiString Stream(const AnsiString& file, const AnsiString& name) {
    THKStreams c(nullptr);
    c.LoadFromFile(file);
    TStringStream s;
    c.GetStream(name, &s);
    return s.DataString();
  }
};

TEST_F(MapFileTest, RoundTripOfAllThreeMaps) {
  for (int k = 1; k <= 3; ++k) Fill(k);
  const Snapshot before = Take();
  SaveMapFile(dir + "all.map", TMapFileSaveOptions{});
  EXPECT_EQ(Settings.MapPath, dir);
  EXPECT_EQ(MapSlots[1].MapName.Get(), "all.map");

  const AnsiString file = safefile::ReadFile(dir + "all.map");
  EXPECT_EQ(file.substr(0, 2), "& ");  // compressed, not scrambled
  EXPECT_EQ(Stream(dir + "all.map", "Q5mapver"), "1.0");
  const AnsiString map1 = Stream(dir + "all.map", "Q5map-01");
  ASSERT_EQ(map1.size(), kMapRecordSize);
  EXPECT_EQ(static_cast<uint8_t>(map1[0]), 2);  // stored as it was in memory
  EXPECT_EQ(map1.substr(1, 8), AnsiString("\x07" "all.map"));

  for (int k = 1; k <= 3; ++k) MapSlots[k].Clear();
  ASSERT_TRUE(OpenMapFile(dir + "all.map", Boxes(true, true, true)).Ok);
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(MapSlots[k].Source, 1);
    TMapRecord expected = before[k - 1];
    expected.Source = 1;
    if (k == 1) expected.MapName.Set("all.map");
    EXPECT_TRUE(Same(MapSlots[k], expected)) << "map " << k;
  }
}

TEST_F(MapFileTest, OnlyMap2PresentIsSavedPreviewedAndLoadedAlone) {
  Fill(2);
  EXPECT_EQ(MapFileSaveBoxes()[0].Label, "empty");
  EXPECT_FALSE(MapFileSaveBoxes()[0].Enabled);
  EXPECT_TRUE(MapFileSaveBoxes()[1].Ticked);
  EXPECT_EQ(MapFileSaveBoxes()[1].Label, "map 2");
  SaveMapFile(dir + "two.map", TMapFileSaveOptions{});
  EXPECT_TRUE(Stream(dir + "two.map", "Q5map-01").empty());
  EXPECT_EQ(Stream(dir + "two.map", "Q5map-02").size(), kMapRecordSize);
  EXPECT_TRUE(Stream(dir + "two.map", "Q5map-03").empty());

  const auto preview = PreviewMapFile(dir + "two.map");
  ASSERT_TRUE(preview);
  EXPECT_FALSE(preview->Boxes[0].Enabled);
  EXPECT_EQ(preview->Boxes[0].Label, "empty");
  EXPECT_TRUE(preview->Boxes[1].Enabled && preview->Boxes[1].Ticked);
  EXPECT_EQ(preview->Boxes[1].Label, "map 2");
  EXPECT_FALSE(preview->Boxes[2].Ticked);
  EXPECT_EQ(preview->Comments, "notes of map 2");

  Fill(1);
  Fill(3);
  MapSlots[2].Clear();
  const Snapshot before = Take();
  ASSERT_TRUE(OpenMapFile(dir + "two.map", Boxes(false, true, false)).Ok);
  EXPECT_TRUE(Same(MapSlots[1], before[0]));
  EXPECT_TRUE(Same(MapSlots[3], before[2]));
  EXPECT_EQ(MapSlots[2].Source, 1);
  EXPECT_EQ(MapSlots[2].MapName.Get(), "map 2");
}

TEST_F(MapFileTest, ImportPutsTheLastTickedMapIntoTheCurrentSlot) {
  for (int k = 1; k <= 3; ++k) Fill(k);
  SaveMapFile(dir + "src.map", TMapFileSaveOptions{});
  const Snapshot file = Take();  // map 1 now carries the file name
  for (int k = 1; k <= 3; ++k) MapSlots[k].Clear();

  CurrentMap = 2;
  ASSERT_TRUE(OpenMapFile(dir + "src.map", Boxes(true, false, true, mlImportIntoCurrentSlot)).Ok);
  EXPECT_TRUE(Same(MapSlots[2], [&] { TMapRecord m = file[2]; m.Source = 1; return m; }()));
  EXPECT_EQ(MapSlots[1].Source, 0);
  EXPECT_EQ(MapSlots[3].Source, 0);

  // Into slot 1 the imported map takes the file's name.
  CurrentMap = 1;
  ASSERT_TRUE(OpenMapFile(dir + "src.map", Boxes(false, false, true, mlImportIntoCurrentSlot)).Ok);
  EXPECT_EQ(MapSlots[1].MapName.Get(), "src.map");
  EXPECT_EQ(MapSlots[1].Comments.Get(), "notes of map 3");
}

TEST_F(MapFileTest, NothingTickedOrNothingInTheFileChangesNoSlot) {
  Fill(2);
  SaveMapFile(dir + "two.map", TMapFileSaveOptions{});
  for (int k = 1; k <= 3; ++k) Fill(k);
  const Snapshot before = Take();
  for (const TMapFileOpenOptions& o :
       {Boxes(false, false, false, mlImportIntoCurrentSlot), Boxes(false, false, false),
        Boxes(true, false, true, mlImportIntoCurrentSlot), Boxes(true, false, true)}) {
    ASSERT_TRUE(OpenMapFile(dir + "two.map", o).Ok);
    for (int k = 1; k <= 3; ++k) EXPECT_TRUE(Same(MapSlots[k], before[k - 1])) << "map " << k;
  }
}

TEST_F(MapFileTest, DamagedFilesLeaveEveryMapAsItWas) {
  for (int k = 1; k <= 3; ++k) Fill(k);
  SaveMapFile(dir + "good.map", TMapFileSaveOptions{});
  const AnsiString good = safefile::ReadFile(dir + "good.map");
  {
    // A map stream shorter than a map record, after a good one.
    THKStreams c(nullptr);
    TStringStream version("1.0"), map1(AnsiString(kMapRecordSize, 'a')), map2(AnsiString(100, 'b'));
    c.AddStream("Q5mapver", &version);
    c.AddStream("Q5map-01", &map1);
    c.AddStream("Q5map-02", &map2);
    c.SaveToFile(dir + "short.map");
  }
  safefile::WriteFile(dir + "half.map", good.substr(0, good.size() / 2));
  safefile::WriteFile(dir + "empty.map", "");
  safefile::WriteFile(dir + "text.map", "MapVersion : 10\r\nLimits: 1 2 3\r\n");

  const Snapshot before = Take();
  for (const char* name : {"missing.map", "half.map", "empty.map", "text.map", "short.map"}) {
    for (int option : {int(mlLoadAll), int(mlImportIntoCurrentSlot)}) {
      const TMapOpenResult r = OpenMapFile(dir + name, Boxes(true, true, true, option));
      EXPECT_FALSE(r.Ok) << name;
      EXPECT_EQ(r.Message, "Cannot read this file.  File is corrupt or is not the correct format");
      for (int k = 1; k <= 3; ++k) EXPECT_TRUE(Same(MapSlots[k], before[k - 1])) << name << " map " << k;
    }
    if (std::strcmp(name, "short.map") != 0) {
      EXPECT_FALSE(PreviewMapFile(dir + name)) << name;
    }
  }
  // The window's container reports the damage through its own event first.
  THKStreams krup(nullptr);
  int corruptEvents = 0;
  krup.OnCorrupt = [&](TObject*) { ++corruptEvents; };
  EXPECT_FALSE(OpenMapFile(dir + "text.map", Boxes(true, true, true), &krup).Ok);
  EXPECT_EQ(corruptEvents, 1);
}

// Names that are no ordinary map file: a pipe is refused at once (never waited on), an old
// text file beyond its size limit is refused with the limit named, and a read-only file
// is not saved over. No slot changes.
TEST_F(MapFileTest, PipesOversizedAndReadOnlyFilesAreRefused) {
  for (int k = 1; k <= 3; ++k) Fill(k);
  ASSERT_EQ(mkfifo((dir + "pipe.map").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo((dir + "pipe.fig").c_str(), 0644), 0);
  safefile::WriteFile(dir + "huge.fig", "MapVersion : 10\r\n" + std::string(kMaxFigFileSize, ' '));
  const Snapshot before = Take();
  alarm(10);  // a blocking open would hang; the alarm ends the test instead
  EXPECT_FALSE(OpenMapFile(dir + "pipe.map", Boxes(true, true, true)).Ok);
  EXPECT_FALSE(PreviewMapFile(dir + "pipe.map"));
  EXPECT_THROW(OpenMapFile(dir + "pipe.fig", Boxes(false, false, false)), EFOpenError);
  alarm(0);
  try {
    OpenMapFile(dir + "huge.fig", Boxes(false, false, false));
    ADD_FAILURE() << "an oversized old map file was read";
  } catch (const EReadError& e) {
    EXPECT_NE(e.Message().find("It is larger than 1 MiB."), AnsiString::npos) << e.Message();
  }
  for (int k = 1; k <= 3; ++k) EXPECT_TRUE(Same(MapSlots[k], before[k - 1])) << "map " << k;

  SaveMapFile(dir + "locked.map", TMapFileSaveOptions{});
  const AnsiString kept = safefile::ReadFile(dir + "locked.map");
  ASSERT_EQ(chmod((dir + "locked.map").c_str(), 0444), 0);
  MapSlots[2].Clear();
  EXPECT_THROW(SaveMapFile(dir + "locked.map", TMapFileSaveOptions{}), EFCreateError);
  EXPECT_EQ(safefile::ReadFile(dir + "locked.map"), kept);
}

TEST_F(MapFileTest, ExtensionDecidesTheFormatInAnyCase) {
  Fill(3);
  SaveMapFile(dir + "upper.map", TMapFileSaveOptions{});
  fs::rename(dir + "upper.map", dir + "UPPER.MAP");
  MapSlots[3].Clear();
  ASSERT_TRUE(OpenMapFile(dir + "UPPER.MAP", Boxes(false, false, true)).Ok);
  EXPECT_EQ(MapSlots[3].MapName.Get(), "map 3");
  EXPECT_EQ(MapSlots[1].Source, 0);  // not read as an old text file into the current slot

  EXPECT_TRUE(IsMapFileName("a.Map"));
  EXPECT_FALSE(IsMapFileName("a.fig"));
  EXPECT_FALSE(IsMapFileName("a.map.bak"));
  EXPECT_FALSE(IsMapFileName("maps.map/a"));
}

TEST_F(MapFileTest, OldTextFilesGoIntoTheCurrentSlotWhole) {
  const AnsiString data = CQ5_TEST_DATA "/";
  CurrentMap = 2;
  Fill(2);
  const Snapshot before = Take();
  // Load options do not apply to old text files.
  EXPECT_THROW(OpenMapFile(data + "bad_number.fig", Boxes(false, false, false)), EInOutError);
  for (int k = 1; k <= 3; ++k) EXPECT_TRUE(Same(MapSlots[k], before[k - 1]));

  ASSERT_TRUE(OpenMapFile(data + "good.fig", Boxes(false, false, false)).Ok);
  EXPECT_EQ(MapSlots[2].Source, 1);
  EXPECT_EQ(MapSlots[2].MapName.Get(), "good.fig");
  EXPECT_EQ(Settings.MapPath, data);
  EXPECT_EQ(MapSlots[1].Source, 0);
}

TEST_F(MapFileTest, SavingRenamesMap1OnlyWhenTheFileIsWritten) {
  Fill(1);
  Fill(3);
  TMapFileSaveOptions only3;
  only3.Maps[0] = only3.Maps[1] = false;
  SaveMapFile(dir + "three.map", only3);
  EXPECT_EQ(MapSlots[1].MapName.Get(), "three.map");
  EXPECT_TRUE(Stream(dir + "three.map", "Q5map-01").empty());
  EXPECT_EQ(Stream(dir + "three.map", "Q5map-03").size(), kMapRecordSize);

  MapSlots[1].MapName.Set("kept");
  EXPECT_THROW(SaveMapFile(dir + "no/such/folder/x.map", TMapFileSaveOptions{}), Exception);
  EXPECT_EQ(MapSlots[1].MapName.Get(), "kept");
  EXPECT_FALSE(fs::exists(dir + "no"));
}

TEST_F(MapFileTest, BlankMapWhenNothingIsInMemory) {
  EXPECT_FALSE(AnyMapPresent());
  CurrentMap = 3;
  StartBlankMap();
  EXPECT_TRUE(AnyMapPresent());
  EXPECT_EQ(MapSlots[3].MapName.Get(), "new blank map");
  const TMapFileBoxes boxes = MapFileSaveBoxes();
  EXPECT_TRUE(boxes[2].Enabled && boxes[2].Ticked);
  EXPECT_EQ(boxes[2].Label, "new blank map");
}

}  // namespace
