// A form that is being destroyed runs no handler but its OnDestroy, whatever is pumped
// while it goes: its OnDestroy pumps, and so does a component it owns that closes a
// device from its destructor, while its timers would tick, its events come in, its
// window would repaint and messages reach it.
#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "UiFixture.h"
#include "platform/streaming/FormResources.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Timer.h"
#include "platform/ui/UiStreaming.h"

namespace {

std::vector<std::string> g_log;

// Lets the timers come due, then handles every message.
void PumpAWhile() {
  for (int i = 0; i < 5; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    Application->ProcessMessages();
  }
}

// Stands in for an open serial port: its destructor closes the device and pumps messages
// while it waits, and the device's data comes in as an event on the GUI thread meanwhile.
class TPumpingPort : public TComponent {
 public:
  using TComponent::TComponent;
  const char* ClassName() const override { return "TPumpingPort"; }
  ~TPumpingPort() override {
    ui::RunOnGuiThread([this] {
      if (OnData) OnData(this);
    });
    PumpAWhile();
  }
  TNotifyEvent OnData;
};

constexpr UINT kProbeMessage = WM_USER + 7;

class TGoingForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TGoingForm"; }
  static void Publish(TClassProps<TGoingForm>& P) {
    P.Field("Timer1", &TGoingForm::Timer1)
        .Handler("FormDestroy", &TGoingForm::FormDestroy)
        .Handler("FormPaint", &TGoingForm::FormPaint)
        .Handler("Timer1Timer", &TGoingForm::Timer1Timer)
        .Handler("Port1Data", &TGoingForm::Port1Data);
  }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == kProbeMessage) Note("message");
    TForm::WndProc(Message);
  }
  void FormDestroy(TObject*) {
    // Still the whole form, not one whose own destructor has run.
    Note(dynamic_cast<TGoingForm*>(static_cast<TObject*>(this)) != nullptr ? "destroy" : "destroy, only partly there");
    Invalidate();
    PostMessage(this, kProbeMessage, 0, 0);
    PumpAWhile();
  }
  void FormPaint(TObject*) { Note("paint"); }
  void Timer1Timer(TObject*) { Note("tick"); }
  void Port1Data(TObject*) { Note("data"); }

  TTimer* Timer1 = nullptr;

 private:
  // Reaches into this class's own members, as a handler does.
  void Note(const char* what) {
    g_log.push_back(std::string(what) + " " + caption_);
    ++notes_;
  }
  std::string caption_ = "going";
  int notes_ = 0;
};

const char* const kGoingForm = R"(object GoingForm: TGoingForm
  Width = 200
  Height = 100
  OnDestroy = FormDestroy
  OnPaint = FormPaint
  object Timer1: TTimer
    Interval = 1
    OnTimer = Timer1Timer
  end
  object Port1: TPumpingPort
    OnData = Port1Data
  end
end
)";

class FormDestructionTest : public UiTest {
 protected:
  void SetUp() override {
    RegisterUiClasses();
    RegisterClass<TPumpingPort, TComponent>("TPumpingPort").Event("OnData", &TPumpingPort::OnData);
    g_log.clear();
  }
  static TGoingForm* MakeGoingForm(TComponent* owner = nullptr) {
    auto* form = new TGoingForm(owner);
    ui::RegisterFormClass(form);
    ReadFormText(form, kGoingForm, "going.form");
    form->AfterConstruction();
    return form;
  }
  static int Count(const char* prefix) {
    return static_cast<int>(std::count_if(g_log.begin(), g_log.end(),
                                          [prefix](const std::string& s) { return s.rfind(prefix, 0) == 0; }));
  }
};

TEST_F(FormDestructionTest, NothingButOnDestroyRunsOnceDestructionBegins) {
  TGoingForm* form = MakeGoingForm();
  // A timer bound in code, not by the resource: it stops with its owner all the same.
  auto* timer2 = new TTimer(form);
  timer2->SetInterval(1);
  timer2->OnTimer = [](TObject*) { g_log.push_back("code tick"); };
  form->Show();
  PumpUntil([] { return Count("tick") > 0 && Count("code tick") > 0 && Count("paint") > 0; });
  ASSERT_GT(Count("tick"), 0);
  ASSERT_GT(Count("paint"), 0);

  g_log.clear();
  delete form;
  PumpAWhile();
  // OnDestroy ran once, while the form was whole; nothing ran after it began.
  EXPECT_EQ(g_log, std::vector<std::string>{"destroy going"});
}

TEST_F(FormDestructionTest, ReleasedAndOwnedFormsGoTheSameWay) {
  TGoingForm* released = MakeGoingForm();
  released->Show();
  PumpUntil([] { return Count("tick") > 0; });
  g_log.clear();
  released->Release();
  PumpUntil([] { return Count("destroy") > 0; });
  PumpAWhile();
  EXPECT_EQ(g_log, std::vector<std::string>{"destroy going"});

  // A form owned by another goes with its owner: its own OnDestroy runs, nothing else.
  TForm* owner = NewForm();
  MakeGoingForm(owner)->Show();
  PumpUntil([] { return Count("tick") > 0; });
  g_log.clear();
  forms_.clear();
  delete owner;
  PumpAWhile();
  EXPECT_EQ(g_log, std::vector<std::string>{"destroy going"});
}

}  // namespace
