#pragma once
// The help button: the compiled help file ZuggleDart.chm in a CHM viewer, or,
// where no viewer is installed (or the file is missing), the same pages as
// HTML in the desktop's browser. The pages are built into the executable and
// unpacked into the per-user cache when they are needed. Window thread.
#include <QString>

// The file name of the compiled help.
inline constexpr const char* HelpFileName = "ZuggleDart.chm";

// Where the compiled help is: beside the executable when it is there (a
// build or an unpacked copy); else the copy in the shared data folders of an
// installed copy (for example /usr/share/ZuggleDart/); else the path beside
// the executable, which then does not exist.
QString HelpFilePath();

// Writes the embedded help pages into Folder (created when missing),
// rewriting only files whose content differs. Returns the full path of the
// start page there, or an empty string when the pages could not be written.
QString UnpackHelpPages(const QString& Folder);

// The help button's action: StartChmViewer with HelpFile when that file
// exists; when that fails, the embedded pages unpacked into the per-user
// cache folder ("help" below QStandardPaths::CacheLocation) and opened in the
// browser. Whatever fails, nothing is shown to the player and the game goes on.
void HelpBtnClick(const QString& HelpFile);
