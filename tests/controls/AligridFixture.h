#pragma once
// Aligned grids for tests: made without a window unless a test places one on a form.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "controls/Aligrid.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

class AligridTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterAligridClasses();
  }
  static std::unique_ptr<TStringAlignGrid> MakeGrid(int cols = 5, int rows = 5) {
    auto g = std::make_unique<TStringAlignGrid>(nullptr);
    g->SetScrollBars(ssNone);
    g->SetColCount(cols);
    g->SetRowCount(rows);
    g->SetBounds(0, 0, 400, 200);
    return g;
  }
  ui::DialogScript script;
};
