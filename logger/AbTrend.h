#pragma once
// The logger's trend recorder. So far it only keeps whether it is recording and draws
// its frame; the plot comes with the data logger.
#include "platform/ui/Controls.h"

class TAbTrend : public TCustomControl {
 public:
  explicit TAbTrend(TComponent* AOwner);
  const char* ClassName() const override { return "TAbTrend"; }
  bool StartRecording() const { return recording_; }
  void SetStartRecording(bool v) { recording_ = v; }
  void Paint() override;

 private:
  bool recording_ = false;
};

// Registers TAbTrend for form resources; later calls do nothing.
void RegisterTrendClasses();
