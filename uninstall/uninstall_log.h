// The uninstall recorder: the ordered record of everything an installation run
// creates or replaces (folders, files, shortcuts, the uninstall key, the
// product's own registration), with a backup of whatever it replaced. A
// successful run writes the record to "Uninstall.ulog" for the product's
// uninstaller; a failed run undoes it, newest first (RollBack). At start-up
// the log of a previous installation is loaded, so that the new log carries
// its entries forward and the previous shortcuts can be replaced.
//
// File format of "Uninstall.ulog" (UTF-16LE with the mark FF FE, every line
// ending with CR LF):
//   // Uninstall Log File v1
//   // ############ WARNING: Do not delete or modify this file. ############
//   // Install <product label>[ -- Update (<previous version>)]
//   // Install Path : <installation folder>
//   // Shortcut Path : <start-menu folder>
//   // <16 + length of the start-menu folder hyphens>
//   <index>:<code>:<flag> -- <path>        one line per entry
// index: decimal, at least 4 digits, from 0; code: kind * 256 + (detail & 255),
// lowercase hex, at least 4 digits; flag: 1 succeeded, 0 failed.
//
// The recorder works on the machine it is given (platform/machine.h: files,
// registry, the temporary folder of its backups, the privileges of the key's
// save and restore), by default the real one; tests hand it their own, or
// the fault-injecting one. It never throws. It is a plain library type, so that a
// separate program (the product's uninstaller) can Load a log and walk its
// entries.
#pragma once

#include "platform/machine.h"

#include <cstdint>
#include <list>
#include <string>

struct UninstallLogEntry {
    // What an entry stands for. The numbers are written to the log file.
    enum EntryKind : std::int32_t {
        CreatedFolder = 0,
        InstalledFile = 1,
        MenuShortcut = 2,
        MenuUninstallShortcut = 3,
        DesktopShortcut = 4,
        UninstallKey = 5,
        ProductRegistration = 6,
    };

    std::int32_t kind = CreatedFolder;  // an EntryKind
    // Full path of the object; may be empty (a shortcut that was never made;
    // the key and the registration until Write names them).
    std::wstring path;
    // Temporary file holding what this entry replaced; empty when nothing was.
    std::wstring backupPath;
    // Whether the step that created the object finished successfully.
    bool succeeded = false;
    // For InstalledFile the payload kind (0 to 4); -1 for every other kind.
    std::int32_t detail = -1;

    // Bookkeeping of this run, never written to the log:
    // where the object in backupPath came from (for a file its own path, for
    // a shortcut the previous installation's shortcut);
    std::wstring originalPath;
    // the attributes that object had (0: unknown), given back on restoring;
    std::uint32_t backupAttributes = 0;
    // set when an object was already there and no backup of it could be
    // taken: RollBack then leaves it alone rather than destroy the only copy.
    bool keepOnRollBack = false;
};

using EntryKind = UninstallLogEntry::EntryKind;

class UninstallLog {
public:
    UninstallLog();
    // Works on `machine`, which must outlive the recorder.
    explicit UninstallLog(const av::platform::machine& machine);
    UninstallLog(const UninstallLog&) = delete;
    UninstallLog& operator=(const UninstallLog&) = delete;

    // The product as the log names it: the label of header line 3 (display
    // name, a space, version label: "Korvaline 6.03g") and the name of the
    // uninstall key ("Korvane 6") that Write and RollBack use.
    void SetProduct(const std::wstring& productLabel, const std::wstring& productKey);

    // --- The previous installation ---------------------------------------

    // Reads a log; an empty path reads nothing. Clears the previous data
    // first. Reading ends at the end of the file, at a read error, or at the
    // first line that breaks the rules (version other than 1, a header line
    // without its label, a malformed entry, a line longer than the 1024-byte
    // line buffer); whatever was read until then remains.
    void Load(const std::wstring& path);
    // The same on a file already opened.
    void Load(av::platform::input_file& file);

    // Whether the previous log lists `path` (exact characters) as a file it
    // installed successfully.
    bool WasInstalled(const std::wstring& path) const;

    // --- Recording (each opens a pending entry that Complete closes) ------

    // Records a file before it is written: creates and records its missing
    // folders, appends an InstalledFile entry and backs up a file already
    // there (a copy with `copyBackup`, else it is moved away). Returns false
    // when a file was there and could not be backed up: it is then still in
    // place, and the caller should not overwrite it.
    bool RecordFile(const std::wstring& path, std::int32_t detail, bool copyBackup);
    // Records a shortcut before it is made: selector 0 MenuShortcut, 1
    // MenuUninstallShortcut, any other DesktopShortcut. Creates and records the
    // missing levels of `folder` and moves the previous installation's
    // shortcut of that kind out of the way; an empty folder (none could be
    // found) only records the entry and touches nothing. Returns false when that shortcut
    // is still there because it could not be moved: a rollback cannot bring
    // it back if the caller overwrites it.
    bool RecordShortcut(int selector, const std::wstring& folder);
    // Records the uninstall key right after it was opened or created: `key` is
    // the open key when it already existed (it is saved to a hive file), null
    // when this run created it. Returns false when the key existed and could
    // not be saved: a rollback then leaves it as it is, so the caller should
    // not change it.
    bool RecordUninstallKey(av::platform::registry_key* key);
    // Records the product's registration run.
    void RecordProductRegistration();
    // Closes the pending entry: its outcome, and its path when given.
    void Complete(bool succeeded);
    void Complete(bool succeeded, const std::wstring& path);

    // --- End of a run -------------------------------------------------------

    // Merges the previous entries, writes the log (read-only, archive, not
    // content-indexed afterwards) and deletes every backup, also on failure.
    // True when the file was created and every write succeeded.
    bool Write(const std::wstring& logPath, const std::wstring& installFolder, const std::wstring& startMenuFolder);
    // Undoes this run's entries, newest first; never stops, never throws.
    // Empties `entries`; `previousEntries` stays.
    void RollBack();

    // A temporary file name with the prefix "av" in the temporary folder.
    // Without a source: the bare name (no file there). With one: the source
    // copied (or moved) there with its attributes; empty when that failed.
    std::wstring MakeBackup(const std::wstring* source, bool copy);

    // --- State ----------------------------------------------------------------

    std::wstring installPath;  // installation folder of the loaded log, if it exists
    std::wstring shortcutPath;  // start-menu folder of the loaded log, if it exists
    std::wstring previousVersion;  // product and version of the loaded log
    std::list<UninstallLogEntry> previousEntries;
    std::list<UninstallLogEntry> entries;
    bool pending = false;
    // Why the last recording operation that returned false took no backup.
    std::error_code lastBackupError;

private:
    struct backup_result;
    backup_result make_backup(const std::wstring* source, bool copy);
    void create_folders(const std::wstring& folder);
    void restore_backup(const UninstallLogEntry& entry, const std::wstring& target);
    void roll_back_key(const UninstallLogEntry& entry);
    void delete_backup(UninstallLogEntry& entry);

    av::platform::file_system& fs_;
    av::platform::registry& reg_;
    av::platform::known_folders& folders_;
    av::platform::access_rights& rights_;
    std::wstring productLabel_;
    std::wstring productKey_;
};
