// Hands a text to the COM error information of the calling thread.
#pragma once

#include "platform/com/types.h"

// True when the thread's error information now carries `description`; false when an error
// object could not be made or set.
bool SetErrorDescription(LPCOLESTR description);
