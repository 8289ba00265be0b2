#include "files/FigFile.h"

#include <algorithm>
#include <array>
#include <memory>
#include "model/Settings.h"
#include "platform/classes/SafeFile.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Walks the text the way the old program read it: whole lines for the labels, and
// integers that skip blanks and line ends in between.
class FigReader {
 public:
  FigReader(const AnsiString& text, const AnsiString& name) : text_(text), name_(name) {}

  bool AtEnd() const { return pos_ >= text_.size(); }

  AnsiString ReadLine() {
    const size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != '\r' && text_[pos_] != '\n') ++pos_;
    AnsiString line = text_.substr(start, pos_ - start);
    if (pos_ < text_.size()) {
      if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
      ++pos_;
      ++line_;
    }
    return line;
  }

  int ReadInt() {
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ') {
      if (text_[pos_] == '\n' || (text_[pos_] == '\r' && (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '\n')))
        ++line_;
      ++pos_;
    }
    if (AtEnd()) Fail("the file ends before all numbers of \"" + label_ + "\" were read");
    const size_t start = pos_;
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) > ' ') ++pos_;
    const AnsiString token = text_.substr(start, pos_ - start);
    size_t i = (token[0] == '-' || token[0] == '+') ? 1 : 0;
    const bool digits = i < token.size() && std::all_of(token.begin() + i, token.end(), [](char c) {
      return c >= '0' && c <= '9';
    });
    int value = 0;
    if (!digits || !TryStrToInt(token, value))
      Fail("\"" + token + "\" is not a whole number (in \"" + label_ + "\")");
    return value;
  }

  // The rest of the file as comment text: blanks before a line end are dropped, blanks
  // before other text kept.
  AnsiString ReadComments() {
    AnsiString result, held;
    for (; pos_ < text_.size(); ++pos_) {
      const char c = text_[pos_];
      if (c == ' ') {
        held += c;
      } else if (c == '\r' || c == '\n') {
        held.clear();
        result += c;
      } else {
        result += held;
        held.clear();
        result += c;
      }
    }
    return result.substr(0, 255);
  }

  void SetLabel(const AnsiString& label) { label_ = label; }

  [[noreturn]] void Fail(const AnsiString& what) const {
    throw EInOutError("\"" + name_ + "\" is not a valid old map file: line " + IntToStr(line_) + ": " + what + ".");
  }

 private:
  const AnsiString& text_;
  const AnsiString& name_;
  size_t pos_ = 0;
  int line_ = 1;
  AnsiString label_;
};

struct FigContext {
  FigReader& in;
  TMapRecord& map;
  int loadSites;
  int version = 0;
  bool loadSitesMissing = true;
  bool commentsRead = false;
  AnsiString line;
};

int16_t Duty(int percent) { return static_cast<int16_t>(Round(percent / 100.0 * 255.0)); }
int Half(int v) { return v / 2; }
int AtMost(int v, int hi) { return v > hi ? hi : v; }
uint8_t Flag(bool b) { return b ? 1 : 0; }

int Same(int v) { return v; }
int HalfOf(int v) { return Half(v); }
int AtMost100(int v) { return AtMost(v, 100); }

// Fourteen numbers into the 14 temperature sites: the three coldest share the first
// number, the 11th and 13th numbers belong to sites the ECU no longer has.
std::array<int16_t, 14> ReadSpread(FigContext& c, int (*transform)(int)) {
  int n[15];
  for (int k = 1; k <= 14; ++k) n[k] = transform(c.in.ReadInt());
  const int value[14] = {n[1], n[1], n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8], n[9], n[10], n[12], n[14]};
  std::array<int16_t, 14> sites;
  for (int i = 0; i < 14; ++i) sites[i] = static_cast<int16_t>(value[i]);
  return sites;
}

void ReadSpread(FigContext& c, TSiteTable& table, int (*transform)(int) = Same) {
  const auto sites = ReadSpread(c, transform);
  for (int i = 0; i < 14; ++i) table[i] = sites[i];
}

// Rows of 32 speed sites, load row 1 first. Rows beyond the 16 of a main table have no
// place in the map; their numbers are read and dropped.
void ReadRows(FigContext& c, TMainTable& table, int rows, int (*transform)(int)) {
  for (int l = 1; l <= rows; ++l)
    for (int s = 1; s <= kMainSpeedSites; ++s) {
      const int v = transform(c.in.ReadInt());
      if (l <= kMainLoadSites) table[s][l] = static_cast<int16_t>(v);
    }
}

int ToDuty(int v) { return Duty(v); }

// First number ignored, then five throttle and five MAP sites of one additional axis.
void ReadAxis(FigContext& c, TAdditionalAxis k) {
  c.in.ReadInt();
  for (int i = 0; i < 5; ++i) c.map.AddThrottleSites[k][i] = static_cast<int16_t>(c.in.ReadInt());
  for (int i = 0; i < 5; ++i) c.map.AddMAPSites[k][i] = static_cast<int16_t>(c.in.ReadInt());
}

void ReadWords(FigContext& c, le::I16* words, int count) {
  for (int i = 0; i < count; ++i) words[i] = static_cast<int16_t>(c.in.ReadInt());
}

int Read(FigContext& c) { return c.in.ReadInt(); }

struct FigLabel {
  const char* text;
  void (*read)(FigContext&);
};

// In the order each line is tested; a line holding several labels reads them in this order.
const FigLabel kLabels[] = {
    {"MapVersion :",
     [](FigContext& c) {
       const AnsiString digits = Trim(c.line.substr(std::min<size_t>(12, c.line.size()), 2));
       if (!TryStrToInt(digits, c.version)) c.in.Fail("the map version \"" + digits + "\" is not a number");
     }},
    {"Startup timing:", [](FigContext& c) { c.map.StartupTiming = static_cast<int16_t>(Half(Read(c))); }},
    {"Accell:",
     [](FigContext& c) {
       c.map.AccelEnrichment = static_cast<int16_t>(Read(c));
       c.map.AccelClamp = static_cast<int16_t>(Read(c));
       c.map.AccelDecay = static_cast<int16_t>(Read(c));
       const int limit = Read(c);
       c.map.AccelSpeedLimit = static_cast<int16_t>(limit);
       for (int i = 0; i < 32; ++i) c.map.AccelBySpeed[i] = static_cast<int16_t>(c.map.SpeedSites[i] >= limit ? 0 : 100);
     }},
    {"Limits:",
     [](FigContext& c) {
       c.map.HardRevLimit = static_cast<int16_t>(Read(c));
       c.map.SoftRevLimit = static_cast<int16_t>(Read(c));
       c.map.ShiftLightSpeed = static_cast<uint16_t>(Read(c));
     }},
    {"BattVComp:",
     [](FigContext& c) {
       ReadWords(c, c.map.BattCompVoltageAxis, 10);
       ReadWords(c, c.map.BattCompValues, 10);
       c.map.BattCompType = 0;
     }},
    {"SLSeq:",
     [](FigContext& c) {
       c.map.SeqShiftEnabled = Flag(Read(c) > 0);
       c.map.SeqShiftType = static_cast<uint8_t>(std::clamp(Read(c), 0, 1));
       c.map.SeqShiftDown = static_cast<int16_t>(std::max(Read(c), 0));
       c.map.SeqShiftStart = static_cast<uint16_t>(std::clamp(Read(c), 0, 20000) / 50 * 50);
     }},
    {"Details:",
     [](FigContext& c) {
       c.map.Comments.Set(c.in.ReadComments());
       c.commentsRead = true;
     }},
    {"Ignition map:", [](FigContext& c) { ReadRows(c, c.map.IgnitionTable, c.loadSites, HalfOf); }},
    {"Injection map:", [](FigContext& c) { ReadRows(c, c.map.InjectionTable, c.loadSites, Same); }},
    {"LST:", [](FigContext& c) { c.map.LoadOptions = static_cast<int16_t>(Read(c)); }},
    {"MainLoad:",
     [](FigContext& c) {
       ReadWords(c, (c.map.LoadOptions & 1) ? c.map.MainMAPSites : c.map.MainThrottleSites, 16);
       c.loadSitesMissing = false;
     }},
    {"MainSpeed:",
     [](FigContext& c) {
       for (int i = 0; i < 32; ++i) c.map.SpeedSites[i] = static_cast<uint16_t>(Read(c));
     }},
    {"Boost map:", [](FigContext& c) { ReadRows(c, c.map.BoostDutyTable, kAdditionalLoadRows, ToDuty); }},
    {"BoostMapT:", [](FigContext& c) { ReadRows(c, c.map.BoostTargetTable, kAdditionalLoadRows, Same); }},
    {"BoostFunction:",
     [](FigContext& c) {
       Read(c);
       c.map.BoostFrequency = static_cast<uint8_t>(Read(c));
       c.map.BoostOptions = static_cast<uint8_t>(Read(c));
       c.map.BoostP = static_cast<uint8_t>(Read(c));
       c.map.BoostI = static_cast<uint8_t>(Read(c));
       c.map.BoostD = static_cast<uint8_t>(Read(c));
       c.map.BoostRate = static_cast<uint8_t>(Read(c));
       Read(c);
     }},
    {"PWMMap:", [](FigContext& c) { ReadRows(c, c.map.UserPWMTable, kAdditionalLoadRows, ToDuty); }},
    {"PWMLoad:", [](FigContext& c) { ReadAxis(c, axPWMBoost); }},
    {"PWMFunction:",
     [](FigContext& c) {
       c.map.PWMWord1 = static_cast<int16_t>(Read(c));
       c.map.PWMFrequency = static_cast<int16_t>(Read(c));
       c.map.PWMEnabled = Flag(Read(c) > 0);
       c.map.PWMTempSource = static_cast<int16_t>(Read(c));
       c.map.PWMUpperTemp = static_cast<int16_t>(Read(c));
       c.map.PWMUpperAdjust = Duty(Read(c));
       c.map.PWMLowerTemp = static_cast<int16_t>(Read(c));
       c.map.PWMLowerAdjust = Duty(Read(c));
       c.map.PWMFlag2 = Flag(Read(c) > 0);
       c.map.PWMWord8 = static_cast<int16_t>(Read(c));
       c.map.PWMWord10 = Duty(Read(c));
       c.map.PWMWord9 = static_cast<int16_t>(Read(c));
       c.map.PWMWord11 = Duty(Read(c));
     }},
    {"VVTMap:", [](FigContext& c) { ReadRows(c, c.map.VVTTable, kAdditionalLoadRows, Same); }},
    {"VVTLoad:", [](FigContext& c) { ReadAxis(c, axVVT); }},
    {"VVTtemp:", [](FigContext& c) { ReadSpread(c, c.map.VVTControlByCoolant); }},
    {"VVTvar:",
     [](FigContext& c) {
       c.map.VVTDelay = static_cast<int16_t>(Read(c));
       c.map.VVTOffset = static_cast<int16_t>(Read(c));
     }},
    {"COTMap:", [](FigContext& c) { ReadRows(c, c.map.CoilOnTable, kAdditionalLoadRows, Same); }},
    {"COTLoad:", [](FigContext& c) { ReadAxis(c, axCoilOn); }},
    {"COTFunction:", [](FigContext& c) { c.map.CoilOnCranking = static_cast<int16_t>(Read(c)); }},
    {"InjectorLS:", [](FigContext& c) { ReadAxis(c, axInjTiming); }},
    {"Air ignition:", [](FigContext& c) { ReadSpread(c, c.map.AirIgnCorrection, HalfOf); }},
    {"Coolant ignition:", [](FigContext& c) { ReadSpread(c, c.map.CoolantIgnCorrection, HalfOf); }},
    {"Air fuel:", [](FigContext& c) { ReadSpread(c, c.map.AirFuelCorrection); }},
    {"Coolant fuel:", [](FigContext& c) { ReadSpread(c, c.map.CoolantFuelCorrection); }},
    {"Cranking",
     [](FigContext& c) {
       // Row 0 of columns 1..14; the other turn rows follow from it.
       const auto row0s = ReadSpread(c, Same);
       for (int col = 1; col <= kTemperatureSites; ++col) {
         const int16_t row0 = row0s[col - 1];
         c.map.CrankingTable[col][0] = row0;
         c.map.CrankingTable[col][1] = row0;
         c.map.CrankingTable[col][2] = static_cast<int16_t>(Half(row0));
         c.map.CrankingTable[col][3] = 0;
         c.map.CrankingTable[col][4] = 0;
       }
       const int16_t turns[5] = {1, 2, 3, 50, 100};
       for (int i = 0; i < 5; ++i) c.map.CrankTurns[i] = turns[i];
     }},
    {"Coolant correction:", [](FigContext& c) { ReadWords(c, c.map.RpmCorrection, 32); }},
    {"Coolant idle:", [](FigContext& c) { ReadSpread(c, c.map.IdleSpeedByCoolant); }},
    {"Idle fuel map:", [](FigContext& c) { ReadWords(c, c.map.IdleFuel, 5); }},
    {"IACV position map:", [](FigContext& c) { ReadSpread(c, c.map.IACVPositionByCoolant, AtMost100); }},
    {"IACV control map:",
     [](FigContext& c) {
       c.map.IdleControlMode = static_cast<int16_t>(Read(c));
       c.map.IACVRate = static_cast<int16_t>(Read(c));
       c.map.IACVStartPosition = static_cast<int16_t>(AtMost(Read(c), 100));
     }},
    {"Idle up:",
     [](FigContext& c) {
       c.map.IdleUpSpeed = static_cast<int16_t>(static_cast<int64_t>(Read(c)) * 10);
       c.map.IdleUpVoltage = static_cast<int16_t>(Read(c));
     }},
    {"IACVSD:", [](FigContext& c) { c.map.IACVOff = static_cast<int16_t>(Read(c)); }},
    {"Idle Control:",
     [](FigContext& c) {
       c.map.IdleSpeedSwitch = static_cast<int16_t>(Read(c));
       c.map.IdleThrottleSwitch = static_cast<int16_t>(Read(c));
       c.map.IdleFineControl = Flag(Read(c) != 0);
       c.map.IdleIgnRate = static_cast<int16_t>(AtMost(Read(c), 25));
       c.map.IACVRate = static_cast<int16_t>(Read(c));
       c.map.IdleIgnTrim = static_cast<int16_t>(Read(c));
     }},
    {"Map sensor:",
     [](FigContext& c) {
       for (int r = 1; r <= 20; ++r) {
         c.map.MAPCompPressure[r] = static_cast<int16_t>(std::clamp(Read(c), 0, 600));
         c.map.MAPCompValue2[r] = static_cast<int16_t>(std::clamp(Read(c), -100, 999));
         c.map.MAPCompValue3[r] = static_cast<int16_t>(Half(std::clamp(Read(c), -100, 120)));
       }
     }},
    {"Injector data:",
     [](FigContext& c) {
       const int count = c.version >= 10 ? 9 : 8;
       int last = 0;
       for (int i = 0; i < count; ++i) last = Read(c);
       c.map.MSPB = static_cast<uint8_t>(last);
     }},
    {"Overrun Cut-Off:",
     [](FigContext& c) {
       c.map.OverrunCutEnabled = Flag(Read(c) != 0);
       c.map.OverrunCutThrottle = static_cast<uint16_t>(Read(c));
       c.map.OverrunCutSpeed = static_cast<int16_t>(Read(c));
     }},
    {"Air switch:",
     [](FigContext& c) {
       c.map.Fan2OnTemp = static_cast<int16_t>(Read(c));
       c.map.Fan2OffTemp = static_cast<int16_t>(Read(c));
     }},
    {"Coolant switch:",
     [](FigContext& c) {
       c.map.Fan1OnTemp = static_cast<int16_t>(Read(c));
       c.map.Fan1OffTemp = static_cast<int16_t>(Read(c));
     }},
    {"Double injector:",
     [](FigContext& c) {
       c.map.DblInjSecondSize = static_cast<uint8_t>(Read(c));
       c.map.DblInjFirstLimit = static_cast<uint8_t>(Read(c));
       c.map.DblInjForced = Flag(Read(c) == 1);
       c.map.DblInjLoad = static_cast<uint8_t>(Read(c));
       c.map.DblInjSpeed = static_cast<uint8_t>(Read(c));
       c.map.DblInjFirstAfterSize = static_cast<uint8_t>(Read(c));
       c.map.DblInjRichCrossover = Flag(Read(c) != 0);
     }},
    {"TSVTECONOFF:",
     [](FigContext& c) {
       c.map.VTECOnSpeed = static_cast<int16_t>(Read(c));
       c.map.VTECOnThrottle = static_cast<int16_t>(Read(c));
       c.map.VTECOffSpeed = static_cast<int16_t>(Read(c));
       c.map.VTECOffThrottle = static_cast<int16_t>(Read(c));
     }},
};

// Fields an old map file may not carry get the values the old program assumed.
void SetFigDefaults(TMapRecord& map, const int32_t (&speedSites)[33]) {
  for (int i = 0; i < 32; ++i) map.SpeedSites[i] = static_cast<uint16_t>(speedSites[i]);
  for (int i = 0; i < 32; ++i) map.AccelByTemp[i] = 100;
  for (int s = 1; s <= kMainSpeedSites; ++s)
    for (int l = 1; l <= kAdditionalLoadRows; ++l) map.InjTimingTable[s][l] = 316;
  map.OptionBits17687 &= static_cast<uint8_t>(~1u);
  map.BoostOptions = 0;
  map.BoostCutTime = 99;
  map.BoostCutPressure = 255;
  map.MSPB = 61;
  map.BattCompType = 1;
  map.AccelRate = 40;
  map.AccelThrottle = 75;
}

}  // namespace

void ReadFigText(const AnsiString& Text, const AnsiString& FileName, TMapRecord& Map, int LoadSites,
                 const int32_t (&DefaultSpeedSites)[33]) {
  // Fields that neither a label nor a default touches keep the slot's earlier content.
  auto work = std::make_unique<TMapRecord>(Map);
  TMapRecord& map = *work;
  map.Source = 1;
  map.MapName.Set(ExtractFileName(FileName));
  SetFigDefaults(map, DefaultSpeedSites);

  FigReader in(Text, FileName);
  FigContext c{in, map, std::max(LoadSites, 0), 0, true, false, {}};
  while (!in.AtEnd() && !c.commentsRead) {
    c.line = in.ReadLine();
    for (const FigLabel& label : kLabels) {
      if (c.line.find(label.text) == AnsiString::npos) continue;
      in.SetLabel(label.text);
      label.read(c);
      // The comments run to the end of the file; nothing follows them.
      if (c.commentsRead) break;
    }
  }

  if (c.loadSitesMissing) {
    static const int16_t kThrottleSites[16] = {0, 6, 12, 19, 25, 31, 38, 44, 50, 56, 62, 69, 75, 81, 88, 94};
    for (int i = 0; i < 16; ++i) map.MainThrottleSites[i] = kThrottleSites[i];
  }
  Map = map;
}

void ReadFigFile(const AnsiString& FileName, TMapRecord& Map) {
  const AnsiString text = safefile::ReadFile(FileName, kMaxFigFileSize);
  ReadFigText(text, FileName, Map, Settings.LoadSites, SpeedSiteList);
}
