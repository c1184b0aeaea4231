#include "win32_wic.h"

#include <windows.h>
#include <propvarutil.h>
#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <span>

#include "platform/pictures/webp_header.h"
#include "platform/windows/long_path.h"
#include "platform/windows/wide_text.h"

namespace kestrova {
namespace {

// Owns one COM reference.
template <typename T>
class Ref {
public:
    Ref() = default;
    ~Ref() { Reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    T** Out() {
        Reset();
        return &p_;
    }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

// COM for this thread while a decode runs, whichever model the thread has.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }

private:
    HRESULT hr_;
};

// The picture's orientation (1..8, as the camera's tag counts), 1 when
// there is none. A HEIF file's own rotation and mirror are what count for
// it, not the EXIF tag it may carry beside them; for the rest, the tag of a
// JPEG or a TIFF.
int OrientationTag(IWICBitmapFrameDecode* frame, const GUID& container) {
    Ref<IWICMetadataQueryReader> reader;
    if (FAILED(frame->GetMetadataQueryReader(reader.Out())) || !reader) return 1;
    static const wchar_t* const kHeif[] = {L"/heifProps/Orientation"};
    static const wchar_t* const kTagged[] = {L"/app1/ifd/{ushort=274}", L"/ifd/{ushort=274}", L"System.Photo.Orientation"};
    const bool heif = container == GUID_ContainerFormatHeif;
    for (const wchar_t* query : heif ? std::span<const wchar_t* const>(kHeif) : std::span<const wchar_t* const>(kTagged)) {
        PROPVARIANT value;
        PropVariantInit(&value);
        int tag = 0;
        if (SUCCEEDED(reader->GetMetadataByName(query, &value))) {
            if (value.vt == VT_UI2) tag = value.uiVal;
            else if (value.vt == VT_UI4) tag = static_cast<int>(value.ulVal);
        }
        PropVariantClear(&value);
        if (tag >= 1 && tag <= 8) return tag;
    }
    return 1;
}

// The kinds whose decoders hand over the picture a band at a time. The
// others (WebP, HEIF, TIFF...) may hold the whole frame while it is scaled,
// so its stored size counts against the budget.
bool DecodesInBands(const GUID& container) {
    return container == GUID_ContainerFormatJpeg || container == GUID_ContainerFormatPng ||
           container == GUID_ContainerFormatBmp || container == GUID_ContainerFormatIco ||
           container == GUID_ContainerFormatGif;
}

// Icon files hold several sizes; the largest is the one to show.
bool LargestFrame(IWICBitmapDecoder* decoder, Ref<IWICBitmapFrameDecode>& frame) {
    UINT count = 0;
    if (FAILED(decoder->GetFrameCount(&count)) || count == 0) return false;
    GUID format{};
    decoder->GetContainerFormat(&format);
    if (format != GUID_ContainerFormatIco) return SUCCEEDED(decoder->GetFrame(0, frame.Out()));
    UINT best = 0;
    UINT best_area = 0;
    for (UINT i = 0; i < count; ++i) {
        Ref<IWICBitmapFrameDecode> candidate;
        UINT w = 0;
        UINT h = 0;
        if (SUCCEEDED(decoder->GetFrame(i, candidate.Out())) && SUCCEEDED(candidate->GetSize(&w, &h)) && w * h > best_area) {
            best = i;
            best_area = w * h;
        }
    }
    return SUCCEEDED(decoder->GetFrame(best, frame.Out()));
}

}  // namespace

std::optional<LoadedPicture> DecodePictureFile(const std::string& path, PixelSize fit) {
    ComScope com;
    Ref<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.Out())))) {
        return std::nullopt;
    }
    Ref<IWICBitmapDecoder> decoder;
    // The long form reaches every file a refresh lists, a name such as
    // "aux.jpg" or a path past 260 characters too.
    const std::wstring wide = LongPath(path);
    if (FAILED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  decoder.Out()))) {
        return std::nullopt;
    }
    Ref<IWICBitmapFrameDecode> frame;
    if (!LargestFrame(decoder.Get(), frame)) return std::nullopt;
    UINT file_w = 0;
    UINT file_h = 0;
    if (FAILED(frame->GetSize(&file_w, &file_h)) || file_w == 0 || file_h == 0 || file_w > 65535 || file_h > 65535) {
        return std::nullopt;
    }
    GUID container{};
    decoder->GetContainerFormat(&container);
    if (!DecodesInBands(container) &&
        !WithinDecodeBudget({static_cast<int>(file_w), static_cast<int>(file_h)}, 4)) {
        return std::nullopt;
    }
    int tag = OrientationTag(frame.Get(), container);
    // The WebP codec leaves the orientation of the file's EXIF chunk to us.
    if (tag == 1 && container == GUID_ContainerFormatWebp) tag = WebpOrientation(path);
    // The scaler works on the file's own axes, before the picture is turned.
    const StoredFit fitted = FitStoredInside({static_cast<int>(file_w), static_cast<int>(file_h)}, tag, fit);
    if (!WithinDecodeBudget(fitted.reduced, 4)) return std::nullopt;
    LoadedPicture result;
    result.natural = fitted.natural;
    const auto scaled_w = static_cast<UINT>(fitted.reduced.width);
    const auto scaled_h = static_cast<UINT>(fitted.reduced.height);

    Ref<IWICFormatConverter> premultiplied;
    if (FAILED(factory->CreateFormatConverter(premultiplied.Out())) ||
        FAILED(premultiplied->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                         WICBitmapPaletteTypeCustom))) {
        return std::nullopt;
    }
    IWICBitmapSource* source = premultiplied.Get();
    Ref<IWICBitmapScaler> scaler;
    if (scaled_w != file_w || scaled_h != file_h) {
        if (FAILED(factory->CreateBitmapScaler(scaler.Out())) ||
            FAILED(scaler->Initialize(source, scaled_w, scaled_h, WICBitmapInterpolationModeFant))) {
            return std::nullopt;
        }
        source = scaler.Get();
    }
    Ref<IWICFormatConverter> straight;
    if (FAILED(factory->CreateFormatConverter(straight.Out())) ||
        FAILED(straight->Initialize(source, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                    WICBitmapPaletteTypeCustom))) {
        return std::nullopt;
    }
    UINT w = 0;
    UINT h = 0;
    if (FAILED(straight->GetSize(&w, &h)) || w == 0 || h == 0) return std::nullopt;
    Picture picture;
    picture.width = static_cast<int>(w);
    picture.height = static_cast<int>(h);
    try {
        picture.pixels.resize(static_cast<size_t>(w) * h);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    const UINT stride = w * 4;
    if (FAILED(straight->CopyPixels(nullptr, stride, stride * h, reinterpret_cast<BYTE*>(picture.pixels.data())))) {
        return std::nullopt;
    }
    // Turned here rather than by WIC's flip-rotator: it is the reduced
    // picture either way, and Wine's rotator turns nothing but a flip
    // upside down.
    result.picture = Upright(picture, tag);
    return result;
}

}  // namespace kestrova
