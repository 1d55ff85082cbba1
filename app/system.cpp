// The replaceable answers of the machine seam.
#include "app/system.h"

#include <utility>

namespace app_system {
namespace {

std::function<bool(int, std::wstring&)>& KnownFolderOverride() {
    static std::function<bool(int, std::wstring&)> source;
    return source;
}

std::function<TempPathAnswer()>& TempPathOverride() {
    static std::function<TempPathAnswer()> source;
    return source;
}

}  // namespace

bool KnownFolder(int csidl, std::wstring& path) {
    if (const auto& source = KnownFolderOverride()) return source(csidl, path);
    return details::SystemKnownFolder(csidl, path);
}

TempPathAnswer TempPath() {
    if (const auto& source = TempPathOverride()) return source();
    return details::SystemTempPath();
}

void SetKnownFolderSource(std::function<bool(int, std::wstring&)> source) {
    KnownFolderOverride() = std::move(source);
}

void SetTempPathSource(std::function<TempPathAnswer()> source) { TempPathOverride() = std::move(source); }

}  // namespace app_system
