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
enum class Claim {
  Ours,
  RunningHere,       // a program of this logon holds the data file: show it
  RunningElsewhere,  // a program of another logon or another computer holds it
};
// Claims the data file for this process, for the whole run: a named mutex of this logon
// (which finds the program to show), and a lock file beside the data file (its link's
// target) held open without sharing, which other logons and other computers on a shared
// folder see too. The system lets go of both when the process ends, however it ends.
Claim ClaimDataFile(const std::wstring& instanceName, const std::wstring& cfgPath);
// The lock file alone: an open handle that shares nothing; invalid when another process
// holds the lock (GetLastError() is then ERROR_SHARING_VIOLATION) or it cannot be made, as
// in a folder the program may not write to.
HANDLE LockDataFile(const std::wstring& cfgPath);
std::wstring LockFilePath(const std::wstring& cfgPath);
// What a second start tells before it ends, when the program runs elsewhere.
std::u16string RunningElsewhereMessage(const std::wstring& cfgPath);
// Marks the main window as the one holding the claim, so a second start can find it.
void MarkInstanceWindow(HWND hwnd, const std::wstring& instanceName);
// Shows and brings forward the main window that holds the claim; false when there is none.
bool ShowRunningInstance(const std::wstring& instanceName);

}  // namespace tavik
