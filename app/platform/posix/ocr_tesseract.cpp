// Recognition here stands on Tesseract, its language data and Leptonica's decoders.
// Every call makes its own Tesseract objects, so requests on different threads share
// nothing but read-only files.
#include <leptonica/allheaders.h>
#include <leptonica/imageio.h>
#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <mutex>
#include <numbers>
#include <stdexcept>
#include <utility>

#include "platform/environment.h"
#include "platform/ocr.h"
#include "platform/posix/byte_order.h"
#include "platform/posix/exif_orientation.h"

#ifndef VERHULZEN_TESSDATA
#define VERHULZEN_TESSDATA "/usr/share/tesseract-ocr/5/tessdata"
#endif

namespace verhulzen::platform::ocr {

namespace fs = std::filesystem;

namespace {

// Tesseract reads larger images, but slowly; past this the caller scales down.
constexpr std::uint32_t kMaxImageDimension = 10000;
// Tesseract's own copies of the grey image it is given: its copy, the binary image,
// the grey image its line recogniser reads and what layout analysis keeps beside
// them, per pixel, as measured on 600 dpi A4 pages.
constexpr double kRecognitionBytesPerPixel = 4.5;

// Language subtags of the profile and the names of Tesseract's data files.
constexpr std::array<std::pair<std::string_view, std::string_view>, 16> kLanguages{{
    {"nl", "nld"},
    {"en", "eng"},
    {"de", "deu"},
    {"fr", "fra"},
    {"es", "spa"},
    {"it", "ita"},
    {"pt", "por"},
    {"da", "dan"},
    {"sv", "swe"},
    {"nb", "nor"},
    {"no", "nor"},
    {"fi", "fin"},
    {"pl", "pol"},
    {"cs", "ces"},
    {"tr", "tur"},
    {"el", "ell"},
}};

fs::path data_folder() {
  const auto prefix = environment_variable("TESSDATA_PREFIX");
  return prefix && !prefix->empty() ? fs::path(*prefix) : fs::path(VERHULZEN_TESSDATA);
}

struct PixDeleter {
  void operator()(PIX* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<PIX, PixDeleter>;

PixPtr checked(PIX* pix, const char* failure) {
  if (!pix) throw std::runtime_error(failure);
  return PixPtr(pix);
}

// The data file of a BCP-47 tag's language, when it is installed.
std::optional<std::string> data_of(std::string_view tag) {
  const std::string_view language = tag.substr(0, tag.find('-'));
  for (const auto& [subtag, file] : kLanguages) {
    if (subtag != language) continue;
    std::error_code error;
    if (fs::is_regular_file(data_folder() / (std::string(file) + ".traineddata"), error)) {
      return std::string(file);
    }
  }
  return std::nullopt;
}

// "en_US.UTF-8" or "nl_BE@euro" as a BCP-47 tag: "en-US", "nl-BE".
std::string tag_of_locale(std::string_view locale) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  std::string tag(locale);
  if (const auto underscore = tag.find('_'); underscore != std::string::npos) tag[underscore] = '-';
  return tag;
}

// LANGUAGE lists the user's languages in order of preference; LANG names one.
std::vector<std::string> profile_languages() {
  std::vector<std::string> tags;
  std::string list = environment_variable("LANGUAGE").value_or("");
  list += ':' + environment_variable("LANG").value_or("");
  for (std::size_t start = 0; start <= list.size();) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    const std::string tag = tag_of_locale(std::string_view(list).substr(start, end - start));
    if (!tag.empty() && tag != "C" && tag != "POSIX") tags.push_back(tag);
    start = end + 1;
  }
  return tags;
}

// Turns the pixels upright as the orientation tag says (1 to 8).
PixPtr oriented(PixPtr pix, int orientation) {
  static constexpr std::array<int, 9> kQuarterTurns{0, 0, 0, 2, 0, 1, 1, 1, 3};
  if (kQuarterTurns[orientation] != 0) {
    pix = checked(pixRotateOrth(pix.get(), kQuarterTurns[orientation]), "Draaien mislukt");
  }
  // 2 and 5 are mirrored left to right, 4 and 7 top to bottom, after the turn.
  if (orientation == 2 || orientation == 5) pixFlipLR(pix.get(), pix.get());
  if (orientation == 4 || orientation == 7) pixFlipTB(pix.get(), pix.get());
  return pix;
}

std::string owned_text(char* text) {
  const std::unique_ptr<char[]> owner(text);
  return text ? std::string(text) : std::string();
}

}  // namespace

std::optional<Missing> obtain_facilities() {
  setMsgSeverity(L_SEVERITY_NONE);  // Leptonica would report bad images on stderr
  const fs::path folder = data_folder();
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    return Missing{"Tesseract", "geen map met taalgegevens in " + folder.string()};
  }
  return std::nullopt;
}

struct Bitmap::Pixels {
  PixPtr pix;
};

Bitmap::Bitmap(std::unique_ptr<Pixels> pixels) : pixels_(std::move(pixels)) {}
Bitmap::Bitmap(Bitmap&&) noexcept = default;
Bitmap& Bitmap::operator=(Bitmap&&) noexcept = default;
Bitmap::~Bitmap() = default;

struct Decoder::Image {
  std::string_view bytes;
  l_int32 format;
  Size size;  // as stored, before the orientation
  int bits_per_sample;
  int samples_per_pixel;
  bool colormap;
  int orientation;
  bool turned_by_reader;  // Leptonica turns a TIFF upright while reading it
};

Decoder::Decoder(std::unique_ptr<Image> image) : image_(std::move(image)) {}
Decoder::Decoder(Decoder&&) noexcept = default;
Decoder& Decoder::operator=(Decoder&&) noexcept = default;
Decoder::~Decoder() = default;

namespace {

// Leptonica learns a BMP's size only by decoding it whole; its info header tells it
// at once. A negative height means rows from the top down.
bool read_bmp_header(std::string_view bytes, l_int32& w, l_int32& h, l_int32& bps, l_int32& spp,
                     l_int32& colormap) {
  if (bytes.size() < 30 || little_endian(bytes, 14, 4) < 40) return false;
  w = static_cast<l_int32>(little_endian(bytes, 18, 4));
  // The lowest height has no positive counterpart; it is refused as no height.
  const auto height = static_cast<l_int32>(little_endian(bytes, 22, 4));
  h = height == std::numeric_limits<l_int32>::min() ? 0 : std::abs(height);
  const auto bits = static_cast<l_int32>(little_endian(bytes, 28, 2));
  colormap = bits <= 8;
  spp = bits <= 8 ? 1 : bits / 8;
  bps = bits <= 8 ? bits : 8;
  return bits > 0;
}

}  // namespace

Decoder Decoder::create(std::string_view bytes) {
  const auto* data = reinterpret_cast<const l_uint8*>(bytes.data());
  l_int32 format = 0, w = 0, h = 0, bps = 0, spp = 0, colormap = 0;
  bool read = false;
  if (bytes.starts_with("BM")) {
    format = IFF_BMP;
    read = read_bmp_header(bytes, w, h, bps, spp, colormap);
  } else {
    read = pixReadHeaderMem(data, bytes.size(), &format, &w, &h, &bps, &spp, &colormap) == 0;
  }
  if (!read || w <= 0 || h <= 0 || bps <= 0 || spp <= 0) {
    throw std::runtime_error("Geen afbeelding die gelezen kan worden");
  }
  return Decoder(
      std::make_unique<Image>(Image{bytes,
                                    format,
                                    {static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)},
                                    bps,
                                    spp,
                                    colormap != 0,
                                    exif_orientation(bytes),
                                    L_FORMAT_IS_TIFF(format)}));
}

Size Decoder::oriented_size() const {
  if (image_->orientation >= 5) return {image_->size.height, image_->size.width};
  return image_->size;
}

namespace {

// A colour JPEG is read as its luminance alone: recognition reads grey values, and
// the colour would take four bytes a pixel.
bool reads_luminance(l_int32 format, int samples_per_pixel) {
  return format == IFF_JFIF_JPEG && samples_per_pixel == 3;
}

// The depth in bits of the pixels Leptonica's reader makes of the file: samples up to
// 8 bits stay, 16 become 8 (PNG) or stay (TIFF), colour and alpha become 32.
int read_depth(l_int32 format, int bits_per_sample, int samples_per_pixel) {
  if (reads_luminance(format, samples_per_pixel)) return 8;
  if (samples_per_pixel > 1) return 32;
  if (bits_per_sample <= 8) return bits_per_sample;
  return L_FORMAT_IS_TIFF(format) ? 16 : 8;
}

}  // namespace

// The largest of the steps of bitmap() and recognize(), each counted with what lives
// beside it: the reader with its own buffers (libpng holds the whole image as rows
// before Leptonica copies them; libtiff reads colour into a raster of four bytes a
// pixel), the grey and alpha images blended onto white, the grey copy, the turned copy, and
// recognition on the grey image.
std::uint64_t Decoder::decoding_bytes() const {
  const Image& image = *image_;
  const double pixels = double(image.size.width) * double(image.size.height);
  const double read =
      pixels * read_depth(image.format, image.bits_per_sample, image.samples_per_pixel) / 8;
  double reader = 0;
  if (image.format == IFF_PNG) {
    reader = pixels * image.samples_per_pixel * std::min(image.bits_per_sample, 8) / 8;
  } else if (L_FORMAT_IS_TIFF(image.format) && image.samples_per_pixel > 1) {
    reader = pixels * 4;
  }
  const double grey = pixels;
  const double steps[] = {
      reader + read,
      image.samples_per_pixel == 4 ? read + 3 * grey : 0,
      read + grey,
      image.orientation >= 3 && !image.turned_by_reader ? 2 * grey : 0,
      grey + pixels * kRecognitionBytesPerPixel,
  };
  return static_cast<std::uint64_t>(*std::max_element(std::begin(steps), std::end(steps)));
}

namespace {

// The alpha blended onto white after the grey conversion, not before: blending the
// colour pixels takes three more images of four bytes a pixel.
PixPtr grey_on_white(PixPtr pix) {
  constexpr const char* kFailure = "Afbeelding kan niet worden gelezen";
  const PixPtr grey = checked(pixConvertRGBToLuminance(pix.get()), kFailure);
  const PixPtr alpha = checked(pixGetRGBComponent(pix.get(), L_ALPHA_CHANNEL), kFailure);
  const PixPtr white =
      checked(pixCreate(pixGetWidth(pix.get()), pixGetHeight(pix.get()), 8), kFailure);
  pix.reset();
  pixSetAll(white.get());
  return checked(pixBlendWithGrayMask(white.get(), grey.get(), alpha.get(), 0, 0), kFailure);
}

}  // namespace

Bitmap Decoder::bitmap(std::optional<Size> scaled) const {
  const auto* data = reinterpret_cast<const l_uint8*>(image_->bytes.data());
  PixPtr pix =
      checked(reads_luminance(image_->format, image_->samples_per_pixel)
                  ? pixReadMemJpeg(data, image_->bytes.size(), 0, 1, nullptr, L_JPEG_READ_LUMINANCE)
                  : pixReadMem(data, image_->bytes.size()),
              "Afbeelding kan niet worden gelezen: beschadigd of onvolledig");
  if (pixGetSpp(pix.get()) == 4) pix = grey_on_white(std::move(pix));
  // Recognition reads grey values; one byte a pixel keeps large pages small.
  pix = checked(pixConvertTo8(pix.get(), 0), "Afbeelding kan niet worden gelezen");
  if (!image_->turned_by_reader) pix = oriented(std::move(pix), image_->orientation);
  if (scaled) {
    pix = checked(pixScaleToSize(pix.get(), static_cast<l_int32>(scaled->width),
                                 static_cast<l_int32>(scaled->height)),
                  "Verkleinen mislukt");
  }
  return Bitmap(std::make_unique<Bitmap::Pixels>(Bitmap::Pixels{std::move(pix)}));
}

struct Engine::Recogniser {
  std::string tag;
  std::string data;  // name of the language's data file, without suffix
};

Engine::Engine(std::unique_ptr<Recogniser> recogniser) : recogniser_(std::move(recogniser)) {}
Engine::Engine(Engine&&) noexcept = default;
Engine& Engine::operator=(Engine&&) noexcept = default;
Engine::~Engine() = default;

bool Engine::is_language_supported(const std::string& tag) { return data_of(tag).has_value(); }

// The data is loaded when recognition starts, so that asking for an engine is cheap.
std::optional<Engine> Engine::try_create_from_language(const std::string& tag) {
  auto data = data_of(tag);
  if (!data) return std::nullopt;
  return Engine(std::make_unique<Recogniser>(Recogniser{tag, std::move(*data)}));
}

std::optional<Engine> Engine::try_create_from_user_profile_languages() {
  for (const std::string& tag : profile_languages()) {
    if (auto engine = try_create_from_language(tag)) return engine;
  }
  return std::nullopt;
}

std::uint32_t Engine::max_image_dimension() { return kMaxImageDimension; }

std::string Engine::language_tag() const { return recogniser_->tag; }

namespace {

// Tesseract's debug_file is one global of the library: set once, before the first
// recognition, it is only read while recognitions run side by side.
void send_tesseract_reports_nowhere() {
  static std::once_flag once;
  std::call_once(once, [] {
    tesseract::TessBaseAPI api;
    api.SetVariable("debug_file", "/dev/null");
  });
}

}  // namespace

Recognition Engine::recognize(const Bitmap& bitmap) const {
  send_tesseract_reports_nowhere();
  // Tesseract's OpenMP helpers spin while they wait, which costs more than they gain
  // (a page takes twice as long, and far longer on a busy machine): each recognition
  // runs on its request's thread alone, and requests run side by side.
  omp_set_max_active_levels(0);
  tesseract::TessBaseAPI api;
  if (api.Init(data_folder().c_str(), recogniser_->data.c_str(), tesseract::OEM_LSTM_ONLY) != 0) {
    throw std::runtime_error("Tesseract kan de taalgegevens " + recogniser_->data + " niet laden");
  }
  api.SetPageSegMode(tesseract::PSM_AUTO);
  api.SetImage(bitmap.pixels().pix.get());
  if (api.Recognize(nullptr) != 0) throw std::runtime_error("Tesseract kon de tekst niet lezen");

  Recognition result;
  const std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
  if (!it || it->Empty(tesseract::RIL_WORD)) return result;
  // The text angle from the baselines of all lines together: a line turned clockwise
  // falls to the right, since y grows downwards.
  double rise = 0, run = 0;
  do {
    if (it->Empty(tesseract::RIL_WORD)) continue;
    std::string text = owned_text(it->GetUTF8Text(tesseract::RIL_WORD));
    if (text.empty()) continue;
    if (result.lines.empty() || it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
      if (result.lines.empty() || !result.lines.back().words.empty()) result.lines.emplace_back();
      int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
      if (it->Baseline(tesseract::RIL_TEXTLINE, &x1, &y1, &x2, &y2)) {
        rise += y2 - y1;
        run += x2 - x1;
      }
    }
    int left = 0, top = 0, right = 0, bottom = 0;
    it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom);
    Line& line = result.lines.back();
    if (!line.text.empty()) line.text += ' ';
    line.text += text;
    line.words.push_back({std::move(text),
                          {static_cast<double>(left), static_cast<double>(top),
                           static_cast<double>(right - left), static_cast<double>(bottom - top)}});
  } while (it->Next(tesseract::RIL_WORD));
  if (run > 0) result.text_angle = std::atan2(rise, run) * 180.0 / std::numbers::pi;
  return result;
}

}  // namespace verhulzen::platform::ocr
