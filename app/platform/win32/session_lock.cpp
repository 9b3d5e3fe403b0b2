// The session lock on Windows: a named mutex in the "Local\" namespace. The
// system closes the handle when the process ends, however it ends.
#include "platform/session_lock.h"

#include <windows.h>

#include "wide_text.h"

namespace verhulzen::platform {

SessionLock create_session_lock(const std::string& name) {
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, widen(name).c_str());
  // Read at once, before any other call can change it.
  const DWORD error = GetLastError();
  return {reinterpret_cast<std::intptr_t>(mutex),
          mutex != nullptr && error == ERROR_ALREADY_EXISTS};
}

}  // namespace verhulzen::platform
