#pragma once
// Starting the program with the desktop session: an XDG autostart entry named
// after the application title that runs the program's path. The entry goes
// into the machine-wide folder when this user may write there, else into the
// user's own folder; an entry that exists (in either folder) is never
// rewritten, even when it names another path.

#include <string>

struct TAutoStartFolders {
    std::string Machine; // with a trailing '/'
    std::string User;    // with a trailing '/'
};

// The autostart folders of the first of $XDG_CONFIG_DIRS (/etc/xdg) and of
// $XDG_CONFIG_HOME (~/.config).
[[nodiscard]] TAutoStartFolders DefaultAutoStartFolders();

class TAutoStartEntry {
public:
    TAutoStartEntry(TAutoStartFolders folders, std::string title, std::string programPath);

    // The entry's file name: the title followed by ".desktop".
    [[nodiscard]] std::string FileName() const { return FTitle + ".desktop"; }

    // An entry of this name exists in either folder.
    [[nodiscard]] bool Exists() const;

    // Creates the entry when wanted and none exists, removes it from both
    // folders when not wanted. Throws std::runtime_error with a message for
    // the user ("Unable to write to <path>", "Unable to remove <path>") when
    // it cannot be done; the folders are then as they were.
    void Apply(bool wanted) const;

    // The text of a new entry.
    [[nodiscard]] std::string EntryText() const;

private:
    [[nodiscard]] bool TryWrite(const std::string& folder) const;

    TAutoStartFolders FFolders;
    std::string FTitle;
    std::string FProgramPath;
};
