// Text recognition through the Windows Runtime (Windows.Media.Ocr), called from
// plain C++: activation factories, COM interfaces and a wait on each operation.
#include "platform/ocr.h"

#include <windows.h>
#include <roapi.h>
#include <shlwapi.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>
#include <type_traits>
#include <utility>

#include "wide_text.h"
#include "winrt_ocr.h"

namespace verhulzen::platform::ocr {
namespace rt = winrt;

namespace {

std::string describe(HRESULT result) {
  wchar_t* text = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  std::string message = text ? narrow(text) : "";
  if (text) LocalFree(text);
  while (!message.empty() &&
         (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
    message.pop_back();
  }
  return message.empty() ? code : message + " (" + code + ")";
}

void check(HRESULT result, const char* what) {
  if (FAILED(result)) throw std::runtime_error(std::string(what) + ": " + describe(result));
}

// One reference to a COM object, released at the end.
template <typename T>
class Ref {
 public:
  Ref() = default;
  Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  Ref& operator=(Ref&& other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() {
    if (p_) p_->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** put() { return &p_; }
  void** put_void() { return reinterpret_cast<void**>(&p_); }

  template <typename U>
  Ref<U> as() const {
    Ref<U> other;
    check(p_->QueryInterface(U::id, other.put_void()), "QueryInterface");
    return other;
  }

 private:
  T* p_ = nullptr;
};

// The runtime on this thread, once; the server's threads each come here.
void enter_runtime() {
  thread_local const HRESULT entered = RoInitialize(RO_INIT_MULTITHREADED);
  if (FAILED(entered) && entered != RPC_E_CHANGED_MODE) check(entered, "RoInitialize");
}

class String {
 public:
  explicit String(std::string_view utf8) {
    const std::wstring wide = widen(utf8);
    check(WindowsCreateString(wide.c_str(), static_cast<UINT32>(wide.size()), &h_),
          "WindowsCreateString");
  }
  String() = default;
  String(const String&) = delete;
  String& operator=(const String&) = delete;
  ~String() { WindowsDeleteString(h_); }
  HSTRING get() const { return h_; }
  HSTRING* put() { return &h_; }
  std::string utf8() const {
    UINT32 length = 0;
    const wchar_t* text = WindowsGetStringRawBuffer(h_, &length);
    return narrow(std::wstring_view(text, length));
  }

 private:
  HSTRING h_ = nullptr;
};

template <typename T>
Ref<T> factory(const wchar_t* class_name) {
  enter_runtime();
  HSTRING_HEADER header;
  HSTRING name = nullptr;
  check(WindowsCreateStringReference(class_name, static_cast<UINT32>(wcslen(class_name)), &header,
                                     &name),
        "WindowsCreateStringReference");
  Ref<T> statics;
  check(RoGetActivationFactory(name, T::id, statics.put_void()),
        ("RoGetActivationFactory " + narrow(class_name)).c_str());
  return statics;
}

constexpr const wchar_t* kOcrEngine = L"Windows.Media.Ocr.OcrEngine";
constexpr const wchar_t* kLanguage = L"Windows.Globalization.Language";
constexpr const wchar_t* kDecoder = L"Windows.Graphics.Imaging.BitmapDecoder";
constexpr const wchar_t* kTransform = L"Windows.Graphics.Imaging.BitmapTransform";

const Ref<rt::IOcrEngineStatics>& engines() {
  static const Ref<rt::IOcrEngineStatics> statics = factory<rt::IOcrEngineStatics>(kOcrEngine);
  return statics;
}

// Waits for an asynchronous operation and returns its result as interface T.
template <typename T>
Ref<T> wait(Ref<rt::IAsyncOperation> operation, const char* what) {
  const auto info = operation.as<rt::IAsyncInfo>();
  rt::AsyncStatus status = rt::AsyncStatus::Started;
  while (SUCCEEDED(info->get_Status(&status)) && status == rt::AsyncStatus::Started) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (status != rt::AsyncStatus::Completed) {
    HRESULT error = E_FAIL;
    info->get_ErrorCode(&error);
    check(status == rt::AsyncStatus::Canceled ? E_ABORT : error, what);
  }
  Ref<IInspectable> result;
  check(operation->GetResults(result.put()), what);
  if (!result) throw std::runtime_error(std::string(what) + ": geen resultaat");
  if constexpr (std::is_same_v<T, IInspectable>) {
    return result;
  } else {
    return result.as<T>();
  }
}

Ref<rt::ILanguage> language(const std::string& tag) {
  Ref<rt::ILanguage> created;
  const String text(tag);
  check(factory<rt::ILanguageFactory>(kLanguage)->CreateLanguage(text.get(), created.put()),
        "Language");
  return created;
}

template <typename T>
std::string text(const Ref<T>& object) {
  String value;
  check(object->get_Text(value.put()), "Text");
  return value.utf8();
}

template <typename T>
std::vector<Ref<T>> items(const Ref<rt::IVectorView>& view) {
  UINT32 size = 0;
  check(view->get_Size(&size), "Size");
  std::vector<Ref<T>> all;
  for (UINT32 i = 0; i < size; ++i) {
    Ref<IInspectable> item;
    check(view->GetAt(i, item.put()), "GetAt");
    all.push_back(item.as<T>());
  }
  return all;
}

}  // namespace

struct Bitmap::Pixels {
  Ref<IInspectable> software_bitmap;
};
Bitmap::Bitmap(std::unique_ptr<Pixels> pixels) : pixels_(std::move(pixels)) {}
Bitmap::Bitmap(Bitmap&&) noexcept = default;
Bitmap& Bitmap::operator=(Bitmap&&) noexcept = default;
Bitmap::~Bitmap() = default;

struct Decoder::Image {
  Ref<rt::IBitmapFrame> frame;
  Ref<rt::IBitmapFrameWithSoftwareBitmap> pixels;
};
Decoder::Decoder(std::unique_ptr<Image> image) : image_(std::move(image)) {}
Decoder::Decoder(Decoder&&) noexcept = default;
Decoder& Decoder::operator=(Decoder&&) noexcept = default;
Decoder::~Decoder() = default;

struct Engine::Recogniser {
  Ref<rt::IOcrEngine> engine;
};
Engine::Engine(std::unique_ptr<Recogniser> recogniser) : recogniser_(std::move(recogniser)) {}
Engine::Engine(Engine&&) noexcept = default;
Engine& Engine::operator=(Engine&&) noexcept = default;
Engine::~Engine() = default;

std::optional<Missing> obtain_facilities() {
  try {
    engines();
    factory<rt::ILanguageFactory>(kLanguage);
    factory<rt::IBitmapDecoderStatics>(kDecoder);
    return std::nullopt;
  } catch (const std::runtime_error& error) {
    return Missing{"Windows Runtime", error.what()};
  }
}

Decoder Decoder::create(std::string_view bytes) {
  // The decoder first: without the runtime's imaging nothing below is there either.
  const auto decoders = factory<rt::IBitmapDecoderStatics>(kDecoder);
  Ref<IStream> memory;
  *memory.put() = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                    static_cast<UINT>(bytes.size()));
  if (!memory) throw std::runtime_error("SHCreateMemStream: onvoldoende geheugen");
  Ref<IUnknown> stream;
  check(CreateRandomAccessStreamOverStream(memory.get(), 0, rt::kIRandomAccessStream,
                                           stream.put_void()),
        "CreateRandomAccessStreamOverStream");
  Ref<rt::IAsyncOperation> operation;
  check(decoders->CreateAsync(stream.get(), operation.put()), "BitmapDecoder.CreateAsync");
  auto image = std::make_unique<Image>();
  image->frame = wait<rt::IBitmapFrame>(std::move(operation), "BitmapDecoder.CreateAsync");
  image->pixels = image->frame.as<rt::IBitmapFrameWithSoftwareBitmap>();
  return Decoder(std::move(image));
}

Size Decoder::oriented_size() const {
  Size size{};
  check(image_->frame->get_OrientedPixelWidth(&size.width), "OrientedPixelWidth");
  check(image_->frame->get_OrientedPixelHeight(&size.height), "OrientedPixelHeight");
  return size;
}

// The decoder delivers four bytes a pixel (BGRA8), at most at the image's own size;
// the engine's own copies are its business.
std::uint64_t Decoder::decoding_bytes() const {
  const Size size = oriented_size();
  return std::uint64_t{size.width} * size.height * 4;
}

Bitmap Decoder::bitmap(std::optional<Size> scaled) const {
  enter_runtime();
  Ref<IInspectable> instance;
  {
    HSTRING_HEADER header;
    HSTRING name = nullptr;
    check(WindowsCreateStringReference(kTransform, static_cast<UINT32>(wcslen(kTransform)), &header,
                                       &name),
          "WindowsCreateStringReference");
    check(RoActivateInstance(name, instance.put()), "BitmapTransform");
  }
  const auto transform = instance.as<rt::IBitmapTransform>();
  if (scaled) {
    check(transform->put_ScaledWidth(scaled->width), "ScaledWidth");
    check(transform->put_ScaledHeight(scaled->height), "ScaledHeight");
    check(transform->put_InterpolationMode(rt::kFant), "InterpolationMode");
  }
  Ref<rt::IAsyncOperation> operation;
  check(image_->pixels->GetSoftwareBitmapTransformedAsync(
            rt::kBgra8, rt::kPremultiplied, transform.get(), rt::kRespectExifOrientation,
            rt::kDoNotColorManage, operation.put()),
        "GetSoftwareBitmapTransformedAsync");
  auto pixels = std::make_unique<Bitmap::Pixels>();
  pixels->software_bitmap =
      wait<IInspectable>(std::move(operation), "GetSoftwareBitmapTransformedAsync");
  return Bitmap(std::move(pixels));
}

bool Engine::is_language_supported(const std::string& tag) {
  boolean supported = false;
  check(engines()->IsLanguageSupported(language(tag).get(), &supported), "IsLanguageSupported");
  return supported != 0;
}

std::optional<Engine> Engine::try_create_from_language(const std::string& tag) {
  auto recogniser = std::make_unique<Recogniser>();
  check(engines()->TryCreateFromLanguage(language(tag).get(), recogniser->engine.put()),
        "TryCreateFromLanguage");
  if (!recogniser->engine) return std::nullopt;
  return Engine(std::move(recogniser));
}

std::optional<Engine> Engine::try_create_from_user_profile_languages() {
  auto recogniser = std::make_unique<Recogniser>();
  check(engines()->TryCreateFromUserProfileLanguages(recogniser->engine.put()),
        "TryCreateFromUserProfileLanguages");
  if (!recogniser->engine) return std::nullopt;
  return Engine(std::move(recogniser));
}

std::uint32_t Engine::max_image_dimension() {
  UINT32 dimension = 0;
  check(engines()->get_MaxImageDimension(&dimension), "MaxImageDimension");
  return dimension;
}

std::string Engine::language_tag() const {
  Ref<rt::ILanguage> language;
  check(recogniser_->engine->get_RecognizerLanguage(language.put()), "RecognizerLanguage");
  String tag;
  check(language->get_LanguageTag(tag.put()), "LanguageTag");
  return tag.utf8();
}

Recognition Engine::recognize(const Bitmap& bitmap) const {
  enter_runtime();
  Ref<rt::IAsyncOperation> operation;
  check(recogniser_->engine->RecognizeAsync(bitmap.pixels().software_bitmap.get(), operation.put()),
        "RecognizeAsync");
  const auto result = wait<rt::IOcrResult>(std::move(operation), "RecognizeAsync");

  Recognition recognition;
  Ref<rt::IReferenceDouble> angle;
  check(result->get_TextAngle(angle.put()), "TextAngle");
  if (angle) {
    double degrees = 0;
    check(angle->get_Value(&degrees), "TextAngle");
    recognition.text_angle = degrees;
  }
  Ref<rt::IVectorView> lines;
  check(result->get_Lines(lines.put()), "Lines");
  for (const auto& line : items<rt::IOcrLine>(lines)) {
    Line read{text(line), {}};
    Ref<rt::IVectorView> words;
    check(line->get_Words(words.put()), "Words");
    for (const auto& word : items<rt::IOcrWord>(words)) {
      rt::Rect box{};
      check(word->get_BoundingRect(&box), "BoundingRect");
      read.words.push_back({text(word), {box.x, box.y, box.width, box.height}});
    }
    recognition.lines.push_back(std::move(read));
  }
  return recognition;
}

}  // namespace verhulzen::platform::ocr
