#include "app/Main.h"

void TR7Tform1::PublishFields(TClassProps<TR7Tform1>& P) { (void)P; }
