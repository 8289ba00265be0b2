#pragma once
// Reads workbooks back with independent readers: xlrd and olefile (tests/logger/xls_read.py)
// and LibreOffice converting to CSV. A missing reader fails the test under CI and skips it
// elsewhere.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace xlsread {

inline bool InCI() { return std::getenv("CI") != nullptr; }

struct Record {
  long Offset;
  int Id;
  int Length;
};

struct Workbook {
  bool Read = false;       // the readers ran
  std::string Error;       // xlrd refused the file
  int Biff = 0;
  std::map<std::string, std::pair<long, bool>> Streams;  // name -> size, in the mini stream
  std::vector<Record> Records;
  std::vector<long> SheetOffsets;  // BOUNDSHEET offsets
  std::vector<std::string> SheetNames;
  // (sheet, row, col) -> (xlrd type, value text)
  std::map<std::tuple<int, int, int>, std::pair<int, std::string>> Cells;

  std::string Text(int sheet, int row, int col) const {
    auto it = Cells.find({sheet, row, col});
    return it != Cells.end() && it->second.first == 1 ? it->second.second : "";
  }
  double Number(int sheet, int row, int col) const {
    auto it = Cells.find({sheet, row, col});
    return it != Cells.end() && it->second.first == 2 ? std::stod(it->second.second) : -1e300;
  }
  bool Has(int sheet, int row, int col) const { return Cells.count({sheet, row, col}) != 0; }
};

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline Workbook ReadWorkbook(const std::string& file) {
  Workbook w;
  const std::string out = file + ".listing";
  const std::string script = CQ5_SOURCE_DIR "/tests/logger/xls_read.py";
  const int rc = std::system(("/usr/bin/python3 '" + script + "' '" + file + "' > '" + out + "' 2>&1").c_str());
  const int code = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  std::ifstream in(out);
  std::string line;
  int sheet = -1;
  while (std::getline(in, line)) {
    std::istringstream l(line);
    std::string kind;
    l >> kind;
    if (kind == "stream") {
      std::string name, where;
      long size;
      l >> name >> size >> where;
      w.Streams[name] = {size, where == "mini"};
    } else if (kind == "record") {
      Record r;
      l >> r.Offset >> r.Id >> r.Length;
      w.Records.push_back(r);
    } else if (kind == "boundsheet") {
      long at;
      l >> at;
      w.SheetOffsets.push_back(at);
    } else if (kind == "biff") {
      l >> w.Biff;
    } else if (kind == "sheet") {
      int rows, cols;
      std::string name;
      l >> rows >> cols;
      std::getline(l, name);
      if (!name.empty() && name[0] == ' ') name.erase(0, 1);
      w.SheetNames.push_back(name);
      ++sheet;
    } else if (kind == "cell") {
      int r, c, type;
      l >> r >> c >> type;
      std::string value;
      std::getline(l, value);
      if (!value.empty() && value[0] == ' ') value.erase(0, 1);
      w.Cells[{sheet, r, c}] = {type, value};
    } else if (kind == "error") {
      w.Error = line;
    }
  }
  std::remove(out.c_str());
  w.Read = code == 0 || code == 4;
  return w;
}

// Converts the first sheet with LibreOffice to CSV rows; false when it is not installed.
inline bool LibreOfficeCsv(const std::string& file, std::vector<std::vector<std::string>>& rows) {
  if (std::system("command -v soffice > /dev/null 2>&1") != 0) return false;
  const std::filesystem::path src(file);
  const std::string dir = src.parent_path().string();
  const std::string profile = dir + "/lo-profile";
  const std::string cmd = "cd '" + dir + "' && HOME='" + dir + "' soffice -env:UserInstallation=file://" + profile +
                          " --headless --norestore --convert-to csv --outdir '" + dir + "' '" + file +
                          "' > /dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) return true;  // converted nothing: rows stay empty
  std::ifstream in((src.parent_path() / src.stem()).string() + ".csv");
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::string cell;
    bool quoted = false;
    for (char ch : line) {
      if (ch == '"') {
        quoted = !quoted;
      } else if (ch == ',' && !quoted) {
        cells.push_back(cell);
        cell.clear();
      } else if (ch != '\r') {
        cell += ch;
      }
    }
    cells.push_back(cell);
    rows.push_back(cells);
  }
  return true;
}

}  // namespace xlsread

// Fails under CI, skips elsewhere, when a reader is missing.
#define XLS_REQUIRE_READER(ok, what)                                  \
  do {                                                                \
    if (!(ok)) {                                                      \
      if (xlsread::InCI()) FAIL() << what << " is not installed";     \
      GTEST_SKIP() << what << " is not installed";                    \
    }                                                                 \
  } while (0)
