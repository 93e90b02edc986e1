#include "win32/picture_loader.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

namespace orvane {

void releasePicture(PictureRecord& picture) {
    if (picture.memoryDc) DeleteDC(static_cast<HDC>(picture.memoryDc));
    if (picture.bitmap) DeleteObject(static_cast<HBITMAP>(picture.bitmap));
    picture.memoryDc = nullptr;
    picture.bitmap = nullptr;
    picture.width = picture.height = 0;
}

void loadPictureRecord(const std::string& bytes, HWND owner, PictureRecord& picture) {
    releasePicture(picture);
    picture.owner = reinterpret_cast<Window>(owner);
    if (bytes.empty()) return;

    IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    if (!stream) return;

    HBITMAP bitmap = nullptr;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
        {
            Gdiplus::Bitmap* decoded = Gdiplus::Bitmap::FromStream(stream);
            if (decoded && decoded->GetLastStatus() == Gdiplus::Ok) {
                Gdiplus::Bitmap* copy = decoded->Clone(0, 0, decoded->GetWidth(), decoded->GetHeight(),
                                                       decoded->GetPixelFormat());
                if (copy && copy->GetLastStatus() == Gdiplus::Ok) {
                    DWORD face = GetSysColor(COLOR_BTNFACE);
                    copy->GetHBITMAP(Gdiplus::Color(GetRValue(face), GetGValue(face), GetBValue(face)), &bitmap);
                }
                delete copy;
            }
            delete decoded;
        }
        Gdiplus::GdiplusShutdown(token);
    }
    stream->Release();
    if (!bitmap) return;

    HDC windowDc = GetDC(owner);
    HDC memory = CreateCompatibleDC(windowDc);
    ReleaseDC(owner, windowDc);
    SelectObject(memory, bitmap);
    BITMAP info = {};
    GetObject(bitmap, sizeof info, &info);
    picture.bitmap = bitmap;
    picture.memoryDc = memory;
    picture.width = info.bmWidth;
    picture.height = info.bmHeight;
}

}  // namespace orvane
