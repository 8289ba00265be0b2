// The extended file dialogs: positioning and docking of the side forms, the places bar
// kept in the registry store, and the dialogs run through the dialog script.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include "controls/ApAddPlace.h"
#include "controls/ApDlgParams.h"
#include "controls/ApOpenDlg.h"
#include "controls/ApPlacesBar.h"
#include "controls/ApSaveDlg.h"
#include "platform/classes/IniFiles.h"
#include "platform/classes/Registry.h"
#include "platform/classes/SafeFile.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "LockHolder.h"

// Forms found by name: 'Side' finds TSide.
class TSide : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TSide"; }
};
class TBelow : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TBelow"; }
};

namespace {

class ApDialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("cq5apdlg" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "sub");
    safefile::WriteFile((dir / "a.map").string(), "x");
    safefile::WriteFile((dir / "b.txt").string(), "x");
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    TRegistry reg;
    reg.DeleteKey("\\Software\\CorvaneTest\\Places");
  }
  std::filesystem::path dir;
};

TEST_F(ApDialogs, PositionModes) {
  const TRect screen(0, 0, 1280, 1024);
  const TRect d(10, 20, 410, 320);  // 400 x 300
  const TRect main(100, 100, 300, 200);
  struct Row {
    TApDlgPosition mode;
    const TRect* ref;
    int shiftX, shiftY;
    bool fit;
    TRect want;
  } rows[] = {
      {dpDefault, nullptr, 0, 0, false, d},
      {dpScrCenter, nullptr, 0, 0, false, TRect(440, 362, 840, 662)},
      {dpScrCenter, nullptr, 5, -7, false, TRect(445, 355, 845, 655)},
      {dpMainFormCenter, &main, 0, 0, false, TRect(0, 0, 400, 300)},
      {dpMainFormCenter, &main, -50, 0, false, TRect(-50, 0, 350, 300)},
      {dpMainFormCenter, &main, -50, 0, true, TRect(0, 0, 400, 300)},
  };
  for (const Row& r : rows)
    EXPECT_EQ(PositionDialogRect(d, r.mode, r.ref, screen, r.shiftX, r.shiftY, r.fit), r.want) << int(r.mode);
  // Wider than the screen and fitted: the left edge ends at 0.
  EXPECT_EQ(FitRectToScreen(TRect(100, 0, 1500, 10), screen).Left, 0);
  EXPECT_EQ(FitRectToScreen(TRect(1000, 900, 1200, 1100), screen), TRect(1000, 824, 1200, 1024));
}

TEST_F(ApDialogs, OwnerCentreFallsBackToTheMainForm) {
  TComponent notAForm(nullptr);
  TApOpenDialog dlg(&notAForm);
  dlg.CustDlgParams()->Position = dpOwnerCenter;
  const TRect screen(0, 0, 1000, 800);
  // No main form either: centred on the screen.
  EXPECT_EQ(dlg.CustDlgParams()->PositionRect(TRect(0, 0, 200, 100), screen), TRect(400, 350, 600, 450));
}

TEST_F(ApDialogs, SideFormsDockAndFollowTheDialog) {
  auto* side = new TSide(Application);
  side->SetBounds(0, 0, 200, 50);
  auto* below = new TBelow(Application);
  below->SetBounds(0, 0, 60, 80);
  TApCustDlgParams p;
  p.SetRightFormName("side");  // names match whatever their case
  p.SetBottomFormName("Below");
  p.SetLeftFormName("Missing");
  const TApDockLayout a = p.Attach(400, 300);
  EXPECT_EQ(a.ExtraWidth, 200) << "the right form makes the dialog 200 pixels wider";
  EXPECT_EQ(a.ExtraHeight, 80);
  EXPECT_EQ(side->BoundsRect(), TRect(400, 0, 600, 300));
  EXPECT_EQ(below->BoundsRect(), TRect(0, 300, 600, 380));
  EXPECT_EQ(side->BorderStyle(), bsNone);
  // The dialog grows: the forms keep to their edges.
  p.Resize(700, 500);
  EXPECT_EQ(side->BoundsRect(), TRect(500, 0, 700, 420));
  EXPECT_EQ(below->BoundsRect(), TRect(0, 420, 700, 500));
  EXPECT_EQ(p.AccumulatedChange(), TPoint(100, 120));
  EXPECT_EQ(p.Detach(), TPoint(200, 80)) << "closing shrinks the dialog back";
  EXPECT_FALSE(side->Visible());

  TApCustDlgParams none;
  none.SetRightFormName("NoSuchForm");
  EXPECT_EQ(none.Attach(400, 300).ExtraWidth, 0) << "a missing form leaves the dialog at its size";
  // A left form shifts the dialog's own items by its width and the frame's width.
  TApCustDlgParams left;
  left.SetLeftFormName("Side");
  const TApDockLayout l = left.AttachLayout(400, 300);
  EXPECT_EQ(l.ChildShiftX, 200 + kDlgFrameWidth);
  EXPECT_EQ(l.Left, TRect(0, 0, 200, 300));
  delete side;
  delete below;
}

TEST_F(ApDialogs, PlacesRoundTripThroughTheRegistry) {
  TApPlacesBarOptions out;
  out.RegistryKey = "Software\\CorvaneTest\\Places";
  TApPlacesBarOptions in;
  in.RegistryKey = out.RegistryKey;
  EXPECT_TRUE(in.LoadFromRegistry()) << "no key yet means no places, not an error";
  EXPECT_EQ(in.Places()->Count(), 0);

  // Two places with the same name but different folders stay two places.
  for (const char* p : {"/tmp/a/maps", "/tmp/b/maps"}) {
    TApPlace* place = out.Places()->Add();
    place->PlacePath = p;
    place->AutoCaption = true;
  }
  TApPlace* recent = out.Places()->Add();
  recent->PlaceSpecPath = ftRecent;
  recent->SetPlaceName("Recent");
  recent->PlaceIcon = 3;
  ASSERT_TRUE(out.SaveToRegistry());
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\CorvaneTest\\Places\\Place_2"));
    EXPECT_EQ(reg.ReadInteger("SpecFolder"), 8);
  }
  ASSERT_TRUE(in.LoadFromRegistry());
  ASSERT_EQ(in.Places()->Count(), 3);
  EXPECT_EQ(in.Places()->Items(0)->PlacePath, "/tmp/a/maps");
  EXPECT_EQ(in.Places()->Items(1)->PlacePath, "/tmp/b/maps");
  EXPECT_EQ(in.Places()->Items(1)->PlaceName(), "maps");
  EXPECT_EQ(in.Places()->Items(2)->PlaceSpecPath, ftNone) << "a special folder past the four offered loads back plain";
  EXPECT_EQ(in.Places()->Items(2)->PlaceIcon, 3);
  EXPECT_FALSE(in.Places()->Items(2)->PlacePath.empty()) << "it still opens a folder";
  EXPECT_EQ(in.Places()->Items(2)->PlacePath, recent->Target());

  // Loading again updates the places instead of adding them; a shorter list drops the rest.
  ASSERT_TRUE(in.LoadFromRegistry());
  EXPECT_EQ(in.Places()->Count(), 3);
  out.Places()->Delete(0);
  ASSERT_TRUE(out.SaveToRegistry());
  TApPlacesBarOptions again;
  again.RegistryKey = out.RegistryKey;
  ASSERT_TRUE(again.LoadFromRegistry());
  EXPECT_EQ(again.Places()->Count(), 2);
}

// Sections out of order in the store load in the order of their numbers, and a key nested
// below a place is no place: load, save, load gives the same list.
TEST_F(ApDialogs, PlacesKeepTheirOrderWhateverTheStoreOrder) {
  // A store of its own, apart from the one other cases of this suite use at the same time.
  const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string savedConfig = oldConfig != nullptr ? oldConfig : "";
  setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  {
    TRegistry reg;
    for (const char* sub : {"Place_10", "Place_2", "Place_0\\Extra", "Place_1", "Place_0"}) {
      ASSERT_TRUE(reg.OpenKey(AnsiString("Software\\CorvaneTest\\PlacesOrder\\") + sub, true));
      reg.WriteString("Path", AnsiString("/p/") + sub);
      reg.CloseKey();
    }
  }
  const std::vector<AnsiString> expected = {"/p/Place_0", "/p/Place_1", "/p/Place_2", "/p/Place_10"};
  const auto paths = [](TApPlacesBarOptions& o) {
    std::vector<AnsiString> v;
    for (int i = 0; i < o.Places()->Count(); ++i) v.push_back(o.Places()->Items(i)->PlacePath);
    return v;
  };
  TApPlacesBarOptions first;
  first.RegistryKey = "Software\\CorvaneTest\\PlacesOrder";
  ASSERT_TRUE(first.LoadFromRegistry());
  EXPECT_EQ(paths(first), expected);
  ASSERT_TRUE(first.SaveToRegistry());
  TApPlacesBarOptions second;
  second.RegistryKey = first.RegistryKey;
  ASSERT_TRUE(second.LoadFromRegistry());
  EXPECT_EQ(paths(second), expected);
  if (oldConfig != nullptr) setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
  else unsetenv("XDG_CONFIG_HOME");
}

TEST_F(ApDialogs, DraggedPlaceGoesWhereItWasDropped) {
  TApPlacesBarOptions o;
  for (const char* p : {"A", "B", "C", "D"}) o.Places()->Add()->SetPlaceName(p);
  TApPlacesBarFrm bar(nullptr, &o);
  ASSERT_EQ(bar.ButtonCount(), 4);
  bar.DropPlace(0, 2);
  auto names = [&] {
    AnsiString s;
    for (int i = 0; i < o.Places()->Count(); ++i) s += o.Places()->Items(i)->PlaceName();
    return s;
  };
  EXPECT_EQ(names(), "BCAD");
  bar.DropPlace(3, 0);
  EXPECT_EQ(names(), "DBCA");
  EXPECT_EQ(bar.ButtonCount(), 4);
}

TEST_F(ApDialogs, PlacesOpenTheirFolderOrFile) {
  TApPlace folder, file, gone;
  folder.PlacePath = (dir / "sub").string();
  file.PlacePath = (dir / "a.map").string();
  gone.PlacePath = (dir / "nothing").string();
  EXPECT_EQ(ResolvePlace(folder).Folder, folder.PlacePath);
  EXPECT_EQ(ResolvePlace(file).Folder, dir.string());
  EXPECT_EQ(ResolvePlace(file).FileName, "a.map");
  EXPECT_TRUE(ResolvePlace(gone).Folder.empty());
  TApPlace drives;
  drives.PlaceSpecPath = ftDrives;
  EXPECT_EQ(ResolvePlace(drives).Folder, "/");
}

TEST_F(ApDialogs, CaptionTooWideEndsInDots) {
  TBitmap b;
  b.SetSize(10, 10);
  const AnsiString fit = TApPlaceButton::FitCaption(b.Canvas(), "A very long caption for a place", 87);
  EXPECT_EQ(fit.substr(fit.size() - 3), "...");
  EXPECT_LE(b.Canvas()->TextWidth(fit), 87);
  EXPECT_EQ(TApPlaceButton::FitCaption(b.Canvas(), "Maps", 87), "Maps");
}

TEST_F(ApDialogs, ScriptedOpenReportsWhatTheUserDoes) {
  auto* side = new TSide(Application);
  side->SetBounds(0, 0, 150, 100);
  TApOpenDialog dlg(nullptr);
  dlg.CustDlgParams()->SetRightFormName("Side");
  dlg.InitialDir = dir.string();
  dlg.Filter = "Maps|*.map|All|*.*";
  std::vector<AnsiString> seen;
  int folders = 0, types = 0, shows = 0, closes = 0;
  dlg.OnShow = [&](TObject*) {
    ++shows;
    EXPECT_EQ(dlg.GetFolderPath(), dir.string());
  };
  dlg.OnClose = [&](TObject*) { ++closes; };
  dlg.OnFolderChange = [&](TObject*) { ++folders; };
  dlg.OnTypeChange = [&](TObject*) { ++types; };
  dlg.OnFilenameChange = [&](TObject*) {
    seen.push_back(dlg.FileName);
    EXPECT_EQ(dlg.GetFileNameText(), ExtractFileName(dlg.FileName));
  };
  EXPECT_EQ(dlg.GetFolderPath(), "") << "no dialog shows yet";
  ui::DialogScript script;
  const AnsiString a = (dir / "a.map").string(), b = (dir / "b.txt").string();
  script.BrowseFiles({b}, a, 2);
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName, a);
  EXPECT_EQ(dlg.FilterIndex, 2);
  // The file-name box changes first as the dialog opens (to the name it starts with).
  EXPECT_EQ(seen, (std::vector<AnsiString>{"", b, a}));
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(types, 1);
  EXPECT_EQ(folders, 1);
  const ui::DialogRequest& r = script.Last();
  EXPECT_EQ(r.Kind, ui::DialogKind::OpenFile);
  EXPECT_EQ(r.RightPanel, side);
  EXPECT_FALSE(side->Visible()) << "the side form is given back when the dialog closes";
  EXPECT_EQ(dlg.GetFolderPath(), "");

  TApSaveDialog save(nullptr);
  save.DefaultExt = "map";
  script.BrowseFiles({}, "");
  EXPECT_FALSE(save.Execute());
  EXPECT_EQ(script.Last().Kind, ui::DialogKind::SaveFile);
  delete side;
}

TEST_F(ApDialogs, ExtraFilterAndPlacesBarNavigation) {
  TApOpenDialog dlg(nullptr);
  dlg.ExtFilter.Enabled = true;
  dlg.ExtFilter.ShowFolders = false;
  EXPECT_FALSE(dlg.IncludeInList("/x/sub", true));
  EXPECT_TRUE(dlg.IncludeInList("/x/a.map", false));
  dlg.OnIncludeFile = [](TObject*, const AnsiString& name, bool& include) { include = ExtractFileExt(name) == ".map"; };
  EXPECT_FALSE(dlg.IncludeInList("/x/b.txt", false));
  dlg.ListViewStyles.lvEnableDelete = false;

  dlg.PlacesBar()->Visible = true;
  TApPlace* sub = dlg.PlacesBar()->Places()->Add();
  sub->PlacePath = (dir / "sub").string();
  TApPlace* file = dlg.PlacesBar()->Places()->Add();
  file->PlacePath = (dir / "a.map").string();
  dlg.InitialDir = dir.string();
  AnsiString folderSeen, nameSeen;
  dlg.OnShow = [&](TObject*) {
    TApPlacesBarFrm* bar = dlg.PlacesBarForm();
    ASSERT_NE(bar, nullptr);
    bar->OpenPlace(0);
    folderSeen = dlg.GetFolderPath();
    EXPECT_TRUE(bar->Buttons(0)->Down()) << "the bar shows which place is the current folder";
    bar->OpenPlace(1);
    nameSeen = dlg.GetFileNameText();
  };
  ui::DialogScript script;
  script.CancelFile();
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(folderSeen, (dir / "sub").string());
  EXPECT_EQ(nameSeen, "a.map");
  EXPECT_FALSE(script.Last().ListStyles.EnableDelete) << "no deleting in the list";
  EXPECT_TRUE(script.Last().ListStyles.EnableEdit) << "renaming stays";
  EXPECT_TRUE(static_cast<bool>(script.Last().IncludeFile));
}

// The filter's event and the dialog's are one: either name sets, reads and clears it.
TEST_F(ApDialogs, TheIncludeEventIsTheFiltersEvent) {
  TApOpenDialog dlg(nullptr);
  dlg.ExtFilter.Enabled = true;
  dlg.OnIncludeFile = [](TObject*, const AnsiString&, bool& include) { include = false; };
  ASSERT_TRUE(static_cast<bool>(dlg.ExtFilter.OnIncludeFile));
  EXPECT_FALSE(dlg.IncludeInList("/x/a.map", false));
  dlg.ExtFilter.OnIncludeFile = nullptr;
  EXPECT_FALSE(static_cast<bool>(dlg.OnIncludeFile));
  EXPECT_TRUE(dlg.IncludeInList("/x/a.map", false));
}

// Every control left out of VisibleControls reaches the dialog as an item to hide.
TEST_F(ApDialogs, ControlsLeftOutAreHidden) {
  TApOpenDialog dlg(nullptr);
  dlg.SetVisibleControls((1u << dcFileName) | (1u << dcOkBtn) | (1u << dcSelectionCtrl));
  ui::DialogScript script;
  script.CancelFile();
  dlg.Execute();
  using I = ui::FileDialogItem;
  EXPECT_EQ(script.Last().HiddenItems,
            ui::ItemBit(I::FolderCombo) | ui::ItemBit(I::FolderLabel) | ui::ItemBit(I::CancelButton) |
                ui::ItemBit(I::FileNameLabel) | ui::ItemBit(I::FileType) | ui::ItemBit(I::FileTypeLabel) |
                ui::ItemBit(I::ToolBar));
  EXPECT_FALSE(script.Last().HideList);
}

using testhelp::LockHolder;

// A chosen file another program holds locked against what the dialog would do with it (read
// it after an open, write it after a save), or is writing when the dialog would write it: the handler hears of it first; left at -1, the
// dialog says the file is in use and stays open for the user's next choice.
TEST_F(ApDialogs, AFileLockedByAnotherProgramIsAShareViolation) {
  const AnsiString locked = (dir / "a.map").string(), other = (dir / "b.txt").string();
  struct Case {
    LockHolder::Kind lock;
    bool save;
    int answer;       // what the handler answers (-1: leaves it)
    bool violation;   // the handler is asked
    bool taken;       // the locked file is chosen in the end
    bool warned;      // the dialog says the file is in use
  } cases[] = {
      {LockHolder::FcntlWrite, false, -1, true, false, true},
      {LockHolder::FlockExclusive, false, -1, true, false, true},
      {LockHolder::FcntlWrite, false, OFN_SHAREFALLTHROUGH, true, true, false},
      {LockHolder::FcntlWrite, false, OFN_SHARENOWARN, true, false, false},
      {LockHolder::FcntlWrite, false, OFN_SHAREWARN, true, false, true},
      {LockHolder::FcntlRead, false, -1, false, true, false},
      {LockHolder::FlockShared, false, -1, false, true, false},
      {LockHolder::FcntlRead, true, -1, true, false, true},
      {LockHolder::FlockShared, true, -1, true, false, true},
      // Held open for writing without a lock: read freely, but not written over.
      {LockHolder::OpenForWriting, false, -1, false, true, false},
      {LockHolder::OpenForWriting, true, -1, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.lock) + (c.save ? " save " : " open ") + std::to_string(c.answer));
    LockHolder holder(locked.c_str(), c.lock);
    ASSERT_TRUE(holder.Locked());
    std::unique_ptr<TApCustomOpenDialog> dlg(c.save ? static_cast<TApCustomOpenDialog*>(new TApSaveDialog(nullptr))
                                                    : new TApOpenDialog(nullptr));
    std::vector<AnsiString> asked;
    dlg->OnShareViolation = [&](TObject* sender, int& result, const AnsiString& file) {
      EXPECT_EQ(sender, dlg.get());
      EXPECT_EQ(result, -1);
      asked.push_back(file);
      if (c.answer != -1) result = c.answer;
    };
    ui::DialogScript script;
    script.AnswerFile(locked);
    if (c.warned) script.Answer(mrOk);
    if (!c.taken) script.AnswerFile(other);  // the dialog stayed open: the user picks another
    ASSERT_TRUE(dlg->Execute());
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(dlg->FileName, c.taken ? locked : other);
    EXPECT_EQ(asked, c.violation ? std::vector<AnsiString>{locked} : std::vector<AnsiString>{});
    EXPECT_EQ(script.Count(ui::DialogKind::MessageBox), c.warned ? 1 : 0);
    if (c.warned) {
      EXPECT_NE(script.Shown()[1].Text.find("in use by another program"), AnsiString::npos);
    }
  }
  EXPECT_FALSE(ui::FileLockedByOther(locked, true)) << "not in use once the other program let go";
  // This program's own descriptors do not count.
  const int own = ::open(locked.c_str(), O_WRONLY);
  EXPECT_FALSE(ui::FileLockedByOther(locked, true));
  ::close(own);
}

}  // namespace

namespace {

AnsiString PlaceNames(TApPlacesBarOptions& o) {
  AnsiString s;
  for (int i = 0; i < o.Places()->Count(); ++i) s += (i ? "," : "") + o.Places()->Items(i)->PlaceName();
  return s;
}

// The bar's menu deletes a place after asking, and edits one in the place form; each only
// where the options allow it.
TEST_F(ApDialogs, PlacesAreDeletedAndEditedFromTheBarMenu) {
  TApPlacesBarOptions o;
  for (const char* n : {"Maps", "Logs", "Roms"}) {
    TApPlace* p = o.Places()->Add();
    p->SetPlaceName(n);
    p->PlacePath = (dir / "sub").string();
  }
  TApPlacesBarFrm bar(nullptr, &o);
  ui::DialogScript script;
  o.AllowDelete = false;
  EXPECT_FALSE(bar.DeletePlace(1));
  script.Answer(IDNO).Answer(IDYES);
  o.AllowDelete = true;
  EXPECT_FALSE(bar.DeletePlace(1));
  EXPECT_TRUE(bar.DeletePlace(1));
  EXPECT_EQ(script.Last().Caption, "Place bar");
  EXPECT_EQ(script.Last().Text, "Are you sure you want to delete this place?\rPlace: Logs");
  EXPECT_EQ(PlaceNames(o), "Maps,Roms");
  EXPECT_EQ(bar.ButtonCount(), 2);

  // Properties: the form shows the place; made a special folder, it loses its path.
  script.AnswerForm([](TForm& f) {
    auto& form = dynamic_cast<TApAddPlaceFrm&>(f);
    EXPECT_EQ(form.Caption(), "Places Bar item");
    EXPECT_EQ(form.CaptionEdit->Text(), "Roms");
    EXPECT_TRUE(form.PathEdit->Visible());
    form.SpecialBox->SetChecked(true);
    EXPECT_FALSE(form.PathEdit->Visible());
    form.SpecialList->SetItemIndex(2);
    form.HintEdit->SetText("my files");
    form.AutoCaptionBox->SetChecked(true);
    EXPECT_FALSE(form.CaptionEdit->Enabled());
    form.OkButton->Click();
  });
  EXPECT_TRUE(bar.EditPlace(1));
  const TApPlace* edited = o.Places()->Items(1);
  EXPECT_EQ(edited->PlaceSpecPath, ftPersonal);
  EXPECT_EQ(edited->PlacePath, "");
  EXPECT_EQ(edited->PlaceDesc, "my files");
  EXPECT_EQ(edited->PlaceName(), "My Documents");
  script.AnswerForm([](TForm& f) { dynamic_cast<TApAddPlaceFrm&>(f).CancelButton->Click(); });
  EXPECT_FALSE(bar.EditPlace(0));
  o.AllowEdit = false;
  EXPECT_FALSE(bar.EditPlace(0));
  EXPECT_EQ(script.Pending(), 0u);
}

// Files dropped on the bar are offered one by one in the place form, filled in from the
// file; those confirmed become places.
TEST_F(ApDialogs, DroppedFilesBecomePlaces) {
  TApPlacesBarOptions o;
  TApPlacesBarFrm bar(nullptr, &o);
  ui::DialogScript script;
  script.AnswerForm([](TForm& f) {
    auto& form = dynamic_cast<TApAddPlaceFrm&>(f);
    EXPECT_EQ(form.Caption(), "New Places Bar item");
    EXPECT_EQ(form.CaptionEdit->Text(), "sub");
    EXPECT_EQ(form.HintEdit->Text(), "sub");
    form.OkButton->Click();
  });
  script.AnswerForm([](TForm& f) { f.SetModalResult(mrCancel); });
  EXPECT_EQ(bar.AddDroppedFiles({(dir / "sub").string() + "/", (dir / "a.map").string()}), 1);
  ASSERT_EQ(o.Places()->Count(), 1);
  EXPECT_EQ(o.Places()->Items(0)->PlacePath, (dir / "sub").string());
  EXPECT_EQ(bar.ButtonCount(), 1);
  o.AllowDrop = false;
  EXPECT_EQ(bar.AddDroppedFiles({(dir / "a.map").string()}), 0);
}

// A store that cannot be written keeps the places it held: nothing is half replaced.
TEST_F(ApDialogs, FailedPlacesWriteKeepsTheOldList) {
  TApPlacesBarOptions out;
  out.RegistryKey = "Software\\CorvaneTest\\Places";
  auto add = [&](const char* name) {
    TApPlace* p = out.Places()->Add();
    p->SetPlaceName(name);
    p->PlacePath = AnsiString("/places/") + name;
  };
  add("A");
  add("B");
  ASSERT_TRUE(out.SaveToRegistry());
  const std::string store = TIniFile("registry.ini").FileName();
  struct Writable {
    std::string file;
    ~Writable() { std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write); }
  } restore{store};
  std::filesystem::permissions(store, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  out.Places()->Delete(0);
  add("C");
  add("D");
  EXPECT_FALSE(out.SaveToRegistry());
  std::filesystem::permissions(store, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  TApPlacesBarOptions in;
  in.RegistryKey = out.RegistryKey;
  ASSERT_TRUE(in.LoadFromRegistry());
  EXPECT_EQ(PlaceNames(in), "A,B");
}

}  // namespace
