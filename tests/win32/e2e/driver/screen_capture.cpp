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

bool SaveBitmap(const Capture& capture, const std::wstring& path) {
    const int stride = (capture.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = capture.width;
    header.biHeight = -capture.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride) * capture.height;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * capture.height, 0);
    for (int y = 0; y < capture.height; ++y) {
        for (int x = 0; x < capture.width; ++x) {
            const uint32_t pixel = capture.pixels[static_cast<size_t>(y) * capture.width + x];
            BYTE* out = &rows[static_cast<size_t>(y) * stride + x * 3];
            out[0] = pixel & 0xFF;
            out[1] = (pixel >> 8) & 0xFF;
            out[2] = (pixel >> 16) & 0xFF;
        }
    }
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(handle, &file, sizeof file, &written, nullptr) &&
              WriteFile(handle, &header, sizeof header, &written, nullptr) &&
              WriteFile(handle, rows.data(), static_cast<DWORD>(rows.size()), &written, nullptr);
    return CloseHandle(handle) != FALSE && ok;
}

}  // namespace e2e
