#pragma once
// The program folder holds the user's settings and records, but the program
// cannot write there (a read-only Record/, say). Moving to the user's data
// folder without a word would show an empty device list and none of the logs,
// so the user is asked which way to go.

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

enum class TFolderAnswer {
    UseDataFolder, // go on in the user's data folder, with its own files
    ReadOnly,      // run on the program folder's files, saving nothing
    Quit,
};

// Puts the question (its text names both folders) in the given language.
using TAskFolder = std::function<TFolderAnswer(const QString& text, uint8_t language)>;

// Asks when the program folder was left for the user's data folder while it
// holds the user's files; then sets the program folder (or the read-only run)
// as answered. False when the user chose to quit.
[[nodiscard]] bool SettleProgramFolder(const TAskFolder& ask);
// The same for a given stranded folder and data folder.
[[nodiscard]] bool SettleProgramFolder(const std::string& stranded, const std::string& dataFolder,
                                       const TAskFolder& ask);

// The question in a message box with one button for each answer.
[[nodiscard]] TFolderAnswer AskFolderInBox(const QString& text, uint8_t language);
