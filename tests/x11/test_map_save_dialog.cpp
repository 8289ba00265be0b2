// The map save dialog as the tuner meets it from File > Save under a real window manager:
// the options panel's map boxes, worked with the mouse, decide which maps the file holds;
// a pipe chosen as the file is refused before anything else is asked, also when its name is
// typed without the extension.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "config/savefiles.h"
#include "files/HKStreamCol.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "platform/classes/Streams.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "x11/ProgramUser.h"

namespace {

using namespace x11test;
namespace fs = std::filesystem;

using MapSaveDialog = ProgramUser;

void ClickAt(TPoint p) {
  std::system(("xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1 >/dev/null 2>&1").c_str());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

// The ignition cell each saved map was marked with (0 when the file lacks the map).
int SavedMark(const std::string& file, int k) {
  THKStreams c(nullptr);
  c.LoadFromFile(file.c_str());
  TStringStream s;
  c.GetStream(("Q5map-0" + std::to_string(k)).c_str(), &s);
  const AnsiString data = s.DataString();
  if (data.size() != kMapRecordSize) return 0;
  TMapRecord m;
  std::memcpy(m.Bytes(), data.data(), kMapRecordSize);
  return m.IgnitionTable[2][3];
}

// With "Save current map" chosen, ticking another box unticks the others: the file holds
// the one map ticked last, not every map ticked on the way.
TEST_P(MapSaveDialog, SaveCurrentMapKeepsOneBoxTickedAndSavesThatMap) {
  const fs::path root = fs::temp_directory_path() / ("x11-mapsave-" + std::to_string(getpid()) + "-" + screen_);
  fs::create_directories(root);
  ASSERT_EQ(::mkfifo((root / "pipe.map").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((root / "fifo").c_str(), 0600), 0);
  struct Boxes {
    bool b[3];
  };
  auto boxes = [] {
    Boxes out{};
    for (int k = 1; k <= 3; ++k) out.b[k - 1] = Form1->MapBox(k)->Checked();
    return out;
  };
  Boxes afterCurrent{}, afterThird{}, afterFirst{};
  int tagShown = -1, current = 0;
  bool pipeRefusedFirst = false, typedPipeRefused = false;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    Ask<bool>([&] {
      Settings.MapPath = (root.string() + "/").c_str();
      for (int k = 1; k <= 3; ++k) {
        MapSlots[k].Source = 1;
        MapSlots[k].IgnitionTable[2][3] = static_cast<int16_t>(10 * k);
      }
      CurrentMap = 2;
      R7Tform1->RefreshMapTables();
      return true;
    });
    // File > Save, once the window manager has given the main window the keys.
    bool shown = false;
    for (int tries = 0; tries < 3 && !shown; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      Press("alt+f s");
      shown = WaitActive("Save As", 15000);
      if (!shown) Press("Escape Escape");
    }
    ASSERT_TRUE(shown);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    current = Ask<int>([] { return static_cast<int>(CurrentMap); });
    tagShown = Ask<int>([] { return Form1->Tag; });
    auto centre = [](TControl* c) { return c->ClientToScreen({c->Width() / 2 < 8 ? c->Width() / 2 : 8, c->Height() / 2}); };
    ClickAt(Ask<TPoint>([&] { return centre(Form1->RadioGroup1->Buttons(1)); }));
    afterCurrent = Ask<Boxes>(boxes);
    ClickAt(Ask<TPoint>([&] { return centre(Form1->CheckBox3); }));
    afterThird = Ask<Boxes>(boxes);
    ClickAt(Ask<TPoint>([&] { return centre(Form1->CheckBox1); }));
    afterFirst = Ask<Boxes>(boxes);
    Shot("map-save-boxes");
    Press("alt+n ctrl+a");
    std::system("xdotool type --delay 40 boxes.map >/dev/null 2>&1");
    Press("Return");
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }));

    // A pipe: refused at once, never asked whether to replace it (a Yes would have saved).
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Press("alt+f s");
    ASSERT_TRUE(WaitActive("Save As"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Press("alt+n ctrl+a");
    std::system("xdotool type --delay 40 pipe.map >/dev/null 2>&1");
    Press("Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Shot("map-save-pipe");
    Press("alt+y");
    Press("Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    pipeRefusedFirst = ActiveTitle() == "Save As" && Output("xdotool search --onlyvisible --name '^Save As$' 2>/dev/null | wc -l") == "1";
    // The pipe's name typed without the extension is that pipe, not a map file beside it.
    Press("alt+n ctrl+a");
    std::system("xdotool type --delay 40 fifo >/dev/null 2>&1");
    Press("Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    typedPipeRefused = Output("xdotool search --onlyvisible --name '^Save As$' 2>/dev/null | wc -l") == "2";
    Press("Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Press("Escape");
    EXPECT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }));
  });
  EXPECT_EQ(tagShown, 0) << "the dialog handed the boxes to the user as it came up";
  // "Save current map" ticks the box of the map shown, then each click moves the one tick.
  ASSERT_TRUE(current >= 1 && current <= 3);
  const std::pair<const Boxes*, int> steps[] = {{&afterCurrent, current}, {&afterThird, 3}, {&afterFirst, 1}};
  for (const auto& [seen, ticked] : steps)
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(seen->b[k - 1], k == ticked) << "box " << k << ", " << ticked << " ticked last";
  const std::string saved = (root / "boxes.map").string();
  ASSERT_TRUE(fs::exists(saved));
  EXPECT_EQ(SavedMark(saved, 1), 10);
  EXPECT_EQ(SavedMark(saved, 2), 0);
  EXPECT_EQ(SavedMark(saved, 3), 0);
  EXPECT_TRUE(pipeRefusedFirst);
  EXPECT_TRUE(typedPipeRefused);
  EXPECT_FALSE(fs::exists(root / "fifo.map"));
  struct stat st {};
  EXPECT_TRUE(::stat((root / "pipe.map").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
  fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(Screens, MapSaveDialog, ::testing::Values("1024x768x24", "1600x1000x24"));

}  // namespace
