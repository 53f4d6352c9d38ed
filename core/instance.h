// Where the program's data file is, and one running program per data file, so two task
// lists never overwrite each other's saves.
#pragma once

#include <windows.h>

#include <string>

namespace tavik {

// This program's file, and the data file beside it.
std::wstring ProgramPath();
std::wstring CfgPathOfThisProgram();

// The name that the running program's claim and its main window carry for this data file.
std::wstring InstanceName(const std::wstring& cfgPath);
// Claims the data file for this process; false (and no handle) when a program already holds it.
bool ClaimDataFile(const std::wstring& instanceName);
// Marks the main window as the one holding the claim, so a second start can find it.
void MarkInstanceWindow(HWND hwnd, const std::wstring& instanceName);
// Shows and brings forward the main window that holds the claim; false when there is none.
bool ShowRunningInstance(const std::wstring& instanceName);

}  // namespace tavik
