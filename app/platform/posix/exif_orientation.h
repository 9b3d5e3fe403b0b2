// The EXIF orientation of an image file, which the image decoder here leaves to us.
#pragma once

#include <string_view>

namespace verhulzen::platform::ocr {

// The orientation tag (1 to 8) of a JPEG's APP1 or a PNG's eXIf chunk, or of a TIFF's
// first directory; 1 when there is none or it is out of range.
int exif_orientation(std::string_view file);

}  // namespace verhulzen::platform::ocr
