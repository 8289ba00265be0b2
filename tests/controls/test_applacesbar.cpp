// The places bar: where special folders lead and which button they press, scrolling a bar
// with more places than fit, and the edges a button shows under the mouse.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include "controls/ApAddPlace.h"
#include "controls/ApPlacesBar.h"
#include "controls/ProgramIconFiles.h"
#include "platform/classes/SafeFile.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

namespace {

using iconfiles::Put;

// A 16 x 16 icon image of one colour (32 bits a pixel, bottom-up, then its mask): 1128 bytes.
std::string IconImage(uint8_t r, uint8_t g, uint8_t b) {
  std::string s;
  for (uint32_t v : {40u, 16u, 32u}) Put(s, v, 4);
  Put(s, 1, 2);
  Put(s, 32, 2);
  s.append(24, '\0');
  for (int i = 0; i < 256; ++i) s += {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r), '\xFF'};
  s.append(64, '\0');
  return s;
}

// The directory entry of that image, as icon files and icon groups begin it.
const std::string kEntry("\x10\x10\x00\x00\x01\x00\x20\x00", 8);

std::string IcoFile(const std::string& image) {
  std::string s("\0\0\x01\0\x01\0", 6);
  s += kEntry;
  Put(s, static_cast<uint32_t>(image.size()), 4);
  Put(s, 22, 4);
  return s + image;
}

// A Windows library holding two icon groups (red, then green) in its resource section.
std::string ProgramFile(const std::string& red, const std::string& green) {
  return iconfiles::ProgramWithIcons({red, green}, {{1}, {2}});
}

// The colour at the middle of an icon drawn 16 pixels square, as 0xRRGGBB.
uint32_t Middle(const TApIconLibrary& lib, int index) {
  TBitmap b;
  if (!lib.Icon(index, 16, b)) return 0xFFFFFFFF;
  const uint8_t* p = b.ScanLine(8) + 8 * 4;
  return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

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

TEST_F(PlacesBar, IconLibrariesOfEveryKind) {
  const auto dir = std::filesystem::temp_directory_path() / ("cq5icons" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string red = IconImage(255, 0, 0), green = IconImage(0, 255, 0);
  const std::string ico = (dir / "red.ico").string(), dll = (dir / "two.dll").string();
  safefile::WriteFile(ico, IcoFile(red));
  safefile::WriteFile(dll, ProgramFile(red, green));
  safefile::WriteFile((dir / "notes.txt").string(), "no icons here");

  // A library's icon groups become icon files: header, one entry, the image after them.
  const std::string program = ProgramFile(red, green);
  const auto groups = TApIconLibrary::ProgramIcons(program);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(TApIconLibrary::IconFile(program, groups[0]), IcoFile(red));
  EXPECT_EQ(TApIconLibrary::IconFile(program, groups[1]), IcoFile(green));

  struct Row {
    AnsiString file;
    int count;
    uint32_t first, second;  // middle colours of icons 0 and 1 (0xFFFFFFFF: none)
  };
  const Row rows[] = {
      {ico, 1, 0xFF0000, 0xFFFFFFFF},
      {dll, 2, 0xFF0000, 0x00FF00},
      {(dir / "notes.txt").string(), 0, 0xFFFFFFFF, 0xFFFFFFFF},
      {(dir / "missing.ico").string(), 0, 0xFFFFFFFF, 0xFFFFFFFF},
      {"", 0, 0xFFFFFFFF, 0xFFFFFFFF},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.file);
    TApIconLibrary lib;
    EXPECT_EQ(lib.Load(r.file), r.count > 0);
    EXPECT_EQ(lib.Count(), r.count);
    EXPECT_EQ(Middle(lib, 0), r.first);
    EXPECT_EQ(Middle(lib, 1), r.second);
  }
  TApIconLibrary bundled;
  ASSERT_TRUE(bundled.Load("Shell32.dll"));
  EXPECT_GT(bundled.Count(), 4) << "a file, and a folder shut and open, at 0, 3 and 4";
  TBitmap b;
  EXPECT_TRUE(bundled.Icon(4, 32, b));
  EXPECT_FALSE(bundled.Icon(bundled.Count(), 32, b));

  // A library cut short anywhere reads as fewer icons or none, never past its end.
  const std::string whole = ProgramFile(red, green);
  for (size_t n = 0; n < whole.size(); n += 7) EXPECT_LE(TApIconLibrary::ProgramIcons(whole.substr(0, n)).size(), 2u);
  std::filesystem::remove_all(dir);
}

TEST_F(PlacesBar, IconGroupsCostTheirImagesOnceAndNoMoreThanAnIconHolds) {
  const std::string red = IconImage(255, 0, 0);
  const std::string huge(size_t{1} << 20, '\x01');            // no icon is this large
  const std::string large(200'000, '\x02');                     // two fit in an icon, not three
  std::vector<std::string> images = {huge, red, large, large, large};
  std::vector<uint16_t> many;  // seventy distinct images
  for (uint16_t id = 6; id < 76; ++id) {
    images.push_back(red);
    many.push_back(id);
  }
  const std::vector<std::vector<uint16_t>> groups = {
      std::vector<uint16_t>(20000, 1),  // the huge image named 20,000 times
      std::vector<uint16_t>(20000, 2),  // the red one named 20,000 times
      {1, 2},
      {3, 4, 5},
      many,
  };
  const std::string program = iconfiles::ProgramWithIcons(images, groups);
  const auto icons = TApIconLibrary::ProgramIcons(program);
  struct Row {
    size_t images;
    size_t bytes;  // of the icon file
  };
  const Row rows[] = {{1, 6 + 16 + 1128}, {1, 6 + 16 + 1128}, {2, 6 + 32 + 400'000}, {64, 6 + 64 * (16 + 1128)}};
  ASSERT_EQ(icons.size(), std::size(rows)) << "the group of the huge image alone gives no icon";
  for (size_t i = 0; i < icons.size(); ++i) {
    EXPECT_EQ(icons[i].size(), rows[i].images) << i;
    EXPECT_EQ(TApIconLibrary::IconFile(program, icons[i]).size(), rows[i].bytes) << i;
  }
  EXPECT_EQ(TApIconLibrary::IconFile(program, icons[0]), IcoFile(red));

  const auto dir = std::filesystem::temp_directory_path() / ("cq5iconbound" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string dll = (dir / "crafted.dll").string(), ico = (dir / "huge.ico").string();
  safefile::WriteFile(dll, program);
  safefile::WriteFile(ico, IcoFile(huge));
  TApIconLibrary lib;
  ASSERT_TRUE(lib.Load(dll));
  EXPECT_EQ(lib.Count(), 4);
  EXPECT_EQ(Middle(lib, 0), 0xFF0000u);
  EXPECT_EQ(Middle(lib, 3), 0xFF0000u);
  EXPECT_FALSE(lib.Load(ico)) << "an icon file larger than any icon";
  EXPECT_EQ(lib.Count(), 0);
  std::filesystem::remove_all(dir);
}

TEST_F(PlacesBar, PlaceFormChoosesIconsFromALibrary) {
  const auto dir = std::filesystem::temp_directory_path() / ("cq5iconform" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string dll = (dir / "two.dll").string(), txt = (dir / "notes.txt").string();
  safefile::WriteFile(dll, ProgramFile(IconImage(255, 0, 0), IconImage(0, 255, 0)));
  safefile::WriteFile(txt, "no icons here");

  // Editing shows the place's library with its two icons chosen.
  TApPlace place;
  place.PlacePath = dir.string();
  place.PlaceIconDll = "Shell32.dll";
  place.PlaceIcon = 3;
  place.PlaceHotIcon = 4;
  TApAddPlaceFrm form(nullptr);
  form.LoadFrom(place, false);
  EXPECT_GT(form.NormalGrid->IconCount(), 4);
  EXPECT_EQ(form.NormalGrid->Col(), 3);
  EXPECT_EQ(form.SelectedGrid->Col(), 4);

  // Browsing picks another library: its icons show and the chosen column is the icon.
  {
    ui::DialogScript script;
    script.AnswerFile(dll);
    form.BrowseButton->Click();
    EXPECT_EQ(script.Last().Caption, "Browse for icon library");
    EXPECT_EQ(script.Last().Filter, "Executables|*.exe;*.dll;*.ocx;*.bpl;*.cpl;|Icons|*.ico|All files|*.*");
  }
  EXPECT_EQ(form.LibraryEdit->Text(), dll);
  EXPECT_EQ(form.NormalGrid->IconCount(), 2);
  form.NormalGrid->SetIconIndex(0);
  form.SelectedGrid->SetIconIndex(1);
  form.StoreTo(place);
  EXPECT_EQ(place.PlaceIconDll, dll);
  EXPECT_EQ(place.PlaceIcon, 0);
  EXPECT_EQ(place.PlaceHotIcon, 1);

  // A file without icons is said so and empties the grids; the numbers stay as they were.
  {
    ui::DialogScript script;
    script.Answer(IDOK);
    form.LibraryEdit->SetText(txt);
    form.ShowIconsButton->Click();
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Last().Text, "No icons were found in the file");
    EXPECT_EQ(script.Last().Caption, "New place - Icon library");
    EXPECT_EQ(script.Last().Icon, MB_ICONSTOP);
  }
  EXPECT_EQ(form.NormalGrid->IconCount(), 0);
  form.StoreTo(place);
  EXPECT_EQ(place.PlaceIcon, 0);
  EXPECT_EQ(place.PlaceHotIcon, 1);

  // A dropped folder or file comes with the program's icons for it.
  TApPlacesBarOptions o;
  TApPlacesBarFrm bar(nullptr, &o);
  ui::DialogScript script;
  for (int i = 0; i < 2; ++i) script.AnswerForm([](TForm& f) { dynamic_cast<TApAddPlaceFrm&>(f).OkButton->Click(); });
  ASSERT_EQ(bar.AddDroppedFiles({dir.string(), dll}), 2);
  EXPECT_EQ(o.Places()->Items(0)->PlaceIconDll, "Shell32.dll");
  EXPECT_EQ(o.Places()->Items(0)->PlaceIcon, 3);
  EXPECT_EQ(o.Places()->Items(0)->PlaceHotIcon, 4);
  EXPECT_EQ(o.Places()->Items(1)->PlaceIcon, 0);
  EXPECT_EQ(o.Places()->Items(1)->PlaceHotIcon, 0);
  std::filesystem::remove_all(dir);
}

}  // namespace
