#pragma once
// The Windows error code behind an exception a task caught, for its message.
#include <cstdint>

class CException;

namespace UCaughtError {

// A file exception's system error, otherwise the thread's last error. Deletes the exception.
uint32_t TakeCode(CException* e);

}  // namespace UCaughtError
