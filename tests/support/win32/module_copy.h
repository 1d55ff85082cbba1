// A copy of the test program with resources added by UpdateResourceW, loaded
// as a data file: a real module whose string tables and version block the
// tests choose.
#pragma once

#include "tests/support/resource_builders.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace av_test {

struct module_resource {
    std::uint16_t type;
    std::uint16_t name;
    bytes data;
};

class module_copy {
public:
    explicit module_copy(const std::vector<module_resource>& resources)
    {
        wchar_t self[MAX_PATH];
        wchar_t temp[MAX_PATH];
        if (::GetModuleFileNameW(nullptr, self, MAX_PATH) == 0 || ::GetTempPathW(MAX_PATH, temp) == 0)
            return;
        wchar_t name[MAX_PATH];
        if (::GetTempFileNameW(temp, L"avm", 0, name) == 0)
            return;
        m_path = name;
        if (!::CopyFileW(self, m_path.c_str(), FALSE))
            return;
        HANDLE update = ::BeginUpdateResourceW(m_path.c_str(), FALSE);
        if (update == nullptr)
            return;
        bool written = true;
        for (const module_resource& r : resources) {
            written = written &&
                ::UpdateResourceW(update, MAKEINTRESOURCEW(r.type), MAKEINTRESOURCEW(r.name),
                    MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), const_cast<std::byte*>(r.data.data()),
                    static_cast<DWORD>(r.data.size()));
        }
        if (!::EndUpdateResourceW(update, written ? FALSE : TRUE) || !written)
            return;
        m_module = ::LoadLibraryExW(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~module_copy()
    {
        if (m_module != nullptr)
            ::FreeLibrary(m_module);
        if (!m_path.empty())
            ::DeleteFileW(m_path.c_str());
    }
    module_copy(const module_copy&) = delete;
    module_copy& operator=(const module_copy&) = delete;

    HMODULE module() const { return m_module; }
    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
    HMODULE m_module = nullptr;
};

}  // namespace av_test
