#pragma once
// The start-up picture: a borderless window in the middle of the screen that shows while
// the program's windows are created, then goes away.
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/UiStreaming.h"

class TSplashScreen : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TSplashScreen"; }
  static void Publish(TClassProps<TSplashScreen>& P);

  TImage* Image1 = nullptr;
  void FormCreate(TObject* Sender);
};

extern TSplashScreen* SplashScreen;

// Size of the splash picture.
inline constexpr int kSplashWidth = 471;
inline constexpr int kSplashHeight = 99;
