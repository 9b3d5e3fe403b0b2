#include "ocr/ocr_service.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace verhulzen::ocr_service {

namespace ocr = platform::ocr;

namespace {

constexpr const char* kDutch = "nl-NL";

Module load() {
  if (auto missing = ocr::obtain_facilities()) {
    return {false, missing->kind + ": " + missing->message};
  }
  return {true, std::nullopt};
}

// Dutch when the PC reads it, with no fall-back then; else a profile language.
std::optional<ocr::Engine> engine() {
  if (ocr::Engine::is_language_supported(kDutch)) {
    return ocr::Engine::try_create_from_language(kDutch);
  }
  return ocr::Engine::try_create_from_user_profile_languages();
}

Json word_box(const ocr::Word& word, double factor) {
  return Json{{"t", word.text},
              {"x", terug_geschaald(word.box.x, factor)},
              {"y", terug_geschaald(word.box.y, factor)},
              {"w", terug_geschaald(word.box.width, factor)},
              {"h", terug_geschaald(word.box.height, factor)}};
}

}  // namespace

const Module& module() {
  static const Module loaded = load();
  return loaded;
}

double schaal(ocr::Size size, std::uint32_t maximum) {
  const double longest = std::max(size.width, size.height);
  return std::min(1.0, static_cast<double>(maximum) / longest);
}

std::int64_t terug_geschaald(double value, double factor) {
  // nearbyint rounds in the default mode, to nearest with halves to even.
  return static_cast<std::int64_t>(std::nearbyint(value / factor));
}

Json info() {
  Json niet{{"ocr", false}, {"taal", nullptr}};
  try {
    if (!module().BESCHIKBAAR) return niet;
    const auto gekozen = engine();
    if (!gekozen) return niet;
    return Json{{"ocr", true}, {"taal", gekozen->language_tag()}};
  } catch (const std::exception&) {
    return niet;
  }
}

namespace {

// The formats that the page posts and the platform's decoder is asked for, by their
// first bytes.
bool leesbaar_beeldformaat(std::string_view data) {
  static constexpr std::string_view kSignatures[] = {
      "\x89PNG\r\n\x1A\n",  // PNG
      "\xFF\xD8\xFF",       // JPEG
      {"II*\0", 4},         // TIFF
      {"MM\0*", 4},         // TIFF
      "BM",                 // BMP
  };
  return std::any_of(std::begin(kSignatures), std::end(kSignatures),
                     [&](std::string_view signature) { return data.starts_with(signature); });
}

}  // namespace

Json herken(std::string_view data) {
  if (!module().BESCHIKBAAR) {
    throw std::runtime_error("Windows-OCR niet beschikbaar (" + *module().IMPORTFOUT + ")");
  }
  if (!leesbaar_beeldformaat(data)) {
    throw std::runtime_error("Geen afbeelding die gelezen kan worden");
  }
  const ocr::Decoder decoder = ocr::Decoder::create(data);
  const ocr::Size size = decoder.oriented_size();
  if (decoder.decoding_bytes() > GEHEUGEN_PER_HERKENNING) {
    throw std::runtime_error("Afbeelding te groot om te lezen: " + std::to_string(size.width) +
                             " x " + std::to_string(size.height) + " pixels");
  }
  const auto gekozen = engine();
  if (!gekozen) throw std::runtime_error("Geen OCR-taal beschikbaar in Windows");

  const double factor = schaal(size, ocr::Engine::max_image_dimension());
  std::optional<ocr::Size> scaled;
  if (factor < 1) {
    scaled =
        ocr::Size{std::max<std::uint32_t>(1, static_cast<std::uint32_t>(size.width * factor)),
                  std::max<std::uint32_t>(1, static_cast<std::uint32_t>(size.height * factor))};
  }
  const ocr::Recognition result = gekozen->recognize(decoder.bitmap(scaled));

  Json regels = Json::array();
  for (const ocr::Line& line : result.lines) {
    Json woorden = Json::array();
    for (const ocr::Word& word : line.words) woorden.push_back(word_box(word, factor));
    regels.push_back(Json{{"tekst", line.text}, {"woorden", std::move(woorden)}});
  }
  return Json{{"taal", gekozen->language_tag()},
              {"breedte", size.width},
              {"hoogte", size.height},
              {"hoek", result.text_angle ? Json(*result.text_angle) : Json(nullptr)},
              {"regels", std::move(regels)}};
}

}  // namespace verhulzen::ocr_service
