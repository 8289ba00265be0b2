#include "app/Main.h"

void TR7Tform1::PublishFiles(TClassProps<TR7Tform1>& P) { (void)P; }
