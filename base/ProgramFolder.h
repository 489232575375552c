#pragma once
// The program folder, with a trailing '/': where the program keeps its
// settings, Record/ and Backup/. A copy of the executable in a folder of its
// own keeps them beside itself, wherever it was copied; an executable
// installed for the whole system keeps them in the user's data folder.

#include <string>

// Where the user's data lives, as the environment tells it.
struct TDataHome {
    const char* XdgDataHome = nullptr; // $XDG_DATA_HOME
    const char* Home = nullptr;        // $HOME
};

// The one rule for the program folder of an executable in exeFolder: the
// executable's folder when the program can make its Record/ folder there (or
// may write to the one that is there), otherwise $XDG_DATA_HOME/pelmora-desk/,
// by default ~/.local/share/pelmora-desk/. A folder of the system's own
// programs (/usr/..., /bin/, /sbin/) is never used for data, even by root.
// Makes Record/ in the executable's folder when it chooses that folder.
[[nodiscard]] std::string DataFolderFor(const std::string& exeFolder, const TDataHome& home);

// The executable's folder when it holds the user's files (UserParaIni.ini or a
// Record/ folder) but Record/ cannot be kept there: DataFolderFor then gives
// the user's data folder, which would hide those files. Empty otherwise, and
// always for a fresh copy with nothing there.
[[nodiscard]] std::string StrandedFolderFor(const std::string& exeFolder);

// The folder of the running executable, with a trailing '/'.
[[nodiscard]] std::string ExecutableFolder();

// DataFolderFor the running executable and this process's environment,
// decided at the first call.
const std::string& ProgramFolder();
// Tests and tools point the program at a folder of their choice.
void SetProgramFolder(const std::string& folder);
// StrandedFolderFor the running executable, when ProgramFolder() was decided
// by the rule (not set); the user chooses what to do about it.
[[nodiscard]] std::string StrandedProgramFolder();

// The user chose to run on files the program cannot write: nothing is saved
// over them, the settings at exit included.
void SetReadOnlyRun(bool readOnly);
[[nodiscard]] bool ReadOnlyRun();

std::string RecordPath(); // ProgramFolder() + "Record/"
std::string BackupPath(); // ProgramFolder() + "Backup/"
