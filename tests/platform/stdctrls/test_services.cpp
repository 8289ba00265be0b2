// Menus, the clipboard, the printer and the beep.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "StdFixture.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Clipboard.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/Printer.h"

class ServicesTest : public StdTest {};

TEST(Menus, AcceleratorsAndShortCutTexts) {
  struct Row { const char* caption; const char* stripped; char hotkey; } rows[] = {
      {"&File", "File", 'F'}, {"E&xit", "Exit", 'X'}, {"Save && &quit", "Save & quit", 'Q'},
      {"Plain", "Plain", 0},  {"&&Only", "&Only", 0}, {"Trailing&", "Trailing", 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(StripHotkey(r.caption), r.stripped) << r.caption;
    EXPECT_EQ(GetHotkey(r.caption), r.hotkey) << r.caption;
  }
  EXPECT_TRUE(IsAccel('x', "E&xit"));
  struct Sc { TShortCut sc; const char* text; } shortcuts[] = {
      {static_cast<TShortCut>('S' | scCtrl), "Ctrl+S"}, {VK_F5, "F5"},
      {static_cast<TShortCut>(VK_DELETE | scShift), "Shift+Del"},
      {static_cast<TShortCut>(VK_INSERT | scCtrl), "Ctrl+Ins"}, {static_cast<TShortCut>('1' | scAlt), "Alt+1"},
  };
  for (const Sc& s : shortcuts) {
    EXPECT_EQ(ShortCutToText(s.sc), s.text);
    EXPECT_EQ(TextToShortCut(s.text), s.sc) << s.text;
  }
  EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), scNone);
  EXPECT_EQ(ShortCut('S', {ssCtrl}), 'S' | scCtrl);
}

TEST_F(ServicesTest, MenuTreeShortcutsAndRadioItems) {
  TForm* f = NewForm();
  auto* menu = new TMainMenu(f);
  auto add = [&](TMenuItem* parent, const char* caption) {
    auto* item = new TMenuItem(f);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  };
  TMenuItem* file = add(menu->Items(), "&File");
  TMenuItem* save = add(file, "&Save");
  save->SetShortCut(TextToShortCut("Ctrl+S"));
  int saved = 0;
  save->OnClick = [&](TObject*) { ++saved; };
  TMenuItem* units[2];
  for (int i = 0; i < 2; ++i) {
    units[i] = add(file, i ? "&Imperial" : "&Metric");
    units[i]->SetRadioItem(true);
    units[i]->SetAutoCheck(true);
    units[i]->SetGroupIndex(1);
  }
  EXPECT_EQ(menu->FindAccel('f'), file);
  EXPECT_EQ(file->Find("save"), save);
  EXPECT_TRUE(menu->IsShortCut('S', {ssCtrl}));
  EXPECT_EQ(saved, 1);
  EXPECT_FALSE(menu->IsShortCut('S', {}));
  save->SetEnabled(false);
  EXPECT_FALSE(menu->IsShortCut('S', {ssCtrl}));
  units[0]->Click();
  units[1]->Click();
  EXPECT_FALSE(units[0]->Checked());
  EXPECT_TRUE(units[1]->Checked());
  menu->AttachToForm();
  f->Show();
  EXPECT_GT(menu->BarHeight(), 0);
  // Freeing an item takes it out of its parent.
  delete units[0];
  EXPECT_EQ(file->Count(), 2);

  auto* popup = new TPopupMenu(f);
  auto* copy = new TMenuItem(popup);
  copy->SetCaption("&Copy");
  popup->Items()->Add(copy);
  int popups = 0;
  popup->OnPopup = [&](TObject*) { ++popups; };
  popup->Popup(40, 50);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(popup->PopupPoint(), TPoint(40, 50));
  EXPECT_TRUE(popup->IsShown());
  popup->CloseMenu();
}

TEST_F(ServicesTest, ClipboardRoundTripStopsAtNul) {
  Clipboard()->SetAsText("a\tb\t\r\n\xE9t\xE9");  // Windows-1252 survives the trip
  EXPECT_EQ(Clipboard()->AsText(), "a\tb\t\r\n\xE9t\xE9");
  EXPECT_TRUE(Clipboard()->HasText());
  Clipboard()->SetAsText(AnsiString("left\0right", 10));
  EXPECT_EQ(Clipboard()->AsText(), "left");
}

TEST(Beep, CounterSeesEveryBeep) {
  ui::BeepCounter beeps;
  MessageBeep(0);
  MessageBeep(0x30);
  EXPECT_EQ(beeps.Count(), 2);
  EXPECT_EQ(beeps.LastType(), 0x30u);
}

TEST_F(ServicesTest, PrintedPdfPageShowsTheDrawing) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("cq5print" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::path pdf = dir / "page.pdf";
  TPrinter* p = Printer();
  p->SetOutputFileName(pdf.string());
  p->SetTitle("Map");
  p->SetOrientation(poPortrait);
  EXPECT_GT(p->PageHeight(), p->PageWidth());
  p->BeginDoc();
  EXPECT_THROW(p->BeginDoc(), EPrinter);
  const int w = p->PageWidth(), h = p->PageHeight();
  TCanvas* c = p->Canvas();
  // A black box in the top-left quarter.
  c->Brush()->SetColor(clBlack);
  c->FillRect(TRect(0, 0, w / 2, h / 2));
  p->NewPage();
  EXPECT_EQ(p->PageNumber(), 2);
  p->EndDoc();
  EXPECT_THROW(p->EndDoc(), EPrinter);
  ASSERT_TRUE(fs::exists(pdf));

  // Render the first page at 20 pixels per inch and look at two probes.
  fs::path png = dir / "page";
  std::string cmd = "pdftoppm -r 20 -f 1 -l 1 -png -singlefile '" + pdf.string() + "' '" + png.string() + "'";
  if (std::system("command -v pdftoppm >/dev/null") != 0) GTEST_SKIP() << "pdftoppm missing";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  TBitmap img;
  img.LoadFromFile((png.string() + ".png"));
  ASSERT_GT(img.Width(), 10);
  EXPECT_EQ(img.Canvas()->Pixel(img.Width() / 4, img.Height() / 4), clBlack);
  EXPECT_EQ(img.Canvas()->Pixel(img.Width() * 3 / 4, img.Height() * 3 / 4), clWhite);
  fs::remove_all(dir);
  p->SetOutputFileName("");
}

// A PDF file is saved as every file is: a target that may not be replaced is refused
// before anything is drawn (a pipe without blocking), a failed write keeps the old file,
// and text drawn on the page stays text that a PDF reader finds.
TEST_F(ServicesTest, PdfFileIsSavedWholeOrNotAtAll) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("cq5pdfsafe" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string old = (dir / "old.pdf").string(), pipe = (dir / "pipe.pdf").string();
  { std::ofstream(old) << "the old print"; }
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  auto slurp = [](const std::string& f) {
    std::ifstream in(f, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  };
  TPrinter* p = Printer();
  p->SetTitle("Log");
  alarm(20);  // opening the pipe would block
  p->SetOutputFileName(pipe);
  EXPECT_THROW(p->BeginDoc(), EPrinter);
  EXPECT_FALSE(p->Printing());
  alarm(0);

  // Room for 4 KiB only: the page cannot be written whole.
  p->SetOutputFileName(old);
  rlimit was {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
  rlimit small = was;
  small.rlim_cur = 4096;
  p->BeginDoc();
  p->Canvas()->Font()->SetHeight(-200);
  p->Canvas()->TextOut(100, 100, "Trend caption");
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  try {
    p->EndDoc();
    ADD_FAILURE() << "a file larger than the limit was written";
  } catch (const EPrinter& e) {
    EXPECT_NE(e.Message().find("Cannot write file"), AnsiString::npos) << e.Message();
  }
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &was), 0);
  EXPECT_EQ(slurp(old), "the old print");

  p->BeginDoc();
  p->Canvas()->Font()->SetHeight(-200);
  p->Canvas()->TextOut(100, 100, "Trend caption");
  p->Canvas()->SetBkMode(OPAQUE);
  p->Canvas()->TextOut(100, 400, "Opaque legend");
  p->EndDoc();
  EXPECT_EQ(slurp(old).substr(0, 5), "%PDF-");
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_TRUE(e.path().filename() == "old.pdf" || e.path().filename() == "pipe.pdf") << e.path();
  const std::string txt = (dir / "old.txt").string();
  if (std::system(("pdftotext '" + old + "' '" + txt + "' 2>/dev/null").c_str()) == 0) {
    const std::string text = slurp(txt);
    EXPECT_NE(text.find("Trend caption"), std::string::npos) << text;
    EXPECT_NE(text.find("Opaque legend"), std::string::npos) << text;
  }
  p->SetOutputFileName("");
  fs::remove_all(dir);
}

TEST_F(ServicesTest, PrinterOrientationAndMisuse) {
  TPrinter* p = Printer();
  p->SetOrientation(poLandscape);
  EXPECT_GT(p->PageWidth(), p->PageHeight());
  EXPECT_GT(p->XDpi(), 0);
  p->SetOrientation(poPortrait);
  EXPECT_THROW(p->NewPage(), EPrinter);
  EXPECT_THROW(p->EndDoc(), EPrinter);
  EXPECT_FALSE(p->Printing());
}
