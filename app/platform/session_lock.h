// The named lock of the user's logon session behind the single-instance guard.
#pragma once

#include <cstdint>
#include <string>

namespace verhulzen::platform {

// What creating the session's named lock gave: the handle (0 when it could not
// be created) and whether another process of the session already held the name.
struct SessionLock {
  std::intptr_t handle = 0;
  bool already_exists = false;
};

// Creates the lock named `name` in the session-local namespace ("Local\" and
// the product name). The handle is held for the rest of the process and is
// never inherited by a child; the system lets go of the name when the last
// process holding it ends, however it ends.
SessionLock create_session_lock(const std::string& name);

}  // namespace verhulzen::platform
