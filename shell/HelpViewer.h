#pragma once
// Starting the desktop's help viewer, in two steps: a viewer for the compiled
// help file, else the same pages as HTML in the desktop's browser. Every
// function here returns at once (the viewer runs as a process of its own, not
// a child the game waits for) and shows nothing to the player. Window thread.
#include <QString>
#include <QStringList>

// The compiled-help viewers tried, in this order, by their program names on PATH.
QStringList ChmViewerPrograms();

// Starts the first viewer of ChmViewerPrograms() found on PATH with the file
// as its one argument. False when none is installed or it cannot be started.
bool StartChmViewer(const QString& ChmFile);

// Opens a local HTML page with the desktop's default handler (xdg-open or the
// desktop portal, through QDesktopServices; xdg-open directly where the
// platform plugin offers no such service). False when nothing could be started.
bool OpenInBrowser(const QString& HtmlFile);
