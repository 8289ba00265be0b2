// Forms: life-cycle and activation order, modal runs, closing, the exception box and
// the dialog service's scripting.
#include <string>

#include "UiFixture.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Simulate.h"

namespace {

struct Log {
  std::string text;
  TNotifyEvent Note(const char* what) {
    return [this, what](TObject*) { text += std::string(what) + " "; };
  }
};

class FormTest : public UiTest {};

TEST_F(FormTest, ShowFiresShowThenActivate) {
  Log log;
  TForm* f = NewForm();
  f->OnCreate = log.Note("create");
  f->OnShow = log.Note("show");
  f->OnActivate = log.Note("activate");
  f->OnHide = log.Note("hide");
  f->OnDeactivate = log.Note("deactivate");
  f->Show();
  EXPECT_TRUE(f->Visible());
  EXPECT_TRUE(f->Active());
  f->Hide();
  EXPECT_EQ(log.text, "create show activate hide deactivate ");
}

TEST_F(FormTest, ActivationReturnsToTheOwnerAfterAModalForm) {
  Log log;
  TForm* main = NewForm("Main");
  TForm* dlg = NewForm("Dialog");
  main->OnActivate = log.Note("main.activate");
  main->OnDeactivate = log.Note("main.deactivate");
  dlg->OnShow = log.Note("dlg.show");
  dlg->OnActivate = log.Note("dlg.activate");
  dlg->OnCloseQuery = [&](TObject*, bool&) { log.text += "dlg.closequery "; };
  dlg->OnClose = [&](TObject*, TCloseAction& a) {
    log.text += "dlg.close ";
    EXPECT_EQ(a, caHide);
  };
  dlg->OnDeactivate = log.Note("dlg.deactivate");
  main->Show();
  script.AnswerForm([&](TForm& f) {
    EXPECT_TRUE(f.Modal());
    EXPECT_EQ(Screen->ActiveForm(), &f);
    f.SetModalResult(mrOk);
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  // OnShow comes before the switch of activation, as for any form being shown.
  EXPECT_EQ(log.text,
            "main.activate dlg.show main.deactivate dlg.activate dlg.closequery dlg.close "
            "dlg.deactivate main.activate ");
  EXPECT_FALSE(dlg->Visible());
  EXPECT_TRUE(main->Active());
  EXPECT_EQ(script.Count(ui::DialogKind::ModalForm), 1);
  EXPECT_EQ(script.Last().Caption, "Dialog");
}

TEST_F(FormTest, ModalFormStaysOpenWhileCloseQueryRefuses) {
  TForm* dlg = NewForm("Ask");
  int asked = 0;
  dlg->OnCloseQuery = [&](TObject*, bool& can) { can = ++asked > 1; };
  script.Answer(mrCancel).Answer(mrYes);
  EXPECT_EQ(dlg->ShowModal(), mrYes);
  EXPECT_EQ(asked, 2);

  // Close on a modal form only sets mrCancel.
  script.AnswerForm([](TForm& f) { f.Close(); });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  dlg->Show();
  EXPECT_THROW(dlg->ShowModal(), EInvalidOperation);  // already visible
}

TEST_F(FormTest, UnscriptedDialogsFailAtOnce) {
  TForm* dlg = NewForm("Nobody answers");
  EXPECT_THROW(dlg->ShowModal(), EUnscriptedDialog);
  EXPECT_FALSE(dlg->Visible());  // the failed run still closed the window
  EXPECT_THROW(MessageDlg("Sure?", mtConfirmation, {mbYes, mbNo}), EUnscriptedDialog);
  script.Answer(mrOk);  // not a button of a Yes/No box
  EXPECT_THROW(MessageDlg("Sure?", mtConfirmation, {mbYes, mbNo}), EUnscriptedDialog);
  script.AnswerForm([](TForm&) {});  // leaves the form open
  EXPECT_THROW(dlg->ShowModal(), EUnscriptedDialog);
}

TEST_F(FormTest, MessageBoxesAreRecordedWithButtonsAndIcons) {
  struct Row {
    int flags;
    std::vector<int> buttons;
    int answer;
  };
  const Row rows[] = {
      {MB_OK | MB_ICONINFORMATION, {IDOK}, IDOK},
      {MB_OKCANCEL, {IDOK, IDCANCEL}, IDCANCEL},
      {MB_YESNO | MB_ICONQUESTION, {IDYES, IDNO}, IDNO},
      {MB_YESNOCANCEL | MB_ICONWARNING, {IDYES, IDNO, IDCANCEL}, IDYES},
      {MB_ABORTRETRYIGNORE | MB_ICONSTOP, {IDABORT, IDRETRY, IDIGNORE}, IDRETRY},
  };
  for (const auto& r : rows) {
    script.Answer(r.answer);
    EXPECT_EQ(Application->MessageBox("Text", "Caption", r.flags), r.answer);
    EXPECT_EQ(script.Last().Buttons, r.buttons);
    EXPECT_EQ(script.Last().Icon, r.flags & MB_ICONMASK);
    EXPECT_EQ(script.Last().Kind, ui::DialogKind::MessageBox);
  }
  script.Answer(mrNo);
  EXPECT_EQ(MessageDlg("Save changes?", mtConfirmation, mbYesNoCancel), mrNo);
  EXPECT_EQ(script.Last().Caption, "Confirm");
  EXPECT_EQ(script.Last().Text, "Save changes?");
  EXPECT_EQ(script.Last().Icon, MB_ICONQUESTION);

  ui::DialogRequest open;
  open.Kind = ui::DialogKind::OpenFile;
  open.Filter = "Map files (*.map)|*.map";
  script.AnswerFile("/tmp/a.map").CancelFile();
  EXPECT_TRUE(ui::DialogService::ExecuteFileDialog(open));
  EXPECT_EQ(open.FileName, "/tmp/a.map");
  EXPECT_FALSE(ui::DialogService::ExecuteFileDialog(open));
  EXPECT_EQ(script.Pending(), 0u);
}

TEST_F(FormTest, MessageDialogTakesActivationAndGivesItBack) {
  Log log;
  TForm* main = NewForm("Main");
  main->Show();
  main->OnActivate = log.Note("activate");
  main->OnDeactivate = log.Note("deactivate");
  script.Answer(mrOk);
  ShowMessage("Hello");
  EXPECT_EQ(log.text, "deactivate activate ");
  script.Answer(IDOK);
  Application->MessageBox("Plain box", "Caption", MB_OK);  // a system box leaves activation alone
  EXPECT_EQ(log.text, "deactivate activate ");
}

TEST_F(FormTest, ExceptionFromAHandlerIsShownAndTheLoopGoesOn) {
  Application->SetTitle("CorvaneQ5");
  TForm* f = NewForm();
  f->SetBounds(0, 0, 100, 80);
  f->Show();
  f->OnClick = [](TObject*) { throw EConvertError("'x' is not a valid integer value"); };
  script.Answer(IDOK);
  ui::SimulateClick(f, 10, 10);
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Last().Text, "'x' is not a valid integer value.");
  EXPECT_EQ(script.Last().Caption, "CorvaneQ5");
  EXPECT_EQ(script.Last().Icon, MB_ICONSTOP);
  EXPECT_EQ(script.Last().Buttons, std::vector<int>{IDOK});

  // The message keeps its own ending when it already has one; EAbort is silent.
  f->OnClick = [](TObject*) { throw Exception("File is corrupt."); };
  script.Answer(IDOK);
  ui::SimulateClick(f, 10, 10);
  EXPECT_EQ(script.Last().Text, "File is corrupt.");
  f->OnClick = [](TObject*) { throw EAbort(""); };
  ui::SimulateClick(f, 10, 10);
  EXPECT_EQ(script.Shown().size(), 2u);

  // A posted message whose handler throws reaches the same box.
  f->SetMessageHandler(WM_USER + 7, [](TMessage&) { throw Exception("Posted failure"); });
  script.Answer(IDOK);
  PostMessage(f, WM_USER + 7, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(script.Last().Text, "Posted failure.");

  // When the box itself was not scripted the test hears of it.
  PostMessage(f, WM_USER + 7, 0, 0);
  EXPECT_THROW(Application->ProcessMessages(), EUnscriptedDialog);
}

TEST_F(FormTest, StartUpExceptionEndsTheProgramWithExitCodeOne) {
  script.Answer(IDOK);
  const int code = Application->RunProgram([] { throw EInOutError("File not found"); });
  EXPECT_EQ(code, 1);
  EXPECT_EQ(script.Last().Caption, "Application Error");
  const AnsiString& text = script.Last().Text;
  EXPECT_EQ(text.rfind("Exception EInOutError in module test_platform_ui at ", 0), 0u) << text;
  EXPECT_NE(text.find(".\nFile not found."), AnsiString::npos) << text;
  EXPECT_EQ(Application->RunProgram([] {}), 0);
}

TEST_F(FormTest, CloseAsksAndHidesOrKeepsTheForm) {
  TForm* f = NewForm();
  f->Show();
  bool allow = false;
  TCloseAction chosen = caHide;
  f->OnCloseQuery = [&](TObject*, bool& can) { can = allow; };
  f->OnClose = [&](TObject*, TCloseAction& a) { a = chosen; };
  f->Close();
  EXPECT_TRUE(f->Visible());
  allow = true;
  chosen = caNone;
  f->Close();
  EXPECT_TRUE(f->Visible());
  chosen = caHide;
  f->Close();
  EXPECT_FALSE(f->Visible());

  // caFree releases the form once the current events are done.
  auto* g = new TForm(nullptr);
  bool destroyed = false;
  g->OnDestroy = [&](TObject*) { destroyed = true; };
  g->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  g->Show();
  g->Close();
  EXPECT_FALSE(destroyed);
  Application->ProcessMessages();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(Screen->ActiveForm(), nullptr);
}

TEST_F(FormTest, PositionCentresOnScreenOrOwner) {
  TForm* f = NewForm();
  f->SetBounds(0, 0, 200, 100);
  f->SetPosition(poScreenCenter);
  f->Show();
  EXPECT_EQ(f->Left(), (Screen->Width() - 200) / 2);
  EXPECT_EQ(f->Top(), (Screen->Height() - 100) / 2);

  auto* child = new TForm(f);
  child->SetBounds(0, 0, 100, 50);
  child->SetPosition(poOwnerFormCenter);
  child->Show();
  // Centred by the sizes known before it showed (its own frame comes after).
  EXPECT_EQ(child->Left(), f->Left() + (f->Width() - 100) / 2);
  EXPECT_EQ(child->Top(), f->Top() + (f->Height() - 50) / 2);
}

TEST_F(FormTest, AlignAndAnchorsFollowTheClientArea) {
  TForm* f = NewForm();
  f->SetBounds(0, 0, 300, 200);
  auto aligned = [&](TAlign align, int size) {
    auto* c = new TCustomControl(f);
    c->SetParent(f);
    c->SetBounds(0, 0, size, size);
    c->SetAlign(align);
    return c;
  };
  auto* top = aligned(alTop, 20);
  auto* left = aligned(alLeft, 50);
  auto* bottom = aligned(alBottom, 30);
  auto* client = aligned(alClient, 10);
  f->Show();
  const int cw = f->ClientWidth(), ch = f->ClientHeight();
  // Shown, the window's frame is added outside the client area it was laid out with.
  EXPECT_EQ(cw, 300);
  EXPECT_GE(f->Width(), 300);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, cw, 20));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, ch - 30, cw, ch));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 20, 50, ch - 30));
  EXPECT_EQ(client->BoundsRect(), Rect(50, 20, cw, ch - 30));

  auto* anchored = new TCustomControl(f);
  anchored->SetParent(client);
  anchored->SetBounds(10, 10, 30, 30);
  anchored->SetAnchors({akRight, akBottom});
  int resized = 0;
  f->OnResize = [&](TObject*) { ++resized; };
  f->SetBounds(f->Left(), f->Top(), f->Width() + 40, f->Height() + 20);
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(client->Width(), f->ClientWidth() - 50);
  EXPECT_EQ(anchored->BoundsRect(), Rect(50, 30, 80, 60));
}

TEST_F(FormTest, MouseEventsComeInTheOriginalOrder) {
  TForm* f = NewForm();
  f->SetBounds(0, 0, 200, 100);
  auto* c = new TCustomControl(f);
  c->SetParent(f);
  c->SetBounds(20, 10, 50, 40);
  f->Show();
  std::string log;
  c->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    log += "down(" + std::to_string(b) + "," + std::to_string(x) + "," + std::to_string(y) +
           (s.Contains(ssDouble) ? ",double" : "") + (s.Contains(ssLeft) ? ",left" : "") + ") ";
  };
  c->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { log += "up "; };
  c->OnClick = [&](TObject*) { log += "click "; };
  c->OnDblClick = [&](TObject*) { log += "dblclick "; };
  c->OnMouseMove = [&](TObject*, TShiftState, int x, int y) { log += "move(" + std::to_string(x) + "," + std::to_string(y) + ") "; };
  ui::SimulateDblClick(c, 5, 6);
  EXPECT_EQ(log, "down(0,5,6,left) click up dblclick down(0,5,6,double,left) up ");
  log.clear();
  ui::SimulateMouseMove(c, 7, 8);
  ui::SimulateMouseDown(c, mbRight, 1, 2);
  ui::SimulateMouseUp(c, mbRight, 1, 2);
  EXPECT_EQ(log, "move(7,8) down(1,1,2) up ");
  log.clear();
  c->SetEnabled(false);
  ui::SimulateClick(c, 5, 5);
  EXPECT_EQ(log, "");
}

TEST_F(FormTest, PrivateMessagesReachWndProc) {
  struct Receiver : TCustomControl {
    using TCustomControl::TCustomControl;
    std::vector<UINT> seen;
    void WndProc(TMessage& m) override {
      seen.push_back(m.Msg);
      TCustomControl::WndProc(m);
    }
  };
  auto* r = new Receiver(nullptr);
  r->SetMessageHandler(WM_USER + 1, [](TMessage& m) { m.Result = static_cast<LRESULT>(m.WParam + m.LParam); });
  EXPECT_EQ(r->Perform(WM_USER + 1, 40, 2), 42);
  EXPECT_EQ(r->Perform(WM_USER + 2, 1, 1), 0);  // nobody answers: 0
  EXPECT_EQ(r->seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
  EXPECT_EQ(SendMessage(r, WM_USER + 1, 1, 2), 3);  // on the GUI thread: at once
  PostMessage(r, WM_USER + 1, 0, 0);
  delete r;  // a message for a destroyed control is dropped
  Application->ProcessMessages();
  EXPECT_FALSE(PostMessage(r, WM_USER + 1, 0, 0));
}

TEST_F(FormTest, FocusMovesWithEnterAndExit) {
  TForm* f = NewForm();
  f->SetBounds(0, 0, 200, 100);
  auto* a = new TCustomControl(f);
  a->SetParent(f);
  a->SetTabStop(true);
  auto* b = new TCustomControl(f);
  b->SetParent(f);
  b->SetTabStop(true);
  std::string log;
  a->OnEnter = [&](TObject*) { log += "a.enter "; };
  a->OnExit = [&](TObject*) { log += "a.exit "; };
  b->OnEnter = [&](TObject*) { log += "b.enter "; };
  f->Show();  // the first tab stop takes the focus
  EXPECT_EQ(f->ActiveControl(), a);
  EXPECT_TRUE(a->Focused());
  b->SetFocus();
  EXPECT_EQ(log, "a.enter a.exit b.enter ");
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(b->TabOrder(), 1);
  b->SetTabOrder(0);
  EXPECT_EQ(a->TabOrder(), 1);
  b->SetVisible(false);
  EXPECT_FALSE(b->CanFocus());
  EXPECT_THROW(b->SetFocus(), EInvalidOperation);
  delete a;  // the form forgets a destroyed control
  b->SetVisible(true);
  b->SetFocus();
  EXPECT_EQ(f->ActiveControl(), b);
}

TEST_F(FormTest, ExitHandlersThatEachWantTheFocusBackCannotPassItToAndFro) {
  TForm* f = NewForm();
  f->SetBounds(0, 0, 300, 100);
  std::vector<TCustomControl*> c;
  for (int i = 0; i < 3; ++i) {
    c.push_back(new TCustomControl(f));
    c[i]->SetParent(f);
    c[i]->SetTabStop(true);
    c[i]->SetBounds(10 + 90 * i, 10, 80, 40);
  }
  std::string log;
  // Each of the first two keeps the focus when left, as a field holding a bad number does.
  for (int i = 0; i < 2; ++i) {
    const std::string n(1, static_cast<char>('a' + i));
    TCustomControl* self = c[i];
    c[i]->OnEnter = [&log, n](TObject*) { log += n + ".enter "; };
    c[i]->OnExit = [&log, n, self](TObject*) {
      log += n + ".exit ";
      self->SetFocus();
    };
  }
  f->Show();
  ASSERT_EQ(f->ActiveControl(), c[0]);
  log.clear();
  // b asks for the focus (its bad number was pasted while the user was in a): a keeps it,
  // and b, never entered, is not left either.
  c[1]->SetFocus();
  EXPECT_EQ(log, "a.exit ");
  EXPECT_EQ(f->ActiveControl(), c[0]);
  EXPECT_TRUE(c[0]->Focused());
  c[2]->SetFocus();
  EXPECT_EQ(f->ActiveControl(), c[0]);

  // Once a lets go, b is entered and then keeps the focus against a and the third control.
  c[0]->OnExit = [&log](TObject*) { log += "a.exit "; };
  log.clear();
  c[1]->SetFocus();
  EXPECT_EQ(log, "a.exit b.enter ");
  log.clear();
  c[0]->SetFocus();
  c[2]->SetFocus();
  EXPECT_EQ(log, "b.exit b.exit ");
  EXPECT_EQ(f->ActiveControl(), c[1]);

  // Enter handlers that send the focus on to each other: the first is followed, the
  // second refused.
  c[1]->OnExit = nullptr;
  c[0]->OnEnter = [&](TObject*) { c[2]->SetFocus(); };
  c[2]->OnEnter = [&](TObject*) { c[0]->SetFocus(); };
  c[0]->SetFocus();
  EXPECT_EQ(f->ActiveControl(), c[2]);
  EXPECT_TRUE(c[2]->Focused());

  // A handler that throws ends its round, and the next change is a round of its own.
  c[0]->OnEnter = nullptr;
  c[2]->OnEnter = nullptr;
  c[2]->OnExit = [](TObject*) { throw Exception("left"); };
  EXPECT_THROW(f->SetFocusedControl(c[1]), Exception);
  c[2]->OnExit = nullptr;
  c[0]->SetFocus();
  EXPECT_EQ(f->ActiveControl(), c[0]);
}

}  // namespace
