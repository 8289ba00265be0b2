// Start-up makes the windows of no form but those it shows: reading a form leaves its
// windows to its first show, so the windows a tuner never opens cost nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/Main.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

TEST(StartupWindows, FormsReadAtStartUpHaveNoWindowsYet) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  CreateProgramForms();
  std::vector<std::string> made;
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i)->HandleAllocated()) made.push_back(Screen->Forms(i)->Name().c_str());
  EXPECT_EQ(made, std::vector<std::string>{});
  for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
  Application->ProcessMessages();
}

}  // namespace
