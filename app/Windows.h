#pragma once
// The secondary windows of the program are read from form resources; this registers
// every control class they use (standard controls, grid, edits, labels, chart, gauges,
// trend recorder, stream container). Call it once before the forms are created; later
// calls do nothing.
void RegisterProgramWindows();
