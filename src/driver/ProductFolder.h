// The product folder under "Program Files\" and the copy of the
// installation source into it, for media that will not stay in the drive.
#pragma once

// Sets DriverSourceFolder to the product folder and, when nothing of that
// name exists, creates it level by level and records it for the uninstaller.
// 0 when no product folder path could be formed or made (then nothing is
// set or recorded).
int CreateProductFolder();

// Copies every file and subfolder of source into destination (both end
// with a backslash; destination exists). Copies end with normal attributes.
// Entries whose paths would not fit the path buffers are skipped.
void CopyTree(const char* source, const char* destination);
