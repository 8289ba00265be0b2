#pragma once
// The main window: the map tables, the live boxes and the ECU link. Its first activation
// brings the whole program into its working state (settings, grid shapes, the default
// map in all three slots, the configuration defaults, the channel functions, the serial
// port); its close query saves the settings and shuts the link down.
#include <array>
#include <cstdint>
#include <memory>

#include "ecu/PacketHandler.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

// Only pointers here, so that the windows including this header stay light.
class TAdvSpinEdit;
class TApdComPort;
class TApdDataPacket;
class TBitmap;
class TComboBox;
class TElasticForm;
class TImage;
class TLabel;
class TLabelEffect;
class TNotebook;
class TPanel;
class TStringAlignGrid;
class TTabSet;
class TTimer;

class TR7Tform1 : public TForm, public ecu::PacketHost {
 public:
  explicit TR7Tform1(TComponent* AOwner);
  ~TR7Tform1() override;
  const char* ClassName() const override { return "TR7Tform1"; }
  static void Publish(TClassProps<TR7Tform1>& P);

  // Pointer strips drawn by the live displays.
  TImage *Image2 = nullptr, *Image3 = nullptr, *Image4 = nullptr, *Image5 = nullptr;
  TImage *Image6 = nullptr, *Image7 = nullptr, *Image8 = nullptr, *Image9 = nullptr;
  TStringAlignGrid *StringAlignGrid1 = nullptr, *StringAlignGrid2 = nullptr;
  TStringAlignGrid* CoolantTempMarker = nullptr;
  TLabel* Label5 = nullptr;
  TElasticForm* ElasticForm1 = nullptr;
  TLabel *loadsite_label = nullptr, *loadsite_label2 = nullptr;
  TLabelEffect *LabelEffect1 = nullptr, *LabelEffect3 = nullptr;
  TPanel* timepanel = nullptr;
  TAdvSpinEdit *Lam_Pgain = nullptr, *Lam_Igain = nullptr;
  // The live information boxes' bar gauges; plain panels until the gauge family exists.
  TPanel *BoxBar1 = nullptr, *BoxBar2 = nullptr;
  TStringAlignGrid *ignitiontable = nullptr, *injectiontable = nullptr;
  TStringAlignGrid *AFRTargetTable = nullptr, *AFRCorrectionTable = nullptr, *AFRModeTable = nullptr;
  TStringAlignGrid* CrankingTable = nullptr;
  TTabSet* TabSet1 = nullptr;
  TNotebook* Notebook1 = nullptr;
  TComboBox *IdleControlMode = nullptr, *SeqType = nullptr;
  TComboBox *User1Selection = nullptr, *User2Selection = nullptr, *User3Selection = nullptr,
            *User4Selection = nullptr;
  TPanel *Panel9 = nullptr, *Panel10 = nullptr, *Panel11 = nullptr, *Panel12 = nullptr;
  TPanel* StatusPanel = nullptr;
  TTimer *Timer1 = nullptr, *Timer2 = nullptr;
  // The serial port and the packet cutter, made in code (see FormCreate).
  TApdComPort* comms = nullptr;
  TApdDataPacket* SLIPpkt = nullptr;

  // Off-screen bitmaps of the live pointer strips, sized like Image2, Image8, Image9; made
  // in OnCreate and freed in OnDestroy, which runs while the form is being destroyed.
  TBitmap *TempPointerBitmap = nullptr, *CrankPointerBitmap = nullptr, *TargetBitmap = nullptr;

  // The settings file this window reads at first activation and writes at exit.
  AnsiString SettingsFileName;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void Timer2Timer(TObject* Sender);
  void IdleControlModeChange(TObject* Sender);
  void SeqTypeChange(TObject* Sender);

  void ReadIniFile();
  void WriteInifile();
  // Writes the speed sites of the current map into the header rows of the main tables.
  void UpdateRPMsites();
  // Fills the tables from the current map.
  void RefreshMapTables();
  // Re-applies the display units to the channel functions and the logger's channels.
  void UpdateLoggerUnits();

  // ECU link.
  void SLIPpktStringPacket(TObject* Sender, const AnsiString& Data);
  void commsTriggerTimer(TObject* CP, uint16_t TriggerHandle);
  void SLIPpktTimeout(TObject* Sender);
  void SelectComPort();

  // ecu::PacketHost
  void Send(const AnsiString& bytes) override;
  void ArmLinkWatchdog() override;

  // The window's concerns live in files of their own; each publishes its controls and
  // handlers for the form resource from its own Publish* function.
  // --- table display and re-layout (MainTables.cpp, MainLayout.cpp) ---
  static void PublishTables(TClassProps<TR7Tform1>& P);
  // --- live cells, keyboard and block editing, interpolation (MainEditing.cpp) ---
  static void PublishEditing(TClassProps<TR7Tform1>& P);
  // --- map fields (MainFields.cpp) ---
  static void PublishFields(TClassProps<TR7Tform1>& P);
  // --- menus and navigation (MainMenus.cpp) ---
  static void PublishMenus(TClassProps<TR7Tform1>& P);
  // --- map files: open, save, preview (MainFiles.cpp) ---
  static void PublishFiles(TClassProps<TR7Tform1>& P);

 private:
  void FirstActivation();
  void CreateLinkComponents();
  void OpenSavedPort();
  void ShapeGrids();
  void FillBatteryCompensation();
  void FillMainGridAxes();
  void FillChannelSelectors();
  void ShowLinkLost();
  void ShutDownLink();

  std::unique_ptr<ecu::PacketHandler> packets_;
};

extern TR7Tform1* R7Tform1;

// Main-window state shared with the live displays and the logger.
extern bool MainWindowActivated;
extern int32_t MapBoxItem1, MapBoxItem2;  // live-adjust item shown in each live box
extern std::array<int32_t, 7> LiveCellTrim;  // [1..6]
extern bool LogNewDataShown;
extern uint16_t LinkWatchdogHandle;
extern int32_t TempPointerScale, TempPointerOffset;

// Text of the close query.
inline constexpr const char* kExitQuestion = "All unsaved data will be lost, Exit program?";
inline constexpr const char* kNoPortSelected = "No port selected, no ECU communications possible!";

// Creates the program's 32 windows in their start-up order; the main window first.
void CreateProgramForms();
// The whole start-up: splash, Initialize, the windows, the message loop.
void StartProgram();
