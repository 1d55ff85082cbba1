// Test scaffolding shared by the platform and recorder tests: a scratch folder
// that is removed with everything in it (read-only files included), and paths
// joined with the platform's separator.
#pragma once

#include "platform/file_system.h"
#include "platform/known_folders.h"

#include <atomic>
#include <filesystem>
#include <string>

namespace av::test {

#ifdef _WIN32
inline constexpr wchar_t kSep = L'\\';
#else
inline constexpr wchar_t kSep = L'/';
#endif

inline std::wstring join(std::wstring a, const std::wstring& b)
{
    if (!a.empty() && a.back() != L'\\' && a.back() != L'/')
        a.push_back(kSep);
    return a + b;
}

// Removes a tree, first clearing read-only attributes through the seam (the
// standard library cannot delete a read-only file on Windows).
inline void remove_tree(const std::wstring& root)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(fs::path(root), ec))
        return;
    for (fs::recursive_directory_iterator it(fs::path(root), ec), end; !ec && it != end; it.increment(ec))
        (void)platform::system_file_system().set_attributes(it->path().wstring(), platform::attr_normal);
    fs::remove_all(fs::path(root), ec);
}

// A fresh, empty folder below the temporary folder, removed at the end.
class scratch_folder {
public:
    scratch_folder()
    {
        static std::atomic<unsigned> counter {0};
        std::wstring temp;
        (void)platform::system_known_folders().temp_folder(temp);
        path_ = join(temp,
            L"avtest-" +
                std::to_wstring(std::filesystem::file_time_type::clock::now().time_since_epoch().count() % 1000000007) +
                L"-" + std::to_wstring(++counter));
        remove_tree(path_);
        std::filesystem::create_directories(std::filesystem::path(path_));
    }
    ~scratch_folder() { remove_tree(path_); }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return join(path_, name); }

private:
    std::wstring path_;
};

}  // namespace av::test
