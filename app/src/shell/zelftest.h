// The self-test of a finished build: the served files and routes the page
// needs, OCR, the office list's refusal of foreign writes and the private paths.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "shell/config.h"

namespace verhulzen {

// Starts the server, runs every check against it, stops it, prints the findings
// (or "zelftest ok") in one write and returns 1 with findings, else 0.
int zelftest(const Config& config);

// The checks against a server already listening on `port`, in their order; the
// test image is read from `afbeelding`. Transport failures of the refusal checks
// throw, as they end the self-test.
std::vector<std::string> zelftest_bevindingen(std::uint16_t port,
                                              const std::filesystem::path& afbeelding);

// Bytes as a byte literal: b'...' with escapes, in double quotes when the bytes
// hold a single quote and no double quote.
std::string byte_literal(std::string_view bytes);

}  // namespace verhulzen
