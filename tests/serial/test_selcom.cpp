// Finding ports and the family's own port chooser.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>

#include "platform/ui/Dialogs.h"
#include "serial/AdPort.h"
#include "serial/AdSelCom.h"
#include "serial/Pty.h"

namespace {

TEST(PortProbe, PresentFreeHeldAndMissingPorts) {
  Pty pty(221);
  ASSERT_TRUE(pty.Ok());
  EXPECT_FALSE(PortExists(0));
  EXPECT_TRUE(PortExists(221));
  setenv("CORVANEQ5_COM222", "/nonexistent/tty", 1);
  EXPECT_FALSE(PortExists(222));
  unsetenv("CORVANEQ5_COM222");

  // Held by another port: present unless refusals are taken as absence.
  TApdComPort holder(nullptr);
  holder.SetComNumber(221);
  holder.SetOpen(true);
  EXPECT_TRUE(PortExists(221));
  DeniedMeansPresent = false;
  EXPECT_FALSE(PortExists(221));
  ProbeByDispatcher = false;
  EXPECT_FALSE(PortExists(221));
  DeniedMeansPresent = true;
  EXPECT_TRUE(PortExists(221));
  ProbeByDispatcher = true;
}

TEST(PortChooser, ListsPresentPortsAndGivesTheChosenNumber) {
  Pty com1(1), com3(3);
  setenv("CORVANEQ5_COM2", "/nonexistent/tty", 1);
  {
    TComSelectForm form(nullptr);
    EXPECT_EQ(form.Text(), "Select Port");
    const auto& ports = form.Ports();
    ASSERT_GE(ports.size(), 2u);
    EXPECT_EQ(ports[0], "COM1");
    EXPECT_EQ(ports[1], "COM3");
    EXPECT_EQ(form.ItemIndex(), 0);
    for (const AnsiString& p : ports) EXPECT_LE(std::atoi(p.c_str() + 3), 50);
    form.SetItemIndex(1);
    EXPECT_EQ(form.SelectedComNum(), 3);
  }

  // A port without a number asks the chooser; cancelling it leaves no port selected.
  TApdComPort port(nullptr);
  {
    ui::DialogScript script;
    script.AnswerForm([](TForm& f) {
      static_cast<TComSelectForm&>(f).SetItemIndex(1);
      f.SetModalResult(mrOk);
    });
    port.SetOpen(true);
  }
  EXPECT_EQ(port.ComNumber(), 3);
  EXPECT_EQ(port.PortState(), 2);
  port.SetOpen(false);
  TApdComPort other(nullptr);
  {
    ui::DialogScript script;
    script.AnswerForm([](TForm& f) { f.SetModalResult(mrCancel); });
    EXPECT_THROW(other.SetOpen(true), ENoPortSelected);
  }
  unsetenv("CORVANEQ5_COM2");
}

}  // namespace
