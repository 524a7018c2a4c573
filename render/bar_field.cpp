// Stand-in: the spectrum history and bar field are built in their own change.
#include "render/bar_field.h"
unsigned char* SpectrumHistory[kHistoryRows];
bool historyNeedsAllocation = true;
void AllocateHistory() {}
void ShiftInSpectrum(const unsigned char*) {}
void DrawBarField() {}
void DrawBar(float, float, float, float, float) {}
