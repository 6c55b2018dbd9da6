// The list of running processes in lstProcess, and ending processes by executable name.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace ui {
class Form;
}

namespace processes {

// The one entry the list holds besides process names: the snapshot could not be taken.
extern const wchar_t* const kCannotEnumerate;

class ProcessList {
public:
    // Takes a snapshot of the running processes. The handle goes to the caller, who closes
    // it; INVALID_HANDLE_VALUE (or null) means the snapshot failed.
    using SnapshotSource = std::function<HANDLE()>;

    // Binds the handlers of cmdRefresh and cmdTerminateProcess; the list is lstProcess.
    explicit ProcessList(ui::Form& form);

    // Rebuilds lstProcess from a fresh snapshot, in snapshot order; ends instead of listing
    // every process whose executable name begins with endName (when it is not empty). When no
    // snapshot can be taken the list keeps its entries and gains the error entry at its end.
    void RefreshProcessList(const std::wstring& endName);

    void cmdRefresh_Click();
    // Ends every process named like the selected entry (only rebuilds when none is selected).
    void cmdTerminateProcess_Click();

    // Replaces the system's process snapshot, so that a test can make it fail; an empty
    // source restores the system's.
    void SetSnapshotSource(SnapshotSource source);

private:
    ui::Form& form_;
    SnapshotSource snapshot_;
};

}  // namespace processes
