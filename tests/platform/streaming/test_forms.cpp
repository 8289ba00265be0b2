// Reading form resources into components: creation by class name, properties, parents,
// fields, handlers, references, Loaded, and the errors that name resource, line and property.
#include <gtest/gtest.h>

#include "TestClasses.h"
#include "platform/streaming/FormResources.h"
#include "platform/streaming/ObjectText.h"

using namespace streamtest;

namespace {

class FormStreaming : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestClasses();
    LoadedLog().clear();
  }
  AnsiString MainText() const { return AnsiString(FindFormResource("TTestForm")->Text); }
};

AnsiString WriteText(TComponent* root) {
  AnsiString bin;
  TWriter w(bin);
  w.WriteRootComponent(root);
  return ObjectBinaryToText(bin);
}

TEST_F(FormStreaming, ResourceCreatesChildrenWithPropertiesFieldsAndHandlers) {
  TTestForm form(nullptr);
  ReadFormResource(&form, "TTestForm");

  EXPECT_EQ(form.Name(), "MainForm");
  EXPECT_EQ(form.GetLeft(), 192);
  EXPECT_EQ(form.Top, -8);
  EXPECT_EQ(form.Caption, "Main \xB0" "C");
  EXPECT_EQ(form.Color, 0xFF);
  EXPECT_EQ(form.Ratio, 0.25);
  EXPECT_EQ(form.Font.Style, 3);
  EXPECT_EQ(form.Font.Color, 8454016);
  EXPECT_EQ(form.Font.Name, "MS Sans Serif");

  ASSERT_NE(form.Panel1, nullptr);
  ASSERT_NE(form.Button1, nullptr);
  ASSERT_NE(form.Grid1, nullptr);
  EXPECT_EQ(form.Panel1->Owner(), &form);
  EXPECT_EQ(form.Button1->Owner(), &form);
  EXPECT_EQ(form.Panel1->ParentControl, &form);
  EXPECT_EQ(form.Button1->ParentControl, form.Panel1);
  EXPECT_EQ(form.FindComponent("button1"), form.Button1);
  EXPECT_FALSE(form.Panel1->Visible);
  EXPECT_EQ(form.Panel1->Align, TAlign::alClient);
  EXPECT_EQ(form.Button1->Caption, "It's a caption that takes more than sixty-four characters, so it is split");

  auto* list = dynamic_cast<TTestList*>(form.FindComponent("List1"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(form.Button1->Buddy, list);  // a reference to a component read later
  ASSERT_EQ(list->Items.Count(), 3);
  EXPECT_EQ(list->Items.Strings(2), "Third");
  ASSERT_EQ(list->Columns.Count(), 2);
  EXPECT_EQ(list->Columns.Items(0)->Width, 50);
  EXPECT_EQ(list->Columns.Items(0)->Title, "A");
  EXPECT_EQ(list->Columns.Items(1)->Width, 64);

  EXPECT_TRUE(form.Grid1->Visible);
  EXPECT_EQ(form.Grid1->Color, static_cast<int>(0x80000005));
  EXPECT_EQ(form.Grid1->Cells, (std::vector<std::pair<int, AnsiString>>{{0, "Temp"}, {1, "RPM"}}));
  EXPECT_EQ(form.Grid1->Blob, AnsiString("\x01\x02\x03\x04\x05"));
  EXPECT_EQ(form.Grid1->Calls, (std::vector<AnsiString>{"read Cells", "read Data"}));

  ASSERT_TRUE(form.Button1->OnClick);
  form.Button1->OnClick(form.Button1);
  EXPECT_EQ(form.Clicks, std::vector<AnsiString>{"Button1"});
  ASSERT_TRUE(form.OnKeyDown);
  uint16_t key = 13;
  form.OnKeyDown(&form, key, 4);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(form.LastShift, 4);
}

TEST_F(FormStreaming, LoadedRunsOnEveryComponentAfterTheWholeForm) {
  TTestForm form(nullptr);
  ReadFormResource(&form, "TestMain");  // by file stem
  EXPECT_EQ(LoadedLog(), (std::vector<AnsiString>{"MainForm", "Panel1", "Button1", "List1", "Grid1"}));
  for (int i = 0; i < form.ComponentCount(); ++i) EXPECT_FALSE(form.Components(i)->HasState(csLoading | csReading));
  EXPECT_FALSE(form.HasState(csLoading | csReading));
}

TEST_F(FormStreaming, WritingTheReadFormGivesBackItsText) {
  TTestForm form(nullptr);
  ReadFormResource(&form);
  EXPECT_EQ(WriteText(&form), MainText());
}

TEST_F(FormStreaming, WriterStoresOnlyValuesThatDifferFromDefaults) {
  TTestForm form(nullptr);
  form.SetName("F");
  EXPECT_EQ(WriteText(&form), "object F: TTestForm\nend\n");
  form.SetLeft(0);
  form.Visible = false;
  form.Font.Size = 10;
  form.Tag = 3;
  form.OnClick = [](TObject*) {};  // bound in code, not to a named handler: not stored
  EXPECT_EQ(WriteText(&form), "object F: TTestForm\n  Tag = 3\n  Visible = False\n  Font.Size = 10\nend\n");
}

TEST_F(FormStreaming, DefinePropertyWritersRunInOrderAndOnlyWithData) {
  TTestForm form(nullptr);
  form.SetName("F");
  auto* grid = new TTestGrid(&form);
  grid->SetName("G");
  form.Controls.push_back(grid);
  grid->Visible = false;  // the grid's registered default
  grid->HasHints = true;
  grid->Cells = {{3, "x"}};
  EXPECT_EQ(WriteText(&form),
            "object F: TTestForm\n  object G: TTestGrid\n    HintCell = ()\n    Cells = (\n      3\n      'x')\n  end\nend\n");
  EXPECT_EQ(grid->Calls, (std::vector<AnsiString>{"write HintCell", "write Cells"}));
  grid->Blob = "\x7F";
  grid->Calls.clear();
  WriteText(&form);
  EXPECT_EQ(grid->Calls, (std::vector<AnsiString>{"write HintCell", "write Cells", "write Data"}));
}

TEST_F(FormStreaming, PropertiesByNameThroughTypedAccessors) {
  TTestForm form(nullptr);
  const TStreamClass& cls = GetClass("TTestForm");
  cls.FindProp("Left")->SetOrd(&form, 17);
  EXPECT_EQ(form.GetLeft(), 17);
  cls.FindProp("caption")->SetStr(&form, "Hi");
  EXPECT_EQ(cls.FindProp("Caption")->GetStr(&form), "Hi");
  EXPECT_EQ(cls.FindProp("Ratio")->GetFloat(&form), 1.5);
  EXPECT_EQ(cls.FindProp("Align")->Names().at(5), "alClient");
  EXPECT_EQ(cls.FindProp("Font")->GetObject(&form), &form.Font);
  EXPECT_EQ(cls.FindProp("Tag")->Kind(), TPropKind::Integer);  // inherited from TComponent
  EXPECT_EQ(cls.FindProp("Nope"), nullptr);
  EXPECT_THROW(cls.FindProp("Caption")->GetOrd(&form), EPropertyError);
  EXPECT_TRUE(GetClass("TTestGrid").InheritsFrom(&GetClass("TComponent")));

  TComponent* made = CreateComponent("TTestPanel", &form);
  EXPECT_EQ(made->Owner(), &form);
  EXPECT_STREQ(made->ClassName(), "TTestPanel");
  EXPECT_THROW(CreateComponent("TNoSuch", &form), EClassNotFound);
  EXPECT_THROW(CreateComponent("TTestFont", &form), EFilerError);  // not a component
}

// Each row: a form text and the start of the message it must raise.
struct ErrorRow {
  const char* text;
  const char* message;
};

TEST_F(FormStreaming, ErrorsNameTheResourceLineAndProperty) {
  const ErrorRow rows[] = {
      {"object F: TTestForm\n  object X: TNoSuch\n  end\nend\n",
       "Error reading resource T.form, line 2, component X: Class TNoSuch not found"},
      {"object F: TTestForm\n  Left = 1\n  Bogus = 2\nend\n",
       "Error reading resource T.form, line 3, property F.Bogus: Property Bogus does not exist"},
      {"object F: TTestForm\n  object Button1: TTestControl\n    Font.Bogus = 2\n  end\nend\n",
       "Error reading resource T.form, line 3, property Button1.Font.Bogus: Property Font.Bogus does not exist"},
      {"object F: TTestForm\n  object Button1: TTestControl\n    OnClick = Button1Clik\n  end\nend\n",
       "Error reading resource T.form, line 3, property Button1.OnClick: Handler Button1Clik does not exist in TTestForm"},
      {"object F: TTestForm\n  OnClick = OtherClick\nend\n",
       "Error reading resource T.form, line 2, property F.OnClick: Handler OtherClick does not exist in TTestForm"},
      {"object F: TTestForm\n  OnClick = EditKeyDown\nend\n",
       "Error reading resource T.form, line 2, property F.OnClick: Handler EditKeyDown has parameters that do not match event OnClick"},
      {"object F: TTestForm\n  Align = alSideways\nend\n",
       "Error reading resource T.form, line 2, property F.Align: Invalid property value alSideways"},
      {"object F: TTestForm\n  Font.Style = [fsBold, fsBlinking]\nend\n",
       "Error reading resource T.form, line 2, property F.Font.Style: Invalid property value fsBlinking"},
      {"object F: TTestForm\n  Color = clPurple\nend\n",
       "Error reading resource T.form, line 2, property F.Color: Invalid property value clPurple"},
      {"object F: TTestForm\n  Left = 'x'\nend\n",
       "Error reading resource T.form, line 2, property F.Left: Invalid property value: integer expected, found vaString"},
      {"object F: TTestForm\n  Left = 3000000000\nend\n",
       "Error reading resource T.form, line 2, property F.Left: Integer value 3000000000 out of range"},
      {"object F: TTestForm\n\n  Buddy = Nobody\nend\n",
       "Error reading resource T.form, line 3, property F.Buddy: Component Nobody not found"},
      {"object F: TTestForm\n  object Panel1: TTestControl\n  end\nend\n",
       "Error reading resource T.form, line 2, component Panel1: Component Panel1 is of class TTestControl"},
      {"object F: TOtherForm\nend\n", "Error reading resource T.form, line 1: The stream holds a TOtherForm, not a TTestForm"},
      {"object F: TTestForm\n  object A: TTestPanel\n  end\n  object A: TTestPanel\n  end\nend\n",
       "Error reading resource T.form, line 4, component A: A component named A already exists"},
      {"object F: TTestForm\n  Font = 1\nend\n",
       "Error reading resource T.form, line 2, property F.Font: Invalid property value for Font"},
  };
  for (const ErrorRow& r : rows) {
    TTestForm form(nullptr);
    try {
      ReadFormText(&form, r.text, "T.form");
      ADD_FAILURE() << "no error for " << r.text;
    } catch (const EFilerError& e) {
      EXPECT_EQ(AnsiString(e.what()).substr(0, strlen(r.message)), r.message) << e.what();
    } catch (const Exception& e) {
      EXPECT_EQ(AnsiString(e.what()).substr(0, strlen(r.message)), r.message) << e.what();
    }
  }
}

TEST_F(FormStreaming, ErrorClassesAreTheFilerOnes) {
  TTestForm form(nullptr);
  EXPECT_THROW(ReadFormText(&form, "object F: TTestForm\n  object X: TNoSuch\n  end\nend\n", "T"), EClassNotFound);
  TTestForm form2(nullptr);
  EXPECT_THROW(ReadFormText(&form2, "object F: TTestForm\n  Bogus = 1\nend\n", "T"), EReadError);
  TTestForm form3(nullptr);
  EXPECT_THROW(ReadFormResource(&form3, "TNoSuchForm"), EResNotFound);
}

TEST_F(FormStreaming, CorruptBinaryStreamsRaiseAndNeverCrash) {
  AnsiString bin = ObjectTextToBinary(MainText());
  for (size_t n = 0; n < bin.size(); ++n) {
    std::vector<char> cut(bin.begin(), bin.begin() + static_cast<std::ptrdiff_t>(n));
    TTestForm form(nullptr);
    TReader r(cut.data(), cut.size());
    EXPECT_THROW(r.ReadRootComponent(&form), Exception) << n;
  }
  // Single corrupted bytes: either still a valid form or a clean exception.
  for (size_t i = 0; i < bin.size(); ++i) {
    for (int v : {0x00, 0x01, 0x07, 0x7F, 0xFF}) {
      AnsiString bad = bin;
      bad[i] = static_cast<char>(v);
      TTestForm form(nullptr);
      TReader r(bad.data(), bad.size());
      try {
        r.ReadRootComponent(&form);
      } catch (const Exception&) {
      }
    }
  }
}

TEST_F(FormStreaming, ResourcesOfALibraryAreRegisteredWithoutBeingReferenced) {
  const TFormResource* res = FindFormResource("LibForm");
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(res->ClassName, "TLibForm");
  EXPECT_EQ(res->ObjectName, "LibForm");
  EXPECT_EQ(FindFormResource("tlibform"), res);
  TLibForm form(nullptr);
  ReadFormResource(&form);
  EXPECT_EQ(form.Tag, 7);
}

}  // namespace
