#include "app/Windows.h"

#include "files/HKStreamCol.h"
#include "chart/Chart.h"
#include "controls/AdvEdit.h"
#include "controls/Aligrid.h"
#include "controls/LblEffct.h"
#include "gauges/AbNumEdit.h"
#include "logger/AbTrend.h"
#include "platform/stdctrls/StdCtrlsRegistration.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

void RegisterProgramWindows() {
  static const bool done = [] {
    RegisterUiClasses();
    RegisterStdCtrlsClasses();
    RegisterAligridClasses();
    RegisterAdvEditClasses();
    RegisterLabelStatusElasticClasses();
    RegisterChartClasses();
    RegisterGaugeClasses();
    RegisterTrendClasses();
    // The stream container sits on the firmware-update window, which binds its
    // corrupt-file event.
    RegisterClass<THKStreams, TComponent>("THKStreams")
        .Bool("Compressed", &THKStreams::Compressed, true)
        .Bool("Encrypted", &THKStreams::Encrypted, false)
        .String("Key", &THKStreams::Key)
        .Event("OnCorrupt", &THKStreams::OnCorrupt);
    return true;
  }();
  (void)done;
}
