#include "skin/skin_image_win.h"

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstring>
#include <vector>

#include "skin/late_library_win.h"
#include "skin/mask_runs.h"
#include "skin/start_clock_win.h"

namespace kestra {
namespace {

// Skin images are a few hundred kilobytes; anything near this is not one.
constexpr DWORD kMaxImageBytes = 64u * 1024 * 1024;

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// The file's bytes in a movable global block, or null.
HGLOBAL ReadFileToGlobal(const std::string& path, DWORD& bytes) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return nullptr;
    DWORD high = 0;
    bytes = GetFileSize(file.get(), &high);
    if (bytes == INVALID_FILE_SIZE || high != 0 || bytes == 0 || bytes > kMaxImageBytes) {
        return nullptr;
    }
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) return nullptr;
    void* data = GlobalLock(memory);
    DWORD read = 0;
    const bool ok =
        data != nullptr && ReadFile(file.get(), data, bytes, &read, nullptr) && read == bytes;
    if (data != nullptr) GlobalUnlock(memory);
    if (!ok) {
        GlobalFree(memory);
        return nullptr;
    }
    return memory;
}

HRGN RegionOfBatch(const MaskBatch& batch) {
    std::vector<unsigned char> buffer(sizeof(RGNDATAHEADER) + sizeof(RECT) * batch.rects.size());
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(batch.rects.size());
    data->rdh.nRgnSize = 0;
    data->rdh.rcBound = {batch.bounds.left, batch.bounds.top, batch.bounds.right,
                         batch.bounds.bottom};
    RECT* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (size_t i = 0; i < batch.rects.size(); ++i) {
        const SkinRect& r = batch.rects[i];
        rects[i] = {r.left, r.top, r.right, r.bottom};
    }
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}

enum class PlainBitmap { kNotPlain, kLoaded, kBroken };

// A plain bitmap file (uncompressed, 24 or 32 bits a pixel, as the skins are
// made) is copied straight into a 32-bit DIB section: the same pixels the
// system decoder gives, without its detour through a device bitmap, which
// costs more than the rest of a skin window. Any other file goes to the
// decoder, except an uncompressed one whose pixels the file does not hold.
PlainBitmap LoadPlainBitmap(const uint8_t* data, DWORD bytes, Bitmap& bitmap, SIZE& size) {
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    if (bytes < sizeof file + sizeof info) return PlainBitmap::kNotPlain;
    memcpy(&file, data, sizeof file);
    memcpy(&info, data + sizeof file, sizeof info);
    if (file.bfType != 0x4D42 || info.biSize < sizeof info || info.biCompression != BI_RGB) {
        return PlainBitmap::kNotPlain;
    }
    constexpr LONG kMaxSide = 16384;
    const LONG width = info.biWidth;
    // Negative for rows stored top-down; kept apart so that no negation
    // can overflow.
    const bool topDown = info.biHeight < 0;
    if (width <= 0 || width > kMaxSide || info.biHeight == 0 || info.biHeight < -kMaxSide ||
        info.biHeight > kMaxSide || info.biPlanes != 1 || info.biBitCount == 0 ||
        info.biBitCount > 32) {
        return PlainBitmap::kBroken;
    }
    const LONG height = topDown ? -info.biHeight : info.biHeight;
    const uint64_t stride = (uint64_t(width) * info.biBitCount + 31) / 32 * 4;
    if (file.bfOffBits < sizeof file + sizeof info ||
        uint64_t(file.bfOffBits) + stride * uint64_t(height) > bytes) {
        return PlainBitmap::kBroken;
    }
    if (info.biBitCount != 24 && info.biBitCount != 32) return PlainBitmap::kNotPlain;

    BITMAPINFO target = {};
    target.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    target.bmiHeader.biWidth = width;
    target.bmiHeader.biHeight = height;  // bottom-up, as the decoder gives it
    target.bmiHeader.biPlanes = 1;
    target.bmiHeader.biBitCount = 32;
    target.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap dib(CreateDIBSection(nullptr, &target, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || bits == nullptr) return PlainBitmap::kBroken;
    const uint64_t pixelBytes = info.biBitCount / 8;
    const uint8_t* from = data + file.bfOffBits;
    auto* to = static_cast<uint8_t*>(bits);
    for (LONG row = 0; row < height; ++row) {
        const LONG bottomUpRow = topDown ? height - 1 - row : row;
        const uint8_t* source = from + stride * row;
        uint8_t* pixel = to + size_t(width) * 4 * bottomUpRow;
        for (LONG x = 0; x < width; ++x, source += pixelBytes, pixel += 4) {
            pixel[0] = source[0];
            pixel[1] = source[1];
            pixel[2] = source[2];
            pixel[3] = 0;
        }
    }
    GdiFlush();
    bitmap = std::move(dib);
    size = {width, height};
    return PlainBitmap::kLoaded;
}

// Any format the system's picture decoder reads; takes `memory`.
bool LoadThroughDecoder(HGLOBAL memory, DWORD bytes, Bitmap& bitmap, SIZE& size) {
    using CreateStream = HRESULT(WINAPI*)(HGLOBAL, BOOL, IStream**);
    using LoadPicture = HRESULT(WINAPI*)(IStream*, LONG, BOOL, REFIID, void**);
    const auto createStream = LateFunctionAs<CreateStream>("ole32.dll", "CreateStreamOnHGlobal");
    const auto loadPicture = LateFunctionAs<LoadPicture>("oleaut32.dll", "OleLoadPicture");
    NeedCom();
    IStream* stream = nullptr;
    if (createStream == nullptr || loadPicture == nullptr ||
        FAILED(createStream(memory, TRUE, &stream)) || stream == nullptr) {
        GlobalFree(memory);
        return false;
    }
    IPicture* picture = nullptr;
    const HRESULT hr = loadPicture(stream, static_cast<LONG>(bytes), FALSE, IID_IPicture,
                                   reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(hr) || picture == nullptr) return false;

    // The picture owns its handle; keep a copy that outlives it.
    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
        SUCCEEDED(picture->get_Handle(&handle)) && handle != 0) {
        HBITMAP original = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
        bitmap.reset(
            static_cast<HBITMAP>(CopyImage(original, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    }
    picture->Release();
    BITMAP info = {};
    if (!bitmap || GetObjectA(bitmap.get(), sizeof(info), &info) == 0) {
        bitmap.reset();
        return false;
    }
    size = {info.bmWidth, info.bmHeight};
    return true;
}

}  // namespace

bool LoadSkinImage(const std::string& path, Bitmap& bitmap, SIZE& size) {
    StartPhaseScope phase(StartPhase::kImages);
    bitmap.reset();
    size = {0, 0};
    DWORD bytes = 0;
    HGLOBAL memory = ReadFileToGlobal(path, bytes);
    if (memory == nullptr) return false;
    PlainBitmap plain = PlainBitmap::kBroken;
    if (const void* data = GlobalLock(memory)) {
        plain = LoadPlainBitmap(static_cast<const uint8_t*>(data), bytes, bitmap, size);
        GlobalUnlock(memory);
    }
    if (plain != PlainBitmap::kNotPlain) {
        GlobalFree(memory);
        return plain == PlainBitmap::kLoaded;
    }
    return LoadThroughDecoder(memory, bytes, bitmap, size);
}

Region MaskToRegion(HBITMAP bitmap, COLORREF transparent, COLORREF tolerance) {
    StartPhaseScope phase(StartPhase::kOutlines);
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof(info), &info) == 0 || info.bmWidth <= 0 ||
        info.bmHeight <= 0) {
        return Region();
    }
    const int width = info.bmWidth;
    const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    MemoryDC target(CreateCompatibleDC(nullptr));
    MemoryDC source(CreateCompatibleDC(nullptr));
    if (!target || !source) return Region();

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;  // bottom-up rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap dib(CreateDIBSection(target.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || bits == nullptr) return Region();

    std::vector<MaskBatch> batches;
    {
        ScopedSelectObject selectDib(target.get(), dib.get());
        ScopedSelectObject selectSource(source.get(), bitmap);
        BitBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
        GdiFlush();
        const size_t stride = ((size_t(width) * 32 + 31) / 32) * 4;
        batches = ExtractMaskRuns(static_cast<const uint8_t*>(bits), width, height, stride, true,
                                  transparent, tolerance, kMaskBatchSize);
    }
    Region result;
    for (const MaskBatch& batch : batches) {
        Region part(RegionOfBatch(batch));
        if (!part) continue;
        if (!result) {
            result = std::move(part);
        } else {
            CombineRgn(result.get(), result.get(), part.get(), RGN_OR);
        }
    }
    if (!result) result.reset(CreateRectRgn(0, 0, 0, 0));
    return result;
}

Bitmap CreateFrameBitmap(int width, int height) {
    if (width <= 0 || height <= 0) return Bitmap();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return Bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

void CutStateImage(HDC windowDc, Bitmap& target, HBITMAP source, int left, int top, int right,
                   int bottom) {
    if (source == nullptr) return;
    target.reset();
    const int width = right - left;
    const int height = bottom - top;
    if (width <= 0 || height <= 0 || windowDc == nullptr) return;
    target = CreateFrameBitmap(width, height);
    if (!target) return;
    MemoryDC from(CreateCompatibleDC(windowDc));
    MemoryDC to(CreateCompatibleDC(windowDc));
    if (!from || !to) return;
    ScopedSelectObject selectFrom(from.get(), source);
    ScopedSelectObject selectTo(to.get(), target.get());
    StretchBlt(to.get(), 0, 0, width, height, from.get(), left, top, width, height, SRCCOPY);
}

}  // namespace kestra
