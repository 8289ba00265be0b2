#include "logger/LoggerExport.h"

#include <algorithm>
#include <cmath>

#include "app/Main.h"
#include "controls/AdvSpin.h"
#include "logger/AbPrtTrd.h"
#include "logger/AbTrend.h"
#include "logger/XLSWrite.h"
#include "logger/logger.h"
#include "model/ChannelFunctions.h"
#include "model/Settings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Printer.h"
#include "platform/stdctrls/ScrollCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/FileDialogs.h"
#include "platform/ui/Dialogs.h"

TLoggerExportForm* LoggerExportForm = nullptr;

namespace {

constexpr int kMinClientWidth = 619, kMinClientHeight = 391;
constexpr const char* kPrintTitle = "Corvane R7TQ log";

// Cell formats of the export, by index.
enum { kTitle = 0, kChanHead = 1, kHeadings = 2, kTimeStamp = 3, kData1 = 4, kDateTime = 12 };

TExcelFont ArialFont(int size, TExcelFontStyles style = {}, TExcelUnderline underline = xulNone, uint16_t colour = 8) {
  TExcelFont f;
  f.Name = "Arial";
  f.Size = size;
  f.Style = style;
  f.Underline = underline;
  f.Color = colour;
  return f;
}

}  // namespace

void SetUpLogWriter(TXLSWrite& w) {
  w.SetXLSVersion(xls50);
  w.Sheets() = {"data log"};
  w.Font() = ArialFont(10);
  w.SetOptions({soGridlines, soRowColHeadings});
  w.FuncArgSeparator = ',';
  w.ReservedExtnamesSize = 256;
  w.PageSetup().Options = {psoPortrait};
  w.PageSetup().ScalingFactor = 46;
  w.Formats().clear();
  auto add = [&](const char* name, TExcelFont font, TTextFormat tf, const char* user, THorizAlignment align) {
    TCellFormat& f = w.AddFormat();
    f.Name = name;
    f.Font = font;
    f.TextFormat = tf;
    f.TextFormatUser = user;
    f.HorizAlignment = align;
  };
  add("Title", ArialFont(18, {xfsBold, xfsItalic}, xulNone, 19), tfGeneral, "", haCenter);
  add("ChanHead", ArialFont(12, {xfsBold}), tfGeneral, "", haCenter);
  add("Headings", ArialFont(10, {}, xulSingle), tfGeneral, "", haCenter);
  add("TimeStamp", ArialFont(10), tfUser, "hh:mm:ss.000", haRight);
  for (int n = 1; n <= 8; ++n) add(("Data" + IntToStr(n)).c_str(), ArialFont(10), tfUser, "###0", haRight);
  add("DateTime", ArialFont(10), tfUser, "dd/mm/yyyy hh:mm", haGeneral);
}

namespace {

int FunctionOfChannel(int n) {
  const int f = LoggerSettings.Channels[n];
  return f >= 0 && f < kChannelFunctionSlots ? f : 0;
}

}  // namespace

TXLSWrite* XLSWrite1() {
  TComponent* owner = R7Tform1 != nullptr ? static_cast<TComponent*>(R7Tform1) : LoggerExportForm;
  if (owner == nullptr) return nullptr;
  if (auto* w = dynamic_cast<TXLSWrite*>(owner->FindComponent("XLSWrite1"))) return w;
  auto* w = new TXLSWrite(owner);
  w->SetName("XLSWrite1");
  SetUpLogWriter(*w);
  return w;
}

void WriteLogSheet(TXLSWrite& w, TAbTrend& trend, int Start, int Stop, int Samples, TDateTime Now) {
  // Headings.
  w.WriteString(0, 9, "Time Stamp", kHeadings);
  w.SetColumnWidth(0, 0, (10 + 2) * 256, -1);
  w.WriteString(1, 9, "Elapsed Time", kHeadings);
  w.SetColumnWidth(1, 1, 3584, -1);
  std::array<int, 9> fn{};
  for (int n = 1; n <= 8; ++n) {
    fn[static_cast<size_t>(n)] = FunctionOfChannel(n);
    const size_t f = static_cast<size_t>(fn[static_cast<size_t>(n)]);
    w.WriteString(n + 1, 8, "Ch" + IntToStr(n), kChanHead);
    const AnsiString heading =
        ChannelFunctionName[f].substr(0, 15) + " (" + ChannelFunctionUnit[f].substr(0, 6) + ")";
    w.WriteString(n + 1, 9, heading, kHeadings);
    if (heading.size() > 8) w.SetColumnWidth(n + 1, n + 1, static_cast<int>(heading.size() + 2) * 256, -1);
  }
  w.WriteString(2, 2, "Corvane R7TQ data log", kTitle);
  w.WriteString(2, 3, FormatDateTime("dd/mm/yyyy hh:nn", Now), kChanHead);
  w.WriteString(2, 4, IntToStr(Samples) + "% data sample", kChanHead);

  // Data rows. The range is taken whole: its first and its last record are exported.
  const int step = std::max(1, 100 / std::clamp(Samples, 1, 100));
  const int first = std::max(0, Start);
  const int last = std::min(Stop, trend.RecordCount() - 1);
  // A record holds each channel's digits above the bottom of its range. The cell gets the
  // value as the log shows it: the function's From plus the digits' worth, rounded to the
  // channel's decimals, so that 55.6 is written as 55.6 and not as the single-precision
  // 55.599998... the digits' worth comes to.
  std::array<double, 9> perDigit{}, decimalScale{};
  for (int n = 1; n <= 8; ++n) {
    const size_t k = static_cast<size_t>(n);
    TChSettings* ch = trend.Channel(n);
    const int span = ch->DigitalTo() - ch->DigitalFrom();
    perDigit[k] = span > 0 ? (static_cast<double>(ch->ValueTo()) - ch->ValueFrom()) / span : 0.0;
    decimalScale[k] = std::pow(10.0, std::clamp(ChannelFunctionDecimals[static_cast<size_t>(fn[k])], 0, 6));
  }
  const std::vector<TTrendRecord>& records = trend.Records();
  int row = 10;
  bool gap = false;
  TDateTime ref = first <= last ? records[static_cast<size_t>(first)].Time : 0;
  for (int i = first; i <= last; i += step) {
    const TTrendRecord& r = records[static_cast<size_t>(i)];
    const TDateTime t = r.Time;
    if (t != 0) {
      w.WriteNumber(0, row, t, kTimeStamp);
      if (ref == 0 && !gap) ref = t;
    }
    if (t == 0 && !gap) {
      gap = true;
      ++row;
    }
    if (t != 0) {
      w.WriteNumber(1, row, t - ref, kTimeStamp);
      for (int n = 1; n <= 8; ++n) {
        const size_t k = static_cast<size_t>(n);
        const double v = ChannelFunctionFrom[static_cast<size_t>(fn[k])] + r.Values[k - 1] * perDigit[k];
        w.WriteNumber(n + 1, row, std::nearbyint(v * decimalScale[k]) / decimalScale[k], kData1 + n - 1);
      }
      gap = false;
    }
    if (!gap) ++row;
  }
}

TLoggerExportForm::TLoggerExportForm(TComponent* AOwner) : TForm(AOwner) {
  AbPrintTrend1 = new TAbPrintTrend(this);
  PrintDialog1 = new TPrintDialog(this);
}

void TLoggerExportForm::Publish(TClassProps<TLoggerExportForm>& P) {
  P.Field("ScrollBox1", &TLoggerExportForm::ScrollBox1)
      .Field("PaintBox1", &TLoggerExportForm::PaintBox1)
      .Field("Panel1", &TLoggerExportForm::Panel1)
      .Field("GroupBox1", &TLoggerExportForm::GroupBox1)
      .Field("Label2", &TLoggerExportForm::Label2)
      .Field("Label3", &TLoggerExportForm::Label3)
      .Field("StartStamp", &TLoggerExportForm::StartStamp)
      .Field("StopStamp", &TLoggerExportForm::StopStamp)
      .Field("UpDown1", &TLoggerExportForm::UpDown1)
      .Field("UpDown2", &TLoggerExportForm::UpDown2)
      .Field("Button1", &TLoggerExportForm::Button1)
      .Field("GroupBox2", &TLoggerExportForm::GroupBox2)
      .Field("ExcelSamples", &TLoggerExportForm::ExcelSamples)
      .Field("Label1", &TLoggerExportForm::Label1)
      .Field("BitBtn2", &TLoggerExportForm::BitBtn2)
      .Field("BitBtn3", &TLoggerExportForm::BitBtn3)
      .Field("BitBtn1", &TLoggerExportForm::BitBtn1)
      .Handler("FormCreate", &TLoggerExportForm::FormCreate)
      .Handler("FormShow", &TLoggerExportForm::FormShow)
      .Handler("FormResize", &TLoggerExportForm::FormResize)
      .Handler("Button1Click", &TLoggerExportForm::Button1Click)
      .Handler("UpDown1Click", &TLoggerExportForm::UpDown1Click)
      .Handler("UpDown2Click", &TLoggerExportForm::UpDown2Click)
      .Handler("ExcelSamplesChange", &TLoggerExportForm::ExcelSamplesChange)
      .Handler("BitBtn2Click", &TLoggerExportForm::BitBtn2Click)
      .Handler("BitBtn3Click", &TLoggerExportForm::BitBtn3Click);
}

TAbTrend* TLoggerExportForm::Trend() const { return LoggerForm != nullptr ? LoggerForm->DataPlotter : nullptr; }

void TLoggerExportForm::FormCreate(TObject*) {
  TAbPrintTrend& p = *AbPrintTrend1;
  p.SetFormat(pfMetric);
  p.SetFontSize(26);
  p.SetFontSizeCaption(50);
  p.SetScaleSpacing(0);
  p.SetTrendSpace(26);
  p.SetOuterBorder(26);
  p.SetRecFrom(0);
  p.SetRecTo(1000);
  p.SetTimeScaleSteps(5);
  p.SetOptions({ptCaption, ptLegend, ptColor, ptVerticalScale});
  p.Font()->SetName("Arial");
  p.SetPreviewZoom(0.5);
  p.SetLogPixelScreen(96);
  p.SetBkColor(clWhite);
  TLegendCaptions captions;
  captions.ChannelNo = "Chan";
  p.Legend()->SetCaptions(captions);
  p.Legend()->SetOptions({loName1, loMin, loMinTime, loMax, loMaxTime, loUnit});
  p.Legend()->SetPosition(TLegendPosition::lpSplit);
  p.Legend()->SetMargin(26);
  p.SetPreviewPaintBox(PaintBox1);
  FormResize(nullptr);
}

void TLoggerExportForm::FormResize(TObject*) {
  if (ClientWidth() < kMinClientWidth || ClientHeight() < kMinClientHeight) {
    SetClientSize(std::max(ClientWidth(), kMinClientWidth), std::max(ClientHeight(), kMinClientHeight));
    return;
  }
  const int side = Panel1 != nullptr ? Panel1->Width() : 0;
  AbPrintTrend1->SetWidth(static_cast<int>(std::lrint((ClientWidth() - 12 - side) * 5.29)));
  AbPrintTrend1->SetHeight(static_cast<int>(std::lrint((ClientHeight() - 32) * 5.29)));
}

void TLoggerExportForm::ShowStamp(TEdit* edit, int record) {
  TAbTrend* t = Trend();
  TDateTime when = 0;
  std::array<float, 8> values{};
  if (t != nullptr && t->GetRecord(record, when, values)) edit->SetText(FormatDateTime("hh:nn:ss.zzz", when));
}

void TLoggerExportForm::SetRange(int Start, int Stop) {
  start_ = Start;
  stop_ = Stop;
  AbPrintTrend1->SetTrend(Trend());
  AbPrintTrend1->SetRecFrom(start_);
  AbPrintTrend1->SetRecTo(stop_);
  ShowStamp(StartStamp, start_);
  ShowStamp(StopStamp, stop_);
}

void TLoggerExportForm::FormShow(TObject*) {
  TAbTrend* t = Trend();
  if (t == nullptr) return;
  SetRange(t->RecordInfo().FirstDisplayedRec, t->RecordInfo().LastDisplayedRec);
}

void TLoggerExportForm::Button1Click(TObject*) {
  TAbTrend* t = Trend();
  if (t != nullptr) SetRange(0, t->RecordInfo().TotalRecords);
}

void TLoggerExportForm::UpDown1Click(TObject*, TUDBtnType Button) {
  UpDown1->SetPosition(0);
  if (Button == btNext && start_ < stop_ - 10)
    start_ += 10;
  else if (Button == btPrev && start_ >= 11)
    start_ -= 10;
  AbPrintTrend1->SetRecFrom(start_);
  AbPrintTrend1->SetRecTo(stop_);
  ShowStamp(StartStamp, start_);
}

void TLoggerExportForm::UpDown2Click(TObject*, TUDBtnType Button) {
  UpDown2->SetPosition(0);
  TAbTrend* t = Trend();
  const int total = t != nullptr ? t->RecordInfo().TotalRecords : 0;
  if (Button == btNext && stop_ < total - 10)
    stop_ += 10;
  else if (Button == btPrev && start_ + 10 < stop_)
    stop_ -= 10;
  AbPrintTrend1->SetRecFrom(start_);
  AbPrintTrend1->SetRecTo(stop_);
  ShowStamp(StopStamp, stop_);
}

void TLoggerExportForm::ExcelSamplesChange(TObject*) { LoggerSettings.ExportSamples = ExcelSamples->Value(); }

void TLoggerExportForm::BitBtn2Click(TObject*) {
  if (!PrintDialog1->Execute()) return;
  TPrinter* printer = Printer();
  printer->SetTitle(kPrintTitle);
  printer->SetOrientation(poLandscape);
  AbPrintTrend1->SetTrend(Trend());
  try {
    AbPrintTrend1->Print(100, 50);
  } catch (const Exception& e) {
    MessageDlg("The log could not be printed.\r\n" + e.Message(), mtError, TMsgDlgButtons{mbOK});
  }
}

void TLoggerExportForm::BitBtn3Click(TObject*) {
  TAbTrend* t = Trend();
  if (t == nullptr) return;
  if (R7Tform1 == nullptr) return;
  TSaveDialog* dialog = R7Tform1->SaveDialog1();
  dialog->DefaultExt = "xls";
  dialog->FileName = "*.xls";
  dialog->InitialDir = Settings.LogPath;
  dialog->Filter = "Excel files|*.xls";
  dialog->FilterIndex = 1;
  dialog->OverwritePrompt = false;  // asked below
  if (!dialog->Execute()) return;
  const AnsiString name = dialog->FileName;
  if (FileExists(name)) {
    MessageBeep(0);
    if (MessageDlg("This file (" + ExtractFileName(name) + kExportOverwriteQuestion, mtWarning, mbYesNoCancel) != mrYes)
      return;
  }
  TXLSWrite& w = *XLSWrite1();
  for (int n = 1; n <= 8; ++n) {
    const int decimals = ChannelFunctionDecimals[static_cast<size_t>(FunctionOfChannel(n))];
    w.Formats()[static_cast<size_t>(kTimeStamp + n)].TextFormatUser =
        decimals <= 0 ? AnsiString("###0") : "###0." + AnsiString(static_cast<size_t>(decimals), '0');
  }
  Settings.LogPath = ExtractFilePath(name);
  w.SetFileName(name);
  // The workbook replaces the file only once it is whole: a failure on the way leaves
  // the file that was there.
  try {
    w.Open();
    WriteLogSheet(w, *t, start_, stop_, LoggerSettings.ExportSamples, Now());
    w.Close();
  } catch (const Exception& e) {
    w.Abandon();
    MessageDlg(AnsiString(kExportError) + "\r\n" + e.Message(), mtError, TMsgDlgButtons{mbOK});
  }
}
