// Read-only text controls under a real X server: no key that edits text, no paste by key
// or middle click, changes what the program put there. Every kind of edit is made
// read-only and given the program's text while it has the focus (as the ignition alignment
// window's angles get the ECU's reply), then every editing key in turn; each text the
// control ever shows is recorded, so that a change put right again later still counts.
// The alignment window's two angles are driven the same way in the program itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/Main.h"
#include "controls/AdvEdit.h"
#include "controls/AdvMaskEdit.h"
#include "controls/AdvSpin.h"
#include "ecu/IgnAlign.h"
#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/Clipboard.h"
#include "platform/stdctrls/Edits.h"
#include "x11/ProgramUser.h"

namespace {

using namespace x11test;

void Xdo(const std::string& args) { std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()); }
void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string At(TControl* c, int x, int y) {
  const TPoint p = c->ClientToScreen({x, y});
  return "mousemove " + std::to_string(p.x) + " " + std::to_string(p.y);
}

// Each key sequence tries to change the text in its own way; the last two are the pastes.
const char* const kEditingKeys[] = {
    "End BackSpace",      "ctrl+a BackSpace", "Home Delete",    "ctrl+a Delete", "ctrl+a ctrl+x",
    "ctrl+a shift+Delete", "ctrl+z",          "End ctrl+BackSpace", "Home ctrl+Delete", "Home ctrl+k",
    "End ctrl+u",         "End 7",            "Home a",         "minus",         "period",
    "comma",              "Prior",            "Next",           "Up",            "Down",
    "Escape",             "ctrl+a ctrl+v",    "End shift+Insert"};

// Text the program shows, recorded each time it changes.
struct Shown {
  std::vector<AnsiString> texts;
  void Watch(TCustomEdit* e) {
    e->OnChange = [this, e](TObject*) { texts.push_back(e->Text()); };
  }
};

class ReadOnlyProbe : public ::testing::Test {
 protected:
  struct Row {
    const char* name;
    TCustomEdit* edit;
    std::function<void()> show;  // puts the program's text in, as a reply would
    AnsiString text;             // which is then shown
  };

  void SetUp() override {
    std::string missing;
    if (!x_.Start(missing)) GTEST_SKIP() << "needs " << missing;
    Application->Initialize();
    form_ = new TForm(nullptr);
    form_->SetCaption("Read-only probe");
    form_->SetBounds(100, 100, 420, 460);
    int top = 10;
    auto place = [&](auto* c, int height = 24) {
      c->SetParent(form_);
      c->SetBounds(10, top, 160, height);
      top += height + 8;
      return c;
    };
    auto* typed = place(new TAdvEdit(form_));
    auto* angle = place(new TAdvEdit(form_));
    angle->SetEditType(etFloat);
    angle->SetPrecision(1);
    angle->SetSigned(true);
    auto* spin = place(new TAdvSpinEdit(form_));
    spin->SetSigned(true);
    auto* advMask = place(new TAdvMaskEdit(form_));
    advMask->SetEditMask("99.9;1;_");
    auto* edit = place(new TEdit(form_));
    auto* memo = place(new TMemo(form_), 60);
    auto* mask = place(new TMaskEdit(form_));
    mask->SetEditMask("99.9;1;_");
    auto* num = new TAbNumSpin(form_);
    num->SetFormatStr("0.0");
    num->Loaded();
    place(num);
    source_ = new TEdit(form_);
    source_->SetParent(form_);
    source_->SetBounds(220, 10, 150, 24);
    source_->SetText("31");
    rows_ = {{"typed edit", typed, [typed] { typed->SetText("90.5"); }, "90.5"},
             {"float typed edit", angle, [angle] { angle->SetFloatValue(90.5); }, "90.5"},
             {"spin edit", spin, [spin] { spin->SetValue(905); }, "905"},
             {"typed mask edit", advMask, [advMask] { advMask->SetText("90.5"); }, "90.5"},
             {"edit", edit, [edit] { edit->SetText("90.5"); }, "90.5"},
             {"memo", memo, [memo] { memo->SetText("90.5\r\n91"); }, "90.5\r\n91"},
             {"mask edit", mask, [mask] { mask->SetText("90.5"); }, "90.5"},
             {"numeric edit", num, [num] { num->SetValue(90.5); }, "90.5"}};
    form_->Show();
    // Made read-only once their windows are there, as a program may at any time.
    for (const Row& r : rows_) r.edit->SetReadOnly(true);
    ASSERT_TRUE(PumpUntil([&] { return Screen->ActiveForm() == form_ && ActiveTitle() == "Read-only probe"; }, 10000));
    PumpFor(300);
  }
  void TearDown() override {
    delete form_;
    Application->ProcessMessages();
  }

  XSession x_;
  TForm* form_ = nullptr;
  TEdit* source_ = nullptr;
  std::vector<Row> rows_;
};

TEST_F(ReadOnlyProbe, NoEditingKeyOrPasteChangesTheText) {
  Clipboard()->SetAsText("55");
  for (const Row& r : rows_) {
    SCOPED_TRACE(r.name);
    Shown shown;
    shown.Watch(r.edit);
    Xdo(At(r.edit, 20, 12) + " click 1");
    PumpFor(150);
    ASSERT_EQ(form_->ActiveControl(), r.edit);
    bool modified = false;
    auto show = [&] {
      r.show();
      shown.texts.clear();
      modified = r.edit->Modified();
    };
    auto expectKept = [&](const std::string& how) {
      EXPECT_EQ(r.edit->Text(), r.text) << how;
      for (const AnsiString& t : shown.texts) EXPECT_EQ(t, r.text) << how << ", shown on the way";
      EXPECT_EQ(r.edit->Modified(), modified) << how;
      show();  // the program's text again for the next try
    };
    show();
    for (const char* keys : kEditingKeys) {
      Xdo(std::string("key --delay 30 ") + keys);
      PumpFor(60);
      expectKept(keys);
    }
    // The selection of another edit, middle-clicked in.
    Xdo(At(source_, 10, 12) + " click --repeat 2 --delay 80 1");
    PumpFor(200);
    Xdo(At(r.edit, 20, 12) + " click 2");
    PumpFor(150);
    expectKept("middle click");
    r.edit->OnChange = nullptr;
  }
}

// The ignition alignment window opened from the tools menu against the simulated ECU: the
// angles show the ECU's reply and nothing else, whatever keys the tuner presses in them.
// Up in Reference steps the ECU (the reply shows the new angle) and Escape, which closes the
// window, does not bring back the angle the field showed when it was entered.
class AlignmentFields : public ProgramUser {};

TEST_P(AlignmentFields, TakeNoEditingKey) {
  TIgnAlignForm* w = IgnAlignForm;
  Shown reference, lock;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1 && ECUConnected; }, 20000));
    Press("alt+o");
    Sleep(300);
    Press("Down Return");
    ASSERT_TRUE(WaitFor([w] { return Screen->ActiveForm() == w && w->ReferenceAdvance->Enabled(); }));
    Sleep(300);
    Ask<bool>([&] {
      reference.Watch(w->ReferenceAdvance);
      lock.Watch(w->LockAdvance);
      Clipboard()->SetAsText("55");
      return true;
    });
    const AnsiString refAngle = Ask<AnsiString>([w] { return w->ReferenceAdvance->Text(); });
    const AnsiString lockAngle = Ask<AnsiString>([w] { return w->LockAdvance->Text(); });
    for (TAdvEdit* field : {w->ReferenceAdvance, w->LockAdvance}) {
      SCOPED_TRACE(field->Name().c_str());
      const AnsiString angle = field == w->ReferenceAdvance ? refAngle : lockAngle;
      Xdo(Ask<std::string>([field] { return At(field, 20, 10); }) + " click 1");
      ASSERT_TRUE(WaitFor([w, field] { return w->ActiveControl() == field; }));
      for (const char* keys : kEditingKeys) {
        if (std::string(keys) == "Escape" || std::string(keys) == "Up" || std::string(keys) == "Down") continue;
        Press(keys);
        Sleep(100);
        EXPECT_EQ(Ask<AnsiString>([field] { return field->Text(); }), angle) << keys;
      }
    }
    // Reference has the focus: a step up, the ECU's new angle, then Escape.
    Xdo(Ask<std::string>([w] { return At(w->ReferenceAdvance, 20, 10); }) + " click 1");
    Press("Up");
    ASSERT_TRUE(WaitFor([w, refAngle] { return w->ReferenceAdvance->Text() != refAngle; }));
    const AnsiString stepped = Ask<AnsiString>([w] { return w->ReferenceAdvance->Text(); });
    Press("Escape");
    EXPECT_TRUE(WaitFor([w] { return !w->Visible(); }));
    EXPECT_EQ(Ask<AnsiString>([w] { return w->ReferenceAdvance->Text(); }), stepped);
    EXPECT_EQ(std::stod(stepped.c_str()), std::stod(refAngle.c_str()) + 0.5);
    reference.texts.erase(std::remove(reference.texts.begin(), reference.texts.end(), stepped), reference.texts.end());
    for (const AnsiString& t : reference.texts) EXPECT_EQ(t, refAngle) << "Reference showed on the way";
    for (const AnsiString& t : lock.texts) EXPECT_EQ(t, lockAngle) << "Lock at showed on the way";
    Ask<bool>([w] {
      w->ReferenceAdvance->OnChange = nullptr;
      w->LockAdvance->OnChange = nullptr;
      return true;
    });
  });
}

INSTANTIATE_TEST_SUITE_P(Screen, AlignmentFields, ::testing::Values("1024x768x24"));

}  // namespace
