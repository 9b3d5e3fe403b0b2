// The status file status.json: one JSON object, read and written whole.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "json/json_text.h"

namespace verhulzen {

// The file's object; an empty object when it is missing or unreadable. Never fails.
Json lees_status(const std::filesystem::path& path);

// A time of the status file `s` in epoch seconds: nullopt when it is absent, empty
// or no number. A hand-edited one counts in every notation, 1.7E9 too.
std::optional<double> status_time(const Json& s, const char* key);

// Replaces the file with `s`; a failure of the file system is ignored.
void schrijf_status(const std::filesystem::path& path, const Json& s);

// Reads the file, lets `change` alter the object and writes it back, all under one
// lock, so that concurrent changes within the process never undo each other.
void wijzig_status(const std::filesystem::path& path, const std::function<void(Json&)>& change);

}  // namespace verhulzen
