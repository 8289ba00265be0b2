#pragma once
// Control tests run on the offscreen platform with a dialog script, so nothing can
// wait for a user; forms made here are deleted after each test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

class StdTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }
  void TearDown() override {
    for (TForm* f : forms_) delete f;
    Application->ProcessMessages();
  }
  TForm* NewForm(int w = 400, int h = 300) {
    auto* f = new TForm(nullptr);
    f->SetBounds(0, 0, w, h);
    forms_.push_back(f);
    return f;
  }
  template <typename T>
  T* Place(TForm* f, int l, int t, int w, int h) {
    auto* c = new T(f);
    c->SetParent(f);
    c->SetBounds(l, t, w, h);
    return c;
  }

  ui::DialogScript script;
  std::vector<TForm*> forms_;
};
