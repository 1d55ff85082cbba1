// The folder picker of the Folder and Shortcut pages: the shell's folder
// browser, proposing the product's sub-folder below the selection and
// accepting a typed folder after validating it.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

namespace wizard {

class FolderPicker {
public:
    FolderPicker() = default;
    ~FolderPicker();
    FolderPicker(const FolderPicker&) = delete;
    FolderPicker& operator=(const FolderPicker&) = delete;

    // Opens the browser; true with the chosen folder in `Path()`. `root`
    // (may be null) is the top of the tree; relative texts refer to its parent.
    bool Browse(const std::wstring& initialPath, const std::wstring& subFolder, const std::wstring& title,
        PCIDLIST_ABSOLUTE root);
    const std::wstring& Path() const { return m_path; }

private:
    static int CALLBACK Callback(HWND browser, UINT message, LPARAM lParam, LPARAM data);
    void OnInitialized(HWND browser);
    void OnSelectionChanged(HWND browser, PCIDLIST_ABSOLUTE item);
    bool OnValidateFailed(HWND browser, const wchar_t* text);
    void ShowInEdit() const;

    enum : unsigned { kComInitialized = 1, kTrackSelection = 2, kTypedAccepted = 4 };
    unsigned m_flags = 0;
    std::wstring m_path;
    std::wstring m_subFolder;
    std::optional<std::wstring> m_base;
    HWND m_edit = nullptr;
};

// The two pickers: the installation folder (the whole name space) and the
// start-menu folder (below the all-users Programs folder). An empty result
// when cancelled.
std::wstring BrowseInstallFolder(const std::wstring& initial, const std::wstring& subFolder, const std::wstring& title);
std::wstring BrowseStartMenuFolder(
    const std::wstring& initial, const std::wstring& subFolder, const std::wstring& title);

// The system's text for an error code, shown as the picker's warning box.
void ShowPickerError(HWND owner, unsigned long code);

}  // namespace wizard
