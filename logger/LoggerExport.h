#pragma once
// The log preview window: shows a range of the logger's records as a printed page, lets the
// user move the start and stop of the range, prints it, and exports it to a spreadsheet
// workbook.
#include "platform/rtl/DateUtils.h"
#include "platform/stdctrls/ComCtrls.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAbPrintTrend;
class TAbTrend;
class TAdvSpinEdit;
class TBitBtn;
class TButton;
class TEdit;
class TGroupBox;
class TLabel;
class TPaintBox;
class TPanel;
class TPrintDialog;
class TScrollBox;
class TUpDown;
class TXLSWrite;

class TLoggerExportForm : public TForm {
 public:
  explicit TLoggerExportForm(TComponent* AOwner);
  const char* ClassName() const override { return "TLoggerExportForm"; }
  static void Publish(TClassProps<TLoggerExportForm>& P);

  TScrollBox* ScrollBox1 = nullptr;
  TPaintBox* PaintBox1 = nullptr;
  TPanel* Panel1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TLabel *Label2 = nullptr, *Label3 = nullptr;
  TEdit* StartStamp = nullptr;
  TEdit* StopStamp = nullptr;
  TUpDown *UpDown1 = nullptr, *UpDown2 = nullptr;
  TButton* Button1 = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TAdvSpinEdit* ExcelSamples = nullptr;
  TLabel* Label1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;
  TBitBtn* BitBtn3 = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TAbPrintTrend* AbPrintTrend1 = nullptr;
  TPrintDialog* PrintDialog1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormResize(TObject* Sender);
  void Button1Click(TObject* Sender);
  void UpDown1Click(TObject* Sender, TUDBtnType Button);
  void UpDown2Click(TObject* Sender, TUDBtnType Button);
  void ExcelSamplesChange(TObject* Sender);
  void BitBtn2Click(TObject* Sender);
  void BitBtn3Click(TObject* Sender);

  int RangeStart() const { return start_; }
  int RangeStop() const { return stop_; }
  void SetRange(int Start, int Stop);

 private:
  TAbTrend* Trend() const;
  void ShowStamp(TEdit* Edit, int Record);
  int start_ = 0, stop_ = 1000;
};

extern TLoggerExportForm* LoggerExportForm;

// The main window's spreadsheet writer, set up for the log export.
TXLSWrite* XLSWrite1();
// Gives a writer the log export's settings: a BIFF5 workbook of one sheet "data log" and
// its thirteen cell formats.
void SetUpLogWriter(TXLSWrite& Writer);

// Writes records Start..Stop of the trend (both included, as far as they exist) to the
// workbook `Writer` has open, every (100 div Samples)-th record, with the headings of the
// log export. Separator records leave one empty row.
void WriteLogSheet(TXLSWrite& Writer, TAbTrend& Trend, int Start, int Stop, int Samples, TDateTime Now);

// Texts of the preview window.
inline constexpr const char* kExportOverwriteQuestion = ") already exists!, Overwrite it?";
inline constexpr const char* kExportError = "The workbook could not be written";
