// A decoded picture ready to paint. The bitmap and its memory device context
// belong to the Win32 side; the logic only sees the size and position.
#pragma once

#include "app/platform.h"

namespace orvane {

struct PictureRecord {
    Window owner = 0;
    void* bitmap = nullptr;      // HBITMAP
    void* memoryDc = nullptr;    // HDC with the bitmap selected into it
    int width = 0, height = 0;
    int x = 0, y = 0;
};

}  // namespace orvane
