// Builds the program the user starts: the starter's executable with the files
// of a folder appended as its payload.
//   verhulzen_pack <starter executable> <folder> <output>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "payload_format.h"

namespace fs = std::filesystem;

namespace {

std::string read_whole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string compressed(const std::string& bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                6) != Z_OK) {
    throw std::runtime_error("compression failed");
  }
  out.resize(size);
  return out;
}

std::uint32_t crc_of(const std::string& bytes) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: " << argv[0] << " <starter executable> <folder> <output>\n";
    return 2;
  }
  try {
    const fs::path folder = argv[2];
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());

    std::string out = read_whole(argv[1]);
    starter::Trailer trailer;
    trailer.code_size = out.size();
    trailer.code_crc = crc_of(out);
    std::string index;
    for (const auto& file : files) {
      const std::string bytes = read_whole(file);
      const std::string packed = compressed(bytes);
      starter::Entry entry;
      entry.path = fs::relative(file, folder).generic_string();
      if (!starter::safe_entry_path(entry.path))
        throw std::runtime_error("unsafe path " + entry.path);
      entry.offset = out.size();
      entry.compressed_size = packed.size();
      entry.size = bytes.size();
      entry.crc = crc_of(bytes);
      out += packed;
      index += starter::encode_entry(entry);
    }
    trailer.index_offset = out.size();
    trailer.index_size = index.size();
    trailer.index_crc = crc_of(index);
    trailer.entry_count = static_cast<std::uint32_t>(files.size());
    out += index;
    out += starter::encode_trailer(trailer);

    const fs::path output = argv[3];
    const fs::path temporary = output.string() + ".tmp";
    {
      std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
      file.write(out.data(), static_cast<std::streamsize>(out.size()));
      if (!file.flush()) throw std::runtime_error("cannot write " + temporary.string());
    }
    fs::permissions(temporary, fs::perms(0755));
    fs::rename(temporary, output);
    std::cout << output.string() << ": " << files.size() << " files, " << out.size() << " bytes\n";
    return 0;
  } catch (const std::exception& error) {
    std::cerr << argv[0] << ": " << error.what() << "\n";
    return 1;
  }
}
