#include "app/Main.h"

void TR7Tform1::PublishMenus(TClassProps<TR7Tform1>& P) { (void)P; }
