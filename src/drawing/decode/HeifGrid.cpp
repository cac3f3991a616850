#include "drawing/decode/HeifGrid.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "drawing/decode/HeifFile.h"

namespace {

// The image item of the tile at (column, row) when it is an image of the
// tile size the grid gives, else 0 (a reference to an item that is no
// image, or a tile of another size, as libheif's whole-grid decode refuses
// them).
heif_item_id GridTile(heif_context* context, const heif_image_handle* grid,
                      const heif_image_tiling& tiling, unsigned column, unsigned row) {
  heif_item_id id = 0;
  if (heif_image_handle_get_grid_image_tile_id(grid, 0, column, row, &id).code != heif_error_Ok)
    return 0;
  heif_image_handle* tile = nullptr;
  if (heif_context_get_image_handle(context, id, &tile).code != heif_error_Ok) return 0;
  const HeifHandle owned(tile);
  return heif_image_handle_get_width(tile) == static_cast<int>(tiling.tile_width) &&
                 heif_image_handle_get_height(tile) == static_cast<int>(tiling.tile_height)
             ? id
             : 0;
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

QImage DecodeHeifGridTiles(const std::string& bytes, heif_context* context,
                           const heif_image_handle* grid, const heif_image_tiling& tiling,
                           const ImageDecodeOptions& options) {
  if (!ProperHeifGrid(tiling)) return {};
  const unsigned columns = tiling.num_columns;
  const unsigned tiles = columns * tiling.num_rows;
  // The tiles' items, found before the threads start and before anything is
  // allocated for the picture.
  std::vector<heif_item_id> items(tiles);
  for (unsigned index = 0; index < tiles; ++index)
    items[index] = GridTile(context, grid, tiling, index % columns, index / columns);
  if (std::count(items.begin(), items.end(), 0u) == std::ptrdiff_t(tiles)) return {};
  QImage canvas(static_cast<int>(tiling.image_width), static_cast<int>(tiling.image_height),
                QImage::Format_RGB32);
  if (canvas.isNull()) return {};
  canvas.fill(Qt::black);

  std::atomic<unsigned> next{0};
  std::atomic<unsigned> decoded{0};
  // Each thread takes the next tile until none is left, and decodes it
  // through a context of its own, so that the threads share nothing of
  // libheif's but the file's bytes (opening the file again costs a
  // millisecond). Each tile fills its own slot, so no two threads write the
  // same pixels.
  const auto work = [&](heif_context* own) {
    // The tile's own transformations are applied, as libheif's whole-grid
    // decode applies them (an encoder's clean aperture cutting its padding).
    const HeifDecodingOptions decoding = NewHeifDecodingOptions(true, nullptr);
    for (;;) {
      if (!decoding || CancelRequested(options)) return;
      const unsigned index = next.fetch_add(1);
      if (index >= tiles) return;
      heif_image_handle* item = nullptr;
      if (items[index] == 0 ||
          heif_context_get_image_handle(own, items[index], &item).code != heif_error_Ok)
        continue;
      const HeifHandle ownedItem(item);
      heif_image* tile = nullptr;
      if (heif_decode_image(item, &tile, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                            decoding.get())
              .code != heif_error_Ok)
        continue;
      const HeifImage owned(tile);
      // A tile fills its own slot and no more (x265 pads its images, for
      // one).
      const QRect slot(static_cast<int>((index % columns) * tiling.tile_width),
                       static_cast<int>((index / columns) * tiling.tile_height),
                       static_cast<int>(tiling.tile_width), static_cast<int>(tiling.tile_height));
      if (PasteHeifPixels(tile, canvas, slot)) decoded.fetch_add(1);
    }
  };
  const unsigned threads = std::min(DecodeThreads(options), tiles);
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < threads; ++i) {
    try {
      helpers.emplace_back([&] {
        const HeifContext own = OpenHeif(bytes);
        if (own) work(own.get());
      });
    } catch (const std::system_error&) {
      break;  // fewer threads then
    }
  }
  work(context);
  for (std::thread& helper : helpers) helper.join();
  if (CancelRequested(options) || decoded.load() == 0) return {};
  return canvas;
}
