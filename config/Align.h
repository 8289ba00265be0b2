#pragma once
// The throttle-sensor alignment window: learns the travel of the throttle potentiometer and sets the pot numbers.
#include <cstdint>

#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAdvSpinEdit;
class TBitBtn;
class TCheckBox;
class TComboBox;
class TGroupBox;
class TLabel;
class TMemo;
class TPanel;

namespace config {

// A learnt travel of this many counts or less is no real throttle movement.
inline constexpr int kSmallestThrottleRange = 200;
inline constexpr int kHighestPotNumber = 1023;

// What the learnt counts give: the range the ECU is told, and the pot numbers of the maps.
struct ThrottleLearning {
  int min = 0, max = 0, range = 0;
  int idlePot = 0, cutPot = 0;
  bool accepted = false;  // range above kSmallestThrottleRange
};
ThrottleLearning LearnThrottle(int min, int max, int idleOffset, int cutOffset);

// Where the ECU keeps the idle-switch pot number of bank 1..3; the overrun cut-off pot
// number follows 6 bytes on.
uint16_t IdlePotAddress(int bank);
uint16_t CutPotAddress(int bank);

class TAlignment : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TAlignment"; }
  static void Publish(TClassProps<TAlignment>& P);

  TMemo* alignment_info = nullptr;
  TGroupBox* sensorbox = nullptr;
  TPanel* sensor_number = nullptr;
  TGroupBox* loadsitebox = nullptr;
  TPanel* loadsite_number = nullptr;
  TCheckBox* AutoIdlePotNum = nullptr;
  TAdvSpinEdit* IdlePotNumOffset = nullptr;
  TCheckBox* AutoCutPotNum = nullptr;
  TAdvSpinEdit* CutPotNumOffset = nullptr;
  TLabel* Label1 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TBitBtn* ok = nullptr;
  TBitBtn* cancel = nullptr;
  TBitBtn* invert = nullptr;

  // Every opening starts afresh; a message box closing over the window does not.
  void FormShow(TObject* Sender);
  void okClick(TObject* Sender);
  void invertClick(TObject* Sender);
  void AutoIdlePotNumClick(TObject* Sender);
  void AutoCutPotNumClick(TObject* Sender);
  void IdlePotNumOffsetChange(TObject* Sender);
  void CutPotNumOffsetChange(TObject* Sender);
  void ComboBox1Change(TObject* Sender);

  // The live counts and load site of a fast packet while the window is shown.
  void ShowLive(int counts, int loadSite);
  int Step() const { return step_; }

 private:
  void ShowLines(std::initializer_list<const char*> lines);
  void StartLearning();
  void ShowResult();
  void ShowLearnt();
  void SendResult();

  int step_ = 0;
  ThrottleLearning learnt_;
};

}  // namespace config

extern config::TAlignment* Alignment;

// Shown when OK needs the ECU and the link is down.
inline constexpr const char* kAlignNotConnected = "ECU not connected or not powered up.  Please check!";
