#include "decoded_header.h"

#include "header_facts.h"

namespace imaging::detail {

DicomImage ImageFrom(DecodedHeader header, PixelStorage pixels) {
  std::vector<HeaderFact> facts;
  const auto sources = HeaderFactSources();
  for (std::size_t i = 0; i < sources.size(); ++i) {
    facts.push_back({sources[i].key, sources[i].label,
                     i < header.factValues.size() ? std::move(header.factValues[i]) : "",
                     sources[i].listed});
  }
  return DicomImage({header.width, header.height, {}, header.offset}, std::move(pixels),
                    header.photometric, header.bitsStored, header.rescale, header.window,
                    std::move(facts), std::move(header.context));
}

}  // namespace imaging::detail
