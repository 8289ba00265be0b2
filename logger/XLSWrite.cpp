#include "logger/XLSWrite.h"

#include <cstring>
#include <unordered_map>

#include "platform/classes/SafeFile.h"
#include "platform/os/CompoundDocument.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TextUtils.h"

namespace {

using Bytes = std::vector<uint8_t>;

void U8(Bytes& b, unsigned v) { b.push_back(static_cast<uint8_t>(v)); }
void U16(Bytes& b, unsigned v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void U32(Bytes& b, uint32_t v) {
  U16(b, v & 0xFFFF);
  U16(b, v >> 16);
}
void F64(Bytes& b, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  U32(b, static_cast<uint32_t>(bits));
  U32(b, static_cast<uint32_t>(bits >> 32));
}
void Text8(Bytes& b, const AnsiString& s) { b.insert(b.end(), s.begin(), s.end()); }
Bytes U16Data(unsigned v) {
  Bytes b;
  U16(b, v);
  return b;
}
void Put16(Bytes& b, size_t at, unsigned v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
uint32_t Get32(const Bytes& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// Record ids.
enum : uint16_t {
  kBOF4 = 0x0409, kBOF = 0x0809, kEOF = 0x000A, kXF4 = 0x0443, kXF = 0x00E0, kDimensions = 0x0200,
  kWriteAccess = 0x005C, kCodepage = 0x0042, kFnGroupCount = 0x009C, kExternCount = 0x0016,
  kExternSheet = 0x0017, kWindowProtect = 0x0019, kProtect = 0x0012, kPassword = 0x0013, kWindow1 = 0x003D,
  kBackup = 0x0040, kHideObj = 0x008D, kDateMode = 0x0022, kPrecision = 0x000E, kRefreshAll = 0x01B7,
  kBookBool = 0x00DA, kFormat = 0x041E, kFont = 0x0031, kStyle = 0x0293, kPaletteRec = 0x0092,
  kBoundSheet = 0x0085, kDSF = 0x0161, kTabId = 0x013D, kProt4Rev = 0x01AF, kProt4RevPass = 0x01BC,
  kUseSelfs = 0x0160, kCountry = 0x008C, kUncalced = 0x005E, kCalcMode = 0x000D, kCalcCount = 0x000C,
  kRefMode = 0x000F, kIteration = 0x0011, kDelta = 0x0010, kSaveRecalc = 0x005F, kPrintHeaders = 0x002A,
  kPrintGridlines = 0x002B, kGridSet = 0x0082, kGuts = 0x0080, kDefaultRowHeight = 0x0225, kWsBool = 0x0081,
  kHeader = 0x0014, kFooter = 0x0015, kHCenter = 0x0083, kVCenter = 0x0084, kLeftMargin = 0x0026,
  kRightMargin = 0x0027, kTopMargin = 0x0028, kBottomMargin = 0x0029, kSetup = 0x00A1, kDefColWidth = 0x0055,
  kWindow2 = 0x023E, kSelection = 0x001D, kNumber = 0x0203, kLabel = 0x0204, kLabelSST = 0x00FD,
  kColInfo = 0x007D, kMergedCells = 0x00E5, kSST = 0x00FC, kContinue = 0x003C
};

constexpr uint32_t kSSTRecord = 8224;  // largest BIFF8 record data

// The 16 fixed XFs of BIFF5 (style XFs 0..14, the default cell XF 15).
const uint8_t kXF5Normal[16] = {0, 0, 0, 0, 0xF5, 0xFF, 0x20, 0x00, 0xC0, 0x20, 0, 0, 0, 0, 0, 0};
const uint8_t kXF5Style[16] = {0, 0, 0, 0, 0xF5, 0xFF, 0x20, 0xF4, 0xC0, 0x20, 0, 0, 0, 0, 0, 0};
const uint8_t kXF5Cell[16] = {0, 0, 0, 0, 0x01, 0x00, 0x20, 0x00, 0xC0, 0x20, 0, 0, 0, 0, 0, 0};
const uint8_t kXF8Normal[20] = {0, 0, 0, 0, 0xF5, 0xFF, 0x20, 0, 0, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0x20};
const uint8_t kXF8Style[20] = {0, 0, 0, 0, 0xF5, 0xFF, 0x20, 0, 0, 0xF4, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0x20};
const uint8_t kXF8Cell[20] = {0, 0, 0, 0, 0x01, 0x00, 0x20, 0, 0, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0x20};

// The default palette of colour indices 8..63 as 0xRRGGBB.
const uint32_t kDefaultPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
    0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
    0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
    0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xE3E3E3,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
    0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

// Number formats 50..58 of the workbook, in the program's regional conventions.
const char* const kNumberFormats[9] = {"0.00",       "#,##0",         "#,##0.00",
                                       "0.00%",      "$#,##0;($#,##0)", "$#,##0.00;($#,##0.00)",
                                       "dd/mm/yyyy", "hh:mm",         "@"};

uint16_t TextHash(const AnsiString& s) {
  uint16_t h = 0;
  for (unsigned char c : s) h = static_cast<uint16_t>(((h << 5) | (h >> 11)) ^ c);
  return h;
}

}  // namespace

// Where the records go: a memory image of the BIFF4 file, or the workbook stream of a
// compound document. Both reach the disk only at Close.
struct TCustomXLSWrite::Sink {
  std::unique_ptr<os::CompoundDocument> doc;
  os::CompoundStream* stream = nullptr;
  Bytes plain;

  int64_t Position() const { return stream ? stream->Size() : static_cast<int64_t>(plain.size()); }
  void Append(const Bytes& b) {
    if (stream) {
      stream->Seek(0, os::SeekOrigin::End);
      stream->Write(b.data(), b.size());
    } else {
      plain.insert(plain.end(), b.begin(), b.end());
    }
  }
  void Patch(int64_t at, const Bytes& b) {
    if (stream) {
      stream->Seek(at, os::SeekOrigin::Begin);
      stream->Write(b.data(), b.size());
      stream->Seek(0, os::SeekOrigin::End);
    } else {
      std::copy(b.begin(), b.end(), plain.begin() + at);
    }
  }
  Bytes Read(int64_t at, size_t n) {
    Bytes b(n);
    stream->Seek(at, os::SeekOrigin::Begin);
    b.resize(stream->Read(b.data(), n));
    return b;
  }
};

TCustomXLSWrite::TCustomXLSWrite(TComponent* AOwner) : TComponent(AOwner) {}

TCustomXLSWrite::~TCustomXLSWrite() {
  try {
    Close();
  } catch (...) {
    // A destructor cannot report the failure; the old file stays as it was.
  }
}

void TCustomXLSWrite::SetXLSVersion(TXLSVersion v) {
  if (open_) throw Exception("Version can not be changed while file is open");
  version_ = v;
}

TCellFormat& TCustomXLSWrite::AddFormat() {
  TCellFormat f;
  f.Name = "Format " + IntToStr(static_cast<int64_t>(formats_.size()));
  formats_.push_back(f);
  return formats_.back();
}

int TCustomXLSWrite::XFIndex(int FormatIndex) const {
  if (version_ == xls40) return 0;
  return FormatIndex >= 0 ? FormatIndex + 16 : 15;
}

void TCustomXLSWrite::CheckOpen() const {
  if (!open_) throw Exception("Can not write cells when file is closed");
}

void TCustomXLSWrite::CheckCell(int Col, int Row) const {
  // Row and column are 16-bit fields of the cell records (and a sheet has 256 columns): a
  // cell beyond them would land on another cell.
  if (Row < 0 || Row > 65535 || Col < 0 || Col > 255)
    throw Exception("Cell R" + IntToStr(Row) + ",C" + IntToStr(Col) + ": outside the sheet (65536 rows, 256 columns)");
}

void TCustomXLSWrite::Track(int Col, int Row) {
  if (first_row_ < 0 || Row < first_row_) first_row_ = Row;
  if (Row > last_row_) last_row_ = Row;
  if (first_col_ < 0 || Col < first_col_) first_col_ = Col;
  if (Col > last_col_) last_col_ = Col;
}

void TCustomXLSWrite::WriteRecord(uint16_t id, Bytes data) {
  TBIFFHeader h{id, static_cast<uint16_t>(data.size())};
  if (OnWriteData) {
    OnWriteData(this, h, data);
    if (static_cast<int>(data.size()) > MaxBuffsize())
      throw Exception("Data size to large, max " + IntToStr(MaxBuffsize()) + " bytes");
    h.Length = static_cast<uint16_t>(data.size());
  }
  if (static_cast<int>(data.size()) > MaxBuffsize())
    throw Exception("Data size to large, max " + IntToStr(MaxBuffsize()) + " bytes");
  Bytes rec;
  rec.reserve(4 + data.size());
  U16(rec, h.RecID);
  U16(rec, h.Length);
  rec.insert(rec.end(), data.begin(), data.end());
  sink_->Append(rec);
}

void TCustomXLSWrite::WriteDirect(uint16_t id, const Bytes& data) {
  Bytes rec;
  U16(rec, id);
  U16(rec, static_cast<unsigned>(data.size()));
  rec.insert(rec.end(), data.begin(), data.end());
  sink_->Append(rec);
}

int TCustomXLSWrite::FontListIndex(const TExcelFont& f) {
  for (size_t i = 0; i < font_list_.size(); ++i)
    if (font_list_[i] == f) return static_cast<int>(i);
  font_list_.push_back(f);
  return static_cast<int>(font_list_.size() - 1);
}

Bytes TCustomXLSWrite::FontRecord(const TExcelFont& f) const {
  Bytes b;
  U16(b, static_cast<unsigned>(f.Size * 20));
  U16(b, (f.Style.Contains(xfsItalic) ? 2 : 0) | (f.Style.Contains(xfsStrikeOut) ? 8 : 0));
  U16(b, f.Color);
  U16(b, f.Style.Contains(xfsBold) ? 700 : 400);
  U16(b, 0);
  static const uint8_t underline[] = {0, 1, 2, 0x21, 0x22};
  U8(b, underline[f.Underline]);
  U8(b, 0);
  U8(b, f.Charset);
  U8(b, 0);
  const AnsiString name = f.Name.substr(0, 255);
  U8(b, static_cast<unsigned>(name.size()));
  if (version_ == xls97) {
    U8(b, 1);
    for (unsigned char c : name) U16(b, c);
  } else {
    Text8(b, name);
  }
  return b;
}

Bytes TCustomXLSWrite::CellFormatXF(size_t k) const {
  const TCellFormat& f = formats_[k];
  const bool b8 = version_ == xls97;
  Bytes x(b8 ? std::begin(kXF8Cell) : std::begin(kXF5Cell), b8 ? std::end(kXF8Cell) : std::end(kXF5Cell));
  const size_t usedAt = b8 ? 9 : 7;
  unsigned used = 0;
  // Font: the position in the font list after the default font's fixed indices.
  int fontPos = 0;
  for (size_t i = 0; i < font_list_.size(); ++i)
    if (font_list_[i] == f.Font) fontPos = static_cast<int>(i);
  Put16(x, 0, static_cast<unsigned>(fontPos + (b8 ? 5 : 7)));
  used |= 0x08;
  if (f.TextFormat != tfGeneral) {
    Put16(x, 2, f.TextFormat == tfUser ? 59 + static_cast<unsigned>(k) : 49 + static_cast<unsigned>(f.TextFormat));
    used |= 0x04;
  }
  const unsigned align = static_cast<unsigned>(f.HorizAlignment) | (f.WrapText ? 8 : 0) |
                         (static_cast<unsigned>(f.VertAlignment) << 4);
  x[6] = static_cast<uint8_t>(align);
  if (align != 0x20) used |= 0x10;
  const unsigned prot = (f.Protection.Contains(cpLocked) ? 1 : 0) | (f.Protection.Contains(cpHidden) ? 2 : 0);
  Put16(x, 4, prot);
  if (prot != 1) used |= 0x80;
  if (f.CellColor >= 0) {
    const unsigned c = static_cast<unsigned>(f.CellColor) & 0x7F;
    if (b8) {
      Put32(x, 14, (Get32(x, 14) & 0x03FFFFFF) | (1u << 26));
      Put16(x, 18, ((x[18] | (x[19] << 8)) & ~0x7Fu) | c);
    } else {
      Put32(x, 8, (Get32(x, 8) & ~0x003F007Fu) | c | (1u << 16));
    }
    used |= 0x40;
  }
  if (!f.Border.Empty()) {
    const unsigned thin = 1, black = 8;
    if (b8) {
      uint32_t lines = Get32(x, 10), colours = Get32(x, 14);
      if (f.Border.Contains(cbLeft)) lines |= thin | (black << 16);
      if (f.Border.Contains(cbRight)) lines |= (thin << 4) | (black << 23);
      if (f.Border.Contains(cbTop)) lines |= thin << 8, colours |= black;
      if (f.Border.Contains(cbBottom)) lines |= thin << 12, colours |= black << 7;
      Put32(x, 10, lines);
      Put32(x, 14, colours);
    } else {
      uint32_t area = Get32(x, 8), lines = Get32(x, 12);
      if (f.Border.Contains(cbBottom)) area |= (thin << 22) | (black << 25);
      if (f.Border.Contains(cbTop)) lines |= thin | (black << 9);
      if (f.Border.Contains(cbLeft)) lines |= (thin << 3) | (black << 16);
      if (f.Border.Contains(cbRight)) lines |= (thin << 6) | (black << 23);
      Put32(x, 8, area);
      Put32(x, 12, lines);
    }
    used |= 0x20;
  }
  x[usedAt] = static_cast<uint8_t>(used);
  return x;
}

void TCustomXLSWrite::Open() {
  for (const AnsiString& s : sheets_)
    if (Trim(s).empty()) throw Exception("Sheet Name is missing");
  first_row_ = last_row_ = first_col_ = last_col_ = -1;
  if (open_) throw Exception(version_ == xls40 ? "File is already open" : "File is allready open");
  if (Trim(file_name_).empty()) throw Exception("Filename is missing");

  auto sink = std::make_unique<Sink>();
  if (version_ != xls40) {
    sink->doc = std::make_unique<os::CompoundDocument>(file_name_);
    sink->stream = &sink->doc->CreateStream(version_ == xls50 ? "Book" : "Workbook");
  }
  sink_ = std::move(sink);
  curr_sheet_ = -1;
  strings_.clear();
  string_index_.clear();
  sst_lengths_.clear();
  sst_current_ = sst_total_ = 8;
  merged_.clear();
  boundsheet_pos_.clear();
  font_list_.clear();
  open_ = true;
  try {
    if (version_ == xls40) {
      Bytes bof;
      U16(bof, 0x0400);
      U16(bof, 0x0010);
      U16(bof, 0);
      U16(bof, 0);
      WriteRecord(kBOF4, bof);
      // XF 0..14 style XFs (0 the normal style), 15 the default cell XF, 16..20 the
      // built-in number styles.
      for (int i = 0; i < 21; ++i) {
        Bytes x;
        U8(x, 0);
        U8(x, 0);
        U16(x, i == 15 ? 0x0001 : 0xFFF5);
        U8(x, 0x20);
        U8(x, i == 0 || i == 15 ? 0x00 : 0xF4);
        U16(x, 0xCE00);
        U32(x, 0);
        WriteRecord(kXF4, x);
      }
      dimensions_pos_ = sink_->Position();
      WriteRecord(kDimensions, Bytes(10, 0));
      curr_sheet_ = 0;
    } else {
      WriteGlobals();
      if (!WriteGlobalData) BeginSheet();
    }
  } catch (...) {
    open_ = false;
    sink_.reset();
    throw;
  }
}

void TCustomXLSWrite::WriteGlobals() {
  const bool b8 = version_ == xls97;
  const unsigned n = static_cast<unsigned>(sheets_.size());
  Bytes bof;
  U16(bof, b8 ? 0x0600 : 0x0500);
  U16(bof, 0x0005);
  U16(bof, 3515);
  U16(bof, 1998);
  if (b8) {
    U32(bof, 0);
    U32(bof, 6);
  }
  WriteRecord(kBOF, bof);
  if (!b8) {
    Bytes wa{0};
    wa.resize(32, ' ');
    WriteRecord(kWriteAccess, wa);
    WriteRecord(kCodepage, U16Data(1252));
    WriteRecord(kFnGroupCount, U16Data(14));
    WriteRecord(kExternCount, U16Data(n));
    for (const AnsiString& s : sheets_) {
      Bytes e;
      U8(e, static_cast<unsigned>(s.size() + 1));
      U8(e, 3);
      Text8(e, s);
      WriteRecord(kExternSheet, e);
    }
  } else {
    Bytes wa;
    U16(wa, 1);
    U8(wa, 0);
    U8(wa, 'X');
    wa.resize(112, ' ');
    WriteRecord(kWriteAccess, wa);
    WriteRecord(kCodepage, U16Data(1200));
    WriteRecord(kDSF, U16Data(0));
    Bytes tab;
    for (unsigned i = 1; i <= n; ++i) U16(tab, i);
    WriteRecord(kTabId, tab);
    WriteRecord(kFnGroupCount, U16Data(14));
  }
  WriteRecord(kWindowProtect, U16Data(0));
  WriteRecord(kProtect, U16Data(options_.Contains(soProtected) ? 1 : 0));
  WriteRecord(kPassword, U16Data(0));
  if (b8) {
    WriteRecord(kProt4Rev, U16Data(0));
    WriteRecord(kProt4RevPass, U16Data(0));
  }
  Bytes w1;
  for (unsigned v : {120u, 120u, 23820u, 15720u, 0x38u, 0u, 0u, 1u, 600u}) U16(w1, v);
  WriteRecord(kWindow1, w1);
  WriteRecord(kBackup, U16Data(0));
  WriteRecord(kHideObj, U16Data(0));
  WriteRecord(kDateMode, U16Data(0));
  WriteRecord(kPrecision, U16Data(1));
  WriteRecord(kRefreshAll, U16Data(0));
  WriteRecord(kBookBool, U16Data(0));

  auto format = [&](unsigned index, const AnsiString& text) {
    Bytes f;
    U16(f, index);
    if (b8) {
      U16(f, static_cast<unsigned>(text.size()));
      U8(f, 0);
    } else {
      U8(f, static_cast<unsigned>(text.size()));
    }
    Text8(f, text);
    WriteRecord(kFormat, f);
  };
  for (unsigned i = 0; i < 9; ++i) format(50 + i, kNumberFormats[i]);
  for (size_t k = 0; k < formats_.size(); ++k)
    if (formats_[k].TextFormat == tfUser) format(59 + static_cast<unsigned>(k), formats_[k].TextFormatUser.substr(0, 255));

  for (const TCellFormat& f : formats_) FontListIndex(f.Font);
  for (int i = 0; i < 16; ++i) {
    const uint8_t* src = b8 ? (i == 0 ? kXF8Normal : i == 15 ? kXF8Cell : kXF8Style)
                            : (i == 0 ? kXF5Normal : i == 15 ? kXF5Cell : kXF5Style);
    Bytes x(src, src + (b8 ? 20 : 16));
    x[0] = static_cast<uint8_t>(i == 1 || i == 2 ? 1 : i == 3 || i == 4 ? 2 : 0);
    WriteDirect(kXF, x);
  }
  for (size_t k = 0; k < formats_.size(); ++k) WriteDirect(kXF, CellFormatXF(k));

  for (int i = 0; i < (b8 ? 4 : 6); ++i) WriteRecord(kFont, FontRecord(font_));
  for (const TExcelFont& f : font_list_) WriteRecord(kFont, FontRecord(f));

  static const unsigned styles[6][2] = {{16, 3}, {17, 6}, {18, 4}, {19, 7}, {0, 0}, {20, 5}};
  for (const auto& s : styles) {
    Bytes st;
    U16(st, s[0] | 0x8000);
    U8(st, s[1]);
    U8(st, 0xFF);
    WriteDirect(kStyle, st);
  }
  Bytes pal;
  U16(pal, 56);
  for (uint32_t c : kDefaultPalette) {
    U8(pal, c >> 16);
    U8(pal, (c >> 8) & 0xFF);
    U8(pal, c & 0xFF);
    U8(pal, 0);
  }
  WriteDirect(kPaletteRec, pal);
  if (b8) WriteRecord(kUseSelfs, U16Data(1));
  for (const AnsiString& s : sheets_) {
    Bytes bs;
    U32(bs, 0);
    U16(bs, 0);
    U8(bs, static_cast<unsigned>(s.size()));
    if (b8) U8(bs, 0);
    Text8(bs, s);
    boundsheet_pos_.push_back(sink_->Position() + 4);
    WriteRecord(kBoundSheet, bs);
  }
  if (b8) {
    Bytes c;
    U16(c, 1);
    U16(c, 1);
    WriteRecord(kCountry, c);
    sst_pos_ = sink_->Position();
  }
}

void TCustomXLSWrite::NextSheet() {
  if (!open_) throw Exception("Call to NextSheet without OpenFile");
  if (version_ == xls40 || curr_sheet_ + 1 >= static_cast<int>(sheets_.size()))
    throw Exception("Sheet index out of range");
  BeginSheet();
}

void TCustomXLSWrite::EndSheetRecords() {
  if (curr_sheet_ < 0) return;
  WriteWindowRecords();
  if (version_ == xls97 && !merged_.empty()) {
    const size_t perRecord = (static_cast<size_t>(MaxBuffsize()) - 2) / 8;
    for (size_t at = 0; at < merged_.size(); at += perRecord) {
      const size_t count = std::min(perRecord, merged_.size() - at);
      Bytes m;
      U16(m, static_cast<unsigned>(count));
      for (size_t i = at; i < at + count; ++i)
        for (uint16_t v : merged_[i]) U16(m, v);
      WriteRecord(kMergedCells, m);
    }
  }
  merged_.clear();
  // The used range, now that it is known.
  Bytes d;
  const bool empty = first_row_ < 0;
  const unsigned r0 = empty ? 0 : first_row_, r1 = empty ? 0 : last_row_ + 1;
  const unsigned c0 = empty ? 0 : first_col_, c1 = empty ? 0 : last_col_ + 1;
  if (version_ == xls97) {
    U32(d, r0);
    U32(d, r1);
  } else {
    U16(d, r0);
    U16(d, r1);
  }
  U16(d, c0);
  U16(d, c1);
  U16(d, 0);
  sink_->Patch(dimensions_pos_ + 4, d);
  first_row_ = last_row_ = first_col_ = last_col_ = -1;
}

void TCustomXLSWrite::BeginSheet() {
  EndSheetRecords();
  WriteRecord(kEOF, {});
  ++curr_sheet_;
  const int64_t bofPos = sink_->Position();
  Bytes at;
  U32(at, static_cast<uint32_t>(bofPos));
  sink_->Patch(boundsheet_pos_[static_cast<size_t>(curr_sheet_)], at);
  Bytes bof;
  U16(bof, version_ == xls97 ? 0x0600 : 0x0500);
  U16(bof, 0x0010);
  U16(bof, 3515);
  U16(bof, 1998);
  if (version_ == xls97) {
    U32(bof, 0);
    U32(bof, 6);
  }
  WriteRecord(kBOF, bof);
  WriteSheetSettings();
}

void TCustomXLSWrite::WriteSheetSettings() {
  WriteRecord(kUncalced, U16Data(0));
  WriteRecord(kCalcMode, U16Data(1));
  WriteRecord(kCalcCount, U16Data(100));
  WriteRecord(kRefMode, U16Data(1));
  WriteRecord(kIteration, U16Data(0));
  Bytes delta;
  F64(delta, 0.001);
  WriteRecord(kDelta, delta);
  WriteRecord(kSaveRecalc, U16Data(1));
  WriteRecord(kPrintHeaders, U16Data(0));
  WriteRecord(kPrintGridlines, U16Data(0));
  WriteRecord(kGridSet, U16Data(1));
  WriteRecord(kGuts, Bytes(8, 0));
  Bytes rh;
  U16(rh, 0);
  U16(rh, 255);
  WriteRecord(kDefaultRowHeight, rh);
  Bytes c;
  U16(c, 1);
  U16(c, 1);
  WriteRecord(kCountry, c);
  WriteRecord(kWsBool, U16Data(0x04C1));
  const bool b8 = version_ == xls97;
  WriteRecord(kHeader, {});
  WriteRecord(kFooter, {});
  WriteRecord(kHCenter, U16Data(0));
  WriteRecord(kVCenter, U16Data(0));
  // A negative margin leaves the reader's default in place.
  const TPageSetup& ps = page_setup_;
  const std::pair<uint16_t, double> margins[] = {{kLeftMargin, ps.MarginLeft}, {kRightMargin, ps.MarginRight},
                                                 {kTopMargin, ps.MarginTop}, {kBottomMargin, ps.MarginBottom}};
  for (const auto& [id, value] : margins) {
    if (value < 0) continue;
    Bytes m;
    F64(m, value);
    WriteRecord(id, m);
  }
  Bytes setup;
  U16(setup, 0);
  U16(setup, static_cast<unsigned>(ps.ScalingFactor));
  U16(setup, static_cast<unsigned>(ps.StartingPage));
  U16(setup, 1);
  U16(setup, 1);
  U16(setup, (ps.Options.Contains(psoLeftToRight) ? 1 : 0) | (ps.Options.Contains(psoPortrait) ? 2 : 0) |
                 (ps.Options.Contains(psoNoColor) ? 8 : 0) | (ps.Options.Contains(psoDraftQuality) ? 16 : 0) |
                 (ps.Options.Contains(psoPrintNotes) ? 32 : 0) | 0x80);
  U16(setup, 600);
  U16(setup, 600);
  F64(setup, ps.HeaderMargin);
  F64(setup, ps.FooterMargin);
  U16(setup, static_cast<unsigned>(ps.Copies));
  WriteRecord(kSetup, setup);
  if (!b8) {
    WriteRecord(kExternCount, U16Data(static_cast<unsigned>(sheets_.size())));
    for (const AnsiString& s : sheets_) {
      Bytes e;
      U8(e, static_cast<unsigned>(s.size() + 1));
      U8(e, 3);
      Text8(e, s);
      WriteRecord(kExternSheet, e);
    }
  }
  WriteRecord(kDefColWidth, U16Data(8));
  dimensions_pos_ = sink_->Position();
  WriteRecord(kDimensions, Bytes(b8 ? 14 : 10, 0));
}

void TCustomXLSWrite::WriteWindowRecords() {
  const bool b8 = version_ == xls97;
  if (!b8) {
    Bytes w1;
    for (unsigned v : {120u, 120u, 23820u, 15720u, 0x38u, 0u, 0u, 1u, 600u}) U16(w1, v);
    WriteRecord(kWindow1, w1);
  }
  unsigned flags = 0x06B6;
  if (!options_.Contains(soGridlines)) flags &= ~0x2u;
  if (!options_.Contains(soRowColHeadings)) flags &= ~0x4u;
  Bytes w2;
  U16(w2, flags);
  U16(w2, 0);
  U16(w2, 0);
  if (b8) {
    U16(w2, 64);
    U16(w2, 0);
    U16(w2, 0);
    U16(w2, 0);
    U32(w2, 0);
  } else {
    U32(w2, 0);
  }
  WriteRecord(kWindow2, w2);
  Bytes sel;
  U8(sel, 3);
  for (unsigned v : {0u, 0u, 0u, 1u, 0u, 0u}) U16(sel, v);
  U8(sel, 0);
  U8(sel, 0);
  WriteRecord(kSelection, sel);
}

uint32_t TCustomXLSWrite::AddString(const AnsiString& text) {
  std::vector<uint32_t>& bucket = string_index_[TextHash(text)];
  for (uint32_t i : bucket)
    if (strings_[i] == text) return i;
  const uint32_t index = static_cast<uint32_t>(strings_.size());
  strings_.push_back(text);
  bucket.push_back(index);
  AddSSTPiece(text.size());
  return index;
}

void TCustomXLSWrite::AddSSTPiece(size_t length) {
  size_t piece = length + 3;
  if (sst_current_ + piece > kSSTRecord) {
    sst_lengths_.push_back(sst_current_);
    sst_current_ = 0;
  }
  while (piece > kSSTRecord) {
    sst_lengths_.push_back(kSSTRecord);
    sst_total_ += kSSTRecord;
    piece -= kSSTRecord - 1;
  }
  sst_current_ += static_cast<uint32_t>(piece);
  sst_total_ += static_cast<uint32_t>(piece);
}

void TCustomXLSWrite::InsertSST() {
  std::vector<uint32_t> lengths = sst_lengths_;
  lengths.push_back(sst_current_);
  Bytes t;
  t.reserve(sst_total_ + 4 * lengths.size());
  size_t rec = 0;
  U16(t, kSST);
  U16(t, lengths[0]);
  U32(t, static_cast<uint32_t>(strings_.size()));
  U32(t, static_cast<uint32_t>(strings_.size()));
  uint32_t current = 8;
  auto next = [&] {
    ++rec;
    U16(t, kContinue);
    U16(t, lengths[rec]);
  };
  for (const AnsiString& s : strings_) {
    const size_t piece = s.size() + 3;
    if (current + piece > kSSTRecord) {
      next();
      current = 0;
    }
    U16(t, static_cast<unsigned>(s.size()));
    U8(t, 0);
    if (piece <= kSSTRecord) {
      Text8(t, s);
      current += static_cast<uint32_t>(piece);
      continue;
    }
    size_t at = kSSTRecord - 3;
    t.insert(t.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(at));
    while (s.size() - at > 0) {
      const size_t part = std::min<size_t>(kSSTRecord - 1, s.size() - at);
      next();
      U8(t, 0);
      t.insert(t.end(), s.begin() + static_cast<std::ptrdiff_t>(at), s.begin() + static_cast<std::ptrdiff_t>(at + part));
      at += part;
      current = static_cast<uint32_t>(part + 1);
    }
  }
  // Make room after the workbook globals and put the table there.
  os::CompoundStream& st = *sink_->stream;
  const int64_t end = st.Size();
  Bytes tail = sink_->Read(sst_pos_, static_cast<size_t>(end - sst_pos_));
  st.Seek(sst_pos_, os::SeekOrigin::Begin);
  st.Write(t.data(), t.size());
  st.Write(tail.data(), tail.size());
  st.Seek(0, os::SeekOrigin::End);
  for (int64_t pos : boundsheet_pos_) {
    Bytes cur = sink_->Read(pos, 4);
    Bytes moved;
    U32(moved, Get32(cur, 0) + static_cast<uint32_t>(t.size()));
    sink_->Patch(pos, moved);
  }
}

void TCustomXLSWrite::Close() {
  if (!open_) return;
  // Whatever happens below, the file is no longer open; without a commit the target
  // keeps what it held.
  struct Release {
    TCustomXLSWrite* w;
    ~Release() {
      w->open_ = false;
      w->sink_.reset();
    }
  } release{this};
  if (version_ == xls40) {
    Bytes w1;
    for (unsigned v : {120u, 45u, 6450u, 5565u, 0u}) U16(w1, v);
    WriteRecord(kWindow1, w1);
    unsigned flags = 0x00B6;
    if (!options_.Contains(soGridlines)) flags &= ~0x2u;
    if (!options_.Contains(soRowColHeadings)) flags &= ~0x4u;
    Bytes w2;
    U16(w2, flags);
    U16(w2, 0);
    U16(w2, 0);
    U32(w2, 0);
    WriteRecord(kWindow2, w2);
    EndDimensions4();
    WriteRecord(kEOF, {});
    safefile::WriteFile(file_name_, std::string_view(reinterpret_cast<const char*>(sink_->plain.data()),
                                                     sink_->plain.size()));
    return;
  }
  while (curr_sheet_ + 1 < static_cast<int>(sheets_.size())) BeginSheet();
  EndSheetRecords();
  if (version_ == xls97) InsertSST();
  WriteRecord(kEOF, {});
  sink_->doc->Commit();
}

void TCustomXLSWrite::Abandon() {
  open_ = false;
  sink_.reset();
}

void TCustomXLSWrite::EndDimensions4() {
  Bytes d;
  const bool empty = first_row_ < 0;
  U16(d, empty ? 0 : first_row_);
  U16(d, empty ? 0 : last_row_ + 1);
  U16(d, empty ? 0 : first_col_);
  U16(d, empty ? 0 : last_col_ + 1);
  U16(d, 0);
  sink_->Patch(dimensions_pos_ + 4, d);
}

void TCustomXLSWrite::WriteNumber(int Col, int Row, double Value, int FormatIndex) {
  CheckOpen();
  CheckCell(Col, Row);
  Bytes b;
  U16(b, static_cast<unsigned>(Row));
  U16(b, static_cast<unsigned>(Col));
  U16(b, static_cast<unsigned>(XFIndex(FormatIndex)));
  F64(b, Value);
  Track(Col, Row);
  WriteRecord(kNumber, b);
}

void TCustomXLSWrite::WriteString(int Col, int Row, const AnsiString& Text, int FormatIndex) {
  CheckOpen();
  if (Text.empty()) return;
  CheckCell(Col, Row);
  const size_t limit = version_ == xls97 ? 32767 : 255;
  if (Text.size() > limit)
    throw Exception("Cell R" + IntToStr(Row) + ",C" + IntToStr(Col) + ": String length more than " +
                    IntToStr(static_cast<int64_t>(limit)) + " bytes");
  Bytes b;
  U16(b, static_cast<unsigned>(Row));
  U16(b, static_cast<unsigned>(Col));
  U16(b, static_cast<unsigned>(XFIndex(FormatIndex)));
  Track(Col, Row);
  if (version_ == xls97) {
    U32(b, AddString(Text));
    WriteRecord(kLabelSST, b);
    return;
  }
  U16(b, static_cast<unsigned>(Text.size()));
  Text8(b, Text);
  U8(b, 0);
  WriteRecord(kLabel, b);
}

void TCustomXLSWrite::SetColumnWidth(int FirstCol, int LastCol, int Width, int FormatIndex) {
  CheckOpen();
  Bytes b;
  U16(b, static_cast<unsigned>(FirstCol));
  U16(b, static_cast<unsigned>(LastCol));
  U16(b, static_cast<unsigned>(Width));
  U16(b, static_cast<unsigned>(XFIndex(FormatIndex)));
  U16(b, 0);
  U8(b, 0);
  WriteRecord(kColInfo, b);
}

void TCustomXLSWrite::MergeCells(int FirstRow, int LastRow, int FirstCol, int LastCol) {
  CheckOpen();
  if (version_ != xls97) throw Exception("Merged cells is not allowed in Excel 5.0/95 files");
  merged_.push_back({static_cast<uint16_t>(FirstRow), static_cast<uint16_t>(LastRow), static_cast<uint16_t>(FirstCol),
                     static_cast<uint16_t>(LastCol)});
}
