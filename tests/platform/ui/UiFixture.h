#pragma once
// Every window test runs on the offscreen platform, with a dialog script so that no
// message box or modal form can wait for a user.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

class UiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }
  void TearDown() override {
    for (TForm* f : forms_) delete f;
    Application->ProcessMessages();
  }
  // A form owned by the test (deleted at the end).
  template <typename T = TForm>
  T* NewForm(const char* caption = "Test") {
    auto* f = new T(nullptr);
    f->SetCaption(caption);
    forms_.push_back(f);
    return f;
  }
  // Pumps messages until `done` or a generous limit (the limit only stops a broken
  // test from hanging; nothing here is timed).
  template <typename Pred>
  void PumpUntil(Pred done) {
    for (int i = 0; i < 20000 && !done(); ++i) {
      Application->ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  ui::DialogScript script;
  std::vector<TForm*> forms_;
};
