#pragma once
// Small component classes standing in for controls and forms in the streaming tests.
#include <memory>
#include <vector>
#include "platform/classes/Lists.h"
#include "platform/classes/Streams.h"
#include "platform/streaming/ClassProps.h"

namespace streamtest {

// Every Loaded call, in order, as "Name".
std::vector<AnsiString>& LoadedLog();

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, int Shift)>;

class TTestFont : public TPersistent {
 public:
  const char* ClassName() const override { return "TTestFont"; }
  int Size = 8;
  int Style = 0;
  AnsiString Name = "MS Sans Serif";
  int Color = 0;
};

class TTestColumn : public TPersistent {
 public:
  const char* ClassName() const override { return "TTestColumn"; }
  int Width = 64;
  AnsiString Title;
};

class TTestColumns {
 public:
  void Clear() { items_.clear(); }
  TTestColumn* Add() { return items_.emplace_back(std::make_unique<TTestColumn>()).get(); }
  int Count() const { return static_cast<int>(items_.size()); }
  TTestColumn* Items(int i) const { return items_.at(static_cast<size_t>(i)).get(); }

 private:
  std::vector<std::unique_ptr<TTestColumn>> items_;
};

class TTestControl : public TComponent {
 public:
  using TComponent::TComponent;
  const char* ClassName() const override { return "TTestControl"; }
  void Loaded() override {
    TComponent::Loaded();
    LoadedLog().push_back(Name());
  }
  int GetLeft() const { return left_; }
  void SetLeft(int v) { left_ = v; }

  TTestControl* ParentControl = nullptr;
  std::vector<TTestControl*> Controls;
  int Top = 0;
  bool Visible = true;
  AnsiString Caption;
  TAlign Align = TAlign::alNone;
  int Color = 0x80000000 | 15;  // clBtnFace
  double Ratio = 1.5;
  TTestFont Font;
  TNotifyEvent OnClick;
  TKeyEvent OnKeyDown;
  TComponent* Buddy = nullptr;

 private:
  int left_ = 0;
};

class TTestPanel : public TTestControl {
 public:
  using TTestControl::TTestControl;
  const char* ClassName() const override { return "TTestPanel"; }
};

class TTestList : public TTestControl {
 public:
  using TTestControl::TTestControl;
  const char* ClassName() const override { return "TTestList"; }
  TStringList Items;
  TTestColumns Columns;
};

// A grid-like class with its own stream properties.
class TTestGrid : public TTestControl {
 public:
  using TTestControl::TTestControl;
  const char* ClassName() const override { return "TTestGrid"; }
  void DefineProperties(TFiler& Filer);

  std::vector<std::pair<int, AnsiString>> Cells;  // (index, text)
  AnsiString Blob;                                 // raw bytes of "Data"
  bool HasHints = false;
  std::vector<AnsiString> Calls;                   // reader and writer calls, in order
};

class TTestForm : public TTestControl {
 public:
  using TTestControl::TTestControl;
  const char* ClassName() const override { return "TTestForm"; }
  void Button1Click(TObject* Sender) { Clicks.push_back(static_cast<TComponent*>(Sender)->Name()); }
  void EditKeyDown(TObject*, uint16_t& Key, int Shift) {
    LastShift = Shift;
    Key = 0;
  }
  TTestControl* Button1 = nullptr;
  TTestPanel* Panel1 = nullptr;
  TTestGrid* Grid1 = nullptr;
  std::vector<AnsiString> Clicks;
  int LastShift = -1;
};

// A second form class, to check that its handlers are not found on TTestForm.
class TOtherForm : public TTestControl {
 public:
  using TTestControl::TTestControl;
  const char* ClassName() const override { return "TOtherForm"; }
  void OtherClick(TObject*) {}
};

class TLibForm : public TComponent {
 public:
  using TComponent::TComponent;
  const char* ClassName() const override { return "TLibForm"; }
};

void RegisterTestClasses();

}  // namespace streamtest
