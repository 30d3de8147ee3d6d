// The [Rename] section of wininit.ini, which Windows 95 reads at its next
// start, as a transform of the file's bytes. Portable: no Windows header.
#pragma once
#include <cstddef>

// The entry line buffer: "FinalPath=TempPath\r\n".
constexpr std::size_t kRenameLineSize = 1024;

// Room the caller leaves behind the content for the header and a line break.
constexpr std::size_t kRenameSlack = 12;

// Formats "final=temp\r\n" into out; its length, or 0 when it does not fit.
std::size_t FormatRenameLine(const char* finalPath, const char* tempPath, char* out,
                             std::size_t cap);

// view holds the file's size bytes followed by any bytes up to capacity
// (where a mapping lengthens a file, Windows 9x may leave stale disk data),
// which must be at least size + lineLength + kRenameSlack. Puts the line
// directly below the first "[Rename]" CR LF header of the text (which ends at
// size or at its first NUL), or, when there is none, adds that header and the
// line at the end. Returns the new size (size itself when there is no room).
std::size_t InsertRenameLine(char* view, std::size_t size, std::size_t capacity, const char* line,
                             std::size_t lineLength);
