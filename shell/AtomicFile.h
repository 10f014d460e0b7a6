#pragma once
// Replacing a file whole or not at all: the one way the game writes its files
// (the highscore list, the settings). The new bytes go to a fresh temporary
// file beside the old one, written unbuffered in pieces with every count
// checked, flushed to the disk and closed, and only then renamed over the old
// file. Whatever step fails, the old file (or no file, where there was none)
// stays in place byte for byte, the temporary file is removed, and the caller
// gets the system's reason. A buffered writer could take a short write (a full
// disk, a file-size limit) or a failed flush for success and put a cut-off
// file in place; here every step is checked where it happens.
//
// Any thread, but one writer per file at a time. The fault seam below is
// process-wide and meant for tests.
#include <QByteArray>
#include <QString>
#include <functional>

// The steps of a save, in their order. A save makes one Open, one Write per
// piece of at most AtomicWriteChunk bytes (none for no bytes), one Flush, one
// Close and one Rename.
enum class TAtomicStep { Open, Write, Flush, Close, Rename };

// The largest piece one write hands to the system.
inline constexpr qsizetype AtomicWriteChunk = 1024;

// Writes Bytes to FileName as described above. True when the new file is in
// place; otherwise false with the system's reason (e.g. "No space left on
// device") in Reason and the old file untouched. A FileName that is a symbolic
// link to a file replaces the file it points to and keeps the link. The new
// file keeps the old file's permission bits; a new one gets 0666 less umask.
bool WriteFileAtomically(const QString& FileName, const QByteArray& Bytes, QString& Reason);

// Fault seam: called before each step with the step and its number among the
// steps of that kind in this save (0 for the first write, 1 for the second,
// ...). A non-zero errno value makes the step fail with that error without
// doing it, as if the system had refused it; 0 lets it run. An empty function
// (the default) injects nothing.
using TAtomicFaultHook = std::function<int(TAtomicStep Step, int Index)>;
void SetAtomicFaultHook(TAtomicFaultHook Hook);
