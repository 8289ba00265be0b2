#include "app/Main.h"

void TR7Tform1::PublishEditing(TClassProps<TR7Tform1>& P) { (void)P; }
