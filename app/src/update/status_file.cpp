#include "update/status_file.h"

#include <mutex>

#include "json/exact_json.h"
#include "platform/files.h"

namespace verhulzen {

namespace {

std::mutex& status_lock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

Json lees_status(const std::filesystem::path& path) {
  const auto bytes = platform::read_file(path);
  if (!bytes) return Json::object();
  auto value = read_exact_json(*bytes);  // the stored feed as it was received
  if (!value || !value->is_object()) return Json::object();
  return std::move(*value);
}

std::optional<double> status_time(const Json& s, const char* key) {
  const auto found = s.find(key);
  if (found == s.end() || is_empty(*found)) return std::nullopt;
  return number_value(*found);
}

void schrijf_status(const std::filesystem::path& path, const Json& s) {
  platform::replace_file(path, write_json(s));
}

void wijzig_status(const std::filesystem::path& path, const std::function<void(Json&)>& change) {
  const std::lock_guard guard(status_lock());
  Json s = lees_status(path);
  change(s);
  schrijf_status(path, s);
}

}  // namespace verhulzen
