// The spreadsheet writer: cell format references, text limits, the shared-string table,
// the compound document and what independent readers make of the files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "logger/XLSWrite.h"
#include "platform/rtl/SysUtils.h"
#include "tests/logger/XlsReader.h"

namespace {

class XlsWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/cq5-xlsXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string File(const std::string& name) const { return dir_ + "/" + name; }
  int Entries() const {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_)) ++n;
    return n;
  }
  std::string dir_;
};

uint16_t U16At(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

TEST_F(XlsWriter, CellsReferToTheXfOfTheirFormat) {
  const struct {
    TXLSVersion version;
    int format;
    int xf;
  } rows[] = {{xls50, 3, 19}, {xls50, -1, 15}, {xls50, 0, 16}, {xls97, 3, 19}, {xls97, -1, 15}, {xls40, 3, 0},
              {xls40, -1, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "version " << row.version << " format " << row.format);
    TXLSWrite w;
    w.SetXLSVersion(row.version);
    for (int i = 0; i < 5; ++i) w.AddFormat();
    w.SetFileName(File("xf.xls"));
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> seen;
    w.OnWriteData = [&](TObject*, TBIFFHeader& h, std::vector<uint8_t>& d) { seen.push_back({h.RecID, d}); };
    w.Open();
    w.WriteNumber(2, 1, 1.5, row.format);
    w.Close();
    bool found = false;
    for (const auto& [id, data] : seen)
      if (id == 0x0203) {
        ASSERT_EQ(data.size(), 14u);
        EXPECT_EQ(U16At(data, 0), 1);
        EXPECT_EQ(U16At(data, 2), 2);
        EXPECT_EQ(U16At(data, 4), row.xf);
        double v;
        std::memcpy(&v, &data[6], 8);
        EXPECT_EQ(v, 1.5);
        found = true;
      }
    EXPECT_TRUE(found);
  }
}

TEST_F(XlsWriter, TextLengthLimits) {
  const struct {
    TXLSVersion version;
    size_t length;
    const char* error;  // nullptr: accepted
  } rows[] = {{xls50, 255, nullptr},
              {xls50, 256, "Cell R4,C1: String length more than 255 bytes"},
              {xls40, 256, "Cell R4,C1: String length more than 255 bytes"},
              {xls97, 32767, nullptr},
              {xls97, 32768, "Cell R4,C1: String length more than 32767 bytes"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.length);
    TXLSWrite w;
    w.SetXLSVersion(row.version);
    w.SetFileName(File("t.xls"));
    int labels = 0;
    w.OnWriteData = [&](TObject*, TBIFFHeader& h, std::vector<uint8_t>& d) {
      if (h.RecID == 0x0204) {
        ++labels;
        EXPECT_EQ(d.size(), row.length + 9);  // with its closing zero byte
      }
    };
    w.Open();
    w.WriteString(1, 4, "", 0);  // an empty text writes nothing
    if (row.error) {
      try {
        w.WriteString(1, 4, std::string(row.length, 'a'), 0);
        ADD_FAILURE() << "accepted";
      } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), row.error);
      }
    } else {
      w.WriteString(1, 4, std::string(row.length, 'a'), 0);
    }
    w.Close();
    EXPECT_EQ(labels, row.error || row.version == xls97 ? 0 : 1);
  }
}

TEST_F(XlsWriter, StateErrors) {
  TXLSWrite w;
  EXPECT_THROW(w.WriteNumber(0, 0, 1, 0), Exception);  // no file open
  EXPECT_THROW(w.NextSheet(), Exception);
  EXPECT_THROW(w.Open(), Exception);  // no file name
  EXPECT_FALSE(w.FileIsOpen());
  w.SetFileName(File("s.xls"));
  w.Open();
  try {
    w.SetXLSVersion(xls97);
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Version can not be changed while file is open");
  }
  try {
    w.Open();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "File is allready open");
  }
  EXPECT_THROW(w.MergeCells(0, 1, 0, 1), Exception);  // BIFF5 has no merged ranges
  EXPECT_THROW(w.NextSheet(), Exception);             // only one sheet
  w.WriteNumber(255, 65535, 1, -1);                   // the last cell of the sheet
  for (auto [col, row] : {std::pair{0, 65536}, {256, 0}, {-1, 0}}) {
    try {
      w.WriteNumber(col, row, 1, -1);
      ADD_FAILURE() << row;
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find("outside the sheet"), std::string::npos);
    }
  }
  w.Close();
  EXPECT_FALSE(w.FileIsOpen());
}

TEST_F(XlsWriter, LongSharedTextIsSplitIntoContinueRecords) {
  const std::string file = File("sst.xls");
  std::string text(9000, ' ');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + i % 26);
  {
    TXLSWrite w;
    w.SetXLSVersion(xls97);
    w.Sheets() = {"One", "Two"};
    w.SetFileName(file);
    w.Open();
    w.WriteString(0, 0, text, -1);
    w.NextSheet();
    w.WriteNumber(0, 0, 7, -1);
    w.Close();
  }
  const xlsread::Workbook b = xlsread::ReadWorkbook(file);
  XLS_REQUIRE_READER(b.Read, "python3-xlrd or python3-olefile");
  size_t sst = 0;
  while (sst < b.Records.size() && b.Records[sst].Id != 0x00FC) ++sst;
  ASSERT_LT(sst + 2, b.Records.size());
  EXPECT_EQ(b.Records[sst].Length, 8);
  EXPECT_EQ(b.Records[sst + 1].Id, 0x003C);
  EXPECT_EQ(b.Records[sst + 1].Length, 8224);
  EXPECT_EQ(b.Records[sst + 2].Id, 0x003C);
  EXPECT_EQ(b.Records[sst + 2].Length, 780);
  EXPECT_EQ(b.Records[sst + 3].Offset - b.Records[sst].Offset, 9024);
  // The sheets moved with the table: each sheet offset is the offset of a BOF record.
  ASSERT_EQ(b.SheetOffsets.size(), 2u);
  for (long at : b.SheetOffsets) {
    bool bof = false;
    for (const xlsread::Record& r : b.Records) bof |= r.Offset == at && r.Id == 0x0809;
    EXPECT_TRUE(bof) << at;
  }
}

TEST_F(XlsWriter, SameTextIsSharedOnce) {
  const std::string file = File("shared.xls");
  std::vector<uint32_t> indexes;
  {
    TXLSWrite w;
    w.SetXLSVersion(xls97);
    w.SetFileName(file);
    w.OnWriteData = [&](TObject*, TBIFFHeader& h, std::vector<uint8_t>& d) {
      if (h.RecID == 0x00FD) indexes.push_back(d[6] | (d[7] << 8) | (d[8] << 16) | (d[9] << 24));
    };
    w.Open();
    w.WriteString(0, 0, "rpm", -1);
    w.WriteString(0, 1, "rpm", -1);
    w.WriteString(0, 2, "kPa", -1);
    w.Close();
  }
  EXPECT_EQ(indexes, (std::vector<uint32_t>{0, 0, 1}));
  const xlsread::Workbook b = xlsread::ReadWorkbook(file);
  XLS_REQUIRE_READER(b.Read, "python3-xlrd or python3-olefile");
  EXPECT_EQ(b.Text(0, 1, 0), "rpm");
  EXPECT_EQ(b.Text(0, 2, 0), "kPa");
}

TEST_F(XlsWriter, SmallWorkbooksGoToTheMiniStream) {
  const struct {
    TXLSVersion version;
    int numbers;
    const char* stream;
    bool mini;
  } rows[] = {{xls50, 10, "Book", true}, {xls50, 400, "Book", false}, {xls97, 10, "Workbook", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.numbers);
    const std::string file = File("m" + std::to_string(row.numbers) + ".xls");
    TXLSWrite w;
    w.SetXLSVersion(row.version);
    w.SetFileName(file);
    w.Open();
    for (int i = 0; i < row.numbers; ++i) w.WriteNumber(0, i, i * 0.5, -1);
    w.Close();
    const xlsread::Workbook b = xlsread::ReadWorkbook(file);
    XLS_REQUIRE_READER(b.Read, "python3-xlrd or python3-olefile");
    ASSERT_EQ(b.Streams.count(row.stream), 1u);
    EXPECT_EQ(b.Streams.at(row.stream).first < 4096, row.mini);
    EXPECT_EQ(b.Streams.at(row.stream).second, row.mini);
    EXPECT_EQ(b.Number(0, row.numbers - 1, 0), (row.numbers - 1) * 0.5);
  }
}

TEST_F(XlsWriter, WorkbooksReadBackByXlrd) {
  for (TXLSVersion version : {xls50, xls97}) {
    SCOPED_TRACE(version);
    const std::string file = File(version == xls50 ? "b5.xls" : "b8.xls");
    TXLSWrite w;
    w.SetXLSVersion(version);
    w.Sheets() = {"A", "Data"};
    TCellFormat& f = w.AddFormat();
    f.Font.Style = {xfsBold};
    f.TextFormat = tfUser;
    f.TextFormatUser = "0.000";
    f.CellColor = 22;
    f.Border = {cbLeft, cbBottom};
    w.AddFormat().TextFormat = tf2Dec;
    w.SetFileName(file);
    std::vector<std::vector<uint8_t>> externSheets;
    w.OnWriteData = [&](TObject*, TBIFFHeader& h, std::vector<uint8_t>& d) {
      if (h.RecID == 0x0017) externSheets.push_back(d);
      if (h.RecID == 0x0016) {
        EXPECT_EQ(U16At(d, 0), 2);
      }
    };
    w.Open();
    w.WriteString(0, 0, "Corvane \xE9t\xE9", 0);
    w.WriteNumber(3, 2, -12.25, 0);
    w.SetColumnWidth(0, 1, 3072, -1);
    if (version == xls97) w.MergeCells(5, 6, 0, 2);
    w.NextSheet();
    w.WriteNumber(1, 1, 45000.5, 1);
    w.Close();
    if (version == xls50) {
      // The workbook's own sheet list and, again, each sheet's.
      ASSERT_EQ(externSheets.size(), 6u);
      EXPECT_EQ(externSheets[0][0], 2);
      EXPECT_EQ(externSheets[1][0], 5);
    }
    const xlsread::Workbook b = xlsread::ReadWorkbook(file);
    XLS_REQUIRE_READER(b.Read, "python3-xlrd or python3-olefile");
    ASSERT_EQ(b.Error, "");
    EXPECT_EQ(b.Biff, version == xls50 ? 70 : 80);  // xlrd names BIFF5 of 1995 on 70
    EXPECT_EQ(b.SheetNames, (std::vector<std::string>{"A", "Data"}));
    EXPECT_EQ(b.Text(0, 0, 0), "Corvane \xC3\xA9t\xC3\xA9");  // xlrd prints UTF-8
    EXPECT_EQ(b.Number(0, 2, 3), -12.25);
    EXPECT_EQ(b.Number(1, 1, 1), 45000.5);
  }
}

TEST_F(XlsWriter, Biff4FileReadsBack) {
  const std::string file = File("b4.xls");
  TXLSWrite w;
  w.SetXLSVersion(xls40);
  w.SetFileName(file);
  w.Open();
  w.WriteString(1, 0, "Ch1", 2);
  w.WriteNumber(1, 3, 99.5, 3);
  w.Close();
  const xlsread::Workbook b = xlsread::ReadWorkbook(file);
  XLS_REQUIRE_READER(b.Read, "python3-xlrd");
  ASSERT_EQ(b.Error, "");
  EXPECT_EQ(b.Biff, 40);
  EXPECT_EQ(b.Text(0, 0, 1), "Ch1");
  // A BIFF4 sheet carries no number formats, so xlrd cannot tell the cell's kind; the
  // value is what counts.
  ASSERT_TRUE(b.Has(0, 3, 1));
  EXPECT_EQ(std::stod(b.Cells.at({0, 3, 1}).second), 99.5);
}

TEST_F(XlsWriter, FailedSaveKeepsTheOldFile) {
  for (TXLSVersion version : {xls40, xls50, xls97}) {
    SCOPED_TRACE(version);
    const std::string file = File("keep.xls");
    {
      std::ofstream(file) << "old workbook";
    }
    TXLSWrite w;
    w.SetXLSVersion(version);
    w.SetFileName(file);
    int numbers = 0;
    w.OnWriteData = [&](TObject*, TBIFFHeader& h, std::vector<uint8_t>&) {
      if (h.RecID == 0x0203 && ++numbers == 3) throw Exception("disk full");
    };
    w.Open();
    EXPECT_THROW(
        {
          for (int i = 0; i < 10; ++i) w.WriteNumber(0, i, i, -1);
        },
        Exception);
    w.Abandon();
    EXPECT_FALSE(w.FileIsOpen());
    EXPECT_TRUE(xlsread::Slurp(file) == "old workbook");
    EXPECT_EQ(Entries(), 1) << "a temporary file was left behind";
    if (version != xls40) {
      std::filesystem::remove(file);
      continue;
    }
    // A target that may not be replaced: the save fails and the file stays.
    chmod(file.c_str(), 0444);
    w.OnWriteData = nullptr;
    w.Open();
    w.WriteNumber(0, 0, 1, -1);
    EXPECT_THROW(w.Close(), Exception);
    EXPECT_FALSE(w.FileIsOpen());
    EXPECT_TRUE(xlsread::Slurp(file) == "old workbook");
    EXPECT_EQ(Entries(), 1);
    chmod(file.c_str(), 0644);
    std::filesystem::remove(file);
  }
}

}  // namespace
