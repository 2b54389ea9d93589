#include "jpeg2000_preview.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>

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

}  // namespace

std::optional<Preview> DecodeJpeg2000Preview(std::string_view codeStream,
                                             const ImageLayout& layout) {
  unsigned reduce = 0;
  while (std::max(layout.width, layout.height) >> (reduce + 1) >= PreviewSide) ++reduce;
  if (reduce == 0) return std::nullopt;

  StreamPosition position{codeStream};
  const Stream stream(opj_stream_create(1 << 16, OPJ_TRUE));
  const Codec codec(opj_create_decompress(OPJ_CODEC_J2K));
  if (!stream || !codec) return std::nullopt;
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
      !opj_read_header(stream.get(), codec.get(), &decoded)) {
    return std::nullopt;
  }
  const Image image(decoded);
  if (!opj_decode(codec.get(), stream.get(), image.get()) || image->numcomps != 1 ||
      image->comps[0].data == nullptr) {
    return std::nullopt;
  }
  const opj_image_comp_t& component = image->comps[0];
  Preview preview{component.w, component.h, {}};
  const std::size_t count = std::size_t{preview.width} * preview.height;
  preview.words.resize(count);
  const StoredToWord toWord(layout);
  for (std::size_t i = 0; i < count; ++i) {
    preview.words[i] = toWord(static_cast<std::uint16_t>(component.data[i]));
  }
  return preview;
}

}  // namespace decoder
