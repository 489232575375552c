#pragma once
// The folder that holds the executable, with a trailing '/'. The program keeps
// its settings, Record/ and Backup/ there, wherever it was copied.

#include <string>

const std::string& ProgramFolder();
// Tests and tools point the program at a temporary folder.
void SetProgramFolder(const std::string& folder);

std::string RecordPath(); // ProgramFolder() + "Record/"
std::string BackupPath(); // ProgramFolder() + "Backup/"
