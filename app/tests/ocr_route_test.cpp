// POST /ocr with images that the test renders: a Dutch letter at 300 dpi, a photo
// under every EXIF orientation, and the images a decoder must survive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <future>
#include <sstream>
#include <thread>
#include <vector>

#include "http/server.h"
#include "json/json_text.h"
#include "ocr/recognition_slots.h"
#include "platform/files.h"
#include "support.h"

namespace verhulzen {
namespace {

namespace fs = std::filesystem;
using testing::run_command;

const char* const kLetter[] = {
    "Geachte heer Jan de Vries,",
    "",
    "Hierbij ontvangt u de aangifte inkomstenbelasting 2025",
    "van mevrouw Anneke Jansen-Bakker, geboren op 14 maart 1968",
    "te Amersfoort. Haar burgerservicenummer is 123456782.",
    "",
    "Het bedrag van 4.512 euro wordt overgemaakt naar",
    "rekening NL91 ABNA 0417 1643 00 ten name van",
    "Bakkerij Jansen B.V. aan de Kerkstraat 12, 3811 CV Amersfoort.",
    "Telefoon 033-4567890, e-mail a.jansen@bakkerijjansen.nl",
    "",
    "Met vriendelijke groet,",
    "Pieter van den Berg",
    "Belastingadviseur",
};
constexpr int kLeft = 236;  // the letter's left margin in pixels (2 cm at 300 dpi)

std::vector<std::string> words_of(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// Word error rate: the edit distance between the word lists over the expected count.
double word_error_rate(const std::vector<std::string>& expected,
                       const std::vector<std::string>& got) {
  std::vector<std::size_t> row(got.size() + 1);
  for (std::size_t j = 0; j <= got.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= expected.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= got.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (expected[i - 1] != got[j - 1])});
      diagonal = above;
    }
  }
  return static_cast<double>(row[got.size()]) / static_cast<double>(expected.size());
}

// A binary greymap as ImageMagick writes it: "P5 width height 255" then one byte a pixel.
struct Greymap {
  int width = 0, height = 0;
  std::string pixels;
  unsigned char at(int x, int y) const { return static_cast<unsigned char>(pixels[y * width + x]); }
};

Greymap read_greymap(const fs::path& path) {
  const std::string file = platform::read_file(path).value();
  std::istringstream in(file);
  std::string magic;
  int maximum = 0;
  Greymap map;
  in >> magic >> map.width >> map.height >> maximum;
  map.pixels = file.substr(static_cast<std::size_t>(in.tellg()) + 1);
  return map;
}

std::string be32(std::uint32_t v) {
  return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 8), static_cast<char>(v)};
}
std::string le16(std::uint32_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
std::string le32(std::uint32_t v) { return le16(v) + le16(v >> 16); }

// A PNG that declares width x height pixels in a few hundred bytes; colour type 0 is
// grey, 2 RGB, 6 RGBA.
std::string png_header_only(std::uint32_t width, std::uint32_t height, char colour_type = 0) {
  const auto crc = [](std::string_view bytes) {
    std::uint32_t c = 0xFFFFFFFF;
    for (const char byte : bytes) {
      c ^= static_cast<unsigned char>(byte);
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFF;
  };
  const auto chunk = [&](std::string_view type, const std::string& data) {
    const std::string typed = std::string(type) + data;
    return be32(static_cast<std::uint32_t>(data.size())) + typed + be32(crc(typed));
  };
  const std::string ihdr = be32(width) + be32(height) + std::string("\x08", 1) + colour_type +
                           std::string("\x00\x00\x00", 3);
  // A little deflate data of zero bytes; the rest of the rows are missing.
  const std::string idat("\x78\x9c\x63\x60\x18\x05\x00\x00\x00\x00\x00\x01", 12);
  return std::string("\x89PNG\r\n\x1A\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", idat) +
         chunk("IEND", "");
}

// A little-endian TIFF of one strip that declares width x height pixels and holds
// almost none of them: compression 4 is CCITT G4 (one bit a pixel), 1 none.
std::string tiff_header_only(std::uint32_t width, std::uint32_t height, int samples, int bits,
                             int compression) {
  struct Entry {
    std::uint16_t tag, type;
    std::uint32_t value;
  };
  const int photometric = samples >= 3 ? 2 : 0;
  const std::vector<Entry> entries = {
      {256, 4, width},
      {257, 4, height},
      {258, 3, static_cast<std::uint32_t>(bits)},
      {259, 3, static_cast<std::uint32_t>(compression)},
      {262, 3, static_cast<std::uint32_t>(photometric)},
      {273, 4, 8},  // the strip's offset: right after the header
      {277, 3, static_cast<std::uint32_t>(samples)},
      {278, 4, height},
      {279, 4, 16},
      {338, 3, samples == 4 ? 2U : 0U},  // unassociated alpha
  };
  std::string ifd = le16(static_cast<std::uint32_t>(entries.size() - (samples == 4 ? 0 : 1)));
  for (const Entry& e : entries) {
    if (e.tag == 338 && samples != 4) continue;
    ifd += le16(e.tag) + le16(e.type) + le32(1) +
           (e.type == 3 ? le16(e.value) + le16(0) : le32(e.value));
  }
  ifd += le32(0);
  return std::string("II*\0", 4) + le32(8 + 16) + std::string(16, '\0') + ifd;
}

// A BMP of 24 bits a pixel that declares width x height pixels and holds none.
std::string bmp_header_only(std::uint32_t width, std::uint32_t height) {
  const std::string info = le32(40) + le32(width) + le32(height) + le16(1) + le16(24) + le32(0) +
                           le32(0) + le32(2835) + le32(2835) + le32(0) + le32(0);
  return "BM" + le32(14 + 40 + 16) + le32(0) + le32(14 + 40) + info + std::string(16, '\0');
}

// The JPEG with the size in its frame header replaced: it claims pixels it lacks.
std::string jpeg_claiming(std::string jpeg, std::uint16_t width, std::uint16_t height) {
  const std::size_t frame = jpeg.find("\xFF\xC0");
  jpeg[frame + 5] = static_cast<char>(height >> 8);
  jpeg[frame + 6] = static_cast<char>(height);
  jpeg[frame + 7] = static_cast<char>(width >> 8);
  jpeg[frame + 8] = static_cast<char>(width);
  return jpeg;
}

// A JPEG with an EXIF segment that holds only the orientation tag.
std::string with_orientation(const std::string& jpeg, int orientation) {
  const std::string tiff = std::string("MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 19) +
                           static_cast<char>(orientation) + std::string(6, '\0');
  const std::string payload = std::string("Exif\0\0", 6) + tiff;
  const std::size_t length = payload.size() + 2;
  const std::string app1 = std::string("\xFF\xE1") + static_cast<char>(length >> 8) +
                           static_cast<char>(length & 0xFF) + payload;
  return jpeg.substr(0, 2) + app1 + jpeg.substr(2);
}

class OcrRoute : public ::testing::Test {
 protected:
  static std::unique_ptr<testing::TempDir> dir_;
  static std::unique_ptr<Server> server_;

  static void SetUpTestSuite() {
    dir_ = std::make_unique<testing::TempDir>();
    const std::string d = dir_->path().string();
    std::string letter;
    for (const char* line : kLetter) letter += std::string(line) + "\n";
    dir_->write("letter.txt", letter);
    // An A4 page at 300 dpi in a 12 point serif, as a scanner would deliver it.
    run_command(
        "cd " + d +
        " && export MAGICK_THREAD_LIMIT=1 && convert -density 300 -units PixelsPerInch -size "
        "2480x3508 "
        "xc:white -font DejaVu-Serif -pointsize 12 -fill black -annotate +" +
        std::to_string(kLeft) +
        "+300 \"$(cat letter.txt)\" -colorspace Gray -depth 8 "
        "letter.png && convert letter.png letter.pgm && "
        "convert -size 1200x300 xc:white -font DejaVu-Sans -pointsize 64 -fill black "
        "-annotate +60+180 'Kerkstraat Amersfoort' photo.png && "
        "convert -size 12000x400 xc:white -font DejaVu-Sans -pointsize 160 -fill black "
        "-annotate +400+260 'Notaris Verbeek' -annotate +10000+260 'Amersfoort' wide.png && "
        "convert -size 2480x3508 xc:white blank.png && convert -size 1x1 xc:black one.png");
    run_command("cd " + d + " && export MAGICK_THREAD_LIMIT=1 && convert photo.png photo.gif && " +
                "convert photo.png photo.tif && convert photo.png -type TrueColor photo.bmp && " +
                "convert photo.png photo.webp && convert photo.png photo.pgm && " +
                "convert photo.png -type TrueColor photo.jpg && " +
                // Black everywhere, the letters in the alpha alone.
                "convert photo.png -negate -background black -alpha shape PNG32:photo-alpha.png");
    // The photo stored turned, with the tag that turns it upright.
    const char* const stored_as[] = {"",          "",           "-flop",       "-rotate 180",
                                     "-flip",     "-transpose", "-rotate 270", "-transverse",
                                     "-rotate 90"};
    for (int o = 1; o <= 8; ++o) {
      run_command("cd " + d + " && MAGICK_THREAD_LIMIT=1 convert photo.png " + stored_as[o] +
                  " -quality 92 turned" + std::to_string(o) + ".jpg");
    }
    Config config;
    config.WEB_DIR = dir_->path();
    server_ = std::move(start_server(config).server);
  }
  static void TearDownTestSuite() {
    server_.reset();
    dir_.reset();
  }

  static std::string file(const std::string& name) {
    return platform::read_file(dir_->path() / name).value();
  }

  static testing::RawAnswer post(std::string_view image) {
    return testing::raw_request(server_->port(),
                                "POST /ocr HTTP/1.0\r\nHost: localhost\r\n"
                                "Content-Length: " +
                                    std::to_string(image.size()) + "\r\n\r\n" + std::string(image));
  }

  static Json reply(std::string_view image) {
    const testing::RawAnswer answer = post(image);
    EXPECT_EQ(answer.code(), 200) << answer.body;
    EXPECT_EQ(answer.header("Content-Type"), "application/json; charset=utf-8");
    return read_json(answer.body).value_or(Json());
  }

  static const Json* word(const Json& reply, std::string_view text) {
    for (const Json& line : reply["regels"]) {
      for (const Json& w : line["woorden"]) {
        if (w["t"] == text) return &w;
      }
    }
    return nullptr;
  }
};

std::unique_ptr<testing::TempDir> OcrRoute::dir_;
std::unique_ptr<Server> OcrRoute::server_;

std::string all_text(const Json& reply) {
  std::string text;
  for (const Json& line : reply["regels"]) text += line["tekst"].get<std::string>() + "\n";
  return text;
}

TEST_F(OcrRoute, ReadsTheDutchLetterWithBoxesOnItsWords) {
  const Json page = reply(file("letter.png"));
  EXPECT_EQ(page["taal"], "nl-NL");
  EXPECT_EQ(page["breedte"], 2480);
  EXPECT_EQ(page["hoogte"], 3508);
  ASSERT_TRUE(page["hoek"].is_number());
  EXPECT_LT(std::abs(page["hoek"].get<double>()), 0.5);

  std::string expected;
  for (const char* line : kLetter) expected += std::string(line) + "\n";
  const double wer = word_error_rate(words_of(expected), words_of(all_text(page)));
  EXPECT_LT(wer, 0.05) << all_text(page);
  for (const char* needle : {"Jansen-Bakker,", "123456782.", "NL91", "0417", "3811", "Amersfoort.",
                             "033-4567890,", "a.jansen@bakkerijjansen.nl"}) {
    EXPECT_NE(all_text(page).find(needle), std::string::npos) << needle;
  }

  // Every box holds ink, and its edges lie close to the ink: the rows just above and
  // below a box are nearly blank.
  const Greymap image = read_greymap(dir_->path() / "letter.pgm");
  std::size_t boxes = 0;
  for (const Json& line : page["regels"]) {
    std::string joined;
    for (const Json& w : line["woorden"]) {
      joined += (joined.empty() ? "" : " ") + w["t"].get<std::string>();
      const int x = w["x"], y = w["y"], width = w["w"], height = w["h"];
      ASSERT_TRUE(x >= 0 && y >= 0 && x + width <= image.width && y + height <= image.height);
      int dark = 0, edge = 0;
      for (int px = x; px < x + width; ++px) {
        for (int py = y; py < y + height; ++py) dark += image.at(px, py) < 128;
        edge += image.at(px, std::max(0, y - 3)) < 128;
        edge += image.at(px, std::min(image.height - 1, y + height + 2)) < 128;
      }
      EXPECT_GT(dark, width * height / 20) << w;
      EXPECT_LT(edge, width / 5 + 1) << w;
      ++boxes;
    }
    EXPECT_EQ(line["tekst"], joined);
  }
  EXPECT_GE(boxes, words_of(expected).size() * 95 / 100);
  const Json* first = word(page, "Geachte");
  ASSERT_NE(first, nullptr);
  EXPECT_NEAR((*first)["x"].get<int>(), kLeft, 8);
}

TEST_F(OcrRoute, TurnsEveryExifOrientationUpright) {
  const Json upright = reply(file("photo.png"));
  const Json* reference = word(upright, "Kerkstraat");
  ASSERT_NE(reference, nullptr) << upright;
  for (int o = 1; o <= 8; ++o) {
    const Json turned = reply(with_orientation(file("turned" + std::to_string(o) + ".jpg"), o));
    EXPECT_EQ(turned["breedte"], 1200) << "orientation " << o;
    EXPECT_EQ(turned["hoogte"], 300) << "orientation " << o;
    const Json* found = word(turned, "Kerkstraat");
    ASSERT_NE(found, nullptr) << "orientation " << o << ": " << turned;
    for (const char* edge : {"x", "y", "w", "h"}) {
      EXPECT_NEAR((*found)[edge].get<int>(), (*reference)[edge].get<int>(), 4) << o << edge;
    }
  }
}

TEST_F(OcrRoute, ReadsTheSamePhotoFromEveryImageFormatItTakes) {
  for (const char* name : {"photo.tif", "photo.bmp", "photo.jpg", "photo-alpha.png"}) {
    const Json photo = reply(file(name));
    EXPECT_EQ(photo["breedte"], 1200) << name;
    EXPECT_EQ(all_text(photo), "Kerkstraat Amersfoort\n") << name;
  }
  // The decoder reads these too, but the page never posts them.
  for (const char* name : {"photo.gif", "photo.webp", "photo.pgm"}) {
    EXPECT_EQ(post(file(name)).body, R"({"fout": "Geen afbeelding die gelezen kan worden"})")
        << name;
  }
}

// Images whose header claims more pixels than would fit decoded are refused from the
// header alone: the answer names the size, which only the header gives.
TEST_F(OcrRoute, ImagesTooLargeToDecodeAreRefusedFromTheirHeader) {
  const std::pair<const char*, std::string> bombs[] = {
      {"RGB PNG 10000 x 10000", png_header_only(10000, 10000, 2)},
      {"RGBA TIFF 10000 x 10000", tiff_header_only(10000, 10000, 4, 8, 1)},
      {"G4 TIFF 10000 x 10000", tiff_header_only(10000, 10000, 1, 1, 4)},
      {"colour JPEG 10000 x 10000", jpeg_claiming(file("photo.jpg"), 10000, 10000)},
      {"BMP 10000 x 10000", bmp_header_only(10000, 10000)},
  };
  for (const auto& [name, bomb] : bombs) {
    EXPECT_LT(bomb.size(), 100'000u) << name;
    EXPECT_EQ(post(bomb).body,
              R"({"fout": "Afbeelding te groot om te lezen: 10000 x 10000 pixels"})")
        << name;
  }
  // A 600 dpi A4 page (4960 x 7016) fits, in colour and with alpha too: it is
  // decoded, and found cut short.
  for (const std::string& page :
       {png_header_only(4960, 7016, 2), png_header_only(4960, 7016, 6),
        tiff_header_only(4960, 7016, 1, 1, 4), tiff_header_only(4960, 7016, 3, 8, 1),
        tiff_header_only(4960, 7016, 4, 8, 1), jpeg_claiming(file("photo.jpg"), 4960, 7016)}) {
    const std::string fout = post(page).body;
    EXPECT_EQ(fout.find("te groot"), std::string::npos) << fout;
  }
}

// Two recognitions run at once; a third waits for one of them, or is answered 503
// when none ends within its wait.
TEST_F(OcrRoute, AThirdRecognitionWaitsForAPlace) {
  std::vector<ocr_service::RecognitionSlot> taken;
  taken.reserve(ocr_service::RECOGNITIONS_AT_ONCE);
  for (int i = 0; i < ocr_service::RECOGNITIONS_AT_ONCE; ++i) {
    taken.push_back(ocr_service::wait_for_recognition(std::chrono::seconds(5)).value());
  }
  auto third = std::async(std::launch::async, [] { return all_text(reply(file("photo.png"))); });
  while (ocr_service::recognitions_waiting() == 0) std::this_thread::yield();
  EXPECT_EQ(third.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);

  Config config;
  config.WEB_DIR = dir_->path();
  ServerLimits no_wait;
  no_wait.ocr_wait = std::chrono::milliseconds(0);
  const auto impatient = start_server(config, no_wait);
  const testing::RawAnswer refused = testing::raw_request(
      impatient.port, "POST /ocr HTTP/1.0\r\nHost: localhost\r\nContent-Length: 4\r\n\r\ngeen");
  EXPECT_EQ(refused.code(), 503);
  EXPECT_EQ(refused.header("Content-Type"), "application/json; charset=utf-8");
  EXPECT_EQ(
      refused.body,
      R"({"fout": "De tekstherkenning is bezet. Probeer het over enkele ogenblikken opnieuw."})");

  taken.pop_back();
  EXPECT_EQ(third.get(), "Kerkstraat Amersfoort\n");
}

TEST_F(OcrRoute, BoxesOfAnImageWiderThanTheEngineComeBackInItsOwnGrid) {
  const Json wide = reply(file("wide.png"));
  EXPECT_EQ(wide["breedte"], 12000);
  const Json* first = word(wide, "Notaris");
  ASSERT_NE(first, nullptr) << wide;
  EXPECT_NEAR((*first)["x"].get<int>(), 400, 20);
  const Json* last = word(wide, "Amersfoort");
  ASSERT_NE(last, nullptr) << wide;
  EXPECT_NEAR((*last)["x"].get<int>(), 10000, 20);
}

TEST_F(OcrRoute, BlankAndTinyImagesHaveNoLines) {
  for (const char* name : {"blank.png", "one.png"}) {
    const Json empty = reply(file(name));
    EXPECT_EQ(empty["regels"], Json::array()) << name;
    EXPECT_EQ(empty["hoek"], nullptr) << name;
  }
}

TEST_F(OcrRoute, ImagesThatCannotBeReadGiveTheErrorReply) {
  const std::string png = file("letter.png");
  const std::pair<const char*, std::string> cases[] = {
      {"no image", "Dit is geen afbeelding"},
      {"truncated PNG", png.substr(0, png.size() / 2)},
      {"30000 x 30000 declared in a small file", png_header_only(30000, 30000)},
      {"BMP of the lowest negative height", bmp_header_only(10, 0x80000000)},
  };
  for (const auto& [name, bytes] : cases) {
    const testing::RawAnswer answer = post(bytes);
    EXPECT_EQ(answer.code(), 500) << name;
    EXPECT_EQ(answer.header("Content-Type"), "application/json; charset=utf-8");
    const auto fout = read_json(answer.body);
    ASSERT_TRUE(fout && fout->size() == 1 && (*fout)["fout"].is_string()) << answer.body;
    EXPECT_FALSE((*fout)["fout"].get<std::string>().empty()) << name;
  }
  EXPECT_LT(png_header_only(30000, 30000).size(), 1024u);
  EXPECT_EQ(post("geen").body, R"({"fout": "Geen afbeelding die gelezen kan worden"})");
}

TEST_F(OcrRoute, RequestsAtOnceAreEachAnsweredWithTheirOwnImage) {
  auto page = std::async(std::launch::async, [] { return all_text(reply(file("letter.png"))); });
  auto photo = std::async(std::launch::async, [] { return all_text(reply(file("photo.png"))); });
  auto wide = std::async(std::launch::async, [] { return all_text(reply(file("wide.png"))); });
  EXPECT_NE(page.get().find("Jansen-Bakker"), std::string::npos);
  EXPECT_EQ(photo.get(), "Kerkstraat Amersfoort\n");
  EXPECT_NE(wide.get().find("Notaris Verbeek"), std::string::npos);
}

}  // namespace
}  // namespace verhulzen
