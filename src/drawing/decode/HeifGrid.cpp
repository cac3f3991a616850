#include "drawing/decode/HeifGrid.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "drawing/decode/HeifFile.h"

namespace {

// The image item of the tile at (column, row): an image of the tile size
// the grid gives, else null (a reference to an item that is no image, or a
// tile of another size, as libheif's whole-grid decode refuses them).
HeifHandle GridTile(heif_context* context, const heif_image_handle* grid,
                    const heif_image_tiling& tiling, unsigned column, unsigned row) {
  heif_item_id id = 0;
  if (heif_image_handle_get_grid_image_tile_id(grid, 0, column, row, &id).code != heif_error_Ok)
    return nullptr;
  heif_image_handle* tile = nullptr;
  if (heif_context_get_image_handle(context, id, &tile).code != heif_error_Ok) return nullptr;
  HeifHandle owned(tile);
  if (heif_image_handle_get_width(tile) != static_cast<int>(tiling.tile_width) ||
      heif_image_handle_get_height(tile) != static_cast<int>(tiling.tile_height))
    return nullptr;
  return owned;
}

}  // namespace

bool ProperHeifGrid(const heif_image_tiling& tiling) {
  const std::uint64_t columns = tiling.num_columns, rows = tiling.num_rows;
  const std::uint64_t width = tiling.tile_width, height = tiling.tile_height;
  return columns > 0 && rows > 0 && columns * rows <= MaxHeifTiles &&
         DecodableSize(tiling.tile_width, tiling.tile_height) &&
         DecodableSize(tiling.image_width, tiling.image_height) &&
         columns * width >= tiling.image_width && (columns - 1) * width < tiling.image_width &&
         rows * height >= tiling.image_height && (rows - 1) * height < tiling.image_height;
}

QImage DecodeHeifGridTiles(heif_context* context, const heif_image_handle* grid,
                           const heif_image_tiling& tiling, const ImageDecodeOptions& options) {
  if (!ProperHeifGrid(tiling)) return {};
  const unsigned columns = tiling.num_columns;
  const unsigned tiles = columns * tiling.num_rows;
  // The tiles' items, found before the threads start and before anything is
  // allocated for the picture.
  std::vector<HeifHandle> items(tiles);
  bool any = false;
  for (unsigned index = 0; index < tiles; ++index) {
    items[index] = GridTile(context, grid, tiling, index % columns, index / columns);
    any = any || items[index] != nullptr;
  }
  if (!any) return {};
  QImage canvas(static_cast<int>(tiling.image_width), static_cast<int>(tiling.image_height),
                QImage::Format_RGB32);
  if (canvas.isNull()) return {};
  canvas.fill(Qt::black);
  HeifDecodingOptions decoding = NewHeifDecodingOptions(false, options.Cancel);
  if (!decoding) return {};

  std::atomic<unsigned> next{0};
  std::atomic<unsigned> decoded{0};
  // Each thread takes the next tile until none is left. Each tile is decoded
  // through its own item, as libheif's whole-grid decode does: libheif keeps
  // an error's message in the item decoded, so threads decoding through the
  // grid's item at once would write the same message. The tiles lie side by
  // side, so no two threads write the same pixels.
  const auto work = [&] {
    for (;;) {
      if (CancelRequested(options)) return;
      const unsigned index = next.fetch_add(1);
      if (index >= tiles) return;
      if (!items[index]) continue;
      heif_image* tile = nullptr;
      if (heif_decode_image(items[index].get(), &tile, heif_colorspace_RGB,
                            heif_chroma_interleaved_RGB, decoding.get())
              .code != heif_error_Ok)
        continue;
      const HeifImage owned(tile);
      const QPoint at(static_cast<int>((index % columns) * tiling.tile_width),
                      static_cast<int>((index / columns) * tiling.tile_height));
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
