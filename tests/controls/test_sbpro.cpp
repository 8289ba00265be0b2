// The status bar with per-panel colours: part layout, texts as sent to the bar, panel
// drawing, clicks, hints and the form resource.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include "controls/LblEffct.h"
#include "controls/SBPro.h"
#include "platform/streaming/FormResources.h"
#include "platform/ui/Application.h"
#include "platform/stdctrls/Menus.h"
#include "platform/ui/Simulate.h"

namespace {

class StatusBarProTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterLabelStatusElasticClasses();
  }
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetClientSize(600, 100);
    bar = new TStatusBarPro(form.get());
    bar->SetParent(form.get());
  }
  // Image 0 of the bar's image list: an 8 x 8 lime square.
  TImageList* GiveTheBarAGreenImage() {
    auto* images = new TImageList(form.get(), 8, 8);
    TBitmap green;
    green.SetSize(8, 8);
    green.Canvas()->Brush()->SetColor(clLime);
    green.Canvas()->FillRect(TRect(0, 0, 8, 8));
    images->Add(&green);
    bar->SetImages(images);
    return images;
  }
  TStatusPanelPro* AddPanel(int width, const char* text = "", TAlignment a = taLeftJustify) {
    TStatusPanelPro* p = bar->Panels()->Add();
    p->SetWidth(width);
    p->SetText(text);
    p->SetAlignment(a);
    return p;
  }
  std::unique_ptr<TForm> form;
  TStatusBarPro* bar = nullptr;
};

TEST_F(StatusBarProTest, BottomAlignedWithSystemFont) {
  EXPECT_EQ(bar->Height(), 19);
  EXPECT_EQ(bar->Width(), 600) << "aligned to the bottom of the form";
  EXPECT_TRUE(bar->UseSystemFont());
  EXPECT_FALSE(bar->ParentFont());
  EXPECT_THROW(bar->Panels()->Items(0), EListError);
}

TEST_F(StatusBarProTest, PartLayout) {
  EXPECT_EQ(bar->Parts(), std::vector<int>{-1}) << "no panels: one full-width part";
  AddPanel(150);
  AddPanel(250);
  AddPanel(50);
  EXPECT_EQ(bar->Parts(), (std::vector<int>{150, 400, -1}));
  bar->Panels()->Items(2)->SetWidth(1000);
  EXPECT_EQ(bar->PanelRect(2).Right, 600);
  EXPECT_EQ(bar->PanelAtPos(160, 5), 1);
  EXPECT_EQ(bar->PanelAtPos(599, 5), 2);
  bar->Panels()->Clear();
  for (int i = 0; i < 130; ++i) AddPanel(3);
  EXPECT_EQ(bar->Parts().size(), 128u);
  EXPECT_EQ(bar->Parts().back(), -1);
  EXPECT_TRUE(bar->PanelRect(129).IsEmpty());
}

TEST_F(StatusBarProTest, ChangedTextWaitsForThePaint) {
  AddPanel(150);
  AddPanel(250, "Default ECU settings displayed", taCenter);
  AddPanel(50);
  TStatusPanelPro* p = (*bar->Panels())[1];
  EXPECT_FALSE(p->NeedsSending());
  p->SetText("Loaded");
  EXPECT_TRUE(p->NeedsSending());
  EXPECT_EQ(bar->LastInvalidRect(), bar->PanelRect(1)) << "only that panel is repainted";
  EXPECT_FALSE((*bar->Panels())[0]->NeedsSending());
  TBitmap shot;
  ui::GrabControl(bar, shot);
  EXPECT_FALSE(p->NeedsSending());
}

// Sets the desktop's reading direction for one test and puts it back.
struct DesktopDirection {
  explicit DesktopDirection(bool rtl) { Application->SetRightToLeftLayout(rtl); }
  ~DesktopDirection() { Application->SetRightToLeftLayout(false); }
};

TEST_F(StatusBarProTest, SentTextsAndFlags) {
  struct Row {
    bool desktopRtl;
    TAlignment a;
    TStatusPanelBevel bevel;
    TBiDiMode mode;
    const char* text;
    unsigned flags;
  } rows[] = {
      {false, taLeftJustify, pbLowered, bdLeftToRight, "x", 0x1000},
      {false, taCenter, pbNone, bdLeftToRight, "\tx", 0x1100},
      {false, taRightJustify, pbRaised, bdLeftToRight, "\t\tx", 0x1200},
      // A left-to-right desktop reads every panel left to right.
      {false, taLeftJustify, pbLowered, bdRightToLeft, "x", 0x1000},
      {false, taRightJustify, pbLowered, bdRightToLeftReadingOnly, "\t\tx", 0x1000},
      // A right-to-left desktop: the mode decides alignment and reading order.
      {true, taLeftJustify, pbLowered, bdLeftToRight, "x", 0x1000},
      {true, taLeftJustify, pbLowered, bdRightToLeft, "\t\tx", 0x1400},
      {true, taRightJustify, pbRaised, bdRightToLeft, "x", 0x1600},
      {true, taCenter, pbLowered, bdRightToLeft, "\tx", 0x1400},
      {true, taLeftJustify, pbLowered, bdRightToLeftNoAlign, "x", 0x1400},
      {true, taRightJustify, pbLowered, bdRightToLeftReadingOnly, "\t\tx", 0x1400},
  };
  TStatusPanelPro* p = AddPanel(100, "x");
  for (const Row& r : rows) {
    DesktopDirection dir(r.desktopRtl);
    p->SetAlignment(r.a);
    p->SetBevel(r.bevel);
    p->SetBiDiMode(r.mode);
    EXPECT_EQ(bar->PanelSendText(0), r.text) << r.desktopRtl << " " << int(r.a) << " " << int(r.mode);
    EXPECT_EQ(bar->PanelSendFlags(0), r.flags) << r.desktopRtl << " " << int(r.bevel) << " " << int(r.mode);
  }
  // Panels take the bar's mode, and the bar the desktop's, until given their own.
  p->SetParentBiDiMode(true);
  EXPECT_TRUE(bar->ParentBiDiMode());
  EXPECT_EQ(p->BiDiMode(), bdLeftToRight);
  {
    DesktopDirection dir(true);
    EXPECT_EQ(bar->BiDiMode(), bdRightToLeft);
    EXPECT_EQ(p->BiDiMode(), bdRightToLeft);
    bar->SetBiDiMode(bdLeftToRight);
    EXPECT_FALSE(bar->ParentBiDiMode());
    EXPECT_EQ(p->BiDiMode(), bdLeftToRight);
  }
  bar->SetBiDiMode(bdRightToLeftNoAlign);
  EXPECT_EQ(p->BiDiMode(), bdRightToLeftNoAlign);
}

// A panel with an image and a text, left-aligned: on a left-to-right desktop the image
// leads at the left end with the text after it; on a right-to-left desktop the panel
// (following the bar, which follows the desktop) is aligned to the right end, the image
// there and the text before it, and the text reads right to left.
TEST_F(StatusBarProTest, PictureOfAPanelWithTextAndImageInBothDirections) {
  TImageList* images = GiveTheBarAGreenImage();
  TStatusPanelPro* p = AddPanel(300, "Load 12:", taLeftJustify);
  p->SetColor(clWhite);
  p->SetImageIndex(0);
  bar->Font()->SetColor(clBlack);
  AddPanel(100)->SetColor(clAqua);
  struct Span {
    int imageFirst = -1, imageLast = -1, textFirst = -1, textLast = -1;
  };
  auto look = [&](TBitmap& shot) {
    ui::GrabControl(bar, shot);
    Span s;
    for (int x = 0; x < 300; ++x)
      for (int y = 3; y < 17; ++y) {
        const TColor c = shot.Canvas()->Pixel(x, y);
        if (c == clLime) {
          if (s.imageFirst < 0) s.imageFirst = x;
          s.imageLast = x;
        } else if (c == clBlack) {
          if (s.textFirst < 0) s.textFirst = x;
          s.textLast = x;
        }
      }
    return s;
  };
  TBitmap ltrShot, rtlShot;
  const Span ltr = look(ltrShot);
  Span rtl;
  {
    DesktopDirection dir(true);
    rtl = look(rtlShot);
    if (const char* d = std::getenv("SBPRO_SHOTS")) {
      ui::GrabToPng(bar, AnsiString(d) + "/statusbar-rtl.png");
    }
  }
  if (const char* d = std::getenv("SBPRO_SHOTS")) ui::GrabToPng(bar, AnsiString(d) + "/statusbar-ltr.png");
  ASSERT_GE(ltr.imageFirst, 0);
  ASSERT_GE(rtl.imageFirst, 0);
  EXPECT_LE(ltr.imageFirst, 4) << "left to right: the image at the left end";
  EXPECT_GT(ltr.textFirst, ltr.imageLast) << "and the text after it";
  EXPECT_GE(rtl.imageLast, 292) << "right to left: the image at the right end";
  EXPECT_LT(rtl.textLast, rtl.imageFirst) << "and the text before it";
  EXPECT_EQ(rtl.imageLast - rtl.imageFirst, 7);
  EXPECT_EQ(ltr.textLast - ltr.textFirst, rtl.textLast - rtl.textFirst) << "the same text, the same width";
  delete images;
}

// Right-to-left reading orders a line as a right-to-left reader writes it: the colon
// that ends "Load 12:" stands at its left end.
TEST_F(StatusBarProTest, RightToLeftReadingOrdersTheLine) {
  auto draw = [](const char* text, unsigned flags) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(120, 20);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, 120, 20));
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    c->SetTextFlags(flags);
    c->TextOut(2, 2, text);
    return b;
  };
  auto same = [](TBitmap& a, TBitmap& b) {
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 120; ++x)
        if (a.Canvas()->Pixel(x, y) != b.Canvas()->Pixel(x, y)) return false;
    return true;
  };
  auto rtl = draw("Load 12:", ETO_RTLREADING);
  auto ltr = draw("Load 12:", 0);
  auto visual = draw(":Load 12", 0);
  EXPECT_FALSE(same(*rtl, *ltr));
  EXPECT_TRUE(same(*rtl, *visual));
  EXPECT_EQ(rtl->Canvas()->TextWidth("Load 12:"), ltr->Canvas()->TextWidth("Load 12:"));
}

TEST_F(StatusBarProTest, PanelsDrawTheirColourOrAreOwnerDrawn) {
  AddPanel(150)->SetColor(clYellow);
  TStatusPanelPro* drawn = AddPanel(250, "owner");
  drawn->SetStyle(psOwnerDraw);
  AddPanel(50)->SetColor(clAqua);
  int calls = 0;
  bar->OnDrawPanel = [&](TStatusBarPro* s, TStatusPanelPro* p, const TRect& r) {
    EXPECT_EQ(s, bar);
    EXPECT_EQ(p, drawn);
    s->Canvas()->Brush()->SetColor(clLime);
    s->Canvas()->FillRect(r);
    ++calls;
  };
  TBitmap shot;
  ui::GrabControl(bar, shot);
  EXPECT_GE(calls, 1);
  EXPECT_EQ(shot.Canvas()->Pixel(140, 10), clYellow);
  EXPECT_EQ(shot.Canvas()->Pixel(300, 10), clLime);
  EXPECT_EQ(shot.Canvas()->Pixel(580, 10), clAqua);
}

TEST_F(StatusBarProTest, ClicksGoToThePanelUnderTheMouse) {
  AddPanel(150);
  TStatusPanelPro* second = AddPanel(250);
  TObject* panelSender = nullptr;
  int barClicks = 0;
  second->OnClick = [&](TObject* s) { panelSender = s; };
  bar->OnClick = [&](TObject*) { ++barClicks; };
  bar->MouseDown(mbLeft, TShiftState{ssLeft}, 200, 5);
  bar->Click();
  EXPECT_EQ(panelSender, second);
  EXPECT_EQ(barClicks, 0);
  bar->MouseDown(mbLeft, TShiftState{ssLeft}, 20, 5);
  bar->Click();
  EXPECT_EQ(barClicks, 1) << "a panel without its own event falls back to the bar's";
  bar->Panels()->Delete(0);
  bar->SetHint("bar");
  second->SetHint("");
  EXPECT_EQ(bar->CurrentHint(), "bar");
}

TEST_F(StatusBarProTest, AutoHintFillsFirstPanelOrSimpleText) {
  bar->ShowApplicationHint("ignored");
  EXPECT_EQ(bar->SimpleText(), "");
  bar->SetAutoHint(true);
  bar->ShowApplicationHint("simple");
  EXPECT_EQ(bar->SimpleText(), "simple");
  AddPanel(100);
  bar->ShowApplicationHint("first");
  EXPECT_EQ((*bar->Panels())[0]->Text(), "first");
  int hints = 0;
  bar->OnHint = [&](TObject*) { ++hints; };
  bar->ShowApplicationHint("handled");
  EXPECT_EQ(hints, 1);
  EXPECT_EQ((*bar->Panels())[0]->Text(), "first");
}

TEST_F(StatusBarProTest, FlipReversesAndLastTakesTheRest) {
  AddPanel(100, "a");
  AddPanel(200, "b");
  AddPanel(50, "c");
  bar->FlipChildren();
  EXPECT_EQ((*bar->Panels())[0]->Text(), "c");
  EXPECT_EQ((*bar->Panels())[2]->Text(), "a");
  EXPECT_EQ((*bar->Panels())[2]->Width(), 600 - 50 - 200);
}

TEST_F(StatusBarProTest, ReadFromAFormResource) {
  TForm f(nullptr);
  ReadFormText(&f, R"(object Form1: TForm
  Width = 500
  Height = 300
  object StatusBarPro1: TStatusBarPro
    Height = 19
    Font.Height = -11
    Font.Name = 'Tahoma'
    Panels = <
      item
        Alignment = taCenter
        Width = 150
      end
      item
        Alignment = taCenter
        Text = 'Default ECU settings displayed'
        Width = 250
      end
      item
        Alignment = taCenter
        Width = 50
      end>
    UseSystemFont = False
  end
end
)",
               "sb.form");
  auto* sb = dynamic_cast<TStatusBarPro*>(f.FindComponent("StatusBarPro1"));
  ASSERT_NE(sb, nullptr);
  ASSERT_EQ(sb->Panels()->Count(), 3);
  EXPECT_EQ(sb->Panels()->Items(1)->Text(), "Default ECU settings displayed");
  EXPECT_EQ(sb->Parts(), (std::vector<int>{150, 400, -1}));
  EXPECT_FALSE(sb->UseSystemFont());
  EXPECT_EQ(sb->Font()->Name(), "Tahoma");
}


TEST_F(StatusBarProTest, ImagesSitBeforeTheTextInsideThePanel) {
  TImageList* images = GiveTheBarAGreenImage();
  TStatusPanelPro* right = AddPanel(200, "WWWW", taRightJustify);
  right->SetColor(clWhite);
  right->SetImageIndex(0);
  bar->Font()->SetColor(clBlack);
  AddPanel(100, "", taLeftJustify)->SetColor(clAqua);
  TBitmap shot;
  ui::GrabControl(bar, shot);
  // The text's right end stays in the panel's face (its last two pixels are the frame and
  // the 2-pixel gap to the next panel).
  int lastText = -1, firstImage = -1;
  for (int x = 0; x < 200; ++x)
    for (int y = 0; y < 19; ++y) {
      const TColor c = shot.Canvas()->Pixel(x, y);
      if (c == clLime && firstImage < 0) firstImage = x;
      if (c != clLime && c != clWhite && x > firstImage && firstImage >= 0 && y > 3 && y < 16 && x < 197) lastText = std::max(lastText, x);
    }
  ASSERT_GE(firstImage, 0) << "the image is drawn";
  EXPECT_LE(lastText, 195);
  EXPECT_EQ(shot.Canvas()->Pixel(196, 10), clWhite) << "nothing drawn over the panel's right end";

  // An index equal to the image count draws no image and leaves no gap.
  right->SetImageIndex(1);
  ui::GrabControl(bar, shot);
  int lime = 0;
  for (int x = 0; x < 200; ++x) lime += shot.Canvas()->Pixel(x, 10) == clLime;
  EXPECT_EQ(lime, 0);
  delete images;
  EXPECT_EQ(bar->Images(), nullptr) << "a freed list is let go";
}

TEST_F(StatusBarProTest, PanelMenusAndHints) {
  auto* barMenu = new TPopupMenu(form.get());
  auto* panelMenu = new TPopupMenu(form.get());
  bar->SetPopupMenu(barMenu);
  AddPanel(100)->SetPopupMenu(panelMenu);
  AddPanel(100)->SetHint("second");
  bar->SetHint("bar");
  bar->SetShowHint(true);
  bar->MouseDown(mbRight, TShiftState{ssRight}, 10, 5);
  EXPECT_EQ(bar->ContextMenu(), panelMenu);
  panelMenu->CloseMenu();
  bar->MouseDown(mbRight, TShiftState{ssRight}, 150, 5);
  EXPECT_EQ(bar->ContextMenu(), barMenu);
  barMenu->CloseMenu();
  THintInfo info;
  EXPECT_TRUE(bar->GetHintInfo(TPoint(150, 5), info));
  EXPECT_EQ(info.HintStr, "second");
  EXPECT_TRUE(bar->GetHintInfo(TPoint(10, 5), info));
  EXPECT_EQ(info.HintStr, "bar");
  delete panelMenu;
  EXPECT_EQ((*bar->Panels())[0]->PopupMenu(), nullptr);
}

}  // namespace
