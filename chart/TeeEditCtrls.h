#pragma once
// Small controls of the chart editors: the colour chooser, a button linked to a property
// of a chart object (and its colour variant, which shows and edits a colour), and a flat
// drop-down list.
#include <functional>
#include "platform/graphics/Canvas.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/streaming/ClassRegistry.h"

// Shows the colour dialog preset to Color, offering the custom colours kept for the whole
// run; true (and Color updated) when the user chose OK with another colour.
bool EditColor(TComponent* Owner, TColor& Color);

// A button optionally linked to one published property of an object; a linked button
// draws a symbol for it over its face.
class TTeeButton : public TButton {
 public:
  explicit TTeeButton(TComponent* AOwner);
  const char* ClassName() const override { return "TTeeButton"; }
  // Links the button to Instance's property of that name (none for an empty name).
  void LinkProperty(TObject* Instance, const AnsiString& PropertyName);
  TObject* LinkedObject() const { return instance_; }
  const TPropInfo* LinkedProperty() const { return info_; }
  void SetEnabled(bool v) override;
  void InitWidget() override;

 protected:
  // Draws the symbol of the linked property over the button face (client coordinates).
  virtual void DrawSymbol(TCanvas& Canvas) { (void)Canvas; }
  virtual bool HasSymbol() const { return info_ != nullptr; }

  TObject* instance_ = nullptr;
  const TPropInfo* info_ = nullptr;
};

// A button showing a colour: the linked colour property (or the colour GetColor gives) as
// a small rectangle at its right end; a click lets the user choose another colour.
class TButtonColor : public TTeeButton {
 public:
  using TTeeButton::TTeeButton;
  const char* ClassName() const override { return "TButtonColor"; }
  // Gives the colour shown when set (instead of the linked property's).
  std::function<TColor()> GetColor;
  TColor SymbolColor() const;
  TRect SymbolRect() const;
  // Opens the colour dialog; a changed colour goes into the linked property, the button
  // repaints and its click event fires.
  void Click() override;

 protected:
  void DrawSymbol(TCanvas& Canvas) override;
  bool HasSymbol() const override { return info_ != nullptr || static_cast<bool>(GetColor); }
};

// A drop-down list that paints a flat frame while the mouse is not over it and it has no
// focus.
class TComboFlat : public TComboBox {
 public:
  explicit TComboFlat(TComponent* AOwner);
  const char* ClassName() const override { return "TComboFlat"; }
  int ItemHeight() const { return 13; }
  bool Hover() const { return hover_; }
  bool DrawsFlat() const { return !hover_ && !Focused(); }
  void InitWidget() override;
  void DoExit() override;

 private:
  void PaintFlat(TCanvas& Canvas);
  bool hover_ = false;
};
