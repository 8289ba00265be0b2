// The standard controls in form resources: a window with one of each control is read
// from text, its controls carry their properties, and written back it gives the same text.
#include "StdFixture.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ComCtrls.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/PageControl.h"
#include "platform/stdctrls/StatusBar.h"
#include "platform/stdctrls/StdCtrlsRegistration.h"
#include "platform/stdctrls/StringGrid.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/streaming/FormResources.h"
#include "platform/streaming/ObjectText.h"
#include "platform/ui/UiStreaming.h"

namespace {

class TAllForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TAllForm"; }
  static void Publish(TClassProps<TAllForm>& P) {
    P.Field("Edit1", &TAllForm::Edit1)
        .Field("Grid1", &TAllForm::Grid1)
        .Field("Notebook1", &TAllForm::Notebook1)
        .Field("Open1", &TAllForm::Open1)
        .Handler("Edit1Change", &TAllForm::Edit1Change)
        .Handler("Open1Click", &TAllForm::Open1Click)
        .Handler("Grid1DrawCell", &TAllForm::Grid1DrawCell);
  }
  TEdit* Edit1 = nullptr;
  TStringGrid* Grid1 = nullptr;
  TNotebook* Notebook1 = nullptr;
  TMenuItem* Open1 = nullptr;
  int Changes = 0, Opens = 0;
  void Edit1Change(TObject*) { ++Changes; }
  void Open1Click(TObject*) { ++Opens; }
  void Grid1DrawCell(TObject*, int, int, TRect, TGridDrawState) {}
};

// Written as the writer writes it, so that reading and writing back is the identity.
const char* const kAllForm = R"(object AllForm: TAllForm
  Left = 10
  Top = 20
  Width = 640
  Height = 480
  PopupMenu = PopupMenu1
  Caption = 'All controls'
  Menu = MainMenu1
  object Label1: TLabel
    Left = 8
    Top = 8
    Width = 60
    Height = 13
    Caption = '&Name:'
    Alignment = taRightJustify
    AutoSize = False
    FocusControl = Edit1
    Layout = tlCenter
    WordWrap = True
  end
  object Edit1: TEdit
    Left = 72
    Top = 8
    Width = 121
    Height = 21
    TabOrder = 0
    Text = 'ABC'
    CharCase = ecUpperCase
    MaxLength = 12
    PasswordChar = 42
    ReadOnly = True
    OnChange = Edit1Change
  end
  object MaskEdit1: TMaskEdit
    Left = 72
    Top = 32
    Width = 121
    Height = 21
    TabOrder = 1
    Text = '12.34'
    EditMask = '00.00;1;_'
  end
  object Memo1: TMemo
    Left = 200
    Top = 8
    Width = 185
    Height = 89
    TabOrder = 2
    Lines.Strings = (
      'first'
      'second')
    ScrollBars = ssVertical
    WordWrap = False
  end
  object Button1: TButton
    Left = 8
    Top = 100
    Width = 75
    Height = 25
    TabOrder = 3
    Caption = 'OK'
    Default = True
    ModalResult = 1
  end
  object BitBtn1: TBitBtn
    Left = 88
    Top = 100
    Width = 75
    Height = 25
    TabOrder = 4
    Caption = '&Close it'
    Kind = bkClose
    Layout = blGlyphRight
    Spacing = 2
  end
  object SpeedButton1: TSpeedButton
    Left = 168
    Top = 100
    Width = 23
    Height = 22
    AllowAllUp = True
    GroupIndex = 3
    Down = True
    Flat = True
    NumGlyphs = 2
  end
  object CheckBox1: TCheckBox
    Left = 8
    Top = 130
    Width = 97
    Height = 17
    TabOrder = 5
    Caption = 'Check'
    Alignment = taLeftJustify
    AllowGrayed = True
    State = cbGrayed
  end
  object RadioButton1: TRadioButton
    Left = 8
    Top = 150
    Width = 97
    Height = 17
    TabOrder = 6
    Caption = 'Radio'
    Checked = True
  end
  object RadioGroup1: TRadioGroup
    Left = 8
    Top = 170
    Width = 185
    Height = 60
    TabOrder = 7
    Caption = 'Speed'
    Columns = 2
    Items.Strings = (
      '9600'
      '19200')
    ItemIndex = 1
  end
  object ComboBox1: TComboBox
    Left = 200
    Top = 100
    Width = 145
    Height = 21
    TabOrder = 8
    Style = csDropDownList
    DropDownCount = 12
    Items.Strings = (
      'COM1'
      'COM2')
    ItemIndex = 1
    Text = 'COM2'
  end
  object ListBox1: TListBox
    Left = 200
    Top = 130
    Width = 121
    Height = 97
    TabOrder = 9
    MultiSelect = True
    Items.Strings = (
      'one'
      'two')
    ItemIndex = 0
  end
  object GroupBox1: TGroupBox
    Left = 400
    Top = 8
    Width = 200
    Height = 120
    TabOrder = 10
    Caption = 'Group'
    object Panel1: TPanel
      Left = 8
      Top = 16
      Width = 180
      Height = 41
      TabOrder = 0
      Caption = 'Panel'
      Alignment = taLeftJustify
      BevelInner = bvLowered
      BevelOuter = bvNone
      BevelWidth = 2
      BorderStyle = bsSingle
      BorderWidth = 3
    end
  end
  object Bevel1: TBevel
    Left = 8
    Top = 240
    Width = 100
    Height = 2
    Shape = bsTopLine
    Style = bsRaised
  end
  object Shape1: TShape
    Left = 120
    Top = 240
    Width = 20
    Height = 20
    Brush.Color = clRed
    Pen.Style = psDot
    Pen.Width = 2
    Shape = stCircle
  end
  object Image1: TImage
    Left = 150
    Top = 240
    Width = 32
    Height = 32
    Center = True
    Stretch = True
  end
  object PaintBox1: TPaintBox
    Left = 190
    Top = 240
    Width = 32
    Height = 32
  end
  object TabSet1: TTabSet
    Left = 8
    Top = 280
    Width = 200
    Height = 21
    TabOrder = 17
    Tabs.Strings = (
      'Map'
      'Log')
    TabIndex = 1
  end
  object Notebook1: TNotebook
    Left = 8
    Top = 304
    Width = 200
    Height = 100
    TabOrder = 11
    PageIndex = 1
    object TPage
      TabOrder = 0
      Caption = 'Map'
      object Label2: TLabel
        Left = 4
        Top = 4
        Width = 30
        Height = 13
        Caption = 'Map page'
        AutoSize = False
      end
    end
    object TPage
      TabOrder = 1
      Caption = 'Log'
    end
  end
  object PageControl1: TPageControl
    Left = 220
    Top = 280
    Width = 200
    Height = 120
    TabOrder = 12
    ActivePage = TabSheet2
    object TabSheet1: TTabSheet
      TabOrder = 0
      Caption = 'One'
      TabVisible = False
    end
    object TabSheet2: TTabSheet
      TabOrder = 1
      Caption = 'Two'
    end
  end
  object Edit2: TEdit
    Left = 430
    Top = 280
    Width = 40
    Height = 21
    TabOrder = 13
    Text = '5'
  end
  object UpDown1: TUpDown
    Left = 470
    Top = 280
    Width = 16
    Height = 21
    TabOrder = 14
    Increment = 5
    Min = -10
    Max = 50
    Position = 5
    Wrap = True
    Associate = Edit2
  end
  object TrackBar1: TTrackBar
    Left = 430
    Top = 310
    Width = 150
    Height = 30
    TabOrder = 15
    Max = 20
    Orientation = trVertical
    Position = 7
  end
  object ProgressBar1: TProgressBar
    Left = 430
    Top = 350
    Width = 150
    Height = 16
    Max = 200
    Position = 50
  end
  object Grid1: TStringGrid
    Left = 8
    Top = 410
    Width = 300
    Height = 40
    TabOrder = 16
    ColCount = 3
    RowCount = 2
    FixedCols = 0
    DefaultRowHeight = 18
    ScrollBars = ssVertical
    Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goEditing]
    OnDrawCell = Grid1DrawCell
    ColWidths = (
      64
      120
      64)
  end
  object StatusBar1: TStatusBar
    Left = 0
    Top = 460
    Width = 640
    Height = 20
    Align = alNone
    TabOrder = 18
    Panels = <
      item
        Text = 'Ready'
        Width = 120
      end
      item
        Alignment = taCenter
        Bevel = pbRaised
      end>
    SimpleText = 'simple'
  end
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object Open1: TMenuItem
        Caption = '&Open...'
        ShortCut = 16463
        OnClick = Open1Click
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object Fast1: TMenuItem
        Caption = 'Fast'
        Checked = True
        GroupIndex = 1
        RadioItem = True
      end
      object Slow1: TMenuItem
        Caption = 'Slow'
        Enabled = False
        GroupIndex = 1
        RadioItem = True
        Visible = False
      end
    end
  end
  object PopupMenu1: TPopupMenu
    object Copy1: TMenuItem
      Caption = 'Copy'
    end
  end
end
)";

AnsiString WriteText(TComponent* Root) {
  AnsiString bin;
  TWriter w(bin);
  w.WriteRootComponent(Root);
  return ObjectBinaryToText(bin);
}

class RegistrationTest : public StdTest {
 protected:
  void SetUp() override { RegisterStdCtrlsClasses(); }
  template <class T>
  static T* Find(TComponent* Root, const char* Name) {
    auto* c = dynamic_cast<T*>(Root->FindComponent(Name));
    EXPECT_NE(c, nullptr) << Name;
    return c;
  }
};

TEST_F(RegistrationTest, AFormWithEveryControlReadsAndWritesBackUnchanged) {
  RegisterStdCtrlsClasses();  // a second call changes nothing
  TAllForm form(nullptr);
  ui::RegisterFormClass(&form);
  ReadFormText(&form, kAllForm, "all.form");
  EXPECT_EQ(WriteText(&form), AnsiString(kAllForm));

  auto* label = Find<TLabel>(&form, "Label1");
  EXPECT_EQ(label->FocusControl(), form.Edit1);
  EXPECT_EQ(form.Edit1->Text(), "ABC");  // CharCase upper case applies to the read text
  form.Changes = 0;
  form.Edit1->SetText("x");
  EXPECT_EQ(form.Changes, 1);
  auto* bit = Find<TBitBtn>(&form, "BitBtn1");
  EXPECT_EQ(bit->Kind(), bkClose);
  EXPECT_EQ(bit->Caption(), "&Close it");  // the stored caption outlives the kind's
  EXPECT_EQ(Find<TCheckBox>(&form, "CheckBox1")->State(), cbGrayed);
  EXPECT_EQ(Find<TRadioGroup>(&form, "RadioGroup1")->ItemIndex(), 1);
  EXPECT_EQ(Find<TComboBox>(&form, "ComboBox1")->Text(), "COM2");
  EXPECT_EQ(Find<TPanel>(&form, "Panel1")->Parent()->Name(), "GroupBox1");

  ASSERT_EQ(form.Notebook1->PageCount(), 2);
  EXPECT_EQ(form.Notebook1->ActivePage(), "Log");
  EXPECT_EQ(Find<TLabel>(&form, "Label2")->Parent(), form.Notebook1->Page(0));
  auto* pages = Find<TPageControl>(&form, "PageControl1");
  EXPECT_EQ(pages->ActivePage(), Find<TTabSheet>(&form, "TabSheet2"));
  auto* updown = Find<TUpDown>(&form, "UpDown1");
  EXPECT_EQ(updown->Associate(), Find<TEdit>(&form, "Edit2"));
  EXPECT_TRUE(static_cast<bool>(form.Grid1->OnDrawCell));
  auto* bar = Find<TStatusBar>(&form, "StatusBar1");
  ASSERT_EQ(bar->Panels()->Count(), 2);
  EXPECT_EQ(bar->Panels()->Items(0)->Text(), "Ready");

  auto* menu = Find<TMainMenu>(&form, "MainMenu1");
  ASSERT_EQ(menu->Items()->Count(), 1);
  ASSERT_EQ(menu->Items()->Items(0)->Count(), 4);
  EXPECT_EQ(form.Open1->Parent(), menu->Items()->Items(0));
  EXPECT_TRUE(menu->IsShortCut('O', TShiftState{ssCtrl}));
  EXPECT_EQ(form.Opens, 1);
  EXPECT_EQ(form.PopupMenu(), Find<TPopupMenu>(&form, "PopupMenu1"));
  EXPECT_EQ(form.Menu(), menu);

  // Reading the form made none of its windows, its menu's bar included; the bar comes
  // with the form's window.
  EXPECT_FALSE(form.HandleAllocated());
  form.Show();
  Application->ProcessMessages();
  EXPECT_GT(menu->BarHeight(), 0);
  EXPECT_EQ(form.MenuBarHeight(), menu->BarHeight());
}

TEST_F(RegistrationTest, GlyphsAndPicturesKeepTheirPixels) {
  TForm form(nullptr);
  form.SetName("F");
  auto* btn = new TBitBtn(&form);
  btn->SetName("B");
  btn->SetParent(&form);
  btn->Glyph()->SetSize(3, 2);
  btn->Glyph()->Canvas()->SetPixel(1, 1, clRed);
  auto* img = new TImage(&form);
  img->SetName("I");
  img->SetParent(&form);
  img->Picture()->Bitmap()->SetSize(4, 4);
  img->Picture()->Bitmap()->Canvas()->SetPixel(2, 3, clBlue);
  const AnsiString text = WriteText(&form);
  EXPECT_NE(text.find("Glyph.Data = {"), AnsiString::npos) << text;
  EXPECT_NE(text.find("Picture.Data = {"), AnsiString::npos) << text;

  TForm copy(nullptr);
  ReadFormText(&copy, text.c_str(), "glyph.form");
  auto* btn2 = dynamic_cast<TBitBtn*>(copy.FindComponent("B"));
  auto* img2 = dynamic_cast<TImage*>(copy.FindComponent("I"));
  ASSERT_TRUE(btn2 && img2);
  EXPECT_EQ(btn2->Glyph()->Width(), 3);
  EXPECT_EQ(btn2->Glyph()->Canvas()->Pixel(1, 1), clRed);
  EXPECT_EQ(img2->Picture()->Width(), 4);
  EXPECT_EQ(img2->Picture()->Bitmap()->Canvas()->Pixel(2, 3), clBlue);
  EXPECT_EQ(WriteText(&copy), text);
}

TEST_F(RegistrationTest, BadResourcesGiveClearErrors) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"object F: TForm\n  object E: TEdit\n    Colour = clRed\n  end\nend\n", "Colour"},
      {"object F: TForm\n  object E: TEdit\n    MaxLength = 99999999999\n  end\nend\n", "MaxLength"},
      {"object F: TForm\n  object C: TCheckBox\n    State = cbMaybe\n  end\nend\n", "State"},
      {"object F: TForm\n  object P: TPage\n  end\nend\n", "notebook"},
      {"object F: TForm\n  object M: TMenuItem\n  end\nend\n", "menu"},
      {"object F: TForm\n  object I: TImage\n    Picture.Data = {07544269746D6170FFFF000042}\n  end\nend\n", "truncated"},
      {"object F: TForm\n  object I: TImage\n    Picture.Data = {0454496367}\n  end\nend\n", "not supported"},
      {"object F: TForm\n  object B: TBitBtn\n    Glyph.Data = {0400000001020304}\n  end\nend\n", "not a readable"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    TForm form(nullptr);
    try {
      ReadFormText(&form, k.text, "bad.form");
      ADD_FAILURE() << "no error";
    } catch (const EStreamError& e) {
      EXPECT_NE(e.Message().find(k.expected), AnsiString::npos) << e.Message();
      EXPECT_NE(e.Message().find("bad.form"), AnsiString::npos) << e.Message();
    }
  }
}

}  // namespace

namespace {

class TLabelForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TLabelForm"; }
  static void Publish(TClassProps<TLabelForm>&) {}
};

const char* const kLabelForm = R"(object LabelForm: TLabelForm
  Width = 300
  Height = 200
  object Narrow: TLabel
    Left = 8
    Top = 8
    Width = 10
    Height = 4
    Caption = 'Engine speed'
  end
  object Right: TLabel
    Left = 100
    Top = 40
    Width = 80
    Height = 13
    Caption = 'rpm'
    Alignment = taRightJustify
  end
  object Fixed: TLabel
    Left = 8
    Top = 70
    Width = 10
    Height = 4
    Caption = 'Engine speed'
    AutoSize = False
  end
end
)";

// Labels as a form reads them: an auto-size label takes the size of its caption, growing
// from a narrow size or shrinking from a wide one, a right-justified one about its right
// edge; a label that is not auto-size keeps the form's size. A caption the program sets
// later sizes it again.
TEST_F(RegistrationTest, AutoSizeLabelsTakeTheirCaptionsSizeWhenRead) {
  TLabelForm form(nullptr);
  ui::RegisterFormClass(&form);
  ReadFormText(&form, kLabelForm, "labels.form");
  TBitmap measure;
  measure.Canvas()->Font()->Assign(form.Font());
  const TSize speed{measure.Canvas()->TextWidth("Engine speed"), measure.Canvas()->TextHeight("Engine speed")};
  auto* narrow = Find<TLabel>(&form, "Narrow");
  EXPECT_EQ(narrow->BoundsRect(), Bounds(8, 8, speed.cx, speed.cy));
  auto* right = Find<TLabel>(&form, "Right");
  EXPECT_EQ(right->Width(), measure.Canvas()->TextWidth("rpm"));
  EXPECT_EQ(right->Left() + right->Width(), 180);
  EXPECT_EQ(Find<TLabel>(&form, "Fixed")->BoundsRect(), Bounds(8, 70, 10, 4));
  right->SetCaption("\xB0" "Adv");
  EXPECT_EQ(right->Width(), measure.Canvas()->TextWidth("\xB0" "Adv"));
  EXPECT_EQ(right->Left() + right->Width(), 180);
}

}  // namespace
