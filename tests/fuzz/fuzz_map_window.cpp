// A map record from a file, shown by the real main window: an arbitrary 25,728-byte
// record goes into a map file, is opened through the map-file path into a slot and shown
// by RefreshMapTables on the program's windows (offscreen). Nothing may crash or index
// out of range, and every value a window shows must lie within its control's range.
//
// An input shorter than a record is laid over the start of the default map that the main
// window's first activation makes; one byte after a whole record chooses the slot the
// file holds, the load option and the current map.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "files/HKStreamCol.h"
#include "app/Main.h"
#include "files/MapFiles.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "controls/AdvSpin.h"
#include "gauges/AbNumEdit.h"
#include "platform/classes/Streams.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

namespace {

[[noreturn]] void Fail(const AnsiString& what) {
  std::fprintf(stderr, "map window: %s\n", what.c_str());
  std::abort();
}

struct Program {
  std::string dir;
  std::unique_ptr<ui::DialogScript> script;
  std::unique_ptr<TMapRecord> defaultMap;
};

// The program's windows, made once as at start-up; the first activation is answered as a
// user without a port answers it. Any later dialog is unscripted and fails the input.
Program& StartOnce() {
  static Program* p = [] {
    auto* prog = new Program;
    char tmpl[] = "/tmp/cq5-fuzz-map-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) std::abort();
    prog->dir = tmpl;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", (prog->dir + "/config").c_str(), 1);
    Application->Initialize();
    CreateProgramForms();
    R7Tform1->SettingsFileName = prog->dir + "/R7TQ5.ini";
    prog->script = std::make_unique<ui::DialogScript>();
    prog->script->AnswerForm([](TForm& form) { form.SetModalResult(mrCancel); });  // no port chosen
    prog->script->Answer(mrOk);                                                    // "No port selected"
    R7Tform1->Show();
    Application->ProcessMessages();
    if (!MainWindowActivated) Fail("the main window did not start");
    prog->defaultMap = std::make_unique<TMapRecord>(MapSlots[1]);
    return prog;
  }();
  return *p;
}

void CheckRange(const AnsiString& name, double value, double lo, double hi) {
  if (std::isnan(value) || (lo < hi && (value < lo || value > hi)))
    Fail(name + " shows " + FloatToStr(value) + " outside " + FloatToStr(lo) + ".." + FloatToStr(hi));
}

void CheckIndex(const AnsiString& name, int index, int count) {
  if (index < -1 || index >= count) Fail(name + " selects item " + IntToStr(index) + " of " + IntToStr(count));
}

// Every control of every window: numeric edits within their limits, list choices within
// their lists.
void CheckControls(TComponent* owner) {
  for (int i = 0; i < owner->ComponentCount(); ++i) {
    TComponent* c = owner->Components(i);
    const AnsiString name = AnsiString(owner->Name()) + "." + c->Name();
    if (auto* n = dynamic_cast<TAbNumEdit*>(c)) CheckRange(name, n->Value(), n->MinValue(), n->MaxValue());
    if (auto* s = dynamic_cast<TAdvSpinEdit*>(c)) {
      if (s->SpinType() == sptNormal) CheckRange(name, s->Value(), s->MinValue(), s->MaxValue());
      if (s->SpinType() == sptFloat) CheckRange(name, s->FloatValue(), s->MinFloatValue(), s->MaxFloatValue());
    }
    if (auto* b = dynamic_cast<TComboBox*>(c)) CheckIndex(name, b->ItemIndex(), b->Items()->Count());
    if (auto* g = dynamic_cast<TRadioGroup*>(c)) CheckIndex(name, g->ItemIndex(), g->Items()->Count());
    CheckControls(c);
  }
}

}  // namespace

// System libraries that keep caches for the life of the process (font configuration, the
// GUI toolkit, GLib), as the sanitizer runs of the tests suppress them; the program's own
// code gets no suppression.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libQt6\nleak:libglib\nleak:libgsf\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  Program& p = StartOnce();
  const auto record = std::make_unique<TMapRecord>(*p.defaultMap);
  std::memcpy(record->Bytes(), Data, std::min(Size, kMapRecordSize));
  const uint8_t choice = Size > kMapRecordSize ? Data[kMapRecordSize] : 0;
  const int slot = 1 + choice % 3;

  const AnsiString file = p.dir + "/fuzz.map";
  {
    THKStreams container(nullptr);
    container.Encrypted = false;
    container.Compressed = (choice & 0x80) != 0;
    TStringStream version(kMapVersionText);
    TStringStream map(AnsiString(reinterpret_cast<const char*>(record->Bytes()), kMapRecordSize));
    container.AddStream(kMapVersionStream, &version);
    container.AddStream(MapStreamName(slot), &map);
    container.SaveToFile(file);
  }

  for (int k = 1; k <= 3; ++k) MapSlots[k] = *p.defaultMap;
  CurrentMap = 1 + (choice >> 3) % 3;
  TMapFileOpenOptions options;
  options.Maps[slot - 1] = true;
  options.LoadOption = (choice & 4) != 0 ? mlImportIntoCurrentSlot : mlLoadAll;
  const TMapOpenResult result = OpenMapFile(file, options);
  if (!result.Ok) Fail("a whole map file was refused: " + result.Message);
  R7Tform1->UpdateRPMsites();
  R7Tform1->RefreshMapTables();
  Application->ProcessMessages();
  for (int i = 0; i < Screen->FormCount(); ++i) CheckControls(Screen->Forms(i));
  return 0;
}
