#pragma once
// What the main window's first activation does to the other windows: the grids of the
// additional tables, the configuration editor, the site editors and the logger. Kept
// apart from the main window so that its own lifecycle reads as one sequence.
#include <array>

#include "platform/stdctrls/StdCtrls.h"

// Registers every control class the main window's resource uses; later calls do nothing.
void RegisterMainWindowControlClasses();

// The logger's trend recorder stops recording.
void StopLoggerRecorder();
// Spin steps of one duty unit (100/255 %) for the boost duty limits.
void SetBoostDutyIncrements();
// Column counts of the additional 34 x 17 tables and the speed-site editor.
void ShapeOtherWindowGrids();
// Spin steps of one duty unit for the PWM temperature adjustments.
void SetPWMAdjustIncrements();
// Centred tables and the coloured header cells of the additional tables and the sensor
// tables; the idle-fuel load axis.
void ShapeAdditionalTables();
// The boost tables' five load rows 0, 25, 50, 75, 100.
void ShowBoostLoadAxis();
// Row captions, fonts and size of the cylinder-trim table.
void ShapeCylinderTrimTable();
// Grids sized to their contents, and the load-site editor laid out around its grid.
void SizeGridsToContents();
// The configuration editor loads and shows its defaults (ConfigBlock).
void ShowConfigurationDefaults();
// The battery-compensation table and its two chart series for the ten axis voltages.
void ShowBatteryCompensation(const std::array<double, 10>& volts);
// The 51 channel-function names as the items of a channel selector.
void FillChannelItems(TComboBox* selector);
// The logger's channel selectors and start/stop trigger fields from LoggerSettings.
void ShowLoggerSettings();
// The logger's channels re-read units, decimals and ranges from the channel functions.
void RefreshLoggerChannels();
// The logger's "recording enabled" box takes LoggerSettings.Enabled and applies it.
void ApplyLoggerEnabled();
// Shows the port-selection window modally; true when the user confirmed a port.
bool ShowSelectPort();
