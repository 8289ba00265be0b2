#pragma once
// The gallery names and texts of series, functions, tools and the chart's commands.
#include <vector>
#include "platform/rtl/AnsiString.h"

// The 217 texts in table order.
const std::vector<AnsiString*>& ProMessageVariables();
void FillProMessages();
void ClearProMessages();

extern AnsiString &TeeMsg_GallerySurface, &TeeMsg_GalleryContour, &TeeMsg_GalleryWaterFall, &TeeMsg_GalleryColorGrid,
    &TeeMsg_GalleryVector3D, &TeeMsg_GalleryTower, &TeeMsg_Gallery3D, &TeeMsg_FunctionSmooth, &TeeMsg_RotateTool, &TeeMsg_CursorTool,
    &TeeMsg_ColorRange, &TeeMsg_WireFrame, &TeeMsg_DotFrame, &TeeMsg_RotationElevation, &TeeMsg_ZoomPercent,
    &TeeMsg_Positions, &TeeMsg_NoGrid, &TeeMsg_SingleColor, &TeeMsg_Cover, &TeeMsg_Cone;
