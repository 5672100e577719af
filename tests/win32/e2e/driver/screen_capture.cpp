#include "driver/screen_capture.h"

#include <cstdio>
#include <utility>

namespace e2e {

bool CaptureClient(HWND window, Capture* capture) {
    RECT client;
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) {
        return false;
    }
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    const int width = client.right, height = client.bottom;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    bool copied = false;
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY) != FALSE;
        SelectObject(memory, old);
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    capture->pixels.assign(static_cast<size_t>(width) * height, 0);
    copied = copied && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height),
                                 capture->pixels.data(), &info, DIB_RGB_COLORS) == height;
    capture->width = width;
    capture->height = height;
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    if (memory != nullptr) {
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen);
    return copied;
}

bool SettledCapture::Next(HWND window) {
    Capture now;
    if (!CaptureClient(window, &now)) {
        return false;
    }
    const bool same = now.width == last_.width && now.pixels == last_.pixels;
    last_ = std::move(now);
    return same;
}

size_t CountBrightNonRed(const Capture& capture, int limit, std::string* where) {
    size_t count = 0;
    for (size_t i = 0; i < capture.pixels.size(); ++i) {
        const uint32_t pixel = capture.pixels[i];
        const int green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
        if (green <= limit && blue <= limit) {
            continue;
        }
        if (++count <= 5 && where != nullptr) {
            char text[80];
            snprintf(text, sizeof text, "(%d,%d)=#%06X ", static_cast<int>(i % capture.width),
                     static_cast<int>(i / capture.width), pixel & 0xFFFFFFu);
            *where += text;
        }
    }
    return count;
}

size_t CountLitRed(const Capture& capture, int limit) {
    size_t count = 0;
    for (uint32_t pixel : capture.pixels) {
        count += static_cast<int>((pixel >> 16) & 0xFF) > limit ? 1 : 0;
    }
    return count;
}

bool SavePicture(const Capture& capture, const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) {
        return false;
    }
    fprintf(file, "P6 %d %d 255\n", capture.width, capture.height);
    for (uint32_t pixel : capture.pixels) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(pixel >> 16),
                                      static_cast<unsigned char>(pixel >> 8),
                                      static_cast<unsigned char>(pixel)};
        fwrite(rgb, 1, 3, file);
    }
    return fclose(file) == 0;
}

}  // namespace e2e
