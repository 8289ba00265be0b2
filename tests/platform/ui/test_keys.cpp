// Keys reach the handlers with the original virtual-key codes, shift states and typed
// characters, through the form's key preview.
#include <string>

#include "UiFixture.h"
#include "platform/ui/Simulate.h"

namespace {

class KeyTest : public UiTest {
 protected:
  void SetUp() override {
    form = NewForm();
    form->SetBounds(0, 0, 200, 100);
    grid = new TCustomControl(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 100, 50);
    grid->SetTabStop(true);
    grid->OnKeyDown = [this](TObject*, WORD& k, TShiftState s) {
      down = k;
      shift = s;
    };
    grid->OnKeyPress = [this](TObject*, char& c) { typed += c; };
    grid->OnKeyUp = [this](TObject*, WORD& k, TShiftState) { up = k; };
    form->Show();
    ASSERT_EQ(form->ActiveControl(), grid);
  }
  TForm* form = nullptr;
  TCustomControl* grid = nullptr;
  WORD down = 0, up = 0;
  TShiftState shift;
  std::string typed;
};

TEST_F(KeyTest, VirtualKeyCodesAndShiftStates) {
  struct Row {
    const char* key;
    bool keypad;
    WORD vk;
    TShiftState shift;
    const char* typed;
  };
  const Row rows[] = {
      {"+", true, 107, {}, "+"},           // keypad plus: VK_ADD
      {"-", true, 109, {}, "-"},           // keypad minus: VK_SUBTRACT
      {"*", true, VK_MULTIPLY, {}, "*"},
      {"5", true, VK_NUMPAD5, {}, "5"},
      {"=", false, 187, {}, "="},          // main-block "=": VK_OEM_PLUS
      {"-", false, 189, {}, "-"},          // main-block "-": VK_OEM_MINUS
      {"+", false, 187, {}, "+"},          // shifted "=" is the same key
      {",", false, VK_OEM_COMMA, {}, ","},
      {".", false, VK_OEM_PERIOD, {}, "."},
      {"A", false, 'A', {}, "a"},
      {"Shift+A", false, 'A', {ssShift}, "A"},
      {"Ctrl+C", false, 'C', {ssCtrl}, "\x03"},
      {"Alt+X", false, 'X', {ssAlt}, ""},  // menu key: types nothing
      {"7", false, '7', {}, "7"},
      {"F1", false, 112, {}, ""},
      {"F10", false, VK_F10, {}, ""},
      {"F12", false, 123, {}, ""},
      {"Alt", false, VK_MENU, {ssAlt}, ""},
      {"Shift", false, VK_SHIFT, {ssShift}, ""},
      {"Ctrl", false, VK_CONTROL, {ssCtrl}, ""},
      {"Return", false, VK_RETURN, {}, "\r"},
      {"Escape", false, VK_ESCAPE, {}, "\x1b"},
      {"Backspace", false, VK_BACK, {}, "\b"},
      {"Delete", false, VK_DELETE, {}, ""},
      {"Space", false, VK_SPACE, {}, " "},
      {"Left", false, VK_LEFT, {}, ""},
      {"PgDown", false, VK_NEXT, {}, ""},
      {"Home", false, VK_HOME, {}, ""},
      {"Insert", false, VK_INSERT, {}, ""},
  };
  for (const auto& r : rows) {
    down = up = 0;
    typed.clear();
    ui::SimulateKey(form, r.key, r.keypad);
    EXPECT_EQ(down, r.vk) << r.key;
    EXPECT_EQ(up, r.vk) << r.key;
    EXPECT_EQ(shift, r.shift) << r.key;
    EXPECT_EQ(typed, r.typed) << r.key;
  }
}

TEST_F(KeyTest, KeyPreviewLetsTheFormSeeAndStopKeysFirst) {
  std::string log;
  form->OnKeyDown = [&](TObject*, WORD& k, TShiftState) {
    log += "form ";
    if (k == VK_F2) k = 0;
  };
  form->OnKeyPress = [&](TObject*, char& c) {
    if (c == 'x') c = 'y';  // the control gets the replacement
    if (c == 'q') c = 0;
  };
  ui::SimulateKey(form, "F3");
  EXPECT_EQ(log, "");  // no preview: the form does not see the control's keys
  form->SetKeyPreview(true);
  ui::SimulateKey(form, "F3");
  EXPECT_EQ(log, "form ");
  EXPECT_EQ(down, VK_F3);
  down = 0;
  ui::SimulateKey(form, "F2");
  EXPECT_EQ(down, 0);  // stopped by the form
  ui::SimulateKey(form, "X");
  ui::SimulateKey(form, "Q");
  EXPECT_EQ(typed, "y");
}

TEST_F(KeyTest, DisabledControlsGetNoKeys) {
  grid->SetEnabled(false);
  ui::SimulateKey(grid, "A");
  EXPECT_EQ(down, 0);
  EXPECT_THROW(ui::SimulateKey(grid, "NoSuchKey"), EInvalidOperation);
}

}  // namespace
