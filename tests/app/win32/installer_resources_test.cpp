// The resources compiled into Install.exe, read from the file next to the
// test program: the message tables of the eight languages, the icons and
// flags, the banner, the dialogs, the manifest and the version block.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "support/version_info.h"
#include "tests/app/win32/child_process.h"

namespace {

constexpr int kOffsets[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 100, 101, 102, 103, 104,
    105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 129};
constexpr int kBlocks[] = {1, 2, 3, 4, 5, 6, 9, 12};  // fr en de es pt it tr ro

BOOL CALLBACK NoteLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found)
{
    reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
    return TRUE;
}

struct ModuleDeleter {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};

class InstallerResources : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        path_ = test::ProgramFolder() + L"Install.exe";
        module_.reset(
            LoadLibraryExW(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    }
    static void TearDownTestSuite() { module_.reset(); }

    static std::wstring String(int id)
    {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(module_.get(), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
        return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
    }
    static bool Has(int id, LPCWSTR type)
    {
        return FindResourceW(module_.get(), MAKEINTRESOURCEW(id), type) != nullptr;
    }

    static std::wstring path_;
    static std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter> module_;
};

std::wstring InstallerResources::path_;
std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter> InstallerResources::module_;

TEST_F(InstallerResources, MessagesOfEightLanguages)
{
    ASSERT_NE(module_, nullptr);
    for (int block : kBlocks)
        for (int offset : kOffsets) {
            const std::wstring text = String(block * 1000 + offset);
            EXPECT_FALSE(text.empty()) << block * 1000 + offset;
            EXPECT_EQ(text.find(L'#'), std::wstring::npos) << block * 1000 + offset;
        }
    // The languages without texts of their own have blocks of "#" entries
    // (Dutch is 7, Hungarian 20); the help is written out in French and
    // English only.
    for (int block : {7, 8, 10, 11, 13, 14, 15, 16, 17, 18, 19, 20})
        for (int offset : {0, 18, 100, 129, 131})
            EXPECT_EQ(String(block * 1000 + offset), L"#") << block;
    for (int block : {3, 4, 5, 6, 9, 12})
        EXPECT_EQ(String(block * 1000 + 131), L"#") << block;
    EXPECT_NE(String(2131).find(L"/SILENT\t"), std::wstring::npos);
    EXPECT_EQ(String(1123), L"Dossier d'installation\u00A0: %1.");
    EXPECT_EQ(String(2000), L"Installer");
    EXPECT_EQ(String(1000), L"Installeur");
    EXPECT_EQ(String(1012), L"\u00C9chec");
    EXPECT_EQ(String(2110), L"Installation is not complete.\r\n\r\nDo you still confirm exit Installation ?");
    EXPECT_EQ(String(1105), L"Cliquez sur '%1' pour continuer ou sur '%2' pour quitter l'installeur.");
    EXPECT_EQ(String(9000), L"Kurulum Program\u0131");
    EXPECT_EQ(String(12004), L"Ie\u0219ire");
}

TEST_F(InstallerResources, IconsFlagsBannerAndDialogs)
{
    ASSERT_NE(module_, nullptr);
    EXPECT_TRUE(Has(128, RT_GROUP_ICON));
    for (int flag = 141; flag <= 161; ++flag)
        EXPECT_EQ(Has(flag, RT_GROUP_ICON), flag != 159) << flag;
    for (int dialog : {100, 102, 132, 133, 134, 135, 136, 137})
        EXPECT_TRUE(Has(dialog, RT_DIALOG)) << dialog;
    EXPECT_TRUE(Has(137, RT_BITMAP));

    // A flag at its stored size is 16 x 12.
    const HMODULE loaded = LoadLibraryExW(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(loaded, nullptr);
    const auto icon = static_cast<HICON>(LoadImageW(loaded, MAKEINTRESOURCEW(144), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_NE(icon, nullptr);
    ICONINFO info {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap {};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 16);
    EXPECT_EQ(bitmap.bmHeight, 12);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    FreeLibrary(loaded);
}

TEST_F(InstallerResources, ManifestAsksForAdministratorAndCommonControls6)
{
    ASSERT_NE(module_, nullptr);
    const HRSRC resource = FindResourceW(module_.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(resource, nullptr);
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module_.get(), resource)));
    const std::string manifest(data, SizeofResource(module_.get(), resource));
    EXPECT_NE(manifest.find(R"(level="requireAdministrator" uiAccess="false")"), std::string::npos);
    EXPECT_NE(manifest.find(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"), std::string::npos);
    EXPECT_NE(manifest.find(R"(processorArchitecture="*")"), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    int supported = 0;
    for (std::size_t at = manifest.find("<supportedOS"); at != std::string::npos;
         at = manifest.find("<supportedOS", at + 1))
        ++supported;
    EXPECT_EQ(supported, 5);
}

TEST_F(InstallerResources, VersionBlock)
{
    const av::version_info info = av::version_info::from_file(path_);
    ASSERT_TRUE(info.has_fixed_part());
    EXPECT_EQ(info.file_version(), 0x0002000400010001ull);
    EXPECT_EQ(info.string_value(L"ProductName"), L"Install");
    EXPECT_EQ(info.string_value(L"ProductVersion"), L"2.04a");
    EXPECT_EQ(info.string_value(L"FileVersion"), L"2.4.1.1");
    EXPECT_EQ(info.string_value(L"FileDescription"), L"Installeur Korvane 6.03g");
    EXPECT_EQ(info.string_value(L"CompanyName"), L"Arvell & Divizere");
    EXPECT_EQ(info.string_value(L"InternalName"), L"Install");
    EXPECT_EQ(info.string_value(L"ApplicationId"), L"Korvane6");
    EXPECT_NE(info.legal_notice().find(L"Arvell & Divizere"), std::wstring::npos);
    EXPECT_EQ(info.display_version(), L"Install 2.04a");

    // One translation: language neutral (0x0400) in Unicode (1200).
    const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), nullptr);
    ASSERT_NE(size, 0u);
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, block.data()));
    void* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translation, &length));
    ASSERT_EQ(length, 4u);
    const auto* pair = static_cast<const WORD*>(translation);
    EXPECT_EQ(pair[0], 0x0400);
    EXPECT_EQ(pair[1], 1200);
    void* name = nullptr;
    EXPECT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040004b0\\ProductName", &name, &length));
}

#ifdef AV_PRODUCT_DIR
// The payload archive the build packed is carried as it is, type 260, id 134.
TEST_F(InstallerResources, PayloadIsThePackedArchive)
{
    ASSERT_NE(module_, nullptr);
    const std::string archivePath = std::string("Z:") + AV_PRODUCT_DIR + "/payload.bz2";
    std::ifstream file(archivePath, std::ios::binary);
    if (!file)
        GTEST_SKIP() << "no payload packed in this build";
    const std::string archive((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // Carried in the neutral language with the default sub-language, 1024.
    const HRSRC resource = FindResourceExW(module_.get(), MAKEINTRESOURCEW(260), MAKEINTRESOURCEW(134), 1024);
    ASSERT_NE(resource, nullptr);
    std::vector<WORD> languages;
    EnumResourceLanguagesW(module_.get(), MAKEINTRESOURCEW(260), MAKEINTRESOURCEW(134), &NoteLanguage,
        reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::vector<WORD> {1024});
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module_.get(), resource)));
    ASSERT_EQ(SizeofResource(module_.get(), resource), archive.size());
    EXPECT_TRUE(std::equal(archive.begin(), archive.end(), data));
}
#endif

}  // namespace
