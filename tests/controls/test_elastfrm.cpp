// Proportional scaling of a form: positions, sizes and fonts after resizes, excluded
// controls, the small-change threshold, size limits and the form resource.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include "controls/ElastFrm.h"
#include "controls/LblEffct.h"
#include "platform/classes/IniFiles.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/StringGrid.h"
#include "platform/stdctrls/StatusBar.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/StdCtrlsRegistration.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/streaming/FormResources.h"
#include "platform/ui/Application.h"

namespace {

class ElasticFormTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterLabelStatusElasticClasses();
    RegisterStdCtrlsClasses();  // as in the program, where notebooks publish a page index
  }
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetClientSize(400, 300);
    form->Font()->SetSize(10);
    ef = new TElasticForm(form.get());
    ef->SetResolutionIndependence(false);
    ef->SetDesignFormClientWidth(form->ClientWidth());
    ef->SetDesignFormClientHeight(form->ClientHeight());
    a = Add("A", 5, 13, 11, 20);
    b = Add("B", 100, 50, 33, 41);
    c = Add("C", 7, 200, 50, 9);
  }
  TLabel* Add(const char* name, int l, int t, int w, int h) {
    auto* x = new TLabel(form.get());
    x->SetName(name);
    x->SetAutoSize(false);
    x->SetParent(form.get());
    x->SetBounds(l, t, w, h);
    x->Font()->SetSize(10);
    return x;
  }
  // Resizes the client area and rescales as a resize of the window would.
  void Resize(int w, int h) {
    form->SetClientSize(w, h);
    ef->Rescale();
  }
  std::unique_ptr<TForm> form;
  TElasticForm* ef = nullptr;
  TLabel *a = nullptr, *b = nullptr, *c = nullptr;
};

TEST(ElasticRoundTest, HalfAndBelowTowardZero) {
  struct Row {
    double x;
    int want;
  } rows[] = {{12.5, 12}, {12.51, 13}, {-2.7, -2}, {0.5, 0}, {1.5, 1}, {2.6, 3}, {-0.5, 0}, {7.0, 7}};
  for (const Row& r : rows) EXPECT_EQ(ElasticRound(r.x), r.want) << r.x;
}

TEST_F(ElasticFormTest, OwnerMustBeOneForm) {
  auto refusal = [](TComponent* owner) -> std::string {
    try {
      TElasticForm ef(owner);
    } catch (const EComponentError& e) {
      return e.what();
    }
    return "(accepted)";
  };
  EXPECT_EQ(refusal(nullptr), "Owner of TElasticForm component must be a form");
  TComponent plain(nullptr);
  EXPECT_EQ(refusal(&plain), "Owner of TElasticForm component must be a form");
  form->SetName("Main");
  EXPECT_EQ(refusal(form.get()), "A TElasticForm component already exists in Main");
  EXPECT_EQ(form->ComponentCount(), 4) << "the refused component left the form";
}

TEST_F(ElasticFormTest, ScalesEachEdgeHalfToEven) {
  Resize(600, 450);  // ratio 1.5 both ways
  struct Row {
    TControl* ctl;
    int l, t, w, h;
  } rows[] = {
      {a, 8, 20, 16, 30},    // 7.5 -> 8, 19.5 -> 20, 16.5 -> 16
      {b, 150, 75, 50, 62},  // 49.5 -> 50, 61.5 -> 62
      {c, 10, 300, 75, 14},  // 10.5 -> 10, 13.5 -> 14
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.ctl->Left(), r.l) << r.ctl->Name();
    EXPECT_EQ(r.ctl->Top(), r.t) << r.ctl->Name();
    EXPECT_EQ(r.ctl->Width(), r.w) << r.ctl->Name();
    EXPECT_EQ(r.ctl->Height(), r.h) << r.ctl->Name();
  }
}

// A notebook scales like any control; only its pages are left to it (they fill it),
// while the controls on the pages are scaled.
TEST_F(ElasticFormTest, NotebooksScaleAndTheirPagesChildrenToo) {
  auto* book = new TNotebook(form.get());
  book->SetName("Book");
  book->SetParent(form.get());
  book->SetBounds(10, 20, 200, 100);
  TPage* page = book->Page(0);
  auto* inner = new TLabel(form.get());
  inner->SetName("Inner");
  inner->SetAutoSize(false);
  inner->SetParent(page);
  inner->SetBounds(4, 6, 20, 10);
  Resize(800, 600);  // ratio 2 both ways
  EXPECT_EQ(book->BoundsRect(), (TRect{20, 40, 420, 240}));
  EXPECT_EQ(inner->BoundsRect(), (TRect{8, 12, 48, 32}));
  EXPECT_EQ(ef->ControlListCount(), 5);
}

TEST_F(ElasticFormTest, FontsFollowTheSmallerRatio) {
  // Width ratio 2, height ratio 1.25: fonts use 1.25.
  Resize(800, 375);
  const double ratio = 1.25;
  EXPECT_DOUBLE_EQ(ef->FontRatio(), ratio);
  EXPECT_EQ(a->Font()->Size(), ElasticRound(10 * ratio));
  EXPECT_EQ(ef->Font()->Size(), static_cast<int>(Round(10 * ratio)));
  EXPECT_EQ(form->Font()->Size(), ef->Font()->Size()) << "the form shows the scaled font";
  Resize(400, 300);
  EXPECT_DOUBLE_EQ(ef->FontRatio(), 1.0) << "the design size gives the design font exactly";
  EXPECT_EQ(a->Font()->Size(), 10);
  ef->SetElasticFont(false);
  Resize(1600, 1200);
  EXPECT_EQ(a->Font()->Size(), 10) << "fonts left alone";
}

TEST_F(ElasticFormTest, RepeatedResizesDoNotDrift) {
  const int sizes[][2] = {{413, 287}, {777, 301}, {401, 299}, {1000, 900}, {211, 163}, {599, 451}};
  for (auto& s : sizes) Resize(s[0], s[1]);
  Resize(400, 300);
  EXPECT_EQ(a->BoundsRect(), Bounds(5, 13, 11, 20));
  EXPECT_EQ(b->BoundsRect(), Bounds(100, 50, 33, 41));
  EXPECT_EQ(c->BoundsRect(), Bounds(7, 200, 50, 9));
  EXPECT_EQ(a->Font()->Size(), 10);
}

// An auto-size label recorded with an empty caption (a unit shown only later) keeps the
// width of the caption it shows at every size; a right-justified one keeps its right edge
// where the scaling puts it.
TEST_F(ElasticFormTest, AutoSizeLabelsKeepTheirCaptionsWhole) {
  auto* unit = Add("Unit", 200, 100, 44, 16);
  auto* right = Add("Right", 300, 100, 60, 16);
  right->SetAlignment(taRightJustify);
  for (TLabel* l : {unit, right}) {
    l->SetAutoSize(true);
    l->SetCaption("");
  }
  Resize(400, 300);  // recorded with the empty captions
  const int recordedLeft = right->Left(), recordedWidth = right->Width();
  unit->SetCaption("rpm");
  right->SetCaption("\xB0" "Adv");
  TBitmap measure;
  auto textWidth = [&](TLabel* l) {
    measure.Canvas()->Font()->Assign(l->Font());
    return measure.Canvas()->TextWidth(l->Caption());
  };
  for (const auto& [w, h] : {std::pair{600, 450}, std::pair{800, 600}, std::pair{400, 300}, std::pair{300, 225}}) {
    SCOPED_TRACE(std::to_string(w));
    Resize(w, h);
    const double r = w / 400.0;
    EXPECT_EQ(unit->Left(), static_cast<int>(Round(200 * r)));
    EXPECT_EQ(unit->Width(), textWidth(unit));
    EXPECT_EQ(right->Width(), textWidth(right));
    EXPECT_EQ(right->Left() + right->Width(),
              static_cast<int>(Round(recordedLeft * r)) + static_cast<int>(Round(recordedWidth * r)));
    EXPECT_GE(unit->Height(), measure.Canvas()->TextHeight("rpm"));
  }
}

TEST_F(ElasticFormTest, ExcludedControlsAreLeftWhereTheProgramPutsThem) {
  // Excluded before the list exists: never scaled, not even by the first rescale.
  ef->ExcludeControl(a);
  Resize(800, 600);
  EXPECT_EQ(a->BoundsRect(), Bounds(5, 13, 11, 20));
  a->SetBounds(1, 2, 3, 4);  // the program places it itself
  for (auto [w, h] : {std::pair{600, 450}, std::pair{1000, 750}, std::pair{400, 300}}) {
    Resize(w, h);
    EXPECT_EQ(a->BoundsRect(), Bounds(1, 2, 3, 4)) << "no jump on the second or any later rescale";
  }
  Resize(600, 450);
  EXPECT_EQ(b->Left(), 150);
  // Excluded once the list exists: stays where the last rescale put it.
  ef->ExcludeControl(b);
  Resize(800, 600);
  EXPECT_EQ(b->BoundsRect(), Bounds(150, 75, 50, 62));
  EXPECT_EQ(c->Left(), 14);
  // Controls of another form are not taken.
  TForm other(nullptr);
  TLabel stranger(&other);
  ef->ExcludeControl(&stranger);
  ef->ExcludeControl(nullptr);
}

TEST_F(ElasticFormTest, SwitchesAndFreedControls) {
  ef->SetElasticVertical(false);
  Resize(800, 600);
  EXPECT_EQ(b->BoundsRect(), Bounds(200, 50, 66, 41));
  delete b;  // a freed control drops out of the list
  EXPECT_EQ(ef->ControlListCount(), 2);
  Resize(400, 300);
  EXPECT_EQ(a->Left(), 5);
}

TEST_F(ElasticFormTest, GridsKeepCellsWhenGridResizingIsOff) {
  auto* g = new TStringGrid(form.get());
  g->SetName("G");
  g->SetParent(form.get());
  g->SetBounds(10, 10, 200, 100);
  g->SetColCount(3);
  g->SetColWidths(0, 30);
  g->SetDefaultRowHeight(18);
  auto* two = new TStringGrid(form.get());
  two->SetName("Two");
  two->SetParent(form.get());
  two->SetColCount(2);
  two->SetBounds(0, 150, 140, 50);
  ef->SetGridColumnWidthResize(false);
  ef->SetGridRowHeightResize(false);
  ef->SetGridFontResize(false);
  Resize(800, 600);
  EXPECT_EQ(g->BoundsRect(), Bounds(20, 20, 400, 200));
  EXPECT_EQ(g->ColWidths(0), 30);
  EXPECT_EQ(g->DefaultRowHeight(), 18);
  ef->SetGridColumnWidthResize(true);
  ef->SetGridRowHeightResize(true);
  Resize(400, 300);
  Resize(800, 600);
  EXPECT_GT(g->ColWidths(0), 30);
  EXPECT_EQ(g->DefaultRowHeight(), 36);
  EXPECT_EQ(two->ColWidths(0), 64) << "two default columns are never resized";
}

TEST_F(ElasticFormTest, ShowingAndResizingTheWindowRescales) {
  int fired = 0;
  ef->OnAfterResize = [&](TObject* s) {
    EXPECT_EQ(s, ef);
    ++fired;
  };
  form->Show();
  EXPECT_TRUE(ef->Initialised());
  EXPECT_EQ(fired, 1);
  const int w = form->ClientWidth(), h = form->ClientHeight();
  form->SetClientSize(w + 5, h - 5);
  ef->FlushPendingResize();
  EXPECT_EQ(fired, 1) << "five pixels or less: no rescale";
  // A drag reports many sizes: one rescale once they settle.
  for (int d = 1; d <= 30; d += 3) form->SetClientSize(w + d, h + d);
  EXPECT_TRUE(ef->ResizePending());
  EXPECT_EQ(fired, 1) << "nothing while the size is still changing";
  ef->FlushPendingResize();
  EXPECT_EQ(fired, 2);
  EXPECT_FALSE(ef->ResizePending());
  form->SetClientSize(w + 6, h);
  ef->FlushPendingResize();
  EXPECT_EQ(fired, 3);
  form->SetWindowState(wsMinimized);
  form->SetClientSize(w + 50, h);
  ef->FlushPendingResize();
  EXPECT_EQ(fired, 3) << "minimised";
  form->SetWindowState(wsNormal);
  ef->SetActive(false);
  form->SetClientSize(w + 100, h + 100);
  ef->FlushPendingResize();
  EXPECT_EQ(fired, 3) << "inactive";
  form->Hide();
}

TEST_F(ElasticFormTest, DragEndKeepsTheProportion) {
  ef->SetMaintainProportions(true);
  form->Show();
  const int w0 = form->Width(), h0 = form->Height();
  for (int d = 10; d <= 200; d += 10) form->SetBounds(form->Left(), form->Top(), w0 + d, h0 + d / 4);
  ef->FlushPendingResize();
  EXPECT_EQ(form->Width(), w0 + 200) << "the width changed more and leads";
  // The window system may give the frame a pixel of its own.
  EXPECT_NEAR(form->Height(), Round(double(w0 + 200) * h0 / w0), 1);
  EXPECT_GT(form->Height(), h0 + 50);
  form->Hide();
}

TEST_F(ElasticFormTest, OpensAtTheDesignPlaceAndClientSize) {
  ef->SetDesignFormLeft(10);
  ef->SetDesignFormTop(20);
  ef->SetDesignFormWidth(300);
  ef->SetDesignFormHeight(200);
  ef->SetDesignFormClientWidth(292);
  ef->SetDesignFormClientHeight(170);
  form->Show();
  EXPECT_EQ(form->BoundsRect().TopLeft(), (TPoint{10, 20}));
  EXPECT_EQ(TSize(form->ClientWidth(), form->ClientHeight()), TSize(292, 170));
  EXPECT_EQ(a->BoundsRect(), Bounds(5, 13, 11, 20)) << "at the design client size nothing moves";
  form->Hide();
}

// A form that starts maximised asks, before the window system shows it, for the maximised
// position (brought onto the screen) at the size it is maximised to: the proportional limit,
// or the whole screen. Where it then goes is the window manager's choice.
TEST_F(ElasticFormTest, AMaximisedStartAsksForTheMaximisedPlace) {
  const int sw = Screen->Width(), sh = Screen->Height();
  for (bool proportions : {true, false}) {
    SCOPED_TRACE(proportions);
    SetUp();  // a form not yet shown
    ef->SetDesignFormLeft(10);
    ef->SetDesignFormTop(20);
    ef->SetDesignFormWidth(640);
    ef->SetDesignFormHeight(480);
    ef->SetMaximizedPosX(-5);
    ef->SetMaximizedPosY(7);
    ef->SetMaintainProportions(proportions);
    TRect asked;
    form->AddObserver(this, [&](TControl*, TControl::TNotice n) {
      if (n == TControl::TNotice::Shown) asked = form->BoundsRect();
    });
    form->SetWindowState(wsMaximized);
    form->Show();
    const auto lim = ef->TrackLimits(sw, sh);
    const TSize size = proportions ? TSize(lim.MaxWidth, lim.MaxHeight) : TSize(sw, sh);
    if (proportions) {
      EXPECT_LT(size.cx * size.cy, sw * sh) << "the proportional limit is smaller than the screen";
    }
    const int x = static_cast<int>(Round(sw * 0.05));
    EXPECT_EQ(asked, Bounds(x + size.cx > sw ? (sw - size.cx) / 2 : x, 7 + size.cy > sh ? (sh - size.cy) / 2 : 7,
                            size.cx, size.cy));
    form->RemoveObserver(this);
    form->Hide();
  }
}

TEST_F(ElasticFormTest, ResolutionFactorsAreOneWithoutIndependence) {
  ef->SetDesignScreenWidth(123);
  ef->SetDesignScreenHeight(4567);
  Resize(400, 300);
  EXPECT_EQ(ef->HorizontalResolution(), 1.0);
  EXPECT_EQ(ef->VerticalResolution(), 1.0);
  EXPECT_EQ(a->BoundsRect(), Bounds(5, 13, 11, 20));
}

TEST_F(ElasticFormTest, TrackLimitsAndProportions) {
  ef->SetMinimumTrackWidth(-50);
  ef->SetMinimumTrackHeight(300);
  ef->SetMaximizedPosX(-10);
  auto lim = ef->TrackLimits(1000, 800);
  EXPECT_EQ(lim.MinTrackWidth, 500);
  EXPECT_EQ(lim.MinTrackHeight, 300);
  EXPECT_EQ(lim.MaxPosX, 100);
  EXPECT_EQ(lim.MaxTrackWidth, 0);
  ef->SetDesignFormWidth(640);
  ef->SetDesignFormHeight(480);
  ef->SetMaintainProportions(true);
  lim = ef->TrackLimits(1288, 1004);  // 640/1288 >= 480/1004: the width limits
  EXPECT_EQ(lim.MaxTrackWidth, 1282);
  EXPECT_EQ(lim.MaxTrackHeight, 962);  // 961.5 to even
  EXPECT_EQ(lim.MaxWidth, 1282);
  lim = ef->TrackLimits(1000, 500);  // the height limits
  EXPECT_EQ(lim.MaxTrackHeight, 495);
  EXPECT_EQ(lim.MaxTrackWidth, 660);

  struct Row {
    int w0, h0, w, h, ww, wh;
  } rows[] = {
      {400, 300, 500, 320, 500, 375},  // grew, width more: height follows
      {400, 300, 420, 400, 533, 400},  // grew, height more: width follows
      {400, 300, 300, 290, 387, 290},  // shrank, width more: width follows the height
      {400, 300, 390, 200, 390, 292},  // 292.5 to even
       // shrank, height more: height follows the width
      {400, 300, 410, 310, 410, 310},  // equal changes
  };
  for (const Row& r : rows)
    EXPECT_EQ(TElasticForm::KeepProportions(r.w0, r.h0, r.w, r.h), TSize(r.ww, r.wh)) << r.w << "x" << r.h;
}

// The limits reach the window only with the first rescale, as pixels of this screen.
TEST_F(ElasticFormTest, SizeLimitsReachTheWindowAtTheFirstRescale) {
  ef->SetMinimumTrackWidth(-50);
  ef->SetMinimumTrackHeight(200);
  ef->SetMaximumTrackHeight(-75);
  EXPECT_EQ(ef->TrackLimits(1000, 800).MaxWidth, 0) << "no maximised size unless proportions are kept";
  EXPECT_EQ(form->SizeLimits(), TRect()) << "not before the first rescale";
  form->Show();
  const int sw = Screen->Width(), sh = Screen->Height();
  EXPECT_EQ(form->SizeLimits(), TRect(static_cast<int>(Round(sw * 0.5)), 200, 0, static_cast<int>(Round(sh * 0.75))));
  form->SetBounds(form->Left(), form->Top(), 50, 50);
  EXPECT_GE(form->Width(), form->SizeLimits().Left) << "held to the minimum";
  form->Hide();
  // Kept proportions: the maximum follows the design shape, also for maximising.
  TForm other(nullptr);
  other.SetClientSize(400, 300);
  auto* e = new TElasticForm(&other);
  e->SetResolutionIndependence(false);
  e->SetDesignFormWidth(640);
  e->SetDesignFormHeight(480);
  e->SetMaintainProportions(true);
  other.Show();
  const auto lim = e->TrackLimits(sw, sh);
  EXPECT_EQ(other.SizeLimits(), TRect(0, 0, lim.MaxTrackWidth, lim.MaxTrackHeight));
  EXPECT_NEAR(double(lim.MaxTrackWidth) / lim.MaxTrackHeight, 640.0 / 480.0, 0.01);
  other.Hide();
}

class ElasticPlacementTest : public ElasticFormTest {
 protected:
  void SetUp() override {
    ElasticFormTest::SetUp();
    form->SetName("Probe");
    ef->SetDesignFormLeft(10);
    ef->SetDesignFormTop(20);
    ef->SetDesignFormWidth(400);
    ef->SetDesignFormHeight(300);
    // The process's own scratch folder: cases run side by side.
    ini = (std::filesystem::temp_directory_path() / "placement.ini").string();
    std::filesystem::remove(ini);
    ef->SetElFrmIniFile(ini.c_str());
  }
  std::string Text() const {
    std::ifstream in(ini);
    std::stringstream t;
    t << in.rdbuf();
    return t.str();
  }
  // A second form like the first, made anew, reading the same file.
  std::unique_ptr<TForm> Again(TElasticForm*& e) {
    auto f = std::make_unique<TForm>(nullptr);
    f->SetName("Probe");
    f->SetClientSize(400, 300);
    for (const char* n : {"A", "B", "C"}) {
      auto* l = new TLabel(f.get());
      l->SetName(n);
      l->SetParent(f.get());
    }
    e = new TElasticForm(f.get());
    e->SetResolutionIndependence(false);
    e->SetDesignFormLeft(10);
    e->SetDesignFormTop(20);
    e->SetDesignFormWidth(400);
    e->SetDesignFormHeight(300);
    e->SetElFrmIniFile(ini.c_str());
    return f;
  }
  std::string ini;
};

TEST_F(ElasticPlacementTest, WrittenOnResizeMinimiseAndCloseAndReadBack) {
  form->Show();
  EXPECT_FALSE(std::filesystem::exists(ini)) << "nothing written by showing";
  form->SetBounds(30, 40, 500, 350);
  ef->FlushPendingResize();
  std::string t = Text();
  for (const char* line :
       {"[Probe]", "Total Controls=3", "Window State=0", "Left=30", "Top=40", "Width=500", "Height=350",
        "MaxTrackWidth=0", "MaxTrackHeight=0", "Visible 0=1", "Visible 2=1", "wp length=44", "wp flags=0",
        "wp showCmd=1", "wp MinPosX=-1", "wp MinPosY=-1", "wp MaxPosX=-1", "wp MaxPosY=-1", "wp NormPosLeft=30",
        "wp NormPosTop=40", "wp NormPosRight=530", "wp NormPosBottom=390"})
    EXPECT_NE(t.find(std::string(line) + "\r\n"), std::string::npos) << line << "\n" << t;
  b->SetVisible(false);
  form->SetWindowState(wsMinimized);
  t = Text();
  EXPECT_NE(t.find("Window State=1"), std::string::npos) << "written on minimise";
  EXPECT_NE(t.find("Left=30"), std::string::npos) << "with the normal bounds";
  form->SetWindowState(wsNormal);
  form->SetBounds(60, 70, 450, 320);
  form->Close();
  EXPECT_NE(Text().find("Left=60"), std::string::npos) << "written on close";

  TElasticForm* e = nullptr;
  auto f = Again(e);
  f->Show();
  EXPECT_EQ(f->BoundsRect(), Bounds(60, 70, 450, 320));
  ASSERT_EQ(e->ControlListCount(), 3);
  int hidden = 0;
  for (int i = 0; i < 3; ++i) hidden += !e->ListedControl(i)->Visible();
  EXPECT_EQ(hidden, 1) << "the hidden control stays hidden";
  f->Hide();
}

TEST_F(ElasticPlacementTest, DamagedOrMissingSectionsLeaveTheDesignPlacement) {
  const std::string good =
      "[Probe]\r\nTotal Controls=3\r\nWindow State=0\r\nLeft=60\r\nTop=70\r\nWidth=450\r\nHeight=320\r\n"
      "MaxTrackWidth=0\r\nMaxTrackHeight=0\r\nVisible 0=1\r\nVisible 1=1\r\nVisible 2=1\r\n";
  struct Row {
    const char* what;
    std::string from, to;
    bool placed;
  } rows[] = {
      {"sound", "", "", true},
      {"other section", "[Probe]", "[Other]", false},
      {"no number", "Width=450", "Width=wide", false},
      {"missing entry", "Top=70\r\n", "", false},
      {"zero width", "Width=450", "Width=0", false},
      {"unknown state", "Window State=0", "Window State=7", false},
      {"bad visibility", "Visible 1=1", "Visible 1=2", false},
      {"missing visibility", "Visible 2=1\r\n", "", false},
      {"other controls", "Total Controls=3", "Total Controls=5", true},  // visibility not applied
  };
  for (const Row& r : rows) {
    std::string text = good;
    if (!r.from.empty()) text.replace(text.find(r.from), r.from.size(), r.to);
    std::ofstream(ini, std::ios::binary | std::ios::trunc) << text;
    TElasticForm* e = nullptr;
    auto f = Again(e);
    f->Show();
    EXPECT_EQ(f->BoundsRect().TopLeft(), r.placed ? TPoint(60, 70) : TPoint(10, 20)) << r.what;
    f->Hide();
  }
}

class ResourceForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TResourceForm"; }
};

TEST_F(ElasticFormTest, ReadFromAFormResource) {
  RegisterClass<ResourceForm, TForm>("TResourceForm");
  ResourceForm f(nullptr);
  ReadFormText(&f, R"(object ResourceForm: TResourceForm
  Left = 0
  Top = 0
  Width = 640
  Height = 480
  object LabelEffect1: TLabelEffect
    Left = 8
    Top = 8
    Width = 300
    Height = 33
    Caption = 'Load Sites'
    EffectStyle = esCustom
    DirectionHighlight = edNone
    DirectionShadow = edNone
    Angle = 90
  end
  object ElasticForm1: TElasticForm
    DesignScreenWidth = 1288
    DesignScreenHeight = 1004
    DesignPixelsPerInch = 96
    DesignFormWidth = 640
    DesignFormHeight = 480
    DesignFormLeft = 530
    DesignFormTop = 254
    MaintainProportions = True
    Font.Height = -13
    Font.Name = 'Arial'
    Version = 123.0
    GridFontResize = False
  end
end
)",
               "test.form");
  auto* e = dynamic_cast<TElasticForm*>(f.FindComponent("ElasticForm1"));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->DesignFormWidth(), 640);
  // Names of 21 characters and more are checked through the registry.
  const TStreamClass* cls = FindClass("TElasticForm");
  ASSERT_NE(cls, nullptr);
  for (const char* name : {"DesignFormClientWidth", "DesignFormClientHeight", "GridColumnWidthResize", "ResolutionIndependence"})
    EXPECT_NE(cls->FindProp(name), nullptr) << name;
  cls->FindProp("DesignFormClientWidth")->SetOrd(e, 632);
  EXPECT_EQ(e->DesignFormClientWidth(), 632);
  EXPECT_EQ(e->DesignFormTop(), 254);
  EXPECT_TRUE(e->MaintainProportions());
  EXPECT_FALSE(e->GridFontResize());
  EXPECT_EQ(e->Font()->Name(), "Arial");
  EXPECT_FLOAT_EQ(e->Version(), 700.0f);
  auto* l = dynamic_cast<TLabelEffect*>(f.FindComponent("LabelEffect1"));
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->Angle(), 90);
  EXPECT_EQ(l->EffectStyle(), esCustom);
  EXPECT_EQ(l->DirectionShadow(), edNone);
  EXPECT_THROW(ReadFormText(&f, "object ResourceForm: TResourceForm\n object X: TLabelEffect\n DepthShadow = 300\n end\nend\n", "bad.form"),
               EReadError);
}

}  // namespace

namespace {

// While a resize rescales, the controls it moves are hidden; afterwards each shows as it did
// before (one the program hid stays hidden) and the focus is back on EFActiveControl.
TEST_F(ElasticFormTest, ResizeHidesMovedControlsAndGivesTheFocusBack) {
  auto* edit = new TEdit(form.get());
  edit->SetName("Edit1");
  edit->SetParent(form.get());
  edit->SetBounds(10, 60, 80, 22);
  auto* other = new TEdit(form.get());
  other->SetName("Edit2");
  other->SetParent(form.get());
  other->SetBounds(10, 90, 80, 22);
  std::vector<bool> visibleDuring;
  ef->OnAfterResize = [&](TObject*) { visibleDuring = {a->Visible(), b->Visible(), edit->Visible()}; };
  form->Show();
  EXPECT_EQ(visibleDuring, (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(a->Visible());
  EXPECT_TRUE(edit->Visible());
  b->SetVisible(false);  // the program hides one after start-up
  ef->SetEFActiveControl("Edit2");
  form->SetClientSize(form->ClientWidth() + 40, form->ClientHeight() + 30);
  ef->FlushPendingResize();
  EXPECT_TRUE(a->Visible());
  EXPECT_FALSE(b->Visible()) << "hidden by the program, it stays hidden";
  EXPECT_TRUE(edit->Visible());
  EXPECT_EQ(form->ActiveControl(), other);
  form->Hide();
}

}  // namespace
