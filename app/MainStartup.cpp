// The program's windows, created once at start-up in a fixed order: the main window first
// (it becomes the application's main form), then every window its first activation
// reaches.
#include "app/About.h"
#include "app/Block.h"
#include "app/Main.h"
#include "app/Splash.h"
#include "app/Graphs.h"
#include "config/Additonl.h"
#include "config/Align.h"
#include "config/ConfigComments.h"
#include "config/DisplayUnits.h"
#include "config/Insert.h"
#include "config/InterpolateBlock.h"
#include "config/LoadSiteAdjU.h"
#include "config/SelectMap.h"
#include "config/SitePos.h"
#include "config/SpeedSiteAdj.h"
#include "config/TCForm.h"
#include "config/TCSetup.h"
#include "config/TempCalculator.h"
#include "config/loadfiles.h"
#include "config/savefiles.h"
#include "config/setup.h"
#include "ecu/CommsStats.h"
#include "ecu/Diag.h"
#include "ecu/FlashUpdate.h"
#include "ecu/IgnAlign.h"
#include "ecu/Immobiliser.h"
#include "ecu/MapLock.h"
#include "ecu/NewComPort.h"
#include "ecu/Progress.h"
#include "ecu/keycode.h"
#include "logger/AuxTable.h"
#include "logger/LoggerExport.h"
#include "logger/logger.h"
#include "platform/ui/Application.h"

void CreateProgramForms() {
  Application->CreateForm(R7Tform1);
  Application->CreateForm(insertdata);
  Application->CreateForm(CommsProgress);
  Application->CreateForm(Alignment);
  Application->CreateForm(map_function);
  Application->CreateForm(AboutBox);
  Application->CreateForm(DiagForm);
  Application->CreateForm(AdditionalMaps);
  Application->CreateForm(SetupForm);
  Application->CreateForm(IgnAlignForm);
  Application->CreateForm(FlashUpdateForm);
  Application->CreateForm(LoggerForm);
  Application->CreateForm(DlgPw);
  Application->CreateForm(LoadSiteAdj);
  Application->CreateForm(AuxTableForm);
  Application->CreateForm(LoggerExportForm);
  Application->CreateForm(SitePosFrm);
  Application->CreateForm(Graph);
  Application->CreateForm(InterpBlock);
  Application->CreateForm(TC_form);
  Application->CreateForm(TCSetupForm);
  Application->CreateForm(MapLockForm);
  Application->CreateForm(SpeedSiteForm);
  Application->CreateForm(SelectPort);
  Application->CreateForm(TempCalc);
  Application->CreateForm(UnitsForm);
  Application->CreateForm(CommsForm);
  Application->CreateForm(ImmobForm);
  Application->CreateForm(SelectMapForm);
  Application->CreateForm(ConfigSaveCommentsForm);
  Application->CreateForm(Form1);
  Application->CreateForm(Form2);
}

void StartProgram() {
  SplashScreen = ui::CreateForm<TSplashScreen>(Application);
  SplashScreen->Show();
  Application->Initialize();
  // Painted now: the message loop that would paint it runs only after the forms exist.
  SplashScreen->Update();
  CreateProgramForms();
  SplashScreen->Hide();
  delete SplashScreen;
  SplashScreen = nullptr;
  Application->Run();
}
