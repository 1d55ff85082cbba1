// The few security operations the installer needs: the administrator check,
// granting the built-in Users group access on a file or folder, switching a
// privilege, and (on Windows) the Everyone descriptor of the global named
// objects. None of them throws; they answer with a bool.
//
// In the Linux build (portable tests and tools) there are no access lists:
// GrantUsersAccess maps the mask onto the group and other permission bits
// (FILE_READ_DATA 0x1 adds read, FILE_WRITE_DATA 0x2 write, FILE_EXECUTE
// 0x20 execute; nothing is removed; a missing path gives false), SetPrivilege
// answers true, and IsAdministrator is true when the effective user is root.
// The Windows-only parts (the bound security functions, the Everyone
// descriptor, the in-memory building of the new list) are in
// platform/win32/security.h.
#pragma once

#include <cstdint>
#include <string>

// Read, write and delete; granted on data files, no inheritance flags.
inline constexpr std::uint32_t kDataFileAccess = 0x13019F;
// Full control; granted on data folders with inheritance flags 3.
inline constexpr std::uint32_t kDataFolderAccess = 0x1F01FF;
inline constexpr std::uint32_t kDataFolderInheritance = 3;

// Is the current process token a member of the local Administrators group?
bool IsAdministrator();

// Gives the built-in Users group `mask` on `path` (one entry, replacing any it
// had), keeping the other entries and the inheritance state of the list.
bool GrantUsersAccess(const std::wstring& path, std::uint32_t mask, std::uint32_t aceFlags);

// Switches a privilege ("SeBackupPrivilege", "SeRestorePrivilege") of the
// process on or off.
bool SetPrivilege(const wchar_t* name, bool enable);
