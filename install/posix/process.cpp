// The Linux build has no cursor.
#include "install/process.h"

WaitCursor::WaitCursor() = default;

WaitCursor::~WaitCursor() = default;
