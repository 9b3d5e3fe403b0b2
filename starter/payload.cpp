#include "payload.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#include "os.h"

namespace starter {
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMaxIndex = 64ULL << 20;
constexpr std::size_t kChunk = 1 << 16;

// Reads little-endian numbers and texts from a byte range, failing past its end.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : rest_(bytes) {}

  template <typename T>
  T number() {
    need(sizeof(T));
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
      value |= static_cast<T>(static_cast<unsigned char>(rest_[i])) << (8 * i);
    }
    rest_.remove_prefix(sizeof(T));
    return value;
  }

  std::string text(std::size_t size) {
    need(size);
    std::string value(rest_.substr(0, size));
    rest_.remove_prefix(size);
    return value;
  }

  bool at_end() const { return rest_.empty(); }

 private:
  void need(std::size_t size) const {
    if (rest_.size() < size) throw PayloadError("de inhoudsopgave van het programma is beschadigd");
  }
  std::string_view rest_;
};

std::string read_range(std::ifstream& in, std::uint64_t offset, std::uint64_t size) {
  std::string bytes(size, '\0');
  in.seekg(static_cast<std::streamoff>(offset));
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  if (!in) throw PayloadError("het programmabestand kan niet worden gelezen");
  return bytes;
}

std::uint32_t crc_of(std::string_view bytes) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// Inflates one entry from `in` into `out`, checking its size and checksum.
void inflate_entry(std::ifstream& in, const Entry& entry, std::ofstream& out) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) throw PayloadError("kan niet uitpakken: te weinig geheugen");
  struct End {
    z_stream* s;
    ~End() { inflateEnd(s); }
  } end{&stream};

  std::array<char, kChunk> input{};
  std::array<char, kChunk> output{};
  std::uint64_t left = entry.compressed_size;
  std::uint64_t written = 0;
  uLong crc = crc32(0, nullptr, 0);
  in.seekg(static_cast<std::streamoff>(entry.offset));
  int status = Z_OK;
  while (status != Z_STREAM_END) {
    if (stream.avail_in == 0) {
      if (left == 0) break;
      const auto take = static_cast<std::streamsize>(std::min<std::uint64_t>(left, input.size()));
      in.read(input.data(), take);
      if (!in) throw PayloadError("het programmabestand kan niet worden gelezen");
      left -= static_cast<std::uint64_t>(take);
      stream.next_in = reinterpret_cast<Bytef*>(input.data());
      stream.avail_in = static_cast<uInt>(take);
    }
    stream.next_out = reinterpret_cast<Bytef*>(output.data());
    stream.avail_out = static_cast<uInt>(output.size());
    status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    const std::size_t produced = output.size() - stream.avail_out;
    written += produced;
    if (written > entry.size) break;
    crc = crc32(crc, reinterpret_cast<const Bytef*>(output.data()), static_cast<uInt>(produced));
    out.write(output.data(), static_cast<std::streamsize>(produced));
    if (!out) throw PayloadError("kan " + entry.path + " niet schrijven (schijf vol?)");
  }
  if (status != Z_STREAM_END || left != 0 || stream.avail_in != 0 || written != entry.size ||
      crc != entry.crc) {
    throw PayloadError("het programmabestand is beschadigd (" + entry.path + ")");
  }
}

void unpack_entry(std::ifstream& in, const Entry& entry, const fs::path& folder) {
  const fs::path target = folder / fs::path(entry.path);
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  if (!out) throw PayloadError("kan " + entry.path + " niet schrijven");
  // Within a folder of the user's alone; the mode is for copies made of it.
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  inflate_entry(in, entry, out);
  out.close();
  if (!out) throw PayloadError("kan " + entry.path + " niet schrijven (schijf vol?)");
}

// The starter's own code, before the file data: its CRC-32 in the trailer.
void check_code(std::ifstream& in, const Trailer& t) {
  std::array<char, kChunk> chunk{};
  uLong crc = crc32(0, nullptr, 0);
  in.seekg(0);
  for (std::uint64_t left = t.code_size; left > 0;) {
    const auto take = static_cast<std::streamsize>(std::min<std::uint64_t>(left, chunk.size()));
    in.read(chunk.data(), take);
    if (!in) throw PayloadError("het programmabestand kan niet worden gelezen");
    crc = crc32(crc, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(take));
    left -= static_cast<std::uint64_t>(take);
  }
  if (crc != t.code_crc) throw PayloadError("het programmabestand is beschadigd");
}

}  // namespace

Payload Payload::open(const fs::path& executable) {
  std::ifstream in(executable, std::ios::binary);
  if (!in) throw PayloadError("het programmabestand kan niet worden geopend");
  in.seekg(0, std::ios::end);
  const auto file_size = static_cast<std::uint64_t>(in.tellg());
  if (file_size < kTrailerSize) throw PayloadError("het programma bevat geen onderdelen");
  const std::string trailer_bytes = read_range(in, file_size - kTrailerSize, kTrailerSize);
  if (std::string_view(trailer_bytes).substr(kTrailerSize - kMagic.size()) !=
      std::string_view(kMagic.data(), kMagic.size())) {
    throw PayloadError("het programma bevat geen onderdelen");
  }
  Reader trailer(trailer_bytes);
  Trailer t;
  t.index_offset = trailer.number<std::uint64_t>();
  t.index_size = trailer.number<std::uint64_t>();
  t.index_crc = trailer.number<std::uint32_t>();
  t.entry_count = trailer.number<std::uint32_t>();
  t.code_size = trailer.number<std::uint64_t>();
  t.code_crc = trailer.number<std::uint32_t>();
  const std::uint64_t index_end = file_size - kTrailerSize;
  if (t.index_size > kMaxIndex || t.index_offset > index_end ||
      index_end - t.index_offset != t.index_size || t.code_size > t.index_offset) {
    throw PayloadError("de inhoudsopgave van het programma is beschadigd");
  }
  check_code(in, t);
  const std::string index = read_range(in, t.index_offset, t.index_size);
  if (crc_of(index) != t.index_crc)
    throw PayloadError("de inhoudsopgave van het programma is beschadigd");

  // The files' data follow the code and each other without a gap up to the index,
  // so that no byte of the file goes unchecked.
  std::vector<Entry> entries;
  Reader reader(index);
  std::uint64_t next = t.code_size;
  for (std::uint32_t i = 0; i < t.entry_count; ++i) {
    Entry e;
    e.path = reader.text(reader.number<std::uint32_t>());
    e.offset = reader.number<std::uint64_t>();
    e.compressed_size = reader.number<std::uint64_t>();
    e.size = reader.number<std::uint64_t>();
    e.crc = reader.number<std::uint32_t>();
    if (!safe_entry_path(e.path) || e.offset != next || t.index_offset - next < e.compressed_size) {
      throw PayloadError("de inhoudsopgave van het programma is beschadigd");
    }
    next += e.compressed_size;
    entries.push_back(std::move(e));
  }
  if (!reader.at_end() || next != t.index_offset)
    throw PayloadError("de inhoudsopgave van het programma is beschadigd");
  return Payload(executable, std::move(entries));
}

void Payload::unpack(const fs::path& folder) const {
  // Folders first, each once, then the files spread over threads: unpacking is most
  // of the start-up.
  std::set<fs::path> folders;
  for (const auto& entry : entries_) folders.insert((folder / fs::path(entry.path)).parent_path());
  for (const auto& made : folders) os::create_private_folder(made);
  const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1U, 8U);
  std::atomic<std::size_t> next{0};
  std::mutex failure_lock;
  std::exception_ptr failure;
  auto work = [&] {
    std::ifstream in(executable_, std::ios::binary);
    for (std::size_t i = next++; i < entries_.size(); i = next++) {
      try {
        if (!in) throw PayloadError("het programmabestand kan niet worden geopend");
        unpack_entry(in, entries_[i], folder);
      } catch (...) {
        const std::lock_guard guard(failure_lock);
        if (!failure) failure = std::current_exception();
        next = entries_.size();
      }
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (auto& thread : pool) thread.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace starter
