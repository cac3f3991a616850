#include "drawing/decode/HeifGrid.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "drawing/decode/HeifFile.h"

QImage DecodeHeifGridTiles(const heif_image_handle* grid, const heif_image_tiling& tiling,
                           const ImageDecodeOptions& options) {
  const unsigned columns = tiling.num_columns;
  const unsigned rows = tiling.num_rows;
  if (columns == 0 || rows == 0 || columns > MaxHeifTiles / rows) return {};
  if (!DecodableSize(tiling.image_width, tiling.image_height)) return {};
  const unsigned tiles = columns * rows;
  QImage canvas(static_cast<int>(tiling.image_width), static_cast<int>(tiling.image_height),
                QImage::Format_RGB32);
  if (canvas.isNull()) return {};
  canvas.fill(Qt::black);
  HeifDecodingOptions decoding = NewHeifDecodingOptions(false, options.Cancel);
  if (!decoding) return {};

  std::atomic<unsigned> next{0};
  std::atomic<unsigned> decoded{0};
  // Each thread takes the next tile until none is left; the tiles lie side
  // by side, so no two threads write the same pixels.
  const auto work = [&] {
    for (;;) {
      if (CancelRequested(options)) return;
      const unsigned index = next.fetch_add(1);
      if (index >= tiles) return;
      const unsigned column = index % columns;
      const unsigned row = index / columns;
      heif_image* tile = nullptr;
      if (heif_image_handle_decode_image_tile(grid, &tile, heif_colorspace_RGB,
                                              heif_chroma_interleaved_RGB, decoding.get(), column,
                                              row)
              .code != heif_error_Ok)
        continue;
      const HeifImage owned(tile);
      const QPoint at(static_cast<int>(std::min<std::uint64_t>(
                          std::uint64_t{column} * tiling.tile_width, tiling.image_width)),
                      static_cast<int>(std::min<std::uint64_t>(
                          std::uint64_t{row} * tiling.tile_height, tiling.image_height)));
      if (PasteHeifPixels(tile, canvas, at)) decoded.fetch_add(1);
    }
  };
  const unsigned threads = std::min(DecodeThreads(options), tiles);
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < threads; ++i) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer threads then
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  if (CancelRequested(options) || decoded.load() == 0) return {};
  return canvas;
}
