// The typed edit's auto-complete list (matching, navigation, picking, history) and the
// persistence of its text and lists in an INI file or the registry store.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include "controls/AdvEdit.h"
#include "platform/classes/IniFiles.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/FormResources.h"
#include "platform/ui/Application.h"

namespace {

class AdvEditLookupTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterAdvEditClasses();
  }
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetClientSize(400, 300);
    edit = new TAdvEdit(form.get());
    edit->SetName("Tuner");
    edit->SetParent(form.get());
    edit->SetBounds(20, 20, 150, 24);
    edit->Lookup()->SetEnabled(true);
    for (const char* s : {"alpha", "beta", "bravo", "Alpine", "charlie"}) edit->Lookup()->DisplayList()->Add(s);
    form->Show();
    edit->SetFocus();
    edit->SetText("");
  }
  void Type(const char* keys) {
    for (const char* p = keys; *p; ++p) {
      char k = *p;
      edit->KeyPress(k);
    }
  }
  void Key(WORD k) { edit->KeyDown(k, {}); }
  std::unique_ptr<TForm> form;
  TAdvEdit* edit = nullptr;
};

TEST_F(AdvEditLookupTest, ListOpensAfterNumCharsWithMatchingEntries) {
  Type("a");
  EXPECT_FALSE(edit->LookupShowing()) << "one character: NumChars is 2";
  Type("l");
  ASSERT_TRUE(edit->LookupShowing());
  EXPECT_EQ(edit->LookupRows(), (std::vector<int>{0, 3})) << "alpha and Alpine, case-insensitive";
  EXPECT_EQ(edit->LookupList()->Items()->Count(), 2);
  EXPECT_EQ(edit->LookupList()->Height(), 2 * 12 + 4);
  edit->Lookup()->SetCaseSensitive(true);
  Type("p");
  EXPECT_EQ(edit->LookupRows(), (std::vector<int>{0}));
  Type("x");
  EXPECT_FALSE(edit->LookupShowing()) << "no match: hidden";
}

TEST_F(AdvEditLookupTest, KeysMoveAndEnterPicksTheValue) {
  edit->Lookup()->ValueList()->Add("A");  // a value for "alpha" only
  edit->Lookup()->SetNumChars(1);
  AnsiString seen;
  int seenIndex = -1;
  edit->OnLookupIndexSelect = [&](TObject*, int i, AnsiString& v) {
    seenIndex = i;
    seen = v;
  };
  Type("a");
  ASSERT_TRUE(edit->LookupShowing());
  Key(VK_DOWN);
  Key(VK_DOWN);  // not past the last row
  EXPECT_EQ(edit->LookupRow(), 1);
  Key(VK_HOME);
  EXPECT_EQ(edit->LookupRow(), 0);
  Key(VK_RETURN);
  EXPECT_FALSE(edit->LookupShowing());
  EXPECT_EQ(seenIndex, 0);
  EXPECT_EQ(seen, "A");
  EXPECT_EQ(edit->Text(), "A");
  Type("a");  // replaces the selected value
  Key(VK_END);
  Key(VK_RETURN);
  EXPECT_EQ(edit->Text(), "Alpine") << "no value at index 3: the entry itself";
}

TEST_F(AdvEditLookupTest, MultiReplacesOnlyTheLastPart) {
  edit->Lookup()->SetMulti(true);
  edit->Lookup()->SetNumChars(1);
  edit->OnLookupSelect = [](TObject*, AnsiString& v) { v += "!"; };
  Type("a;b");
  ASSERT_TRUE(edit->LookupShowing());
  EXPECT_EQ(edit->LookupRows(), (std::vector<int>{1, 2}));
  Key(VK_RETURN);
  EXPECT_EQ(edit->Text(), "a;beta!");
  EXPECT_EQ(edit->SelStart(), 7);
}

TEST_F(AdvEditLookupTest, HistoryAddsEnteredTextsInStep) {
  edit->Lookup()->SetHistory(true);
  edit->Lookup()->ValueList()->Add("v-alpha");
  for (const char* t : {"  delta ", "", "beta", "delta"}) {
    edit->SetText(t);
    edit->DoExit();
  }
  TStrings* d = edit->Lookup()->DisplayList();
  ASSERT_EQ(d->Count(), 6);
  EXPECT_EQ(d->Strings(5), "delta");
  EXPECT_EQ(edit->Lookup()->ValueList()->Count(), 6) << "both lists keep one entry per row";
  EXPECT_EQ(edit->Lookup()->ValueFor(0), "v-alpha");
  EXPECT_EQ(edit->Lookup()->ValueFor(5), "delta");
}

TEST_F(AdvEditLookupTest, PersistenceRoundTripsThroughAnIniFile) {
  const AnsiString file = "advedit-lookup-test.ini";
  TPersistence p;
  p.SetEnable(true);
  p.SetKey(file);
  edit->Lookup()->SetHistory(true);
  edit->Lookup()->ValueList()->Add("v1");  // shorter than the display list
  SavePersistedEdit(p, "Tuner", edit->Lookup(), "hello");
  {
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadInteger("Tuner", "LOOKUPCOUNT", -1), 5);
    EXPECT_EQ(ini.ReadString("Tuner", "LOOKUPVAL1", ""), "v1");
    EXPECT_EQ(ini.ReadString("Tuner", "LOOKUPVAL5", ""), "charlie") << "no value past the value list";
    EXPECT_EQ(ini.ReadString("Tuner", "LOOKUPDISPL2", ""), "beta");
    EXPECT_EQ(ini.ReadString("Tuner", "Tuner", ""), "hello");
  }
  TLookupSettings back;
  back.SetEnabled(true);
  back.SetHistory(true);
  AnsiString text = "before";
  LoadPersistedEdit(p, "Tuner", &back, text);
  EXPECT_EQ(text, "hello");
  EXPECT_EQ(back.DisplayList()->Text(), edit->Lookup()->DisplayList()->Text());
  EXPECT_EQ(back.ValueList()->Count(), 5);

  // A damaged store: a huge count and a gap; the lists stay in step and bounded.
  {
    TIniFile ini(file);
    ini.WriteInteger("Tuner", "LOOKUPCOUNT", 2000000000);
    ini.DeleteKey("Tuner", "LOOKUPDISPL2");
    ini.UpdateFile();
  }
  TLookupSettings damaged;
  damaged.SetEnabled(true);
  damaged.SetHistory(true);
  LoadPersistedEdit(p, "Tuner", &damaged, text);
  EXPECT_EQ(damaged.DisplayList()->Count(), 4);
  EXPECT_EQ(damaged.ValueList()->Count(), 4);
  EXPECT_EQ(damaged.ValueFor(1), "bravo");
}

TEST_F(AdvEditLookupTest, RegistryStoreAndFormResource) {
  struct Host : TForm {
    using TForm::TForm;
    const char* ClassName() const override { return "TLookupHost"; }
  };
  RegisterClass<Host, TForm>("TLookupHost");
  TPersistence p;
  p.SetEnable(true);
  p.SetLocation(plRegistry);
  p.SetKey("Software\\Corvane\\EditTest");
  p.SetSection("Fields");
  SavePersistedEdit(p, "Code", nullptr, "4711");
  {
    Host h(nullptr);
    ReadFormText(&h, R"(object LookupHost: TLookupHost
  object Code: TAdvEdit
    Left = 8
    Top = 8
    Width = 80
    Height = 21
    EditType = etNumeric
    Lookup.DisplayList.Strings = ('12' '13')
    Lookup.NumChars = 1
    Persistence.Enable = True
    Persistence.Key = 'Software\Corvane\EditTest'
    Persistence.Section = 'Fields'
    Persistence.Location = plRegistry
  end
end
)",
                 "lookup.form");
    auto* code = dynamic_cast<TAdvEdit*>(h.FindComponent("Code"));
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(code->Text(), "4711") << "the stored text is read once the form is loaded";
    EXPECT_EQ(code->Lookup()->DisplayList()->Count(), 2);
    EXPECT_EQ(code->Lookup()->NumChars(), 1);
    code->SetText("815");
  }  // the edit keeps its text as it goes
  AnsiString text;
  LoadPersistedEdit(p, "Code", nullptr, text);
  EXPECT_EQ(text, "815");
}

}  // namespace
