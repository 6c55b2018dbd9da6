// The list of running processes, and ending processes by name.
#pragma once
#include <string>

namespace mainwin {
class MainForm;
}

namespace processes {

class ProcessList {
public:
    explicit ProcessList(mainwin::MainForm& main);
    // Rebuilds lstProcess from a fresh snapshot; ends instead of listing every process whose
    // executable name begins with endName (when it is not empty).
    void RefreshProcessList(const std::wstring& endName);

private:
    mainwin::MainForm& main_;
};

}  // namespace processes
