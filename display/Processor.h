#pragma once
// What the processor this program runs on can do, for the row routines that
// have faster versions than the ones every x86-64 processor runs, and whether
// a second thread can run beside the first. Each is asked once (the count of
// processors is read from the system's files on every call); the features
// are false wherever the build has no such versions.

bool ProcessorHasAvx2();
bool ProcessorHasAvx512();
bool ProcessorHasManyCores();
