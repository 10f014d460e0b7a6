#pragma once
// What the processor this program runs on can do, for the row routines that
// have faster versions than the ones every x86-64 processor runs. Each is
// asked once; false wherever the build has no such versions.

bool ProcessorHasAvx2();
bool ProcessorHasAvx512();
