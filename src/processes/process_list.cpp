#include "processes/process_list.h"

#include "mainwin/main_form.h"

namespace processes {

ProcessList::ProcessList(mainwin::MainForm& main) : main_(main) {}

void ProcessList::RefreshProcessList(const std::wstring& endName) {
    // The snapshot walk arrives with the process list itself.
    (void)endName;
    (void)main_;
}

}  // namespace processes
