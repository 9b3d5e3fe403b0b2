// Text recognition in images: decoding an image upright, and an engine that reads
// one language. Every failure throws std::runtime_error with the platform's own text.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verhulzen::platform::ocr {

// Why the facilities are missing: the failure's kind and its message.
struct Missing {
  std::string kind;
  std::string message;
};

// Obtains what recognition needs; nullopt when all of it is there. Called once.
std::optional<Missing> obtain_facilities();

// A decoded image in memory, upright, at the size it was asked for.
class Bitmap {
 public:
  struct Pixels;
  explicit Bitmap(std::unique_ptr<Pixels> pixels);
  Bitmap(Bitmap&&) noexcept;
  Bitmap& operator=(Bitmap&&) noexcept;
  ~Bitmap();
  const Pixels& pixels() const { return *pixels_; }

 private:
  std::unique_ptr<Pixels> pixels_;
};

struct Size {
  std::uint32_t width;
  std::uint32_t height;
};

// An image file read far enough to know its size; the pixels come with bitmap().
class Decoder {
 public:
  // Throws when the bytes are no image this platform decodes. The bytes must stay
  // as they are while the decoder lives.
  static Decoder create(std::string_view bytes);
  Decoder(Decoder&&) noexcept;
  Decoder& operator=(Decoder&&) noexcept;
  ~Decoder();

  // The size after the image's EXIF orientation is applied.
  Size oriented_size() const;
  // The memory that bitmap() takes at its peak for an image of this kind and size,
  // the decoder's own buffers and the copies on the way to what recognize() reads
  // included; known before any pixel is decoded.
  std::uint64_t decoding_bytes() const;
  // The pixels turned upright by the EXIF orientation, scaled down to `scaled`
  // when given (Fant interpolation or the platform's nearest equivalent).
  Bitmap bitmap(std::optional<Size> scaled) const;

 private:
  struct Image;
  explicit Decoder(std::unique_ptr<Image> image);
  std::unique_ptr<Image> image_;
};

// A rectangle in floating-point pixels of the recognised bitmap.
struct Rect {
  double x, y, width, height;
};

struct Word {
  std::string text;  // UTF-8
  Rect box;
};

struct Line {
  std::string text;
  std::vector<Word> words;
};

struct Recognition {
  std::vector<Line> lines;
  std::optional<double> text_angle;  // degrees, clockwise
};

class Engine {
 public:
  // Whether this PC can read the language of the BCP-47 tag, such as "nl-NL".
  static bool is_language_supported(const std::string& tag);
  static std::optional<Engine> try_create_from_language(const std::string& tag);
  static std::optional<Engine> try_create_from_user_profile_languages();
  // The largest width or height, in pixels, that recognize accepts.
  static std::uint32_t max_image_dimension();

  Engine(Engine&&) noexcept;
  Engine& operator=(Engine&&) noexcept;
  ~Engine();

  // The tag of the language the engine reads.
  std::string language_tag() const;
  Recognition recognize(const Bitmap& bitmap) const;

 private:
  struct Recogniser;
  explicit Engine(std::unique_ptr<Recogniser> recogniser);
  std::unique_ptr<Recogniser> recogniser_;
};

}  // namespace verhulzen::platform::ocr
