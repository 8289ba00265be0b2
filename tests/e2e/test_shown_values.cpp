// Opening a window that shows stored values leaves them as they are: values outside the
// range of the controls that show them (a byte of 255 where an edit goes to 9.9, a 0 where
// one starts at 10) are shown, turned through every page and refreshed, and afterwards
// every byte of the map record and of the configuration block is what it was.
#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <vector>

#include "app/Main.h"
#include "config/Additonl.h"
#include "config/setup.h"
#include "e2e/ConfigEditorLink.h"
#include "e2e/MainWindowLink.h"
#include "model/ConfigBlock.h"
#include "model/MapRecord.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Simulate.h"

namespace e2e {
namespace {

template <typename T>
std::vector<uint8_t> BytesOf(const T& v) {
  const auto* p = reinterpret_cast<const uint8_t*>(&v);
  return {p, p + sizeof v};
}

// The offsets where two byte images differ, for a readable failure.
std::vector<size_t> Differences(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::vector<size_t> at;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i]) at.push_back(i);
  return at;
}

// Turns every page of a tab strip, letting each page's controls get their windows.
void VisitPages(TTabSet* tabs, const std::function<void()>& click) {
  for (int i = 0; i < tabs->Tabs()->Count(); ++i) {
    tabs->SetTabIndex(i);
    click();
    Application->ProcessMessages();
  }
}

class ShownMapValues : public MainWindowLink {
 protected:
  ShownMapValues() : MainWindowLink(32) {}
  TMenuItem* Menu(const char* name) { return dynamic_cast<TMenuItem*>(f_->FindComponent(name)); }
};

TEST_F(ShownMapValues, AdditionalTablesWindowLeavesOutOfRangeValuesInTheRecord) {
  for (const uint8_t fill : {uint8_t{0xFF}, uint8_t{0x00}}) {
    SCOPED_TRACE(static_cast<int>(fill));
    TMapRecord& m = MapSlots[CurrentMap];
    std::memset(m.Bytes(), fill, sizeof m);
    f_->RefreshMapTables();
    const std::vector<uint8_t> before = BytesOf(m);

    bool shown = false;
    std::set<TWinControl*> focused;
    script.AnswerForm([&](TForm& form) {
      shown = true;
      TAdditionalMaps* a = AdditionalMaps;
      VisitPages(a->TabSet, [a, &focused] {
        a->TabSetClick(a->TabSet);
        // Focus passed through every control of the page and on, nothing typed.
        for (int i = 0; i < 40; ++i) {
          TWinControl* at = a->ActiveControl() ? a->ActiveControl() : a;
          ui::SimulateKey(at, "Tab");
          Application->ProcessMessages();
          focused.insert(a->ActiveControl());
        }
      });
      EXPECT_GT(focused.size(), 40u);
      f_->RefreshMapTables();
      Application->ProcessMessages();
      form.SetModalResult(mrOk);
    });
    Menu("Coilontime1")->Click();
    Application->ProcessMessages();
    ASSERT_TRUE(shown);

    // Opened a second time, with its windows made, and refreshed while closed.
    f_->RefreshMapTables();
    script.AnswerForm([&](TForm& form) { form.SetModalResult(mrOk); });
    Menu("Coilontime1")->Click();
    Application->ProcessMessages();

    EXPECT_EQ(Differences(before, BytesOf(m)), std::vector<size_t>{});
  }
}

class ShownConfigValues : public ConfigEditorLink {
 protected:
  ShownConfigValues() : ConfigEditorLink(33, "e2e-shown-") {}
  void Prepare(ecusim::Ecu& e) override {
    auto config = e.Config();
    std::fill(config.begin(), config.end(), uint8_t{0xFF});
  }
};

TEST_F(ShownConfigValues, ConfigurationEditorLeavesTheBlockAsRead) {
  ASSERT_TRUE(LinkUp());
  ASSERT_TRUE(PumpUntil([] { return ConfigBlock.Cylinders == 0xFF; }));
  const std::vector<uint8_t> before = BytesOf(ConfigBlock);
  ASSERT_EQ(before.size(), 652u);

  bool shown = false;
  script.AnswerForm([&](TForm&) {
    shown = true;
    TSetupForm& s = *SetupForm;
    VisitPages(s.TabSet, [&s] {
      s.TabSetClick(s.TabSet);
      for (int i = 0; i < 30; ++i) {
        ui::SimulateKey(s.ActiveControl() ? s.ActiveControl() : &s, "Tab");
        Application->ProcessMessages();
      }
    });
    EXPECT_EQ(Differences(before, BytesOf(ConfigBlock)), std::vector<size_t>{});
    EXPECT_EQ(Differences(before, BytesOf(ConfigBlock)), std::vector<size_t>{});
    // Sources out of their range are already set to a valid one as the block is read, so
    // the editor may ask before it is left.
    if (s.StatusText() != "Current ECU settings displayed") script.Answer(mrYes);
    Menu("Exittomappingsoftware1")->Click();
  });
  dynamic_cast<TMenuItem*>(f_->FindComponent("ECUversioninfo1"))->Click();
  Application->ProcessMessages();
  ASSERT_TRUE(shown);
  EXPECT_EQ(Differences(before, BytesOf(ConfigBlock)), std::vector<size_t>{});
}

}  // namespace
}  // namespace e2e
