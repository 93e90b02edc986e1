// Decoding PNG and JPEG bytes into a bitmap in a memory device context.
#pragma once

#include <windows.h>

#include <string>

#include "app/picture.h"

namespace orvane {

// Fills picture from the image bytes; bytes that do not decode leave an empty
// picture (no bitmap, size 0), which paints nothing. The previous bitmap and
// device context of the record are released.
void loadPictureRecord(const std::string& bytes, HWND owner, PictureRecord& picture);
void releasePicture(PictureRecord& picture);

}  // namespace orvane
