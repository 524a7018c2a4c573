// The spectrum history (the last 32 snapshots) and the 32 x 32 field of bars drawn from it.
// Rows are allocated once per load of the library, on the first frame.
#pragma once

const int kHistoryRows = 32;
const int kSnapshotBytes = 64;

extern unsigned char* SpectrumHistory[kHistoryRows];
extern bool historyNeedsAllocation;

void AllocateHistory();
void ShiftInSpectrum(const unsigned char* snapshot);
// The field is built (its vertices written from the history) once and drawn as often as needed:
// the zoom blur builds it once per played frame and draws it in each of its passes. It is built for
// the current model-view matrix, projection and viewport, without the sides these show from behind;
// it may be drawn with any narrower perspective too (the blur's later passes), which culls the same.
extern unsigned long barFieldBuilds;  // fields built since load
// Reads the driver's sub-pixel grid once for the current context: sides are left out only on a fine one.
void BarFieldReadDriverGrid();
void BarFieldBuild();
void BarFieldDraw();
int BarFieldVertices();  // in the field as last built
// The box that holds the field as last built: every bar's foot, as tall as its tallest bar (the
// history's highest bin, not the loudest possible). False while it is empty (no history yet).
bool BarFieldBounds(float low[3], float high[3]);
#ifdef SMEARSCOPE_REFERENCE_DRAWING
// The tests' references: the field built and drawn once, and one bar alone. Built into the tests only.
void DrawBarField();
void DrawBar(float x, float z, float width, float level, float alpha);
#endif
