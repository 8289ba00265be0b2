// Two top-level windows under a real window manager: activation switched back and forth
// by the window manager settles each time, and once input stops no window asks for
// activation again (no endless hand-over between the program and the window manager).
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "x11/XSession.h"

namespace {

using x11test::Output;

using x11test::PumpFor;
using x11test::PumpUntil;

class Activation : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string missing;
    if (!x_.Start(missing)) GTEST_SKIP() << "needs " << missing;
    Application->Initialize();
  }


  x11test::XSession x_;
};

TEST_F(Activation, WindowManagerSwitchesSettleAndIdleStaysQuiet) {
  struct Counted {
    TForm* form = new TForm(nullptr);
    int activations = 0, deactivations = 0;
    std::string id;
  };
  Counted a, b;
  a.form->SetCaption("Activation probe A");
  b.form->SetCaption("Activation probe B");
  a.form->SetBounds(40, 40, 400, 300);
  b.form->SetBounds(300, 200, 400, 300);
  for (Counted* c : {&a, &b}) {
    c->form->OnActivate = [c](TObject*) { ++c->activations; };
    c->form->OnDeactivate = [c](TObject*) { ++c->deactivations; };
    c->form->Show();
  }
  for (Counted* c : {&a, &b}) {
    const std::string name = c->form->Caption().c_str();
    ASSERT_TRUE(PumpUntil([&] {
      c->id = Output("xdotool search --name '^" + name + "$' 2>/dev/null | head -n1");
      return !c->id.empty();
    })) << name;
  }
  ASSERT_TRUE(PumpUntil([&] { return Output("xdotool getactivewindow 2>/dev/null") == b.id; }));

  for (int i = 0; i < 50; ++i) {
    Counted& to = i % 2 ? b : a;
    const int before = to.activations;
    // The window manager may drop a request that comes too soon after the last switch;
    // it is asked again until it has switched.
    bool switched = false;
    for (int attempt = 0; attempt < 10 && !switched; ++attempt) {
      std::system(("xdotool windowactivate " + to.id + " >/dev/null 2>&1").c_str());
      switched = PumpUntil([&] { return to.activations > before && Screen->ActiveForm() == to.form; }, 500);
    }
    ASSERT_TRUE(switched) << "switch " << i;
  }
  // Let the last switch's events arrive, then nothing may move any more.
  PumpFor(300);
  const int aAct = a.activations, bAct = b.activations, aDe = a.deactivations, bDe = b.deactivations;
  const std::string wmActive = Output("xdotool getactivewindow 2>/dev/null");
  PumpFor(2000);
  EXPECT_EQ(a.activations, aAct);
  EXPECT_EQ(b.activations, bAct);
  EXPECT_EQ(a.deactivations, aDe);
  EXPECT_EQ(b.deactivations, bDe);
  EXPECT_EQ(Output("xdotool getactivewindow 2>/dev/null"), wmActive);
  EXPECT_EQ(wmActive, b.id);
  EXPECT_EQ(Screen->ActiveForm(), b.form);
  // About one activation per switch (the window system may report one twice), never the
  // back and forth of a hand-over.
  EXPECT_LT(a.activations + b.activations, 2 * 50);

  // A request from the program itself still activates the window.
  a.form->Show();
  EXPECT_TRUE(PumpUntil([&] { return Output("xdotool getactivewindow 2>/dev/null") == a.id; }));
  delete a.form;
  delete b.form;
}

}  // namespace
