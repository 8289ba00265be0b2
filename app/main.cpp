// CorvaneQ5 program entry.
#include "app/Main.h"
#include "platform/ui/Application.h"

int main() { return Application->RunProgram(StartProgram); }
