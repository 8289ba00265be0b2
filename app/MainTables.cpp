#include "app/Main.h"

void TR7Tform1::PublishTables(TClassProps<TR7Tform1>& P) { (void)P; }
