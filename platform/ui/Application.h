#pragma once
// The application object (forms in creation order, the message loop, the exception
// box) and the screen (size, forms, active form, cursor).
#include <exception>
#include <functional>
#include <vector>
#include "platform/ui/Forms.h"
#include "platform/ui/UiStreaming.h"

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;
  const char* ClassName() const override { return "TApplication"; }

  // Creates the window-system application (done lazily by anything that needs it).
  void Initialize();
  // Constructs a form owned by the application, stores it in `reference`, reads the
  // form resource of its class (ui::LoadFormResource), then fires its OnCreate. The
  // first form created becomes the main form. When the resource fails to read, the
  // form is freed, `reference` is null again and the error passes on.
  template <typename T>
  void CreateForm(T*& reference) {
    T* form = new T(this);
    reference = form;
    form->ForgetReference = [&reference, form] {
      if (reference == form) reference = nullptr;
    };
    RegisterForm(form);
    try {
      ui::LoadFormResource(form);
    } catch (...) {
      reference = nullptr;
      ui::detail::DiscardForm(form);
      throw;
    }
    form->AfterConstruction();
  }
  TForm* MainForm() const { return main_form_; }
  bool ShowMainForm = true;

  // The desktop's reading direction (the toolkit's layout direction): right to left
  // under right-to-left languages. Controls that honour a right-to-left mode look here.
  bool RightToLeftLayout() const;
  void SetRightToLeftLayout(bool v);

  // Shows the main form and handles messages until Terminate or the main form closes.
  void Run();
  // Handles every pending message (posted messages included) and returns.
  void ProcessMessages();
  // Waits for the next message and handles it.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Runs the start-up code `body` (initialise, create forms, Run). An exception
  // escaping it is shown as "Exception <class> in module <module> at <address>."
  // under "Application Error" and the result is exit code 1; otherwise 0.
  int RunProgram(const std::function<void()>& body);

  // Shows the exception that escaped an event handler: OnException when assigned,
  // otherwise a stop box with its message (a "." appended when it ends in a letter,
  // digit or other character above "."), captioned with Title. EAbort stays silent.
  void HandleException(TObject* Sender, std::exception_ptr e);
  void ShowException(const Exception& E);
  TExceptionEvent OnException;

  // A message box through the dialog service: MB_ flags in, ID result out.
  int MessageBox(const AnsiString& Text, const AnsiString& Caption, int Flags);

  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& v) { title_ = v; }
  // The executable's full path and the module name error boxes show.
  AnsiString ExeName() const;

  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool v);
  TColor HintColor = clInfoBk;
  int HintPause = 500;
  int HintHidePause = 2500;

  void RegisterForm(TForm* f);
  void UnregisterForm(TForm* f);

 private:
  TForm* main_form_ = nullptr;
  bool terminated_ = false;
  bool show_hint_ = true;
  AnsiString title_;
};

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;
  const char* ClassName() const override { return "TScreen"; }

  int Width() const;
  // Told when the screen's size changes (a change of display resolution), with Key
  // identifying the observer for removal.
  void AddDisplayObserver(const void* Key, std::function<void()> Fn);
  void RemoveDisplayObserver(const void* Key);
  // The window system layer reports a change of the screen's size.
  void DisplayChanged();
  int Height() const;
  // Logical pixels per inch for font heights: always 96, the density the forms were
  // laid out for.
  int PixelsPerInch() const { return 96; }

  int FormCount() const { return static_cast<int>(forms_.size()); }
  TForm* Forms(int i) const { return forms_.at(static_cast<size_t>(i)); }
  TForm* ActiveForm() const { return active_form_; }
  TWinControl* ActiveControl() const;
  // The program's own request to make `f` the active form (showing it, focusing a control
  // on it): the old one gets OnDeactivate, the new one OnActivate, and the window system is
  // asked to activate its window.
  void SetActiveForm(TForm* f);
  // The window system reports that it activated `f`'s window: the same notices as above,
  // but activation is never requested back; asking again from a notice would make two
  // windows and the window manager hand activation to each other without end.
  void NoteActiveForm(TForm* f);
  // After `f` was hidden: activates the topmost visible form, if any.
  void ActivateNextAfter(TForm* f);

  TCursor Cursor() const { return cursor_; }
  // crDefault lets every control show its own cursor again.
  void SetCursor(TCursor c);

  void AddForm(TForm* f);
  void RemoveForm(TForm* f);
  // Forms in stacking order, the most recently activated last.
  void Raise(TForm* f);

 private:
  std::vector<TForm*> forms_;
  std::vector<TForm*> z_order_;
  std::vector<std::pair<const void*, std::function<void()>>> display_observers_;
  bool display_watched_ = false;
  TForm* active_form_ = nullptr;
  TCursor cursor_ = crDefault;
};

extern TApplication* Application;
extern TScreen* Screen;
