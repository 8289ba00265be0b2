#pragma once
// The log preview window: prints a range of the log and exports it to a spreadsheet workbook.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAdvSpinEdit;
class TBitBtn;
class TButton;
class TEdit;
class TGroupBox;
class TLabel;
class TPaintBox;

class TLoggerExportForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TLoggerExportForm"; }
  static void Publish(TClassProps<TLoggerExportForm>& P);

  TPaintBox* PaintBox1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TEdit* StartStamp = nullptr;
  TEdit* StopStamp = nullptr;
  TButton* Button1 = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TAdvSpinEdit* ExcelSamples = nullptr;
  TLabel* Label1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;
  TBitBtn* BitBtn3 = nullptr;
  TBitBtn* BitBtn1 = nullptr;
};

extern TLoggerExportForm* LoggerExportForm;
