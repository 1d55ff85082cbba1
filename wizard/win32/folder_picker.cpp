// The shell folder browser with the sub-folder proposal and typed-folder validation.
#include "wizard/win32/folder_picker.h"

#include <memory>
#include <vector>

#include "framework/win32/framework.h"
#include "lang/languages.h"
#include "support/error.h"
#include "support/ui_hooks.h"
#include "support/win_path.h"
#include "wizard/folder_rules.h"

namespace wizard {

using winpath::IsFullyQualified;
using winpath::PathComponents;
using winpath::PathJoin;
using winpath::PathRoot;
using winpath::QualifyPath;

namespace {

struct TaskMemFree {
    void operator()(void* p) const { ::CoTaskMemFree(p); }
};
using ItemList = std::unique_ptr<ITEMIDLIST, TaskMemFree>;

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::wstring> PathOfItem(PCIDLIST_ABSOLUTE item)
{
    wchar_t buffer[MAX_PATH] = {};
    if (item == nullptr || !::SHGetPathFromIDListW(item, buffer))
        return std::nullopt;
    return std::wstring(buffer);
}

std::wstring CurrentFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, buffer);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

BOOL CALLBACK FindEdit(HWND window, LPARAM data)
{
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name, 4, L"Edit", 4) == CSTR_EQUAL) {
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void ShowPickerError(HWND owner, unsigned long code)
{
    av::show_system_error(owner, static_cast<std::uint32_t>(code));
}

FolderPicker::~FolderPicker()
{
    if (m_flags & kComInitialized)
        ::CoUninitialize();
}

bool FolderPicker::Browse(
    const std::wstring& initialPath, const std::wstring& subFolder, const std::wstring& title, PCIDLIST_ABSOLUTE root)
{
    const HWND owner = static_cast<HWND>(av::default_owner_window());
    if ((m_flags & kComInitialized) == 0) {
        const HRESULT hr = ::CoInitialize(nullptr);
        if (FAILED(hr)) {
            ShowPickerError(owner, static_cast<unsigned long>(hr));
            return false;
        }
        m_flags |= kComInitialized;
    }
    m_flags &= ~(kTrackSelection | kTypedAccepted);

    std::optional<std::wstring> rootPath;
    m_base.reset();
    if (root != nullptr) {
        rootPath = PathOfItem(root);
        if (rootPath) {
            // Relative texts refer to the root's parent folder.
            std::vector<std::wstring> parts = PathComponents(*rootPath);
            std::wstring base = PathRoot(*rootPath);
            if (!parts.empty())
                parts.pop_back();
            for (const std::wstring& part : parts)
                base = PathJoin(base, part);
            m_base = base;
        }
    }

    wchar_t documents[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents)))
        documents[0] = L'\0';
    m_path = PickerStartPath(initialPath, rootPath, documents);
    m_subFolder = UsableSubFolder(subFolder);
    m_path = ApplySubFolderRule(m_path, m_subFolder, m_base);

    BROWSEINFOW info {};
    info.hwndOwner = owner;
    info.pidlRoot = root;
    info.lpszTitle = title.empty() ? nullptr : title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_NEWDIALOGSTYLE;
    if (!m_subFolder.empty())
        info.ulFlags |= BIF_EDITBOX | BIF_VALIDATE;
    info.lpfn = &FolderPicker::Callback;
    info.lParam = reinterpret_cast<LPARAM>(this);

    const ItemList chosen(::SHBrowseForFolderW(&info));
    m_edit = nullptr;
    if (!chosen)
        return false;
    const std::optional<std::wstring> chosenPath = PathOfItem(chosen.get());
    if ((m_flags & kTypedAccepted) == 0 && chosenPath)
        m_path = *chosenPath;
    return chosenPath.has_value() || (m_flags & kTypedAccepted) != 0;
}

int CALLBACK FolderPicker::Callback(HWND browser, UINT message, LPARAM lParam, LPARAM data)
{
    auto* picker = reinterpret_cast<FolderPicker*>(data);
    // The shell's browser called us: nothing thrown may go back into it.
    try {
        switch (message) {
        case BFFM_INITIALIZED:
            picker->OnInitialized(browser);
            return 0;
        case BFFM_SELCHANGED:
            picker->OnSelectionChanged(browser, reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
            return 0;
        case BFFM_VALIDATEFAILEDW:
            return picker->OnValidateFailed(browser, reinterpret_cast<const wchar_t*>(lParam)) ? 0 : 1;
        default:
            return 0;
        }
    } catch (...) {
        afx::ReportException();
        // A typed folder that could not be checked keeps the browser open.
        return message == BFFM_VALIDATEFAILEDW ? 1 : 0;
    }
}

void FolderPicker::OnInitialized(HWND browser)
{
    m_flags |= kTrackSelection;
    std::wstring absolute = m_path;
    if (m_base && !IsFullyQualified(absolute)) {
        if (const auto full = QualifyPath(absolute, *m_base))
            absolute = *full;
    }
    // The deepest folder that exists on the way up.
    std::wstring existing;
    std::vector<std::wstring> parts = PathComponents(absolute);
    const std::wstring root = PathRoot(absolute);
    while (!root.empty()) {
        std::wstring candidate = root;
        for (const std::wstring& part : parts)
            candidate = PathJoin(candidate, part);
        if (IsFolder(candidate)) {
            existing = candidate;
            break;
        }
        if (parts.empty())
            break;
        parts.pop_back();
    }
    if (!existing.empty()) {
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(existing.c_str()));
        ::SendMessageW(browser, BFFM_SETEXPANDED, TRUE, reinterpret_cast<LPARAM>(existing.c_str()));
    }
    if (!m_subFolder.empty()) {
        m_edit = nullptr;
        ::EnumChildWindows(browser, &FindEdit, reinterpret_cast<LPARAM>(&m_edit));
        if (!existing.empty())
            ShowInEdit();
    }
}

void FolderPicker::OnSelectionChanged(HWND browser, PCIDLIST_ABSOLUTE item)
{
    if ((m_flags & kTrackSelection) == 0)
        return;
    const std::optional<std::wstring> path = PathOfItem(item);
    if (path) {
        m_path = ApplySubFolderRule(*path, m_subFolder, m_base);
        ShowInEdit();
    }
    if (m_subFolder.empty())
        ::SendMessageW(browser, BFFM_ENABLEOK, 0, path ? TRUE : FALSE);
}

bool FolderPicker::OnValidateFailed(HWND browser, const wchar_t* text)
{
    const TypedFolder typed = ValidateTypedFolder(text != nullptr ? text : L"", m_base, CurrentFolder());
    if (typed.error != 0) {
        ShowPickerError(browser, typed.error);
        return false;
    }
    m_path = typed.path;
    m_flags |= kTypedAccepted;
    return true;
}

void FolderPicker::ShowInEdit() const
{
    if (m_edit == nullptr)
        return;
    ::SetWindowTextW(m_edit, m_path.c_str());
    ::SendMessageW(m_edit, EM_SETSEL, 0, -1);
}

std::wstring BrowseInstallFolder(const std::wstring& initial, const std::wstring& subFolder, const std::wstring& title)
{
    FolderPicker picker;
    return picker.Browse(initial, subFolder, title, nullptr) ? picker.Path() : std::wstring();
}

std::wstring BrowseStartMenuFolder(
    const std::wstring& initial, const std::wstring& subFolder, const std::wstring& title)
{
    FolderPicker picker;
    PIDLIST_ABSOLUTE rootItem = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_COMMON_PROGRAMS, &rootItem)))
        rootItem = nullptr;
    const ItemList root(rootItem);
    if (!picker.Browse(initial, subFolder, title, root.get()))
        return {};
    // A relative result (typed or proposed) is read from the root's parent.
    return picker.Path();
}

}  // namespace wizard
