#include "config/savefiles.h"

#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "model/MapRecord.h"

TForm1* Form1 = nullptr;

void TForm1::Publish(TClassProps<TForm1>& P) {
  P.Field("GroupBox1", &TForm1::GroupBox1)
      .Field("CheckBox1", &TForm1::CheckBox1)
      .Field("CheckBox2", &TForm1::CheckBox2)
      .Field("CheckBox3", &TForm1::CheckBox3)
      .Field("Label1", &TForm1::Label1)
      .Field("Label2", &TForm1::Label2)
      .Field("Label3", &TForm1::Label3)
      .Field("RadioGroup1", &TForm1::RadioGroup1)
      .Field("RadioGroup2", &TForm1::RadioGroup2)
      .Handler("RadioGroup1Click", &TForm1::RadioGroup1Click)
      .Handler("RadioGroup2Click", &TForm1::RadioGroup2Click)
      .Handler("CheckBox1Click", &TForm1::CheckBox1Click)
      .Handler("CheckBox2Click", &TForm1::CheckBox2Click)
      .Handler("CheckBox3Click", &TForm1::CheckBox3Click);
}

TCheckBox* TForm1::MapBox(int k) const { return k == 1 ? CheckBox1 : k == 2 ? CheckBox2 : CheckBox3; }

void TForm1::Fill(const std::function<void()>& change) {
  const bool was = busy_;
  busy_ = true;
  try {
    change();
  } catch (...) {
    busy_ = was;
    throw;
  }
  busy_ = was;
}

void TForm1::Tick(int k, bool on) {
  Fill([&] { MapBox(k)->SetChecked(on); });
}

// "Save current map" saves the map shown; "Save all maps" every slot that holds one.
void TForm1::RadioGroup1Click(TObject*) {
  if (busy_) return;
  const bool current = RadioGroup1->ItemIndex() == 1;
  for (int k = 1; k <= 3; ++k) Tick(k, current ? k == CurrentMap : MapSlots.Present(k));
}

void TForm1::RadioGroup2Click(TObject*) {
  if (busy_) return;
  if (RadioGroup2->ItemIndex() == 1) {
    // The current map's box when the file holds that map, else the lowest map it holds.
    int pick = MapBox(CurrentMap)->Enabled() ? CurrentMap : 0;
    for (int k = 1; k <= 3 && pick == 0; ++k)
      if (MapBox(k)->Enabled()) pick = k;
    for (int k = 1; k <= 3; ++k) Tick(k, k == pick);
  } else {
    for (int k = 1; k <= 3; ++k) Tick(k, MapBox(k)->Enabled());
  }
}

// The boxes follow the user's clicks only once Tag is 0 (the dialog clears it at its first
// file-name change); until then they do nothing. "Save current map" and "Import into current
// slot" keep one box ticked, and at least one map always stays chosen.
void TForm1::MapBoxClick(int k) {
  if (busy_ || Tag != 0) return;
  auto chosen = [](TRadioGroup* g) { return g != nullptr && g->Visible() && g->ItemIndex() == 1; };
  const bool single = chosen(RadioGroup1) || chosen(RadioGroup2);
  if (MapBox(k)->Checked()) {
    if (single)
      for (int j = 1; j <= 3; ++j)
        if (j != k) Tick(j, false);
    return;
  }
  for (int j = 1; j <= 3; ++j)
    if (j != k && MapBox(j)->Checked()) return;
  Tick(k, true);
}

void TForm1::CheckBox1Click(TObject*) { MapBoxClick(1); }

void TForm1::CheckBox2Click(TObject*) { MapBoxClick(2); }

void TForm1::CheckBox3Click(TObject*) { MapBoxClick(3); }
