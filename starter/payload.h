// The payload of the starter's own executable: read, checked and unpacked.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "payload_format.h"

namespace starter {

// What went wrong, in words for the user.
class PayloadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Payload {
 public:
  // Reads the trailer and index of `executable`. Throws PayloadError when the file
  // holds no payload or a damaged one.
  static Payload open(const std::filesystem::path& executable);

  const std::vector<Entry>& entries() const { return entries_; }

  // Writes every file into `folder`, which exists and is empty, checking each
  // one's size and checksum. Throws PayloadError on a damaged file and
  // std::filesystem::filesystem_error or PayloadError when writing fails.
  void unpack(const std::filesystem::path& folder) const;

 private:
  Payload(std::filesystem::path executable, std::vector<Entry> entries)
      : executable_(std::move(executable)), entries_(std::move(entries)) {}

  std::filesystem::path executable_;
  std::vector<Entry> entries_;
};

}  // namespace starter
