#pragma once
// Whether a path names an existing folder or file.
#include <string>

// A failed attribute query counts as missing only for the errors that say
// the path does not lead anywhere (not found, bad name, network path or
// device not ready); for any other error the folder counts as existing. A
// link to a folder counts when its target can be opened.
bool DirectoryExists(const std::wstring& path);

// An existing file that is not a folder. A link counts when its target can
// be opened for reading or is held open by another program without sharing.
// When the attribute query fails for another reason than not found or a bad
// name, a search for the name decides.
bool FileExists(const std::wstring& path);

// Creates one folder; true when it was created.
bool CreateFolder(const std::wstring& path);
