#include "install/process.h"

#include <windows.h>

WaitCursor::WaitCursor()
    : previous_(SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT))))
{
}

WaitCursor::~WaitCursor()
{
    SetCursor(static_cast<HCURSOR>(previous_));
}
