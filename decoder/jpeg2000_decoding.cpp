#include "jpeg2000_decoding.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>

#include "imaging/dicom_image.h"

namespace decoder {
namespace {

// The code stream as OpenJPEG reads it, from memory.
struct StreamPosition {
  std::string_view bytes;
  std::size_t at = 0;
};

OPJ_SIZE_T readBytes(void* buffer, OPJ_SIZE_T count, void* data) {
  auto& stream = *static_cast<StreamPosition*>(data);
  const std::size_t taken = std::min<std::size_t>(count, stream.bytes.size() - stream.at);
  if (taken == 0) return static_cast<OPJ_SIZE_T>(-1);
  std::memcpy(buffer, stream.bytes.data() + stream.at, taken);
  stream.at += taken;
  return taken;
}

OPJ_OFF_T skipBytes(OPJ_OFF_T count, void* data) {
  auto& stream = *static_cast<StreamPosition*>(data);
  const auto skipped = static_cast<std::size_t>(std::clamp<OPJ_OFF_T>(
      count, -OPJ_OFF_T(stream.at), OPJ_OFF_T(stream.bytes.size() - stream.at)));
  stream.at += skipped;
  return static_cast<OPJ_OFF_T>(skipped);
}

OPJ_BOOL seekTo(OPJ_OFF_T position, void* data) {
  auto& stream = *static_cast<StreamPosition*>(data);
  if (position < 0 || std::size_t(position) > stream.bytes.size()) return OPJ_FALSE;
  stream.at = std::size_t(position);
  return OPJ_TRUE;
}

template <typename T, void (*Release)(T*)>
struct Releaser {
  void operator()(T* object) const { Release(object); }
};
using Codec = std::unique_ptr<opj_codec_t, Releaser<opj_codec_t, opj_destroy_codec>>;
using Stream = std::unique_ptr<opj_stream_t, Releaser<opj_stream_t, opj_stream_destroy>>;
using Image = std::unique_ptr<opj_image_t, Releaser<opj_image_t, opj_image_destroy>>;

// The code stream decoded, the finest resolution levels reduce skipped, or null where it does not
// decode to one component. The full image must be all there: a stream that ends early is an
// error, never an image finished from what came before.
Image decodeReduced(std::string_view codeStream, unsigned reduce) {
  StreamPosition position{codeStream};
  const Stream stream(opj_stream_create(1 << 16, OPJ_TRUE));
  const Codec codec(opj_create_decompress(OPJ_CODEC_J2K));
  if (!stream || !codec) return nullptr;
  opj_stream_set_user_data(stream.get(), &position, nullptr);
  opj_stream_set_user_data_length(stream.get(), codeStream.size());
  opj_stream_set_read_function(stream.get(), readBytes);
  opj_stream_set_skip_function(stream.get(), skipBytes);
  opj_stream_set_seek_function(stream.get(), seekTo);
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  parameters.cp_reduce = reduce;
  opj_image_t* decoded = nullptr;
  if (!opj_setup_decoder(codec.get(), &parameters) ||
      !opj_decoder_set_strict_mode(codec.get(), reduce == 0)) {
    return nullptr;
  }
  // One thread where OpenJPEG was built without them.
  opj_codec_set_threads(codec.get(), static_cast<int>(std::thread::hardware_concurrency()));
  if (!opj_read_header(stream.get(), codec.get(), &decoded)) {
    return nullptr;
  }
  Image image(decoded);
  if (!opj_decode(codec.get(), stream.get(), image.get()) ||
      !opj_end_decompress(codec.get(), stream.get()) || image->numcomps != 1 ||
      image->comps[0].data == nullptr) {
    return nullptr;
  }
  return image;
}

void toWords(const opj_image_comp_t& component, const ImageLayout& layout, std::uint16_t* words) {
  const StoredToWord toWord(layout);
  const std::size_t count = std::size_t{component.w} * component.h;
  for (std::size_t i = 0; i < count; ++i) {
    words[i] = toWord(static_cast<std::uint16_t>(component.data[i]));
  }
}

}  // namespace

std::optional<Preview> DecodeJpeg2000Preview(std::string_view codeStream,
                                             const ImageLayout& layout) {
  unsigned reduce = 0;
  while (std::max(layout.width, layout.height) >> (reduce + 1) >= PreviewSide) ++reduce;
  if (reduce == 0) return std::nullopt;
  const Image image = decodeReduced(codeStream, reduce);
  if (!image) return std::nullopt;
  const opj_image_comp_t& component = image->comps[0];
  Preview preview{component.w, component.h, {}};
  preview.words.resize(std::size_t{preview.width} * preview.height);
  toWords(component, layout, preview.words.data());
  return preview;
}

void DecodeJpeg2000Pixels(std::string_view codeStream, const ImageLayout& layout,
                          std::uint16_t* words) {
  const Image image = decodeReduced(codeStream, 0);
  if (!image) {
    throw imaging::ImageError("Die Bilddaten sind beschädigt und lassen sich nicht dekodieren.");
  }
  const opj_image_comp_t& component = image->comps[0];
  if (component.w != layout.width || component.h != layout.height || component.prec > 16) {
    throw imaging::ImageError(
        "Die Bilddaten sind beschädigt: der JPEG-2000-Datenstrom hat nicht die Größe des Bildes.");
  }
  toWords(component, layout, words);
}

}  // namespace decoder
