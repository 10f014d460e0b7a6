#pragma once
// Where the game keeps its two files, Scores.dat and ZuggleDart.ini: beside the
// executable, as a copy unpacked into a folder of its own expects; where that
// folder cannot be written (an installed copy under /usr), in the per-user
// data folder (QStandardPaths::AppDataLocation) instead. Every reader and
// writer of those files asks here, so both always live in the same folder.
// Window thread; needs the QCoreApplication (application name and path).
#include <QString>

// The full path of FileName (a bare name such as "Scores.dat") in the data
// folder. The folder is decided at the first call and kept for the run, so a
// folder that becomes writable or read-only later does not split the files.
QString DataFilePath(const QString& FileName);

// The folder DataFilePath uses, with a trailing '/'.
QString DataFolder();

// The decision itself: ExeFolder when a file can be created in it and it is
// not one of the system's program folders (/usr and below, /bin, /sbin, and
// Flatpak's /app: an installed copy, even when run by root), else UserFolder (created with its parents when missing). Both with or without a
// trailing '/'; the result has one.
QString ChooseDataFolder(const QString& ExeFolder, const QString& UserFolder);

// Fixes the data folder for the rest of the run (tests give each run a fresh
// folder); an empty Folder makes the next call decide again.
void SetDataFolder(const QString& Folder);
