// The Windows Runtime interfaces of text recognition, bitmap decoding and the
// language tag, declared from their published interface identifiers and method
// order; only what the OCR layer calls is named, the slots before it are kept.
#pragma once

#include <windows.h>
#include <inspectable.h>
#include <winstring.h>

// COM objects are released, never deleted through these types.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace verhulzen::platform::winrt {

// An interface identifier from its text form.
consteval GUID guid(const char (&text)[37]) {
  auto hex = [&](int from, int digits) {
    unsigned long long value = 0;
    for (int i = from; i < from + digits; ++i) {
      const char c = text[i];
      value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    return value;
  };
  GUID id{static_cast<unsigned long>(hex(0, 8)),
          static_cast<unsigned short>(hex(9, 4)),
          static_cast<unsigned short>(hex(14, 4)),
          {}};
  id.Data4[0] = static_cast<unsigned char>(hex(19, 2));
  id.Data4[1] = static_cast<unsigned char>(hex(21, 2));
  for (int i = 0; i < 6; ++i) id.Data4[2 + i] = static_cast<unsigned char>(hex(24 + 2 * i, 2));
  return id;
}

// Each interface with its identifier as `id`. Methods named with a trailing
// comment "not called" only keep the table's order.
enum class AsyncStatus : int { Started = 0, Completed = 1, Canceled = 2, Error = 3 };

struct Rect {
  float x, y, width, height;
};

// IAsyncInfo, which every asynchronous operation also implements.
struct IAsyncInfo : IInspectable {
  static constexpr GUID id = guid("00000036-0000-0000-C000-000000000046");
  virtual HRESULT STDMETHODCALLTYPE get_Id(UINT32* id) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Status(AsyncStatus* status) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT* code) = 0;
  virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};

// IAsyncOperation<T> for a runtime class T: the same table for every T, so one
// declaration serves; its identifier is never asked for.
struct IAsyncOperation : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetResults(IInspectable** result) = 0;
};

// IVectorView<T> of a runtime class T, likewise.
struct IVectorView : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE GetAt(UINT32 index, IInspectable** item) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Size(UINT32* size) = 0;
};

// IReference<double>.
struct IReferenceDouble : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Value(double* value) = 0;
};

// Windows.Globalization.Language
struct ILanguage : IInspectable {
  static constexpr GUID id = guid("EA79A752-F7C2-4265-B1BD-C4DEC4E4F080");
  virtual HRESULT STDMETHODCALLTYPE get_LanguageTag(HSTRING* tag) = 0;
};

struct ILanguageFactory : IInspectable {
  static constexpr GUID id = guid("9B0252AC-0C27-44F8-B792-9793FB66C63E");
  virtual HRESULT STDMETHODCALLTYPE CreateLanguage(HSTRING tag, ILanguage** language) = 0;
};

// Windows.Media.Ocr
struct IOcrWord : IInspectable {
  static constexpr GUID id = guid("3C2A477A-5CD9-3525-BA2A-23D1E0A68A1D");
  virtual HRESULT STDMETHODCALLTYPE get_BoundingRect(Rect* box) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Text(HSTRING* text) = 0;
};

struct IOcrLine : IInspectable {
  static constexpr GUID id = guid("0043A16F-E31F-3A24-899C-D444BD088124");
  virtual HRESULT STDMETHODCALLTYPE get_Words(IVectorView** words) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Text(HSTRING* text) = 0;
};

struct IOcrResult : IInspectable {
  static constexpr GUID id = guid("9BD235B2-175B-3D6A-92E2-388C206E2F63");
  virtual HRESULT STDMETHODCALLTYPE get_Lines(IVectorView** lines) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_TextAngle(IReferenceDouble** angle) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Text(HSTRING* text) = 0;
};

struct IOcrEngine : IInspectable {
  static constexpr GUID id = guid("5A14BC41-5B76-3140-B680-8825562683AC");
  virtual HRESULT STDMETHODCALLTYPE RecognizeAsync(IInspectable* bitmap,
                                                   IAsyncOperation** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RecognizerLanguage(ILanguage** language) = 0;
};

struct IOcrEngineStatics : IInspectable {
  static constexpr GUID id = guid("5BFFA85A-3384-3540-9940-699120D428A8");
  virtual HRESULT STDMETHODCALLTYPE get_MaxImageDimension(UINT32* dimension) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AvailableRecognizerLanguages() = 0;  // not called
  virtual HRESULT STDMETHODCALLTYPE IsLanguageSupported(ILanguage* language,
                                                        boolean* supported) = 0;
  virtual HRESULT STDMETHODCALLTYPE TryCreateFromLanguage(ILanguage* language,
                                                          IOcrEngine** engine) = 0;
  virtual HRESULT STDMETHODCALLTYPE TryCreateFromUserProfileLanguages(IOcrEngine** engine) = 0;
};

// Windows.Graphics.Imaging
enum BitmapPixelFormat : int { kBgra8 = 87 };
enum BitmapAlphaMode : int { kPremultiplied = 0 };
enum BitmapInterpolationMode : int { kFant = 3 };
enum ExifOrientationMode : int { kRespectExifOrientation = 1 };
enum ColorManagementMode : int { kDoNotColorManage = 0 };

struct IBitmapTransform : IInspectable {
  static constexpr GUID id = guid("AE755344-E268-4D35-ADCF-E995D31A8D34");
  virtual HRESULT STDMETHODCALLTYPE get_ScaledWidth(UINT32* width) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_ScaledWidth(UINT32 width) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ScaledHeight(UINT32* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_ScaledHeight(UINT32 height) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_InterpolationMode(BitmapInterpolationMode* mode) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_InterpolationMode(BitmapInterpolationMode mode) = 0;
};

struct IBitmapFrame : IInspectable {
  static constexpr GUID id = guid("72A49A1C-8081-438D-91BC-94ECFC8185C6");
  virtual HRESULT STDMETHODCALLTYPE GetThumbnailAsync() = 0;      // not called
  virtual HRESULT STDMETHODCALLTYPE get_BitmapProperties() = 0;   // not called
  virtual HRESULT STDMETHODCALLTYPE get_BitmapPixelFormat() = 0;  // not called
  virtual HRESULT STDMETHODCALLTYPE get_BitmapAlphaMode() = 0;    // not called
  virtual HRESULT STDMETHODCALLTYPE get_DpiX() = 0;               // not called
  virtual HRESULT STDMETHODCALLTYPE get_DpiY() = 0;               // not called
  virtual HRESULT STDMETHODCALLTYPE get_PixelWidth() = 0;         // not called
  virtual HRESULT STDMETHODCALLTYPE get_PixelHeight() = 0;        // not called
  virtual HRESULT STDMETHODCALLTYPE get_OrientedPixelWidth(UINT32* width) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_OrientedPixelHeight(UINT32* height) = 0;
};

struct IBitmapFrameWithSoftwareBitmap : IInspectable {
  static constexpr GUID id = guid("FE287C9A-420C-4963-87AD-691436E08383");
  virtual HRESULT STDMETHODCALLTYPE GetSoftwareBitmapAsync() = 0;           // not called
  virtual HRESULT STDMETHODCALLTYPE GetSoftwareBitmapConvertedAsync() = 0;  // not called
  virtual HRESULT STDMETHODCALLTYPE GetSoftwareBitmapTransformedAsync(
      BitmapPixelFormat format, BitmapAlphaMode alpha, IBitmapTransform* transform,
      ExifOrientationMode exif, ColorManagementMode colour, IAsyncOperation** operation) = 0;
};

struct IBitmapDecoderStatics : IInspectable {
  static constexpr GUID id = guid("438CCB26-BCEF-4E95-BAD6-23A822E58D01");
  virtual HRESULT STDMETHODCALLTYPE get_BmpDecoderId() = 0;                 // not called
  virtual HRESULT STDMETHODCALLTYPE get_JpegDecoderId() = 0;                // not called
  virtual HRESULT STDMETHODCALLTYPE get_PngDecoderId() = 0;                 // not called
  virtual HRESULT STDMETHODCALLTYPE get_TiffDecoderId() = 0;                // not called
  virtual HRESULT STDMETHODCALLTYPE get_GifDecoderId() = 0;                 // not called
  virtual HRESULT STDMETHODCALLTYPE get_JpegXRDecoderId() = 0;              // not called
  virtual HRESULT STDMETHODCALLTYPE get_IcoDecoderId() = 0;                 // not called
  virtual HRESULT STDMETHODCALLTYPE GetDecoderInformationEnumerator() = 0;  // not called
  virtual HRESULT STDMETHODCALLTYPE CreateAsync(IUnknown* stream, IAsyncOperation** operation) = 0;
};

// Windows.Storage.Streams.IRandomAccessStream, which the decoder reads.
inline constexpr GUID kIRandomAccessStream = guid("905A0FE1-BC53-11DF-8C49-001E4FC686DA");

}  // namespace verhulzen::platform::winrt

#pragma GCC diagnostic pop

extern "C" HRESULT WINAPI CreateRandomAccessStreamOverStream(IStream* stream, DWORD options,
                                                             REFIID riid, void** result);
