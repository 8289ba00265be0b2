#include "logger/LoggerExport.h"

#include "controls/AdvSpin.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"

TLoggerExportForm* LoggerExportForm = nullptr;

void TLoggerExportForm::Publish(TClassProps<TLoggerExportForm>& P) {
  P.Field("PaintBox1", &TLoggerExportForm::PaintBox1)
      .Field("GroupBox1", &TLoggerExportForm::GroupBox1)
      .Field("StartStamp", &TLoggerExportForm::StartStamp)
      .Field("StopStamp", &TLoggerExportForm::StopStamp)
      .Field("Button1", &TLoggerExportForm::Button1)
      .Field("GroupBox2", &TLoggerExportForm::GroupBox2)
      .Field("ExcelSamples", &TLoggerExportForm::ExcelSamples)
      .Field("Label1", &TLoggerExportForm::Label1)
      .Field("BitBtn2", &TLoggerExportForm::BitBtn2)
      .Field("BitBtn3", &TLoggerExportForm::BitBtn3)
      .Field("BitBtn1", &TLoggerExportForm::BitBtn1);
}
