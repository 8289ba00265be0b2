// Windows laid out by text form resources: created through CreateForm with their
// children, properties, fields and handlers, shown offscreen and grabbed; errors that
// name resource, line and property; text read and written back unchanged.
#include <filesystem>
#include <unistd.h>

#include "UiFixture.h"
#include "platform/streaming/FormResources.h"
#include "platform/streaming/ObjectText.h"
#include "platform/ui/Simulate.h"
#include "platform/ui/Timer.h"
#include "platform/ui/UiStreaming.h"

namespace {

// A windowed box: its colour with a black frame (stands in for panels and buttons).
class TProbeBox : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  const char* ClassName() const override { return "TProbeBox"; }
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->Pen()->SetColor(clBlack);
    Canvas()->Rectangle(0, 0, Width(), Height());
  }
};

// A graphic control filled with its font colour, to see the font it inherited.
class TProbeMark : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  const char* ClassName() const override { return "TProbeMark"; }
  void Paint() override {
    Canvas()->Brush()->SetColor(Font()->Color());
    Canvas()->FillRect(ClientRect());
  }
};

class TProbeForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TProbeForm"; }
  static void Publish(TClassProps<TProbeForm>& P) {
    P.Field("Panel1", &TProbeForm::Panel1)
        .Field("Mark1", &TProbeForm::Mark1)
        .Field("Button1", &TProbeForm::Button1)
        .Field("Timer1", &TProbeForm::Timer1)
        .Handler("FormCreate", &TProbeForm::FormCreate)
        .Handler("FormKeyDown", &TProbeForm::FormKeyDown)
        .Handler("Button1Click", &TProbeForm::Button1Click)
        .Handler("Button1MouseDown", &TProbeForm::Button1MouseDown)
        .Handler("Timer1Timer", &TProbeForm::Timer1Timer);
  }

  TProbeBox* Panel1 = nullptr;
  TProbeMark* Mark1 = nullptr;
  TProbeBox* Button1 = nullptr;
  TTimer* Timer1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormKeyDown(TObject*, WORD& Key, TShiftState) { LastKey = Key; }
  void Button1Click(TObject* Sender) { Clicks.push_back(static_cast<TComponent*>(Sender)->Name()); }
  void Button1MouseDown(TObject*, TMouseButton, TShiftState, int X, int Y) { Down = {X, Y}; }
  void Timer1Timer(TObject*) { ++Ticks; }

  bool CreatedWithFields = false;
  bool CreatedAsGlobal = false;
  std::vector<AnsiString> Clicks;
  TPoint Down{-1, -1};
  WORD LastKey = 0;
  int Ticks = 0;
};

TProbeForm* ProbeForm = nullptr;

void TProbeForm::FormCreate(TObject*) {
  CreatedWithFields = Panel1 != nullptr && Button1 != nullptr && Timer1 != nullptr;
  CreatedAsGlobal = ProbeForm == this;
}

int g_bad_destroyed = 0;

// Its resource names a handler it does not have.
class TBadForm : public TForm {
 public:
  explicit TBadForm(TComponent* Owner) : TForm(Owner) { OnDestroy = [](TObject*) { ++g_bad_destroyed; }; }
  const char* ClassName() const override { return "TBadForm"; }
  static void Publish(TClassProps<TBadForm>&) {}
};

// Publishes handlers but has no resource.
class TOrphanForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TOrphanForm"; }
  static void Publish(TClassProps<TOrphanForm>& P) { P.Handler("Nothing", &TOrphanForm::Nothing); }
  void Nothing(TObject*) {}
};

// Visible = True in its resource, with the properties old form files carry.
class TShownForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TShownForm"; }
  static void Publish(TClassProps<TShownForm>& P) {
    P.Handler("FormCreate", &TShownForm::FormCreate)
        .Handler("FormShow", &TShownForm::FormShow)
        .Handler("FormResize", &TShownForm::FormResize);
  }
  void FormResize(TObject*) { Log.push_back("resize"); }
  void FormCreate(TObject*) { Log.push_back(Visible() ? "create (visible)" : "create"); }
  void FormShow(TObject*) { Log.push_back("show"); }
  std::vector<AnsiString> Log;
};

class FormResourceTest : public UiTest {
 protected:
  void SetUp() override {
    RegisterUiClasses();
    RegisterClass<TProbeBox, TCustomControl>("TProbeBox");
    RegisterClass<TProbeMark, TGraphicControl>("TProbeMark");
  }
  void TearDown() override {
    delete ProbeForm;
    ProbeForm = nullptr;
    UiTest::TearDown();
  }
  // A probe form read from text that is not a registered resource.
  static void ReadProbeText(const char* text) {
    TProbeForm form(nullptr);
    ui::RegisterFormClass(&form);
    ReadFormText(&form, text, "inline.form");
  }
};

AnsiString WriteText(TComponent* root) {
  AnsiString bin;
  TWriter w(bin);
  w.WriteRootComponent(root);
  return ObjectBinaryToText(bin);
}

TEST_F(FormResourceTest, CreateFormBuildsTheWindowFromItsResource) {
  Application->CreateForm(ProbeForm);
  ASSERT_NE(ProbeForm, nullptr);
  EXPECT_TRUE(ProbeForm->CreatedWithFields);  // OnCreate runs once the resource is read
  EXPECT_TRUE(ProbeForm->CreatedAsGlobal);
  EXPECT_EQ(ProbeForm->Name(), "ProbeForm");
  EXPECT_EQ(ProbeForm->Caption(), "Probe \xB0" "C");
  EXPECT_EQ(ProbeForm->Color(), clGreen);
  EXPECT_TRUE(ProbeForm->KeyPreview());
  EXPECT_FALSE(ProbeForm->Visible());
  EXPECT_EQ(ProbeForm->ActiveControl(), ProbeForm->Button1);

  TProbeBox* panel = ProbeForm->Panel1;
  TProbeBox* button = ProbeForm->Button1;
  ASSERT_NE(ProbeForm->Mark1, nullptr);
  EXPECT_EQ(panel->Parent(), ProbeForm);
  EXPECT_EQ(ProbeForm->Mark1->Parent(), panel);
  EXPECT_EQ(ProbeForm->Mark1->Owner(), ProbeForm);
  EXPECT_EQ(panel->Align(), alTop);
  // Children take the form's font through their parents.
  EXPECT_TRUE(ProbeForm->Mark1->ParentFont());
  EXPECT_EQ(ProbeForm->Mark1->Font()->Color(), clBlue);
  EXPECT_TRUE(ProbeForm->Mark1->Font()->Style().Contains(fsBold));
  EXPECT_EQ(button->Caption(), "Go");
  EXPECT_EQ(button->Cursor(), crHandPoint);
  EXPECT_EQ(button->Hint(), "Starts the probe");
  EXPECT_TRUE(button->ShowHint());
  EXPECT_EQ(button->Anchors(), (TAnchors{akRight, akBottom}));
  // Tab order as the resource gave it, although Panel1 was read first.
  EXPECT_EQ(button->TabOrder(), 0);
  EXPECT_EQ(panel->TabOrder(), 1);
  ASSERT_NE(ProbeForm->Timer1, nullptr);
  EXPECT_EQ(ProbeForm->Timer1->Interval(), 250u);
  ProbeForm->Timer1->Tick();
  EXPECT_EQ(ProbeForm->Ticks, 1);
  // A window freed leaves no dangling global behind.
  delete ProbeForm;
  EXPECT_EQ(ProbeForm, nullptr);
}

TEST_F(FormResourceTest, ShownOffscreenTheGrabShowsGeometryColoursAndHandlers) {
  Application->CreateForm(ProbeForm);
  ProbeForm->Show();
  TBitmap shot;
  ui::GrabControl(ProbeForm, shot);
  ASSERT_EQ(shot.Width(), 200);
  ASSERT_EQ(shot.Height(), 150);
  TCanvas* c = shot.Canvas();
  EXPECT_EQ(c->Pixel(0, 0), clBlack);      // Panel1, aligned to the top: frame
  EXPECT_EQ(c->Pixel(199, 39), clBlack);   // over the whole client width
  EXPECT_EQ(c->Pixel(100, 20), clWhite);
  EXPECT_EQ(c->Pixel(100, 40), clGreen);   // the form below it
  EXPECT_EQ(c->Pixel(10, 10), clBlue);     // Mark1 inside Panel1, in the inherited font colour
  EXPECT_EQ(c->Pixel(29, 29), clBlue);
  EXPECT_EQ(c->Pixel(30, 30), clWhite);
  EXPECT_EQ(c->Pixel(120, 100), clBlack);  // Button1's frame
  EXPECT_EQ(c->Pixel(150, 115), clRed);
  EXPECT_EQ(c->Pixel(119, 115), clGreen);

  const auto png = std::filesystem::temp_directory_path() / ("cq5_form_resource_" + std::to_string(getpid()) + ".png");
  ui::GrabToPng(ProbeForm, png.string());
  TPicture pic;
  pic.LoadFromFile(png.string());
  std::filesystem::remove(png);
  EXPECT_EQ(pic.Width(), 200);
  EXPECT_EQ(pic.Bitmap()->Canvas()->Pixel(150, 115), clRed);

  // Anchored right and bottom, Button1 follows the form's lower right corner.
  ProbeForm->SetClientWidth(240);
  ProbeForm->SetClientHeight(170);
  EXPECT_EQ(ProbeForm->Button1->Left(), 160);
  EXPECT_EQ(ProbeForm->Button1->Top(), 120);
  EXPECT_EQ(ProbeForm->Panel1->Width(), 240);

  // The handlers named in the resource fire.
  ui::SimulateClick(ProbeForm->Button1, 7, 5);
  EXPECT_EQ(ProbeForm->Clicks, std::vector<AnsiString>{"Button1"});
  EXPECT_EQ(ProbeForm->Down.x, 7);
  EXPECT_EQ(ProbeForm->Down.y, 5);
  ui::SimulateKey(ProbeForm, "F5");  // KeyPreview: the form sees it first
  EXPECT_EQ(ProbeForm->LastKey, VK_F5);
}

TEST_F(FormResourceTest, TextReadAndWrittenBackIsTheSame) {
  ProbeForm = ui::CreateForm<TProbeForm>(nullptr);
  EXPECT_EQ(WriteText(ProbeForm), AnsiString(FindFormResource("TProbeForm")->Text));
}

TEST_F(FormResourceTest, VisibleInTheResourceShowsTheFormAfterOnCreate) {
  TShownForm* f = ui::CreateForm<TShownForm>(nullptr);
  forms_.push_back(f);
  // The client size read after OnResize was bound is layout, not a resize.
  ASSERT_GE(f->Log.size(), 2u);
  EXPECT_EQ(f->Log[0], "create");
  EXPECT_EQ(f->Log[1], "show");
  EXPECT_TRUE(f->Visible());
  EXPECT_EQ(f->ClientWidth(), 100);
}

TEST_F(FormResourceTest, AFormThatFailsToReadIsFreedAndTheErrorNamesTheLine) {
  TBadForm* bad = nullptr;
  const int forms = Screen->FormCount();
  try {
    Application->CreateForm(bad);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    const AnsiString m = e.Message();
    EXPECT_NE(m.find("tests/platform/ui/data/BadForm.form"), AnsiString::npos) << m;
    EXPECT_NE(m.find("line 5"), AnsiString::npos) << m;
    EXPECT_NE(m.find("Box1.OnClick"), AnsiString::npos) << m;
    EXPECT_NE(m.find("NoSuchHandler"), AnsiString::npos) << m;
  }
  EXPECT_EQ(bad, nullptr);
  EXPECT_EQ(Screen->FormCount(), forms);
  EXPECT_EQ(g_bad_destroyed, 0);  // never created, so never destroyed

  EXPECT_THROW(ui::CreateForm<TOrphanForm>(nullptr), EResNotFound);
  // A form without fields, handlers or resource is still built in code.
  TForm* plain = ui::CreateForm<TForm>(nullptr);
  forms_.push_back(plain);
  EXPECT_EQ(plain->ControlCount(), 0);
}

TEST_F(FormResourceTest, BadValuesRaiseErrorsNamingLineAndProperty) {
  struct Case {
    const char* text;
    std::vector<const char*> expected;
  };
  const Case cases[] = {
      {"object F: TProbeForm\n  Left = 1\n  Colour = clRed\nend\n", {"inline.form", "line 3", "Colour", "does not exist"}},
      {"object F: TProbeForm\n  Color = clPlaid\nend\n", {"line 2", "Color", "clPlaid"}},
      {"object F: TProbeForm\n  object B: TNoSuchBox\n  end\nend\n", {"line 2", "TNoSuchBox"}},
      {"object F: TProbeForm\n  object M: TProbeMark\n    object B: TProbeBox\n    end\n  end\nend\n",
       {"line 3", "holds no controls"}},
      {"object F: TProbeForm\n  OnClick = FormKeyDown\nend\n", {"line 2", "OnClick", "do not match"}},
      {"object F: TProbeForm\n  object T: TTimer\n    Interval = -5\n  end\nend\n", {"line 3", "Interval", "out of range"}},
      {"object F: TProbeForm\n  Font.Charset = 300\nend\n", {"line 2", "Font.Charset", "out of range"}},
      {"object F: TProbeForm\n  ActiveControl = M\n  object M: TProbeMark\n  end\nend\n", {"line 2", "ActiveControl"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    try {
      ReadProbeText(k.text);
      ADD_FAILURE() << "no error";
    } catch (const EStreamError& e) {
      for (const char* part : k.expected) EXPECT_NE(e.Message().find(part), AnsiString::npos) << e.Message();
    }
  }
}

TEST_F(FormResourceTest, WriterLeavesOutInheritedFontsAndColours) {
  TForm form(nullptr);
  form.SetName("F");
  form.Font()->SetColor(clRed);
  auto* box = new TProbeBox(&form);
  box->SetName("B");
  box->SetParent(&form);
  box->SetParentColor(true);
  const AnsiString text = WriteText(&form);
  EXPECT_EQ(text.find("Font.Color"), text.rfind("Font.Color")) << text;  // the form's only
  EXPECT_EQ(text.find("ParentFont"), AnsiString::npos) << text;
  EXPECT_NE(text.find("ParentColor = True"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("  Color"), AnsiString::npos) << text;
}

}  // namespace
