// Finding ports and the family's own port chooser.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>

#include "platform/os/ComPorts.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Simulate.h"
#include "serial/AdPort.h"
#include "serial/AdSelCom.h"
#include "serial/Pty.h"
#include "DeniedDevice.h"

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
  holder.SetOpen(false);

  // A device this user lacks the permission for is there too: choosing it tells why.
  testhelp::DeniedDevice denied(os::ComPortPath(221), 0);
  if (!denied.Denied()) GTEST_SKIP() << "the device's permissions do not keep this user out";
  EXPECT_TRUE(PortExists(221));
  DeniedMeansPresent = false;
  EXPECT_FALSE(PortExists(221));
  DeniedMeansPresent = true;
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

  // A port without a number asks the chooser. The user sees the two lines, the list of the
  // present ports with the first chosen, OK and Cancel; Down and Enter take the second.
  TApdComPort port(nullptr);
  {
    ui::DialogScript script;
    script.AnswerForm([](TForm& f) {
      auto& form = static_cast<TComSelectForm&>(f);
      EXPECT_EQ(form.Label1->Text(), "The serial port is not yet configured.");
      EXPECT_EQ(form.Label2->Text(), "Please choose one from the list below.");
      EXPECT_EQ(form.PortsComboBox->Style(), csDropDownList);
      EXPECT_EQ(form.PortsComboBox->Text(), "COM1");
      EXPECT_EQ(form.ActiveControl(), form.PortsComboBox);
      EXPECT_EQ(form.OkBtn->Text(), "OK");
      EXPECT_TRUE(form.OkBtn->Default());
      EXPECT_EQ(form.OkBtn->ModalResult(), mrOk);
      EXPECT_EQ(form.AbortBtn->Text(), "Cancel");
      EXPECT_EQ(form.AbortBtn->ModalResult(), mrCancel);
      ui::SimulateKey(form.PortsComboBox, "Down");
      EXPECT_EQ(form.PortsComboBox->Text(), "COM3");
      ui::SimulateKey(form.PortsComboBox, "Return");
      EXPECT_EQ(form.ModalResult(), mrOk);
    });
    port.SetOpen(true);
  }
  EXPECT_EQ(port.ComNumber(), 3);
  EXPECT_EQ(port.PortState(), 2);
  port.SetOpen(false);

  // Escape (or Cancel) leaves no port selected; so does OK on an empty list.
  TApdComPort other(nullptr);
  {
    ui::DialogScript script;
    script.AnswerForm([](TForm& f) { ui::SimulateKey(static_cast<TComSelectForm&>(f).PortsComboBox, "Escape"); });
    EXPECT_THROW(other.SetOpen(true), ENoPortSelected);
    script.AnswerForm([](TForm& f) {
      auto& form = static_cast<TComSelectForm&>(f);
      form.SetItemIndex(-1);
      form.OkBtn->Click();
    });
    EXPECT_THROW(other.SetOpen(true), ENoPortSelected);
  }
  EXPECT_EQ(other.ComNumber(), 0);
  unsetenv("CORVANEQ5_COM2");
}

}  // namespace
