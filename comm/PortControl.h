#pragma once
// What the main window needs from the poll engine to show and switch the
// serial port. The poll engine window implements it.

class TPortControl {
public:
    virtual ~TPortControl() = default;
    [[nodiscard]] virtual bool IsCommOpen() const = 0;
    // Reopens the port from the settings; throws std::exception whose what()
    // is the message for the user when the port cannot be opened.
    virtual void OpenComm() = 0;
    // Closes the port if it is open.
    virtual void CloseComm() = 0;
    // At exit: stops the poll engine, then closes the serial port, so that
    // the closing is not logged as a lost port.
    virtual void StopForExit() = 0;
};
