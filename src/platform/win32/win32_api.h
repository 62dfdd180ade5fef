// The Windows SDK headers as the adapter uses them. This folder is the only
// place that includes them; everything else sees the ports.
//
// Without UNICODE the SDK maps names such as CopyFile or MessageBox to their
// ANSI functions with macros. The ports have methods of those very names, so
// the macros are removed here and the adapter calls the ...A functions by
// their full names, which is also what the library promises: ANSI throughout.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif

// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <lm.h>
#include <msi.h>
#include <msiquery.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlwapi.h>
// clang-format on

#undef CopyFile
#undef CreateDirectory
#undef CreateMutex
#undef CreateService
#undef CreateWindowEx
#undef DeleteFile
#undef ExpandEnvironmentStrings
#undef GetEnvironmentVariable
#undef GetFileAttributes
#undef GetFileVersionInfo
#undef GetFileVersionInfoSize
#undef GetOpenFileName
#undef GetSystemDirectory
#undef LoadLibrary
#undef MessageBox
#undef MoveFileEx
#undef OpenSCManager
#undef OpenWindowStation
#undef RemoveDirectory
#undef SearchPath
#undef SetFileAttributes
#undef ShellExecute
#undef VerQueryValue
