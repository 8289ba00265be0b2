// The places bar: where special folders lead and which button they press, scrolling a bar
// with more places than fit, and the edges a button shows under the mouse.
#include <gtest/gtest.h>

#include <cstdlib>
#include "controls/ApPlacesBar.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

namespace {

class PlacesBar : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }
};

TEST_F(PlacesBar, EverySpecialFolderOpensAFolder) {
  const AnsiString home = ui::StandardFolderPath(ui::StandardFolder::Home);
  ASSERT_FALSE(home.empty());
  struct Row {
    TApSpecShellFolder folder;
    AnsiString opens;       // "" : any existing folder
    bool pressedInItsFolder;  // whether its button is pressed while the dialog shows it
  };
  const Row rows[] = {
      {ftDrives, "/", true},       {ftFavorites, home, true}, {ftRecent, home, false},
      {ftSendTo, home, false},     {ftRecycleBin, home, false}, {ftNethood, home, false},
      {ftPersonal, "", true},      {ftDesktop, "", true},
  };
  for (const Row& r : rows) {
    TApPlace p;
    p.PlaceSpecPath = r.folder;
    const TApPlaceTarget t = ResolvePlace(p);
    SCOPED_TRACE(static_cast<int>(r.folder));
    EXPECT_FALSE(t.Folder.empty()) << "a special folder opens something";
    if (!r.opens.empty()) {
      EXPECT_EQ(t.Folder, r.opens);
    }

    TApPlacesBarOptions o;
    o.Places()->Add()->Assign(&p);
    TApPlacesBarFrm bar(nullptr, &o);
    bar.HighlightFolder(t.Folder);
    EXPECT_EQ(bar.Buttons(0)->Down(), r.pressedInItsFolder);
  }
}

TEST_F(PlacesBar, OnlyTheOfferedSpecialFoldersReadBack) {
  struct Row {
    int number;
    TApSpecShellFolder folder;
  };
  const Row rows[] = {{0, ftDesktop}, {17, ftDrives}, {5, ftPersonal}, {6, ftFavorites}, {8, ftNone},
                      {10, ftNone},   {-1976, ftNone}, {99, ftNone}};
  for (const Row& r : rows) EXPECT_EQ(ShellFolderFromNumber(r.number), r.folder) << r.number;
  EXPECT_EQ(ShellFolderNumber(ftRecent), 8);
}

TEST_F(PlacesBar, MorePlacesThanFitScrollAButtonAtATime) {
  TApPlacesBarOptions o;
  for (int i = 0; i < 8; ++i) o.Places()->Add()->SetPlaceName("P" + std::to_string(i));
  TApPlacesBarFrm bar(nullptr, &o);
  bar.SetClientSize(TApPlacesBarFrm::ButtonWidth, 200);
  const int arrow = TApPlacesBarFrm::ArrowHeight;
  ASSERT_TRUE(bar.UpArrow()->Visible());
  ASSERT_TRUE(bar.DownArrow()->Visible());
  EXPECT_EQ(bar.Buttons(0)->Top(), arrow);
  EXPECT_EQ(bar.IndexAt(arrow + 5), 0);

  bar.ScrollPlaces(1);
  EXPECT_EQ(bar.ScrollPos(), TApPlacesBarFrm::ButtonHeight);
  EXPECT_EQ(bar.IndexAt(arrow + 5), 1) << "a drop lands on the button shown there";
  bar.DoMouseWheel({}, -120, {10, 10});
  EXPECT_EQ(bar.ScrollPos(), 2 * TApPlacesBarFrm::ButtonHeight);

  // Scrolled to the end, the last button sits just above the down arrow, and no further.
  bar.ScrollPlaces(100);
  EXPECT_EQ(bar.Buttons(7)->Top() + bar.Buttons(7)->Height(), bar.ClientHeight() - arrow);
  bar.ScrollPlaces(-100);
  EXPECT_EQ(bar.ScrollPos(), 0);

  // Room for every place, or no scrolling asked for: no arrows, buttons from the top.
  bar.SetClientSize(TApPlacesBarFrm::ButtonWidth, 8 * TApPlacesBarFrm::ButtonHeight);
  EXPECT_FALSE(bar.UpArrow()->Visible());
  EXPECT_EQ(bar.Buttons(0)->Top(), 0);
  o.AutoScroll = false;
  bar.SetClientSize(TApPlacesBarFrm::ButtonWidth, 200);
  bar.BuildButtons();
  EXPECT_FALSE(bar.DownArrow()->Visible());
  EXPECT_EQ(bar.ScrollPos(), 0);
}

}  // namespace
