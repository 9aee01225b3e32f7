// The pictures GetPreviewBitmap hands out.
#include <olectl.h>
#include <shlwapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "com_object.h"
#include "fault_injection.h"
#include "preview_image.h"
#include "standin_objects.h"

namespace {

HRESULT PictureOf(PICTDESC& description, IPicture** picture) {
    return ::OleCreatePictureIndirect(&description, IID_IPicture, TRUE, reinterpret_cast<void**>(picture));
}

// A DIB section with the file's header, colour table and pixels.
HRESULT BitmapPicture(const std::vector<std::uint8_t>& data, const TImageInfo& image, IPicture** picture) {
    // The info header and colour table, copied to an aligned place.
    const std::size_t headerBytes = image.PixelOffset - sizeof(BITMAPFILEHEADER);
    std::vector<DWORD> header((headerBytes + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(header.data(), data.data() + sizeof(BITMAPFILEHEADER), headerBytes);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(header.data());
    void* bits = nullptr;
    TBitmapHandle bitmap(::CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return E_OUTOFMEMORY;
    ::GdiFlush();
    std::memcpy(bits, data.data() + image.PixelOffset, image.PixelBytes);
    PICTDESC description = {};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap.Get();
    const HRESULT hr = PictureOf(description, picture);
    if (SUCCEEDED(hr)) bitmap.Release();
    return hr;
}

// Loaded from the metafile's bytes, so that the picture takes its size from
// the metafile's frame.
HRESULT MetafilePicture(const std::vector<std::uint8_t>& data, IPicture** picture) {
    Microsoft::WRL::ComPtr<IStream> stream;
    stream.Attach(::SHCreateMemStream(data.data(), static_cast<UINT>(data.size())));
    if (!stream) return E_OUTOFMEMORY;
    return ::OleLoadPicture(stream.Get(), static_cast<LONG>(data.size()), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(picture));
}

// IDispatch with nothing to call.
template <typename Base>
class TNoAutomation : public Base {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
};

class TNonPicture final : public TNoAutomation<TComObject<IDispatch>> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) return Hand(static_cast<IDispatch*>(this), object);
        return Hand(nullptr, object);
    }
};

// A picture of type none: no handle, draws nothing, but reports a size.
class TEmptyPicture final : public TNoAutomation<TComObject<IPictureDisp, IPicture>> {
public:
    TEmptyPicture(long width, long height) : fWidth(width), fHeight(height) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IPicture) return Hand(static_cast<IPicture*>(this), object);
        if (iid == IID_IDispatch || iid == IID_IPictureDisp) return Hand(static_cast<IPictureDisp*>(this), object);
        return Hand(nullptr, object);
    }

    HRESULT STDMETHODCALLTYPE get_Handle(OLE_HANDLE* handle) override { return Zero(handle); }
    HRESULT STDMETHODCALLTYPE get_hPal(OLE_HANDLE* palette) override { return Zero(palette); }
    HRESULT STDMETHODCALLTYPE get_Type(SHORT* type) override {
        if (!type) return E_POINTER;
        *type = PICTYPE_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Width(OLE_XSIZE_HIMETRIC* width) override {
        if (!width) return E_POINTER;
        *width = fWidth;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Height(OLE_YSIZE_HIMETRIC* height) override {
        if (!height) return E_POINTER;
        *height = fHeight;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Render(HDC, LONG, LONG, LONG, LONG, OLE_XPOS_HIMETRIC, OLE_YPOS_HIMETRIC,
                                     OLE_XSIZE_HIMETRIC, OLE_YSIZE_HIMETRIC, LPCRECT) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE set_hPal(OLE_HANDLE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CurDC(HDC* dc) override {
        if (!dc) return E_POINTER;
        *dc = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SelectPicture(HDC, HDC*, OLE_HANDLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_KeepOriginalFormat(BOOL* keep) override {
        if (!keep) return E_POINTER;
        *keep = FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_KeepOriginalFormat(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PictureChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SaveAsFile(LPSTREAM, BOOL, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Attributes(DWORD* attributes) override {
        if (!attributes) return E_POINTER;
        *attributes = 0;
        return S_OK;
    }

private:
    static HRESULT Zero(OLE_HANDLE* handle) {
        if (!handle) return E_POINTER;
        *handle = 0;
        return S_OK;
    }
    long fWidth;
    long fHeight;
};

std::uint32_t BigEndian32(const std::vector<std::uint8_t>& d, std::size_t at) {
    return (std::uint32_t{d[at]} << 24) | (std::uint32_t{d[at + 1]} << 16) | (std::uint32_t{d[at + 2]} << 8) | d[at + 3];
}

// A PNG file with an alpha channel (colour type 4 or 6) or a transparent
// colour (a tRNS chunk).
bool PngHasAlpha(const std::vector<std::uint8_t>& png) {
    const std::size_t cColourTypeAt = 8 + 8 + 9;  // signature, IHDR length and name, width, height, depth
    if (png.size() > cColourTypeAt && (png[cColourTypeAt] == 4 || png[cColourTypeAt] == 6)) return true;
    for (std::size_t at = 8; at + 8 <= png.size();) {
        const std::uint32_t length = BigEndian32(png, at);
        if (std::memcmp(png.data() + at + 4, "tRNS", 4) == 0) return true;
        if (std::memcmp(png.data() + at + 4, "IEND", 4) == 0 || length > png.size() - at - 8) break;
        at += 12 + static_cast<std::size_t>(length);
    }
    return false;
}

}  // namespace

HRESULT CreatePngPicture(const std::vector<std::uint8_t>& png, IPicture** picture) {
    using Microsoft::WRL::ComPtr;
    if (!picture) return E_POINTER;
    *picture = nullptr;
    if (png.empty() || png.size() > 0xFFFFFFFFu) return E_INVALIDARG;
    // Decoded by the platform's imaging component into a 32-bit DIB section:
    // with alpha premultiplied (as AlphaBlend takes it) when the PNG has
    // transparency, and otherwise with every alpha byte 0, the convention of
    // 32-bit bitmaps without alpha; its top row first in memory. The faults
    // png-straight and png-bottomup change the one or the other.
    const bool withAlpha = PngHasAlpha(png);
    const GUID alphaFormat =
        FaultActive(TFault::PngStraight) ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat32bppPBGRA;
    const bool bottomUp = FaultActive(TFault::PngBottomUp);
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(factory.GetAddressOf()));
    ComPtr<IWICStream> stream;
    if (SUCCEEDED(hr)) hr = factory->CreateStream(&stream);
    if (SUCCEEDED(hr)) {
        hr = stream->InitializeFromMemory(const_cast<BYTE*>(png.data()), static_cast<DWORD>(png.size()));
    }
    ComPtr<IWICBitmapDecoder> decoder;
    if (SUCCEEDED(hr)) {
        hr = factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder);
    }
    ComPtr<IWICBitmapFrameDecode> frame;
    if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, &frame);
    ComPtr<IWICBitmapSource> converted;
    if (SUCCEEDED(hr)) hr = ::WICConvertBitmapSource(withAlpha ? alphaFormat : GUID_WICPixelFormat32bppBGR, frame.Get(),
                                  &converted);
    UINT width = 0, height = 0;
    if (SUCCEEDED(hr)) hr = converted->GetSize(&width, &height);
    if (FAILED(hr)) return hr;
    if (width == 0 || height == 0 || width > 0x7FFF || height > 0x7FFF) return E_FAIL;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = bottomUp ? static_cast<LONG>(height) : -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    TBitmapHandle bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return E_OUTOFMEMORY;
    ::GdiFlush();
    const UINT stride = width * 4;
    if (bottomUp) {
        for (UINT y = 0; y < height && SUCCEEDED(hr); ++y) {
            const WICRect row = {0, static_cast<INT>(y), static_cast<INT>(width), 1};
            BYTE* const memoryRow = static_cast<BYTE*>(bits) + std::size_t{stride} * (height - 1 - y);
            hr = converted->CopyPixels(&row, stride, stride, memoryRow);
        }
    } else {
        hr = converted->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits));
    }
    if (FAILED(hr)) return hr;
    if (!withAlpha) {
        auto* bytes = static_cast<BYTE*>(bits);
        for (std::size_t alphaAt = 3; alphaAt < std::size_t{stride} * height; alphaAt += 4) bytes[alphaAt] = 0;
    }
    PICTDESC description = {};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap.Get();
    hr = PictureOf(description, picture);
    if (FAILED(hr)) return hr;
    bitmap.Release();  // the picture owns it now
    if (FaultActive(TFault::PngSelected)) {
        // Into a device context of the library's, for the life of the process.
        const HDC dc = ::CreateCompatibleDC(nullptr);
        if (dc) ::SelectObject(dc, description.bmp.hbitmap);
    }
    return hr;
}

HRESULT CreateStoredPicture(const std::vector<std::uint8_t>& preview, IPicture** picture) {
    if (!picture) return E_POINTER;
    *picture = nullptr;
    const TImageInfo image = InspectImage(preview);
    switch (image.Kind) {
        case TImageKind::Bitmap: return BitmapPicture(preview, image, picture);
        case TImageKind::Metafile: return MetafilePicture(preview, picture);
        case TImageKind::None: break;
    }
    return E_FAIL;
}

IDispatch* NewEmptyPicture(long himetricWidth, long himetricHeight) {
    return static_cast<IPictureDisp*>(new (std::nothrow) TEmptyPicture(himetricWidth, himetricHeight));
}

IDispatch* NewNonPicture() { return new (std::nothrow) TNonPicture(); }
