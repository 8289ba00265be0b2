#pragma once
// The cell-entry dialog: takes a new value for one cell of a 32-column map table and
// writes it into the current map. The caller sets the caption (which names the table and
// so decides where and how the value is stored), the site edits, the texts, and newvalue
// preset to the current value with its limits; after OK it redraws the cell from the
// record (LastStore tells which word was written).
#include <optional>

#include "model/MapEditing.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAbNumSpin;
class TBitBtn;
class TEdit;
class TLabel;

class Tinsertdata : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "Tinsertdata"; }
  static void Publish(TClassProps<Tinsertdata>& P);

  TLabel* Label1 = nullptr;
  TEdit* loadsite = nullptr;
  TLabel* Label2 = nullptr;
  TEdit* speedsite = nullptr;
  TLabel* Speedinfo = nullptr;
  TLabel* Label3 = nullptr;
  TEdit* currentval = nullptr;
  TLabel* currentinfo = nullptr;
  TLabel* Label4 = nullptr;
  TAbNumSpin* newvalue = nullptr;
  TLabel* newinfo = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;

  // The record word the last OK or Enter wrote; empty after Cancel or when the caption
  // names no table.
  std::optional<TCellWrite> LastStore;

  void FormActivate(TObject* Sender);
  // Enter stores the value and closes, unless the edit shows its text as an error.
  void newvalueKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void BitBtn1Click(TObject* Sender);
  // Cancel: newvalue becomes 0 and nothing is stored.
  void BitBtn2Click(TObject* Sender);

 private:
  // Takes the typed text into newvalue and stores it; false (nothing stored, the dialog
  // stays open) when the edit shows the text as an error.
  bool Accept();
};

// Stores typed value `v` into the cell (speed site 0..31, load site 0..15) of the current
// table that `caption` names, converted as that table keeps its words; the boost target
// reads `v` in display pressure unit `pressureUnit` (0 kPa, 1 bar, 2 psi). Returns the
// word written, or nothing for a caption that names no table or a cell outside it.
std::optional<TCellWrite> StoreInsertData(TMapRecord& map, const AnsiString& caption, int speedSite,
                                          int loadSite, double v, int pressureUnit);

extern Tinsertdata* insertdata;
