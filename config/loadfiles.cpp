#include "config/loadfiles.h"

#include "platform/stdctrls/Edits.h"

TForm2* Form2 = nullptr;

void TForm2::Publish(TClassProps<TForm2>& P) {
  P.Field("Memo1", &TForm2::Memo1);
}
