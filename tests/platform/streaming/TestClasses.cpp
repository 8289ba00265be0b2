#include "TestClasses.h"

namespace streamtest {

std::vector<AnsiString>& LoadedLog() {
  static std::vector<AnsiString> log;
  return log;
}

namespace {
const TIdentMap kColorIdents = {{0x000000FF, "clRed"}, {0x00000000, "clBlack"}, {static_cast<int>(0x8000000F), "clBtnFace"}};
}

void TTestGrid::DefineProperties(TFiler& Filer) {
  Filer.DefineProperty(
      "HintCell", [this](TReader& R) {
        Calls.push_back("read HintCell");
        R.ReadListBegin();
        while (!R.EndOfList()) R.ReadString();
        R.ReadListEnd();
        HasHints = true;
      },
      [this](TWriter& W) {
        Calls.push_back("write HintCell");
        W.WriteListBegin();
        W.WriteListEnd();
      },
      HasHints);
  Filer.DefineProperty(
      "Cells",
      [this](TReader& R) {
        Calls.push_back("read Cells");
        R.ReadListBegin();
        while (!R.EndOfList()) {
          int index = R.ReadInteger();
          Cells.emplace_back(index, R.ReadString());
        }
        R.ReadListEnd();
      },
      [this](TWriter& W) {
        Calls.push_back("write Cells");
        W.WriteListBegin();
        for (const auto& [index, text] : Cells) {
          W.WriteInteger(index);
          W.WriteString(text);
        }
        W.WriteListEnd();
      },
      true);
  Filer.DefineBinaryProperty(
      "Data",
      [this](TStream& S) {
        Calls.push_back("read Data");
        Blob.assign(static_cast<size_t>(S.Size()), '\0');
        S.ReadBuffer(Blob.data(), S.Size());
      },
      [this](TStream& S) {
        Calls.push_back("write Data");
        S.WriteBuffer(Blob.data(), static_cast<int64_t>(Blob.size()));
      },
      !Blob.empty());
}

void RegisterTestClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterClass<TTestFont, TPersistent>("TTestFont")
      .Int("Size", &TTestFont::Size, 8)
      .Set("Style", &TTestFont::Style, {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, 0)
      .String("Name", &TTestFont::Name, "MS Sans Serif")
      .Int("Color", &TTestFont::Color, 0, &kColorIdents);
  RegisterClass<TTestColumn, TPersistent>("TTestColumn")
      .Int("Width", &TTestColumn::Width, 64)
      .String("Title", &TTestColumn::Title);
  RegisterClass<TTestControl, TComponent>("TTestControl")
      .Int("Left", &TTestControl::GetLeft, &TTestControl::SetLeft, 0)
      .Int("Top", &TTestControl::Top)
      .Bool("Visible", &TTestControl::Visible, true)
      .String("Caption", &TTestControl::Caption)
      .Enum("Align", &TTestControl::Align, {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}, 0)
      .Int("Color", &TTestControl::Color, static_cast<int>(0x8000000F), &kColorIdents)
      .Float("Ratio", &TTestControl::Ratio, 1.5)
      .Object("Font", &TTestControl::Font)
      .Component("Buddy", &TTestControl::Buddy)
      .Event("OnClick", &TTestControl::OnClick)
      .Event("OnKeyDown", &TTestControl::OnKeyDown)
      .ParentHook([](TTestControl* self, TComponent* parent) {
        auto* p = dynamic_cast<TTestControl*>(parent);
        self->ParentControl = p;
        if (p != nullptr) p->Controls.push_back(self);
      })
      .ChildrenHook([](TTestControl* self, TComponent* root) {
        std::vector<TComponent*> out;
        for (TTestControl* c : self->Controls)
          if (c->Owner() == root) out.push_back(c);
        return out;
      });
  RegisterClass<TTestPanel, TTestControl>("TTestPanel");
  RegisterClass<TTestList, TTestControl>("TTestList")
      .Strings("Items", &TTestList::Items)
      .Collection("Columns", &TTestList::Columns);
  RegisterClass<TTestGrid, TTestControl>("TTestGrid")
      .Bool("Visible", &TTestControl::Visible, false)  // redeclared with another default
      .DefineProperties(&TTestGrid::DefineProperties);
  RegisterClass<TTestForm, TTestControl>("TTestForm")
      .Handler("Button1Click", &TTestForm::Button1Click)
      .Handler("EditKeyDown", &TTestForm::EditKeyDown)
      .Field("Button1", &TTestForm::Button1)
      .Field("Panel1", &TTestForm::Panel1)
      .Field("Grid1", &TTestForm::Grid1);
  RegisterClass<TOtherForm, TTestControl>("TOtherForm").Handler("OtherClick", &TOtherForm::OtherClick);
  RegisterClass<TLibForm, TComponent>("TLibForm");
}

}  // namespace streamtest
