// The process list: one walk of the system's process snapshot that lists every process and
// ends those whose executable name begins with the name given.
#include "processes/process_list.h"

#include <tlhelp32.h>

#include <iterator>
#include <string_view>

#include "processes/name_match.h"
#include "ui/error_modes.h"
#include "ui/form.h"
#include "win/handles.h"

namespace processes {

const wchar_t* const kCannotEnumerate = L"Cannot enumerate running process!";

namespace {

static_assert(sizeof(PROCESSENTRY32W::szExeFile) / sizeof(WCHAR) == kExeFieldChars,
              "the match reads the record's whole name field");

HANDLE SystemSnapshot() { return CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0); }

void EndProcess(DWORD pid) {
    // Nothing is checked: a process we may not end, or one that has just ended, simply
    // stays out of the list until the next refresh.
    win::UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    if (process) TerminateProcess(process.Get(), 0);
}

}  // namespace

ProcessList::ProcessList(ui::Form& form) : form_(form), snapshot_(SystemSnapshot) {
    form_.Design(L"cmdRefresh").Click = [this] { cmdRefresh_Click(); };
    form_.Design(L"cmdTerminateProcess").Click = [this] { cmdTerminateProcess_Click(); };
}

void ProcessList::SetSnapshotSource(SnapshotSource source) {
    snapshot_ = source ? std::move(source) : SnapshotSource(SystemSnapshot);
}

void ProcessList::RefreshProcessList(const std::wstring& endName) {
    ui::Control& list = form_[L"lstProcess"];
    win::UniqueHandle snapshot(snapshot_());
    if (!snapshot) {
        list.AddItem(kCannotEnumerate);
        return;
    }
    list.Clear();

    // The record is reused, so the name field keeps the tail of longer names read before.
    // A name holding a NUL could match such leftovers of a shorter name; no process has one.
    const bool ending = !endName.empty() && endName.find(L'\0') == std::wstring::npos;
    PROCESSENTRY32W record = {};
    record.dwSize = sizeof record;
    for (BOOL more = Process32FirstW(snapshot.Get(), &record); more;
         more = Process32NextW(snapshot.Get(), &record)) {
        const std::wstring_view field(record.szExeFile, std::size(record.szExeFile));
        if (ending && ExeNameMatches(field, endName)) {
            EndProcess(record.th32ProcessID);
        } else {
            list.AddItem(ExeNameOf(field));
        }
    }
}

// The buttons ignore any failure and go on with their next step.
void ProcessList::cmdRefresh_Click() {
    ui::ResumeNext([&] { RefreshProcessList(L""); });
}

void ProcessList::cmdTerminateProcess_Click() {
    int index = -1;
    std::wstring name;
    ui::ResumeNext([&] { index = form_[L"lstProcess"].ListIndex(); });
    ui::ResumeNext([&] { name = form_[L"lstProcess"].List(index); });
    ui::ResumeNext([&] { RefreshProcessList(name); });
}

}  // namespace processes
