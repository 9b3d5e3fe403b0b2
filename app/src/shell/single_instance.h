// One instance per logon session: the guard, and the hand-over of a second
// start to the instance that already runs.
#pragma once

#include <optional>
#include <string>

#include "json/json_text.h"
#include "shell/config.h"

namespace verhulzen {

// The guard's name: the product in the session-local namespace, with "-Store"
// for a process that runs from a package.
std::string guard_naam(const Config& config);

// Takes the guard. Returns nothing when this process runs as the instance (it
// then holds the guard until it ends, or runs without one when the guard is
// switched off or cannot be made). When another instance holds it, hands over
// and returns the exit status: 0 after a window was opened on that instance,
// 1 after it did not answer and the user was told.
std::optional<int> _single_instance(const Config& config);

// The port of an instance record: a JSON number (cut to its integer part) or a
// text of decimal digits with blanks around it. Nothing when the record has no
// port or it is a text of something else, so that the attempt is tried again;
// throws std::runtime_error for a record that is no object or a port of
// another type, which ends the start as an unhandled error.
std::optional<long long> poort_uit_record(const Json& record);

}  // namespace verhulzen
