#pragma once
// The map-file options panel docked beside the map open and save dialogs: which maps
// to save or load, and how. The opener fills it with Tag 1 (its own changes then run no
// rules) and sets Tag 0 before the user works it. The save group is shown while saving,
// the load group while loading.
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
  bool Saving() const;

 private:
  // A map box was clicked: the single-map choices keep one box ticked.
  void MapBoxClick(int k);
  // Sets the boxes without running the rules again.
  void Tick(int k, bool on);
  bool busy_ = false;
};

extern TForm1* Form1;
