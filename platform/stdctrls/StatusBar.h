#pragma once
// The status bar along the bottom of a window: a row of panels with their own text,
// width, alignment and bevel, or one simple panel across the whole bar.
#include <memory>
#include <vector>
#include "platform/stdctrls/Edits.h"
#include "platform/ui/Controls.h"

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusPanels;

// A persistent so that form resources can store the panels as a collection.
class TStatusPanel : public TPersistent {
 public:
  explicit TStatusPanel(TStatusPanels* owner) : owner_(owner) {}
  const char* ClassName() const override { return "TStatusPanel"; }
  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& v);
  int Width() const { return width_; }
  void SetWidth(int v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TStatusPanelBevel Bevel() const { return bevel_; }
  void SetBevel(TStatusPanelBevel v);
  int Index() const;

 private:
  void Changed();
  TStatusPanels* owner_;
  AnsiString text_;
  int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
  TStatusPanelBevel bevel_ = pbLowered;
};

class TStatusBar;

class TStatusPanels {
 public:
  explicit TStatusPanels(TStatusBar* bar) : bar_(bar) {}
  int Count() const { return static_cast<int>(items_.size()); }
  // Items(i) out of range throws EListError, as list indexes do.
  TStatusPanel* Items(int i) const;
  TStatusPanel* operator[](int i) const { return Items(i); }
  TStatusPanel* Add();
  void Delete(int i);
  void Clear();
  int IndexOf(const TStatusPanel* p) const;
  TStatusBar* Bar() const { return bar_; }

 private:
  TStatusBar* bar_;
  std::vector<std::unique_ptr<TStatusPanel>> items_;
};

class TStatusBar : public TCustomControl {
 public:
  explicit TStatusBar(TComponent* AOwner);
  ~TStatusBar() override;
  const char* ClassName() const override { return "TStatusBar"; }
  TStatusPanels* Panels() { return &panels_; }
  // Shows SimpleText across the bar instead of the panels.
  bool SimplePanel() const { return simple_panel_; }
  void SetSimplePanel(bool v) { simple_panel_ = v; Invalidate(); }
  const AnsiString& SimpleText() const { return simple_text_; }
  void SetSimpleText(const AnsiString& v) { simple_text_ = v; Invalidate(); }
  bool SizeGrip() const { return size_grip_; }
  void SetSizeGrip(bool v) { size_grip_ = v; Invalidate(); }
  // Where panel i lies in the bar; the last panel reaches the right edge.
  TRect PanelRect(int i) const;
  // The panel under a client point, or -1 (also in simple mode).
  int PanelAtPos(int X) const;
  void Paint() override;
  // A panel's text, width, alignment or bevel changed.
  void PanelsChanged() { Invalidate(); }

 private:
  TStatusPanels panels_;
  bool simple_panel_ = false, size_grip_ = true;
  AnsiString simple_text_;
};
