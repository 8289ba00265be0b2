#include "model/TableInfo.h"

#include "platform/rtl/Numbers.h"

namespace {

// AFR target is stored as ratio x 10; AFR correction as 16384 = 100 %, so 163.84 stored
// steps make 1 %.

const TTableInfo kTables[] = {
    {TableId::Ignition, "ignitiontable", &TMapRecord::IgnitionTable, 1, kMainSpeedSites, 1,
     kMainLoadSites, 1, -50, 60, 1, 1, 1, 0, true, true, false, 3, "Insert IGNITION map data",
     -50.0, 60.0},
    {TableId::Injection, "injectiontable", &TMapRecord::InjectionTable, 1, kMainSpeedSites, 1,
     kMainLoadSites, 1, 0, 255, 1, 1, 1, 0, false, true, false, 5, "Insert INJECTION map data",
     0.0, 255.0},
    {TableId::AFRTarget, "AFRTargetTable", &TMapRecord::AFRTargetTable, 1, kMainSpeedSites, 1,
     kMainLoadSites, 1, 90, 180, 1, 1, 10, 1, false, false, true, 5,
     "Insert AFR target", 9.0, 18.0},
    {TableId::AFRCorrection, "AFRCorrectionTable", &TMapRecord::AFRCorrectionTable, 1,
     kMainSpeedSites, 1, kMainLoadSites, 1, -16384, 16384, 32, 100, 16384, 2, true,
     false, true, 5, "Insert AFR correction", -100.0, 100.0},
    {TableId::Cranking, "CrankingTable", &TMapRecord::CrankingTable, 1, kTemperatureSites, 0,
     kAdditionalLoadRows - 1, 0, 0, 255, 1, 1, 1, 0, false, false, false, 0, nullptr, 0.0, 0.0},
};

}  // namespace

static_assert(sizeof(kTables) / sizeof(kTables[0]) == static_cast<size_t>(TableId::Cranking) + 1);

const TTableInfo& TableInfo(TableId id) { return kTables[static_cast<int>(id)]; }

TMainTable& TableWords(TMapRecord& map, TableId id) { return map.*(TableInfo(id).Field); }

const TMainTable& TableWords(const TMapRecord& map, TableId id) {
  return map.*(TableInfo(id).Field);
}

bool IsTableCell(TableId id, int col, int row) {
  const TTableInfo& t = TableInfo(id);
  return col >= t.FirstCol && col <= t.LastCol && row >= t.FirstRow && row <= t.LastRow;
}

double DisplayValue(TableId id, int stored) {
  const TTableInfo& t = TableInfo(id);
  return static_cast<double>(stored) * t.DisplayNum / t.DisplayDen;
}

int64_t StoredValue(TableId id, double displayed) {
  const TTableInfo& t = TableInfo(id);
  return Round(displayed * t.DisplayDen / t.DisplayNum);
}
