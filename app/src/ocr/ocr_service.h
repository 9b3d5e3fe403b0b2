// The OCR service: reads the text of one image with the platform's OCR engine and
// answers with its lines and word boxes in pixels of the posted image.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "json/json_text.h"
#include "platform/ocr.h"

namespace verhulzen::ocr_service {

// Fixed when the module is first used, for the rest of the process.
struct Module {
  bool BESCHIKBAAR;
  std::optional<std::string> IMPORTFOUT;  // kind + ": " + message, when not available
};
const Module& module();

// {"ocr", "taal"}: whether an engine can be made now, and its language tag. Never fails.
Json info();

// The memory that one recognition may take for its decoded image: a 600 dpi A4 scan
// (35 megapixels) fits, a colour image of 100 megapixels does not. A colour or alpha
// scan of that page passes eight bytes a pixel, 280 MB, through Leptonica's readers.
inline constexpr std::uint64_t GEHEUGEN_PER_HERKENNING = 320ULL << 20;

// The OCR reply for the bytes of one image file; throws std::runtime_error with the
// text that the page is shown. An image in another format, or one that would not fit
// `GEHEUGEN_PER_HERKENNING` decoded, is refused before a pixel is decoded.
Json herken(std::string_view data);

// 1.0 when the image fits the engine, else the maximum over the longest side.
double schaal(platform::ocr::Size size, std::uint32_t maximum);

// A box edge from the scaled bitmap in the posted image's grid: halves go to even.
std::int64_t terug_geschaald(double value, double schaal);

}  // namespace verhulzen::ocr_service
