#pragma once
// Test folders under %TEMP%, removed with everything in them.
#include <string>

// Removes a folder with all its files and folders; read-only files too.
void RemoveTree(const std::wstring& folder);

// A new empty folder under %TEMP%, removed with everything in it at the end.
class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::wstring& Path() const noexcept { return fPath; }
    std::wstring File(const std::wstring& name) const { return fPath + L"\\" + name; }
    // Creates a folder below this one (and the ones between); returns its path.
    std::wstring MakeFolder(const std::wstring& relative) const;

private:
    std::wstring fPath;
};

// The current folder changed for the life of the object.
class TCurrentFolderScope {
public:
    explicit TCurrentFolderScope(const std::wstring& folder);
    ~TCurrentFolderScope();
    TCurrentFolderScope(const TCurrentFolderScope&) = delete;
    TCurrentFolderScope& operator=(const TCurrentFolderScope&) = delete;

private:
    std::wstring fPrevious;
};
