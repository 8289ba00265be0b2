#pragma once
// The spreadsheet writer: writes workbooks in the BIFF record format, cell by cell. BIFF4
// is a plain file holding one worksheet; BIFF5 ("Book" stream) and BIFF8 ("Workbook"
// stream) workbooks live inside a compound document. Besides number and text cells it
// writes column widths, merged ranges (BIFF8), fonts, cell formats, sheet options and the
// page setup.
//
// Nothing reaches the target file before Close: the workbook is built in memory and then
// replaced in one step, so a save that fails keeps the file that was there.
#include <array>
#include <cstdint>
#include <unordered_map>
#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/graphics/SmallSet.h"
#include "platform/rtl/AnsiString.h"

namespace os {
class CompoundDocument;
class CompoundStream;
}  // namespace os

enum TXLSVersion { xls40, xls50, xls97 };

enum TExcelFontStyle { xfsBold, xfsItalic, xfsStrikeOut };
using TExcelFontStyles = SmallSet<TExcelFontStyle>;
enum TExcelSubSuper { xssNone, xssSuperscript, xssSubscript };
enum TExcelUnderline { xulNone, xulSingle, xulDouble, xulSingleAccount, xulDoubleAccount };

struct TExcelFont {
  uint8_t Charset = 0;
  uint16_t Color = 0x7FFF;  // palette index; 0x7FFF the window text colour
  AnsiString Name = "Arial";
  int Size = 10;  // points
  TExcelFontStyles Style;
  TExcelSubSuper SubSuperScript = xssNone;
  TExcelUnderline Underline = xulNone;
  bool operator==(const TExcelFont& o) const {
    return Charset == o.Charset && Color == o.Color && Name == o.Name && Size == o.Size && Style == o.Style &&
           SubSuperScript == o.SubSuperScript && Underline == o.Underline;
  }
};

enum TTextFormat {
  tfGeneral, tf2Dec, tf0Dec1000, tf2Dec1000, tfPercent, tfCurrency0Dec, tfCurrency2Dec, tfDate, tfTime, tfText, tfUser
};
enum THorizAlignment { haGeneral, haLeft, haCenter, haRight, haFill, haJustify, haCenterAcross };
enum TVertAlignment { vaTop, vaCenter, vaBottom, vaJustify };
enum TCellProtection { cpLocked, cpHidden };
using TCellProtections = SmallSet<TCellProtection>;
enum TCellSide { cbLeft, cbRight, cbTop, cbBottom };
using TCellBorder = SmallSet<TCellSide>;

struct TCellFormat {
  AnsiString Name;
  TExcelFont Font;
  TTextFormat TextFormat = tfGeneral;
  AnsiString TextFormatUser;
  bool WrapText = false;
  int CellColor = -1;  // palette index; -1 none
  TCellProtections Protection{cpLocked};
  THorizAlignment HorizAlignment = haGeneral;
  TVertAlignment VertAlignment = vaBottom;
  TCellBorder Border;
};

enum TSheetOption { soGridlines, soRowColHeadings, soProtected };
using TSheetOptions = SmallSet<TSheetOption>;
enum TPageSetupOption { psoLeftToRight, psoPortrait, psoNoColor, psoDraftQuality, psoPrintNotes };
using TPageSetupOptions = SmallSet<TPageSetupOption>;

struct TPageSetup {
  int Copies = 1;
  double FooterMargin = 0.5, HeaderMargin = 0.5;
  TPageSetupOptions Options{psoPortrait};
  int ScalingFactor = 46;
  int StartingPage = 1;
  double MarginLeft = -1.0, MarginRight = -1.0, MarginTop = -1.0, MarginBottom = -1.0;
};

struct TBIFFHeader {
  uint16_t RecID = 0;
  uint16_t Length = 0;
};
using TRecordEvent = std::function<void(TObject* Sender, TBIFFHeader& Header, std::vector<uint8_t>& Data)>;

class TCustomXLSWrite : public TComponent {
 public:
  explicit TCustomXLSWrite(TComponent* AOwner = nullptr);
  ~TCustomXLSWrite() override;
  const char* ClassName() const override { return "TCustomXLSWrite"; }

  const AnsiString& FileName() const { return file_name_; }
  void SetFileName(const AnsiString& v) { file_name_ = v; }
  TXLSVersion XLSVersion() const { return version_; }
  void SetXLSVersion(TXLSVersion v);
  std::vector<AnsiString>& Sheets() { return sheets_; }
  int CurrSheetIndex() const { return curr_sheet_; }
  TExcelFont& Font() { return font_; }
  std::vector<TCellFormat>& Formats() { return formats_; }
  // A new format: "Format " + its index, Arial 10, no cell colour.
  TCellFormat& AddFormat();
  TSheetOptions Options() const { return options_; }
  void SetOptions(TSheetOptions v) { options_ = v; }
  bool RecalcFormulas = false;
  bool WriteGlobalData = false;
  AnsiString StrTRUE = "TRUE", StrFALSE = "FALSE";
  TPageSetup& PageSetup() { return page_setup_; }
  int ReservedExtnamesSize = 256;
  char FuncArgSeparator = ';';
  bool FileIsOpen() const { return open_; }
  int MaxBuffsize() const { return version_ == xls97 ? 8224 : 2080; }
  TRecordEvent OnWriteData;

  void Open();
  // Writes what is still due and replaces the target file with the workbook. Does nothing
  // when no file is open.
  void Close();
  // Drops the workbook being written; the target file stays as it was.
  void Abandon();
  void NextSheet();
  void WriteNumber(int Col, int Row, double Value, int FormatIndex);
  void WriteString(int Col, int Row, const AnsiString& Text, int FormatIndex);
  void SetColumnWidth(int FirstCol, int LastCol, int Width, int FormatIndex);
  // A merged range (BIFF8 only); written when the sheet ends.
  void MergeCells(int FirstRow, int LastRow, int FirstCol, int LastCol);

  // The XF index that cells of format `FormatIndex` carry.
  int XFIndex(int FormatIndex) const;

 private:
  struct Sink;
  void WriteRecord(uint16_t id, std::vector<uint8_t> data);
  void WriteDirect(uint16_t id, const std::vector<uint8_t>& data);
  void WriteGlobals();
  void BeginSheet();
  void WriteSheetSettings();
  void WriteWindowRecords();
  void EndSheetRecords();
  void InsertSST();
  void AddSSTPiece(size_t length);
  uint32_t AddString(const AnsiString& text);
  void EndDimensions4();
  void CheckOpen() const;
  void CheckCell(int Col, int Row) const;
  void Track(int Col, int Row);
  std::vector<uint8_t> CellFormatXF(size_t k) const;
  std::vector<uint8_t> FontRecord(const TExcelFont& f) const;
  int FontListIndex(const TExcelFont& f);

  AnsiString file_name_;
  TXLSVersion version_ = xls50;
  std::vector<AnsiString> sheets_{"Sheet1"};
  int curr_sheet_ = -1;
  TExcelFont font_;
  std::vector<TCellFormat> formats_;
  TSheetOptions options_{soGridlines, soRowColHeadings};
  TPageSetup page_setup_;
  bool open_ = false;

  std::unique_ptr<Sink> sink_;
  std::vector<TExcelFont> font_list_;
  std::vector<int64_t> boundsheet_pos_;
  int64_t sst_pos_ = 0;
  int64_t dimensions_pos_ = 0;
  // Shared strings and the record layout of the table so far.
  std::vector<AnsiString> strings_;
  std::unordered_map<uint16_t, std::vector<uint32_t>> string_index_;  // by text hash
  std::vector<uint32_t> sst_lengths_;
  uint32_t sst_current_ = 8;
  uint32_t sst_total_ = 8;
  std::vector<std::array<uint16_t, 4>> merged_;
  int first_row_ = -1, last_row_ = -1, first_col_ = -1, last_col_ = -1;
};

class TXLSWrite : public TCustomXLSWrite {
 public:
  using TCustomXLSWrite::TCustomXLSWrite;
  const char* ClassName() const override { return "TXLSWrite"; }
};
