#include "preview_test_support.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlwapi.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "handles.h"

using Microsoft::WRL::ComPtr;

const TQuarters cQuarters = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};

namespace {

// COM for the test thread, as the program has it: a single-threaded apartment.
class TComEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { ::CoUninitialize(); }
};
testing::Environment* const cComEnvironment = testing::AddGlobalTestEnvironment(new TComEnvironment);

COLORREF QuarterColour(const TQuarters& q, bool right, bool bottom) {
    if (bottom) return right ? q.BottomRight : q.BottomLeft;
    return right ? q.TopRight : q.TopLeft;
}

class TScriptedPicture final : public IPicture, public IPictureDisp {
public:
    TScriptedPicture(const TPictureScript& script, TRenderCall* calls) : fScript(script), fCalls(calls) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IPicture) {
            *object = static_cast<IPicture*>(this);
        } else if ((iid == IID_IDispatch || iid == IID_IPictureDisp) && fScript.AnswersPictureDisp) {
            *object = static_cast<IPictureDisp*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++fReferences; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --fReferences;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: nothing to call.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE get_Handle(OLE_HANDLE* handle) override {
        if (!handle) return E_POINTER;
        *handle = fScript.Handle;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_hPal(OLE_HANDLE* palette) override { return Zero(palette); }
    HRESULT STDMETHODCALLTYPE get_Type(SHORT* type) override {
        if (!type) return E_POINTER;
        *type = fScript.Type;
        return fScript.TypeResult;
    }
    HRESULT STDMETHODCALLTYPE get_Width(OLE_XSIZE_HIMETRIC* width) override {
        if (!width) return E_POINTER;
        if (FAILED(fScript.SizeResult)) return fScript.SizeResult;
        *width = fScript.HimetricWidth;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Height(OLE_YSIZE_HIMETRIC* height) override {
        if (!height) return E_POINTER;
        if (FAILED(fScript.SizeResult)) return fScript.SizeResult;
        *height = fScript.HimetricHeight;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Render(HDC, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc,
                                     OLE_YPOS_HIMETRIC ySrc, OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc,
                                     LPCRECT bounds) override {
        if (fCalls) {
            ++fCalls->Count;
            fCalls->X = x;
            fCalls->Y = y;
            fCalls->Cx = cx;
            fCalls->Cy = cy;
            fCalls->XSrc = xSrc;
            fCalls->YSrc = ySrc;
            fCalls->CxSrc = cxSrc;
            fCalls->CySrc = cySrc;
            fCalls->HadBounds = bounds != nullptr;
            if (bounds) fCalls->Bounds = *bounds;
        }
        return fScript.RenderResult;
    }
    HRESULT STDMETHODCALLTYPE set_hPal(OLE_HANDLE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CurDC(HDC* dc) override {
        if (dc) *dc = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SelectPicture(HDC, HDC*, OLE_HANDLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_KeepOriginalFormat(BOOL* keep) override {
        if (keep) *keep = FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_KeepOriginalFormat(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PictureChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SaveAsFile(LPSTREAM, BOOL, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Attributes(DWORD* attributes) override {
        if (attributes) *attributes = 0;
        return S_OK;
    }

private:
    static HRESULT Zero(OLE_HANDLE* handle) {
        if (!handle) return E_POINTER;
        *handle = 0;
        return S_OK;
    }
    std::atomic<ULONG> fReferences{1};
    TPictureScript fScript;
    TRenderCall* fCalls;
};

}  // namespace

ComPtr<IPicture> DibSectionPicture(int width, int height, WORD bitCount, bool topDown,
                                   const std::function<void(int y, std::uint8_t* row)>& fillRow, HPALETTE palette) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = topDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    TBitmapHandle bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
        ADD_FAILURE() << "CreateDIBSection failed";
        return nullptr;
    }
    const std::size_t stride = (static_cast<std::size_t>(width) * bitCount / 8 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        fillRow(y, static_cast<std::uint8_t*>(bits) + static_cast<std::size_t>(topDown ? y : height - 1 - y) * stride);
    }
    ::GdiFlush();

    PICTDESC description = {};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap.Get();
    description.bmp.hpal = palette;
    ComPtr<IPicture> picture;
    const HRESULT hr = ::OleCreatePictureIndirect(&description, IID_IPicture, TRUE,
                                                  reinterpret_cast<void**>(picture.GetAddressOf()));
    EXPECT_EQ(hr, S_OK);
    if (SUCCEEDED(hr)) bitmap.Release();  // the picture owns it now
    return picture;
}

ComPtr<IPicture> BitmapPicture(int width, int height, const TQuarters& quarters, bool withPalette) {
    HPALETTE palette = nullptr;
    if (withPalette) {
        // A LOGPALETTE with room for four entries.
        std::vector<std::uint8_t> buffer(sizeof(LOGPALETTE) + 3 * sizeof(PALETTEENTRY));
        auto* logPalette = reinterpret_cast<LOGPALETTE*>(buffer.data());
        logPalette->palVersion = 0x300;
        logPalette->palNumEntries = 4;
        PALETTEENTRY* entries = logPalette->palPalEntry;
        const COLORREF colours[4] = {quarters.TopLeft, quarters.TopRight, quarters.BottomLeft, quarters.BottomRight};
        for (int i = 0; i < 4; ++i) {
            entries[i] = {GetRValue(colours[i]), GetGValue(colours[i]), GetBValue(colours[i]), 0};
        }
        palette = ::CreatePalette(logPalette);
        EXPECT_NE(palette, nullptr);
    }
    return DibSectionPicture(
        width, height, 24, /*topDown=*/false,
        [&](int y, std::uint8_t* row) {
            for (int x = 0; x < width; ++x) {
                const COLORREF c = QuarterColour(quarters, x >= width / 2, y >= height / 2);
                row[x * 3] = GetBValue(c);
                row[x * 3 + 1] = GetGValue(c);
                row[x * 3 + 2] = GetRValue(c);
            }
        },
        palette);
}

ComPtr<IPicture> MetafilePicture(long himetricWidth, long himetricHeight, const TQuarters& quarters) {
    const TWindowDC screen(nullptr);
    // The metafile records in pixels of the screen it is made for.
    const int width = ::MulDiv(himetricWidth, ::GetDeviceCaps(screen.Get(), HORZRES),
                               ::GetDeviceCaps(screen.Get(), HORZSIZE) * 100);
    const int height = ::MulDiv(himetricHeight, ::GetDeviceCaps(screen.Get(), VERTRES),
                                ::GetDeviceCaps(screen.Get(), VERTSIZE) * 100);
    const RECT frame = {0, 0, himetricWidth, himetricHeight};
    const HDC recorder = ::CreateEnhMetaFileW(screen.Get(), nullptr, &frame, nullptr);
    if (!recorder) {
        ADD_FAILURE() << "CreateEnhMetaFileW failed";
        return nullptr;
    }
    for (int part = 0; part < 4; ++part) {
        const bool right = (part % 2) != 0;
        const bool bottom = part >= 2;
        const RECT r = {right ? width / 2 : 0, bottom ? height / 2 : 0, right ? width : width / 2,
                        bottom ? height : height / 2};
        const TUniqueHandle<HBRUSH, THandleTraits<HBRUSH, &::DeleteObject>> brush(
            ::CreateSolidBrush(QuarterColour(quarters, right, bottom)));
        ::FillRect(recorder, &r, brush.Get());
    }
    const HENHMETAFILE metafile = ::CloseEnhMetaFile(recorder);
    if (!metafile) {
        ADD_FAILURE() << "CloseEnhMetaFile failed";
        return nullptr;
    }
    // Loaded from the metafile's bytes: the picture takes its size from the
    // frame then (Wine's OleCreatePictureIndirect leaves it 0 x 0).
    const UINT size = ::GetEnhMetaFileBits(metafile, 0, nullptr);
    std::vector<std::uint8_t> bytes(size);
    const UINT copied = ::GetEnhMetaFileBits(metafile, size, bytes.data());
    ::DeleteEnhMetaFile(metafile);
    if (size == 0 || copied != size) {
        ADD_FAILURE() << "GetEnhMetaFileBits failed";
        return nullptr;
    }
    ComPtr<IStream> stream;
    stream.Attach(::SHCreateMemStream(bytes.data(), size));
    if (!stream) {
        ADD_FAILURE() << "SHCreateMemStream failed";
        return nullptr;
    }
    ComPtr<IPicture> picture;
    const HRESULT hr = ::OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                        reinterpret_cast<void**>(picture.GetAddressOf()));
    EXPECT_EQ(hr, S_OK);
    return picture;
}

ComPtr<IPicture> ScriptedPicture(const TPictureScript& script, TRenderCall* calls) {
    ComPtr<IPicture> picture;
    picture.Attach(static_cast<IPicture*>(new TScriptedPicture(script, calls)));
    return picture;
}

COLORREF PixelOf(const TBgrCopy& copy, int x, int y) {
    const std::uint8_t* p = copy.Bytes.data() + static_cast<std::size_t>(y) * copy.Stride + x * 3;
    return RGB(p[2], p[1], p[0]);
}

bool NearColour(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::string ColourText(COLORREF c) {
    std::string text;
    text += '(';
    text += std::to_string(GetRValue(c));
    text += ',';
    text += std::to_string(GetGValue(c));
    text += ',';
    text += std::to_string(GetBValue(c));
    text += ')';
    return text;
}

TScreenBitmap FilledBitmap(int width, int height, COLORREF colour) {
    TScreenBitmap bitmap;
    bitmap.SetSize(width, height);
    const TMemoryDC dc(::CreateCompatibleDC(nullptr));
    const TUniqueHandle<HBRUSH, THandleTraits<HBRUSH, &::DeleteObject>> brush(::CreateSolidBrush(colour));
    {
        const TObjectSelection selection(dc.Get(), bitmap.Handle());
        const RECT all = {0, 0, width, height};
        ::FillRect(dc.Get(), &all, brush.Get());
    }
    return bitmap;
}
