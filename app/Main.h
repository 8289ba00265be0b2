#pragma once
// The main window: the map tables, the live boxes and the ECU link. Its first activation
// brings the whole program into its working state (settings, grid shapes, the default
// map in all three slots, the configuration defaults, the channel functions, the serial
// port); its close query saves the settings and shuts the link down.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "model/MapEditing.h"
#include "link/PacketHandler.h"
#include "platform/stdctrls/GridTypes.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

// Only pointers here, so that the windows including this header stay light.
class TAdvSpinEdit;
class TApdComPort;
class TApOpenDialog;
class TApSaveDialog;
class TSaveDialog;
class TApdDataPacket;
class TBitmap;
class TComboBox;
class TElasticForm;
class TImage;
class TLabel;
class TLabelEffect;
class TCheckBox;
class TEdit;
class TMemo;
class TAbBar;
class TAbPacedCall;
class TAbHBar;
class TAbValueInd;
class TAbLED;
class TAbNumSpin;
class TGroupBox;
class TShape;
class TMainMenu;
class TPopupMenu;
class TMenuItem;
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
  // The live information boxes' bar gauges: where the operating point lies in the live cell.
  TAbBar *BoxBar1 = nullptr, *BoxBar2 = nullptr;
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
  // Set while RefreshMapTables fills the controls; the field handlers then leave the
  // record alone.
  bool RefreshingTables = false;
  // Re-applies the display units to the channel functions and the logger's channels.
  void UpdateLoggerUnits();

  // ECU link.
  void SLIPpktStringPacket(TObject* Sender, const AnsiString& Data);
  void commsTriggerTimer(TObject* CP, uint16_t TriggerHandle);
  void SLIPpktTimeout(TObject* Sender);
  void SelectComPort();
  // Opens Settings.CommsPort with a new watchdog trigger and packet detection on.
  void OpenLink();

  // ecu::PacketHost
  void Send(const AnsiString& bytes) override;
  void ArmLinkWatchdog() override;
  // Map transfers and the map lock: the handler's calls go on to their windows.
  void SlowLiveReceived() override;
  // The ECU runs another bank: show that bank and refill the tables from it.
  void ActiveMapDiffers(int32_t bank) override;
  void LockMessageReceived(const AnsiString& text) override;
  // The temperature calculator's live reading, while it is shown.
  std::optional<ecu::SensorView> SensorViewShown() override;
  void SensorReadingReceived(const AnsiString& text) override;
  // An ECU of another protocol: says so, and closes the link for the rest of the run.
  void ProtocolRejected(const AnsiString& message) override;
  bool MapTransferShown() override;
  void MapProgressAdd(int bytes) override;
  void ImportMap(int bank, const ecu::MapImage& image) override;
  void MapReadNext(int bank) override;
  void MapReadComplete() override;
  void MapReadFailed(int bank) override;
  // After each fast live packet: the two live boxes and the target display.
  void FastLiveReceived(const ecu::GridMarker& marker) override;
  // While logging, after each fast live packet: the logger's channels take the live
  // values and the trend recorder appends a record.
  void LogSample() override;
  // A complete configuration reply: the windows that show configuration values.
  void ConfigurationReceived() override;
  // The read-back after an upload differs from what was sent: the editor says so.
  void ConfigUploadUnfinished() override;
  // A status packet: the diagnostics window's ECU times.
  void IdentityReceived() override;
  // --- live displays and the service windows that follow the live data (MainDisplays.cpp) ---
  static void PublishDisplays(TClassProps<TR7Tform1>& P);
  // The dashboard of the live page: texts the fast and slow packets write, "X"
  // placeholders while there is no link.
  TPanel *engine_speed = nullptr, *load_site = nullptr, *throttle = nullptr, *Boost = nullptr;
  TPanel *BatteryV = nullptr, *IACpos = nullptr, *inj_corr = nullptr, *ign_corr = nullptr;
  TPanel *air_temp = nullptr, *coolant_temp = nullptr;
  TPanel *EngineStatus = nullptr, *LambdaStatus = nullptr, *InjectionStatus = nullptr;
  TLabel *AirTempLabel = nullptr, *CoolantTempLabel = nullptr, *BoostCaption = nullptr;
  // The temperature unit under each temperature caption.
  TLabel *AirTempLabel2 = nullptr, *CoolantTempLabel2 = nullptr;
  // Injection duty, % of the engine cycle.
  TAbHBar* InjDuration = nullptr;
  // The two air-fuel ratio read-outs (measured and second ratio) and their 30-segment bars.
  TAbValueInd *AbValueInd1 = nullptr, *AbValueInd2 = nullptr;
  TPanel *Panel6 = nullptr, *Panel8 = nullptr;
  // The value shown in each of the four user value boxes, inside its name panel.
  TPanel *User1 = nullptr, *User2 = nullptr, *User3 = nullptr, *User4 = nullptr;
  // The live temperatures beside the temperature tables, and the pointer strip under the
  // idle speed table.
  TLabel *AirTempLive5 = nullptr, *CoolantTempLive5 = nullptr, *AirTempLive6 = nullptr, *CoolantTempLive6 = nullptr;
  TImage* Image10 = nullptr;
  // After each fast packet: the dashboard, the ratio bars, the user value boxes and the
  // diagnostics window.
  void FastLiveDisplays();
  // After each slow packet: the dashboard, the temperature pointers, the diagnostics and
  // ignition-alignment windows.
  void SlowLiveDisplays();
  // The link was lost: placeholders and dark bars instead of the last values.
  void BlankLiveDisplays();
  // The units in the dashboard's captions.
  void ShowDashboardUnits(const AnsiString& temperature, const AnsiString& pressure);
  void UpdateAFR();
  // The live temperatures on the temperature tables' pointer strips, while one of their
  // pages is shown; on the injection corrections page also the cranking site.
  void UpdateTempPointers();
  // The four user value boxes: the live value of the function each one shows.
  void ShowUserValues();

  // The window's concerns live in files of their own; each publishes its controls and
  // handlers for the form resource from its own Publish* function.
  // --- table display and re-layout (MainTables.cpp, MainLayout.cpp) ---
  static void PublishTables(TClassProps<TR7Tform1>& P);
  // Main-window controls filled from the map record.
  TEdit *DetailsDateEdit = nullptr, *DetailsOwnerEdit = nullptr, *DetailsEngineEdit = nullptr,
        *DetailsInductionEdit = nullptr, *DetailsPressureEdit = nullptr, *DetailsInjectorsEdit = nullptr,
        *DetailsInjectionTypeEdit = nullptr, *DetailsExhaustEdit = nullptr;
  TMemo* details = nullptr;
  TLabel* map_comments = nullptr;
  TAdvSpinEdit *soft_limit = nullptr, *hard_limit = nullptr, *shiftlight = nullptr, *startup_timing = nullptr;
  TAdvSpinEdit *IACVRateValue = nullptr, *IACVoff = nullptr, *CutOffRpm = nullptr, *CutOffPot = nullptr;
  TAdvSpinEdit *IdleRpmSw = nullptr, *IdlePotSw = nullptr, *IdleIgnTrim = nullptr, *IdleIgnRate = nullptr;
  TAdvSpinEdit *Idleuprpm = nullptr, *idleupv = nullptr, *SeqStart = nullptr, *SeqDown = nullptr;
  TAdvSpinEdit *Lam_StartDelay = nullptr, *Lam_Warmupdelay = nullptr, *Lam_Coolant = nullptr, *Lam_Decel = nullptr,
               *Lam_accel = nullptr, *Lam_deceldelay = nullptr, *Lam_Load = nullptr, *Lam_Speed = nullptr,
               *Lam_Response = nullptr, *Lam_mapRes = nullptr, *Lam_MaxCorr = nullptr, *Lam_MinCorr = nullptr,
               *Lam_LockTimer = nullptr, *Lam_Rate = nullptr;
  TCheckBox *CutOffEnabled = nullptr, *FineEnabled = nullptr, *SeqEnabled = nullptr;
  TLabel *cutoffpotlabel = nullptr, *cutoffrpmlabel = nullptr, *FineLabel = nullptr, *UpdateLabel = nullptr;
  TLabel *SeqLabel1 = nullptr, *SeqLabel2 = nullptr, *SeqLabel3 = nullptr;
  TLabel *IdleNote1 = nullptr, *IdleNote2 = nullptr, *IdleNote3 = nullptr;
  TComboBox *ComboBox1 = nullptr, *Lam_Sensor = nullptr;
  TAbNumSpin *NSOn = nullptr, *NSoff = nullptr, *NS2On = nullptr, *NS2Off = nullptr;
  TLabel *Label54 = nullptr, *Label17 = nullptr, *Label53 = nullptr, *Label50 = nullptr, *Label42 = nullptr,
         *Label60 = nullptr;
  TLabel *UserLabel1 = nullptr, *UserLabel2 = nullptr, *UserLabel3 = nullptr, *UserLabel4 = nullptr;
  TStringAlignGrid *airign_table = nullptr, *airinj_table = nullptr, *coolantign_table = nullptr,
                   *coolantinj_table = nullptr, *CrankPrime_table = nullptr, *idlerpm_table = nullptr;
  TPanel *ECUmap_panel = nullptr, *PCmap_panel = nullptr, *info_panel = nullptr, *AFRsettingspanel = nullptr;
  TPanel *TelltaleStatus = nullptr, *TellTaleMax = nullptr, *speed_site = nullptr;
  TTabSet* TabSet2 = nullptr;
  TLabel *page4_label = nullptr, *Label79 = nullptr, *Label81 = nullptr, *Label16 = nullptr;
  TShape *RichBrush = nullptr, *LeanBrush = nullptr, *Shape62 = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TPopupMenu *PopupMenu1 = nullptr, *PopupMenu2 = nullptr, *PopupMenu3 = nullptr;
  TMenuItem *PopUpTPS1 = nullptr, *PopUpMAP1 = nullptr;

  // Results of the last ConvertUnits call; other windows read them directly.
  double ConvertedValue = 0;
  AnsiString ConvertedText;
  // Which table the injection page shows: 0 injection, 1 AFR target, 2 AFR correction,
  // 3 AFR mode.
  int InjectionPageTable = 0;

  // Writes the five cranking turn positions into the cranking table's first column.
  void UpdateTurnPositions();
  // Shows map `map` (1..3) on the map panels asked for and makes it current.
  void ShowMapChoice(int map, bool ecuSide, bool pcSide);
  // Colours one cell between the colour below (at low), white (at mid) and the colour above
  // (at high).
  void SetCellColour(TStringAlignGrid* grid, int col, int row, TColor below, TColor above, int low, int mid,
                     int high, int value);
  // Display conversion: kind 0 temperature, 1 pressure (absolute kPa), 2 road speed (the
  // live road speed; raw is ignored). Returns the text, also left in `text`.
  AnsiString ConvertUnits(int kind, int32_t raw, AnsiString& text);
  void TabSet1Click(TObject* Sender);
  void FocusPageTable();
  void TabSet2Click(TObject* Sender);
  void AFRModeTableDrawCell(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State);
  // Writes the load-site headings of the main grids: MAP sites or throttle sites.
  void ShowLoadAxis(bool mapSites);
  // Fills the additional-tables window's controls from the current map.
  void RefreshAdditionalMaps();
  // Unit captions of the additional-tables window.
  void ShowAdditionalUnitTexts(const AnsiString& temperature, const AnsiString& pressure);
  // Keeps the window at least 640 x 480.
  void FormResize(TObject* Sender);
  // Corrects what proportional scaling gets wrong: whole grid cells, equal geometry of grids
  // that belong together, fields centred on their labels.
  void ElasticForm1AfterResize(TObject* Sender);
  // A control of this window by name, for labels the code touches only when laying out.
  TControl* LayoutControl(const char* name) const;
  // --- keyboard and block editing, interpolation (MainEditing.cpp); live keys (MainLive.cpp) ---
  static void PublishEditing(TClassProps<TR7Tform1>& P);
  // The form previews keys: live trims, cell writes, page and map keys.
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void FormKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
  void ignitiontableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void injectiontableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void AFRTargetTableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void AFRCorrectionTableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void CrankingTableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void AFRModeTableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void Applycorrectionstoinjectionmap1Click(TObject* Sender);
  // The one-row correction tables: Up, "+" and "=" raise, Down and "-" lower each
  // selected cell by one within the table's limits; "C" interpolates the selected run.
  void airign_tableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void coolantign_tableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void airinj_tableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void coolantinj_tableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void CrankPrime_tableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void idlerpm_tableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  // A one-row table shows its selection only while it has the focus, so the page shows
  // one selected cell.
  void OneRowTableEnter(TObject* Sender);
  void OneRowTableExit(TObject* Sender);
  // Clicks on the main tables show the clicked column's speed site in info_panel.
  void ignitiontableClick(TObject* Sender);
  void injectiontableClick(TObject* Sender);
  void AFRTargetTableClick(TObject* Sender);
  void AFRCorrectionTableClick(TObject* Sender);
  // info_panel: "Speed site : n (from - to rpm)" for the current column of `grid`.
  void ShowSpeedSiteInfo(const TStringAlignGrid* grid);
  // Re-creates the map graph's surface: 16 load sites by (hard limit div speed-site step
  // + 2) speed sites, within 8..32.
  void PrepareGraphSurface();
  // --- live adjustments page: live boxes, target display, manual logging (MainLive.cpp) ---
  static void PublishLive(TClassProps<TR7Tform1>& P);
  // Box 1 and box 2: title, the captions of map value, trimmed value and trim, their
  // value panels.
  TGroupBox *ignition_box = nullptr, *injection_box = nullptr;
  TLabel *Label22 = nullptr, *Label23 = nullptr, *Label21 = nullptr;
  TLabel *Label26 = nullptr, *Label25 = nullptr, *Label24 = nullptr;
  TPanel *map_advance = nullptr, *actual_advance = nullptr, *ignition_trim = nullptr;
  TPanel *map_injection = nullptr, *actual_injection = nullptr, *injection_trim = nullptr;
  // Lit while samples are being logged; clicked (or Space on the live page) to start and
  // stop logging by hand.
  TAbLED* TimeLogLED = nullptr;
  // Redraw box 1 / box 2 from the live value and the trim of the item it shows.
  void UpdateMapBox1();
  void UpdateMapBox2();
  // Live boxes: the next item (or the reset item) of box 1 / box 2.
  void CycleIgnitionBox(bool advance);
  void CycleInjectionBox(bool advance);
  // Centres each box caption over its value panel.
  void CentreLiveBoxCaptions();
  // Draws the operating point as a cross on the target display Image9.
  void UpdateTarget();
  // Everything a fast packet shows on the dashboard and in the windows that follow it.
  void RefreshFastDisplays();
  // The operating point's mark on the two main tables: NoteLiveMark keeps where a fast
  // packet moved it, ShowLiveMark paints the cell it left white and its cell silver.
  void NoteLiveMark(const ecu::GridMarker& marker);
  void ShowLiveMark();
  // Shows what the fast and slow packets brought, paced while they come from the line.
  void RefreshLiveDisplays(bool fast, bool slow);
  // Manual logging toggle: stops unless a stop trigger is set; starts only with the link
  // up, the logger enabled and no start trigger.
  void TimeLogLEDClick(TObject* Sender);
  void StartLogging();
  void StopLogging();
  // The logger's automatic trigger (Timer2) runs once the window has been activated, and
  // only while the logger is enabled or logging: otherwise it has nothing to do and the
  // program need not wake for it.
  void ArmTriggerTimer();
  // The logging lamp: lit with black text while logging, dark with grey text otherwise.
  void ShowLoggingLED(bool on);
  // Writes item k's live value with its trim into the ECU bank (and the PC map when the
  // settings say so) and clears the trim.
  void UpdateCell(int k);
  // One trim step of item k: +1, -1, or 0 for a reset.
  void TrimLiveItem(int k, int step);
  // Runs one live key's frames after those of the keys pressed before it. A trim waits a
  // tick between its frames while messages are handled, so a quick press arrives in the
  // middle; it is queued and runs next, and every press counts.
  void RunLiveAction(std::function<void()> action);
  // The grid that shows a table.
  TStringAlignGrid* TableGrid(TableId id) const;
  // Rewrites the written cells of a table from the map record.
  void ShowCellWrites(TableId id, const TCellWrites& writes);
  // Removes the blue and red edit marks and the block selections of the main tables (a
  // newly loaded or read map has no edits yet).
  void ClearEditMarks();
  // Runs the key family of the main grids on one table.
  void TableKeyDown(TableId id, WORD& Key);
  // Right-clicks on the map grids: the load-axis menu over the load column, the
  // speed-site menu over the heading row, the corrections menu elsewhere on the AFR
  // correction and mode tables, the turns menu over the cranking turns.
  void MapGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  TPopupMenu* PopupMenu4 = nullptr;
  TMenuItem* Applycorrectionstoinjectionmap1 = nullptr;
  // --- map fields (MainFields.cpp) ---
  static void PublishFields(TClassProps<TR7Tform1>& P);
  // One of the nine details texts changed: shares the 248-character budget among them
  // and writes the text into its record field.
  void DetailsChange(TObject* Sender);
  // Counts the nine details texts with `text` standing for the one being edited, shows
  // the count and returns it. A change that would exceed the budget is refused by
  // DetailsChange: the field keeps its text and the system beeps.
  int DetailsCharsUsed(TObject* Sender, AnsiString& text);
  // Rev limits and shift light, applied when the entry is complete.
  void soft_limitExit(TObject* Sender);
  void hard_limitExit(TObject* Sender);
  void shiftlightExit(TObject* Sender);
  // Plain and scaled numeric fields, found by the control that changed.
  void NumberFieldChange(TObject* Sender);
  void Lam_CorrExit(TObject* Sender);
  void CutOffEnabledClick(TObject* Sender);
  void FineEnabledClick(TObject* Sender);
  void SeqEnabledClick(TObject* Sender);
  void Lam_SensorChange(TObject* Sender);
  // The live lambda captions follow the sensor type: "Lambda O2 :" and "Target :" for a
  // simple sensor, "AFR :" and "Target AFR :" for a wideband.
  TLabel *Label104 = nullptr, *Label105 = nullptr;
  void ShowLambdaLabels();
  void ComboBox1Change(TObject* Sender);
  void FanThresholdChanged(TObject* Sender);
  void TellTaleClearClick(TObject* Sender);
  void TelltaleToggleClick(TObject* Sender);
  void UserPanelClick(TObject* Sender);
  void UserSelectionChange(TObject* Sender);
  // --- menus and navigation (MainMenus.cpp) ---
  static void PublishMenus(TClassProps<TR7Tform1>& P);
  // "&Read MAP" and "&Program MAP" of the Comms menu.
  TMenuItem *ReadECUdata1 = nullptr, *ProgramECU1 = nullptr;
  void ReadECUdata1Click(TObject* Sender);
  void ProgramECU1Click(TObject* Sender);
  // Opens the additional-tables window / configuration editor at the page already chosen
  // in its notebook, modally, with this window's tab row hidden meanwhile.
  void CallUpAdditionalMap();
  void CallUpSetup();
  template <int Page> void AdditionalPageClick(TObject*);
  template <int Page> void SetupPageClick(TObject*);
  void Exit1Click(TObject* Sender);
  void SelectMAP1Click(TObject* Sender);
  void Commsport1Click(TObject* Sender);
  void DataLogger1Click(TObject* Sender);
  void Plotgraph1Click(TObject* Sender);
  void Ignitionalignment1Click(TObject* Sender);
  void ThrottlePositionSensor2Click(TObject* Sender);
  void Immobiliser1Click(TObject* Sender);
  void MapLock1Click(TObject* Sender);
  void Displayunits1Click(TObject* Sender);
  void Diagdata1Click(TObject* Sender);
  void About1Click(TObject* Sender);
  void TractionControl1Click(TObject* Sender);
  void PopUpTPS1Click(TObject* Sender);
  void PopUpMAP1Click(TObject* Sender);
  void PopUpLoadsitepositions1Click(TObject* Sender);
  void Speedsitepositions1Click(TObject* Sender);
  void Adjustturns1Click(TObject* Sender);
  // --- map files: open, save, preview (MainFiles.cpp) ---
  static void PublishFiles(TClassProps<TR7Tform1>& P);
  void Open1Click(TObject* Sender);
  void Savefile1Click(TObject* Sender);
  // The open dialog every window opens files with (comments panel at its right, options
  // panel below), and the map save dialog (options panel below); made on first use.
  TApOpenDialog* ApOpenDialog1();
  TApSaveDialog* ApSaveDialog1();
  // The plain save dialog of configuration files, logs and log workbooks; made on first use.
  TSaveDialog* SaveDialog1();
  // Shows in the panels what a map file or an old text map file holds (MainFiles.cpp).
  void PreviewMapSelection(const AnsiString& FileName);
  // The map save dialog's first file-name change, as it comes up, hands the options panel's
  // map boxes to the user (Form1->Tag 1 becomes 0).
  void ApSaveDialog1FilenameChange(TObject* Sender);
  // --- the open dialog's preview (MainPreview.cpp) ---
  // Every selection in ApOpenDialog1 is previewed by the kind of file its caller opens
  // (Form2->Tag: 1 map, 2 configuration, 3 firmware update, 4 log). The change the dialog
  // makes as it opens is skipped while ApOpenDialog1->Tag is 1.
  void ApOpenDialog1FilenameChange(TObject* Sender);
  // Map files: the default extension follows the filter chosen.
  void ApOpenDialog1TypeChange(TObject* Sender);

 private:
  void FirstActivation();
  void CreateLinkComponents();
  void OpenSavedPort();
  void ShapeGrids();
  void FillBatteryCompensation();
  void FillMainGridAxes();
  void FillChannelSelectors();
  void ShowLinkLost();
  // The link is gone (the ECU fell silent or the port closed): live values and texts reset.
  void LinkDown();
  // The link was lost: placeholders in every live text instead of the last values.
  void ShowLivePlaceholders();
  // The immobiliser state of the slow packet's lock bits (ECUImmobilised).
  void UpdateImmobiliser();
  void ShutDownLink();

  std::unique_ptr<ecu::PacketHandler> packets_;
  // Timer1's second: the warning colours alternate on odd and even seconds.
  bool blink_phase_ = false;
  // The cranking table's cell marked as the cranking site, and its colour before.
  int crank_marked_row_ = -1;
  TColor crank_marked_colour_ = clWhite;
  // The live packets' dashboard, drawn at most about five times a second while the
  // packets come from the line (RefreshLiveDisplays); the last values always land.
  std::unique_ptr<TAbPacedCall> live_refresh_;
  bool pace_live_ = false;  // the packet being handled came from the line
  bool fast_due_ = false, slow_due_ = false;  // what the next refresh shows
  // The mark's cell as the packets left it, and as the tables show it.
  std::optional<ecu::GridCell> live_mark_, live_mark_shown_;
  // The target display as last drawn: its size and the cross's pixel.
  struct TargetDrawn {
    int w = -1, h = -1, x = 0, y = 0;
  } target_drawn_;
  // The map pages' titles' font size as the form gives it; a low window draws them smaller.
  int title_font_size_ = 0;
  std::deque<std::function<void()>> live_actions_;
  bool live_action_running_ = false;
  bool trigger_timer_allowed_ = false;  // the window has been activated and is not closing
};

extern TR7Tform1* R7Tform1;

// Main-window state shared with the live displays and the logger.
extern bool MainWindowActivated;
extern int32_t MapBoxItem1, MapBoxItem2;  // live-adjust item shown in each live box
extern std::array<int32_t, 7> LiveCellTrim;  // [1..6]
// Range of live value + trim per item [1..6]; RefreshMapTables moves item 6 with the
// map's VVT offset.
extern std::array<int32_t, 7> LiveCellMin, LiveCellMax;
// Bit 0: an ignition trim key was used, bit 1: an injection trim key; the cell written
// by the next Enter is then marked red.
extern int32_t LiveEditMarks;
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
