#pragma once
// The map-file options panel docked beside the map open and save dialogs: which maps
// to save or load, and how. Tag is 1 while a dialog comes up and 0 once the user works it:
// the map boxes follow their clicks only at 0. The save group is shown while saving, the
// load group while loading. The opener fills the boxes
// through Fill, so that its own changes run none of the rules a user's clicks run.
#include <functional>

#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TCheckBox;
class TGroupBox;
class TLabel;
class TRadioGroup;

class TForm1 : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TForm1"; }
  static void Publish(TClassProps<TForm1>& P);

  TGroupBox* GroupBox1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TCheckBox* CheckBox2 = nullptr;
  TCheckBox* CheckBox3 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TRadioGroup* RadioGroup1 = nullptr;
  TRadioGroup* RadioGroup2 = nullptr;

  void RadioGroup1Click(TObject* Sender);
  void RadioGroup2Click(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void CheckBox2Click(TObject* Sender);
  void CheckBox3Click(TObject* Sender);

  TCheckBox* MapBox(int k) const;  // k = 1..3
  // Runs `change` (the opener setting boxes, labels and groups) with the rules muted.
  void Fill(const std::function<void()>& change);

 private:
  // A map box was clicked: the single-map choices keep one box ticked.
  void MapBoxClick(int k);
  // Sets the boxes without running the rules again.
  void Tick(int k, bool on);
  bool busy_ = false;
};

extern TForm1* Form1;
