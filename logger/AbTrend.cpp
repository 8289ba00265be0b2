#include "logger/AbTrend.h"

#include "platform/graphics/Canvas.h"
#include "platform/stdctrls/StdCtrlsRegistration.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

TAbTrend::TAbTrend(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 400, 200);
  SetColor(clBlack);
}

void TAbTrend::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(Color());
  c->Pen()->SetColor(clGray);
  c->Rectangle(0, 0, Width(), Height());
}

void RegisterTrendClasses() {
  static const bool done = [] {
    RegisterUiClasses();
    RegisterStdCtrlsClasses();
    RegisterClass<TAbTrend, TCustomControl>("TAbTrend")
        .Bool("StartRecording", &TAbTrend::StartRecording, &TAbTrend::SetStartRecording, false);
    return true;
  }();
  (void)done;
}
