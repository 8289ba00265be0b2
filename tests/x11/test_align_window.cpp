// The ignition alignment window under a real window manager on a 1024x768 screen: frame
// and all it fits the screen, and its instructions fit their box without being cut at the
// side; the two angles are written in blue. With CQ5_SCREENSHOT_DIR set, the window is
// captured for a look by eye.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/Main.h"
#include "ecu/IgnAlign.h"
#include "controls/AdvEdit.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/Edits.h"
#include "platform/ui/Application.h"
#include "platform/ui/Simulate.h"
#include "x11/XSession.h"

namespace {

using x11test::Output;
using x11test::PumpUntil;

TEST(AlignWindow, InstructionsShowOnTheScreen) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  CreateProgramForms();
  TIgnAlignForm* w = IgnAlignForm;
  w->SetLeft(40);
  w->SetTop(40);
  w->Show();
  std::string id;
  ASSERT_TRUE(PumpUntil([&] {
    id = Output("xdotool search --onlyvisible --name 'Ignition advance alignment' 2>/dev/null | head -n1");
    return !id.empty();
  }));
  const std::string g = Output("xdotool getwindowgeometry --shell " + id);
  auto value = [&](const char* key) {
    const size_t at = g.rfind(key);
    return at == std::string::npos ? -1 : std::atoi(g.c_str() + at + std::string(key).size());
  };
  EXPECT_LE(value("X=") + value("WIDTH="), 1024);
  EXPECT_LE(value("Y=") + value("HEIGHT="), 768);
  // What a tuner needs: the two angles, the light and the way back to the maps.
  const std::string text = w->Memo1->Text().c_str();
  for (const char* part : {"Reference", "Lock at", "timing light", "Lock ignition advance", "Unlock ignition advance"})
    EXPECT_NE(text.find(part), std::string::npos) << part;
  // The angles' text on the screen, the focus on the lock button as when the window opens
  // from the menu: blue ink, whatever the window system's text colour.
  auto blueInk = [](TControl* c) {
    TBitmap shot;
    ui::GrabControl(c, shot);
    int n = 0;
    for (int y = 0; y < shot.Height(); ++y)
      for (int x = 0; x < shot.Width(); ++x) {
        const TColor p = shot.Canvas()->Pixel(x, y);
        const int r = p & 0xFF, g = (p >> 8) & 0xFF, b = (p >> 16) & 0xFF;
        if (b > 160 && r < 90 && g < 90) ++n;
      }
    return n;
  };
  w->UnLockButton->SetFocus();
  for (TAdvEdit* field : {w->ReferenceAdvance, w->LockAdvance}) {
    SCOPED_TRACE(field->Name().c_str());
    EXPECT_EQ(field->Text(), "0.0");
    EXPECT_TRUE(PumpUntil([&] { return blueInk(field) >= 6; })) << blueInk(field);
  }
  if (const char* dir = std::getenv("CQ5_SCREENSHOT_DIR")) {
    PumpUntil([] { return false; }, 300);
    std::system(("import -window root '" + std::string(dir) + "/align.png' 2>/dev/null").c_str());
  }
  w->Hide();
  for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
  Application->ProcessMessages();
}

}  // namespace
