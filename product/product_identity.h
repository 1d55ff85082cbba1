// What the sample product's own programs know about themselves: the names
// they share with the installer (the running-instance counter, the uninstall
// key, the product path value) and the document type the main program
// registers. The installer keeps its own copy of the shared names; these
// programs stand in for a product that is built elsewhere.
#pragma once

namespace product {

// Every running process of the product holds one count of this semaphore.
inline constexpr wchar_t kRunningCounterName[] = L"Global\\Korvane6.{a3526b56-ca7c-4e16-8a26-da7758a378fd}";

inline constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane 6";
inline constexpr wchar_t kMakerKey[] = L"Software\\Arvell & Divizere";
inline constexpr wchar_t kProductPathValue[] = L"Korvane 6 Path";

// The document type registered by the registration run, under HKEY_CLASSES_ROOT.
inline constexpr wchar_t kDocumentExtension[] = L".kvn";
inline constexpr wchar_t kDocumentClass[] = L"Korvane.Document";
// Value of kDocumentClass holding the arguments of the last registration run,
// so that tests can see what the installer passed.
inline constexpr wchar_t kRegisteredWithValue[] = L"RegisteredWith";

// Exit code of a successful registration run.
inline constexpr int kRegistrationSucceeded = -10;

}  // namespace product
