// Configuration files through the configuration editor's menu and the main window's file
// dialogs, with the simulated ECU linked: a file scrambled with the ECU's version text is
// previewed and opened; a file whose scramble flag is set but that cannot be unscrambled is
// refused and changes nothing; saving over a file asks once, in the editor's words.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "LockHolder.h"
#include "app/Main.h"
#include "config/ConfigComments.h"
#include "config/loadfiles.h"
#include "config/setup.h"
#include "controls/AdvSpin.h"
#include "controls/ApSaveDlg.h"
#include "e2e/ConfigEditorLink.h"
#include "files/ConfigFile.h"
#include "files/HKStreamCol.h"
#include "model/ConfigBlock.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/MessageQueue.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCurrent = "Current ECU settings displayed";
constexpr const char* kModified = "User modified settings displayed";

class ConfigFiles : public ConfigEditorLink {
 protected:
  ConfigFiles() : ConfigEditorLink(53, "e2e-q05-files-") {}


  // Opens the editor from the main window's menu once the ECU has told its version, runs
  // `body` in it, and leaves it by "Exit to mapping software".
  void InEditor(const std::function<void(TSetupForm&)>& body) {
    ASSERT_TRUE(LinkUp());
    bool ran = false;
    script.AnswerForm([&](TForm&) {
      ran = true;
      EXPECT_TRUE(PumpUntil([] { return SetupForm->StatusText() == kCurrent && ECUIdentity.VersionText == "0105"; }));
      body(*SetupForm);
      if (SetupForm->StatusText() == kModified) script.Answer(mrYes);
      Menu("Exittomappingsoftware1")->Click();
    });
    dynamic_cast<TMenuItem*>(f_->FindComponent("ECUversioninfo1"))->Click();
    EXPECT_TRUE(ran);
  }


  // A configuration file written by another program's container: the comments and the
  // block, scrambled with `key` when it is not empty.
  void WriteScrambled(const char* name, const TConfigBlock& b, const AnsiString& comments, const AnsiString& key) {
    THKStreams writer(nullptr);
    writer.Encrypted = true;
    writer.Key = key;
    TStringStream s1(""), s2("1.0"), s3(comments), s4(AnsiString(reinterpret_cast<const char*>(&b), sizeof b));
    writer.AddStream("Q5-1", &s1);
    writer.AddStream("Q5-2", &s2);
    writer.AddStream("Q5-3", &s3);
    writer.AddStream("Q5-4", &s4);
    writer.SaveToFile(File(name));
  }

  std::string Bytes(const char* name) const {
    std::ifstream in(File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  static bool Same(const TConfigBlock& a, const TConfigBlock& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

};

TEST_F(ConfigFiles, FileScrambledWithTheEcuVersionTextIsPreviewedAndOpened) {
  TConfigBlock b = ConfigBlock;
  b.Cylinders = 6;
  b.PcOnly634[3] = 0x42;
  WriteScrambled("keyed.q05", b, "Keyed for this ECU\r\n", "0105");
  ASSERT_EQ(Bytes("keyed.q05")[1], '*');

  InEditor([&](TSetupForm& s) {
    script.BrowseFiles({File("keyed.q05")}, File("keyed.q05"));
    Menu("Loadconfigurationfromdisk1")->Click();
    EXPECT_EQ(Form2->Memo1->Lines()->Strings(0), "Keyed for this ECU");  // the preview
    EXPECT_EQ(script.Count(ui::DialogKind::MessageDlg) + script.Count(ui::DialogKind::MessageBox), 0);
    EXPECT_TRUE(Same(ConfigBlock, b));
    EXPECT_EQ(ConfigSaveCommentsForm->Memo1->Lines()->Strings(0), "Keyed for this ECU");
    EXPECT_EQ(s.CylindersSpin->Value(), 6);
    EXPECT_EQ(s.StatusText(), kModified);
  });
}

// The scramble flag set on a body that was never scrambled, or a file scrambled with
// another ECU's text: refused with the container's message, and the editor keeps what it
// showed. Without a key (no ECU has told its version) the same.
TEST_F(ConfigFiles, FileThatCannotBeUnscrambledIsRefusedAndChangesNothing) {
  TConfigBlock other = ConfigBlock;
  other.Cylinders = 8;
  THKStreams own(nullptr);
  config::SaveConfigFile(File("flagged.q05"), "Flagged\r\n", other, own);
  std::string flagged = Bytes("flagged.q05");
  ASSERT_EQ(flagged[1], ' ');
  flagged[1] = '*';
  std::ofstream(File("flagged.q05"), std::ios::binary | std::ios::trunc) << flagged;
  WriteScrambled("foreign.q05", other, "Another ECU\r\n", "0207");

  struct Case {
    const char* file;
    const char* key;  // the version text the ECU told, "" before any status packet
  } cases[] = {{"flagged.q05", ""}, {"flagged.q05", "0105"}, {"foreign.q05", "0105"}, {"foreign.q05", ""}};
  InEditor([&](TSetupForm& s) {
    ConfigSaveCommentsForm->Memo1->SetText("Kept");
    const TConfigBlock kept = ConfigBlock;
    for (const Case& c : cases) {
      ECUIdentity.VersionText = c.key;
      script.AnswerFile(File(c.file)).Answer(mrOk);
      Menu("Loadconfigurationfromdisk1")->Click();
      EXPECT_NE(script.Last().Text.find("This file is corrupt"), AnsiString::npos) << c.file << " " << c.key;
      EXPECT_TRUE(Same(ConfigBlock, kept)) << c.file << " " << c.key;
      EXPECT_EQ(ConfigSaveCommentsForm->Memo1->Lines()->Strings(0), "Kept") << c.file << " " << c.key;
      EXPECT_EQ(s.StatusText(), kCurrent) << c.file << " " << c.key;
      EXPECT_FALSE(ConfigBlockUnsent) << c.file << " " << c.key;
    }
    ECUIdentity.VersionText = "0105";
  });
}

TEST_F(ConfigFiles, SavingOverAFileAsksOnceInTheEditorsWords) {
  THKStreams own(nullptr);
  config::SaveConfigFile(File("over.q05"), "Old\r\n", ConfigBlock, own);
  InEditor([&](TSetupForm& s) {
    s.CylindersSpin->SetValue(6);
    const size_t before = script.Shown().size();
    script.AnswerFile(File("over.q05")).Answer(mrYes).AnswerForm([](TForm& form) {
      ConfigSaveCommentsForm->Memo1->SetText("New");
      form.SetModalResult(mrOk);
    });
    Menu("Saveconfigurationtodisk1")->Click();

    // The save dialog, the editor's one question, the comments window: nothing else.
    const std::vector<ui::DialogRequest> shown(script.Shown().begin() + static_cast<std::ptrdiff_t>(before),
                                               script.Shown().end());
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].Kind, ui::DialogKind::SaveFile);
    EXPECT_FALSE(shown[0].ConfirmOverwrite);  // the dialog does not ask as well
    EXPECT_EQ(shown[1].Text, "This file (over.q05) already exists!, Overwrite it?");
    EXPECT_EQ(shown[2].Kind, ui::DialogKind::ModalForm);

    THKStreams reader(nullptr);
    const config::TConfigFileContents saved = config::LoadConfigFile(File("over.q05"), reader);
    EXPECT_EQ(saved.Block.Cylinders, 6);
    EXPECT_EQ(saved.Comments, "New\r\n");
    // Map files keep the dialog's own question.
    EXPECT_TRUE(f_->ApSaveDialog1()->OverwritePrompt);
  });
}

// A file another program takes while the comments window is up (after the save dialog
// and the question whether to replace it): a whole-file lock, then a record lock. The save
// is refused in the words every save uses, through the program's exception box; the file
// keeps its bytes and the comments typed stay for the next try, which saves once the other
// program lets go.
TEST_F(ConfigFiles, AFileTakenWhileTheCommentsWindowIsUpIsKept) {
  THKStreams own(nullptr);
  config::SaveConfigFile(File("held.q05"), "Old\r\n", ConfigBlock, own);
  const std::string before = Bytes("held.q05");
  const std::string file = File("held.q05");
  InEditor([&](TSetupForm& s) {
    s.CylindersSpin->SetValue(6);
    using testhelp::LockHolder;
    for (LockHolder::Kind how : {LockHolder::FlockExclusive, LockHolder::FcntlWrite}) {
      SCOPED_TRACE(how);
      std::unique_ptr<LockHolder> holder;
      script.AnswerFile(file.c_str()).Answer(mrYes).AnswerForm([&](TForm& form) {
        holder = std::make_unique<LockHolder>(file, how);
        ConfigSaveCommentsForm->Memo1->SetText("New");
        form.SetModalResult(mrOk);
      });
      script.Answer(mrOk);  // the exception box
      // The menu command as the window system runs it: what escapes goes to the box.
      ui::RunOnGuiThread([&] { Menu("Saveconfigurationtodisk1")->Click(); });
      ui::DeliverPosted();
      ASSERT_TRUE(holder && holder->Locked());
      holder.reset();
      EXPECT_EQ(script.Pending(), 0u);
      EXPECT_EQ(script.Last().Text, "Cannot create file \"" + file + "\". It is in use by another program.");
      EXPECT_EQ(Bytes("held.q05"), before);
      EXPECT_EQ(ConfigSaveCommentsForm->Memo1->Lines()->Strings(0), "New");
    }
    script.AnswerFile(file.c_str()).Answer(mrYes).Answer(mrOk);
    Menu("Saveconfigurationtodisk1")->Click();
    THKStreams reader(nullptr);
    const config::TConfigFileContents saved = config::LoadConfigFile(file.c_str(), reader);
    EXPECT_EQ(saved.Block.Cylinders, 6);
    EXPECT_EQ(saved.Comments, "New\r\n");
  });
}

}  // namespace
}  // namespace e2e
