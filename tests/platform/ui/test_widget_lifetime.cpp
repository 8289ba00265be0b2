// Controls whose windows die before them: a form's window takes its children's windows
// with it before the form's owned controls are freed, and a child may outlive its parent.
// Later windows (often at the addresses the dead ones had) must reach only their own
// controls.
#include <memory>
#include <vector>

#include "UiFixture.h"
#include "platform/ui/Simulate.h"

namespace {

class Box : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  void Paint() override {
    Canvas()->Brush()->SetColor(clNavy);
    Canvas()->FillRect(Rect(0, 0, Width(), Height()));
  }
};

class WidgetLifetimeTest : public UiTest {};

TEST_F(WidgetLifetimeTest, WindowsOfFreedControlsReachNoOne) {
  TBitmap shot;
  for (int round = 0; round < 40; ++round) {
    auto* f = new TForm(nullptr);
    f->SetBounds(0, 0, 200, 150);
    std::vector<Box*> boxes;
    for (int i = 0; i < 12; ++i) {
      auto* b = new Box(f);
      b->SetParent(f);
      b->SetBounds(i * 10, i * 5, 30 + i, 20 + i);
      boxes.push_back(b);
    }
    f->Show();
    ui::GrabControl(f, shot);
    // Window-system geometry changes on the new windows come back to these controls only.
    for (int i = 0; i < 12; ++i) {
      boxes[i]->SetBounds(i * 11, i * 6, 31 + i, 21 + i);
      EXPECT_EQ(boxes[i]->Left(), i * 11);
      EXPECT_EQ(boxes[i]->Width(), 31 + i);
    }
    ASSERT_EQ(shot.Canvas()->Pixel(1, 1), clNavy);
    delete f;
    Application->ProcessMessages();
  }
}

TEST_F(WidgetLifetimeTest, ChildOutlivesItsParent) {
  TComponent owner(nullptr);
  TForm* f = NewForm();
  f->SetBounds(0, 0, 200, 150);
  auto* panel = new TCustomControl(f);
  panel->SetParent(f);
  panel->SetBounds(0, 0, 100, 100);
  auto* child = new Box(&owner);
  child->SetParent(panel);
  child->SetBounds(5, 5, 20, 20);
  f->Show();
  TBitmap shot;
  ui::GrabControl(f, shot);
  delete panel;  // takes the child's window along; the child stays
  EXPECT_EQ(child->Parent(), nullptr);
  TForm* g = NewForm();
  g->SetBounds(0, 0, 120, 90);
  child->SetParent(g);
  child->SetBounds(10, 10, 30, 30);
  g->Show();
  ui::GrabControl(g, shot);
  EXPECT_EQ(shot.Canvas()->Pixel(20, 20), clNavy);
  delete child;
  ui::GrabControl(g, shot);
  EXPECT_NE(shot.Canvas()->Pixel(20, 20), clNavy);
}

}  // namespace
