#include "support/PictureFixtures.h"

#include <algorithm>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace {

void AppendU16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

void AppendU32(std::string& out, std::uint32_t v) {
  AppendU16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  AppendU16(out, static_cast<std::uint16_t>(v >> 16));
}

void AppendI16(std::string& out, int v) {
  AppendU16(out, static_cast<std::uint16_t>(v));
}
void AppendI32(std::string& out, std::int32_t v) {
  AppendU32(out, static_cast<std::uint32_t>(v));
}

}  // namespace

void PutU16(std::string& bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  PutU16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
  PutU16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

std::string EncodeJpegRows(int w, int h, int components, int quality,
                           const std::function<void(int y, unsigned char* row)>& fill,
                           const std::function<void(jpeg_compress_struct&)>& settings,
                           const std::function<void(jpeg_compress_struct&)>& afterStart) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&info, &out, &outSize);
  info.image_width = static_cast<JDIMENSION>(w);
  info.image_height = static_cast<JDIMENSION>(h);
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (settings) settings(info);
  jpeg_start_compress(&info, TRUE);
  if (afterStart) afterStart(info);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(w) * components);
  while (info.next_scanline < info.image_height) {
    fill(static_cast<int>(info.next_scanline), row.data());
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::string jpeg(reinterpret_cast<const char*>(out), outSize);
  jpeg_destroy_compress(&info);
  std::free(out);
  return jpeg;
}

std::string MakeJpeg(int w, int h, int quality, std::size_t exifBytes, bool grayscale,
                     bool progressive) {
  if (exifBytes > 65533) throw std::invalid_argument("an APP1 segment holds at most 65533 bytes");
  const int components = grayscale ? 1 : 3;
  unsigned noise = 12345;
  return EncodeJpegRows(
      w, h, components, quality,
      [&](int y, unsigned char* row) {
        for (int x = 0; x < w; ++x) {
          noise = noise * 1103515245u + 12345u;
          const int grain = static_cast<int>((noise >> 16) & 3);
          for (int c = 0; c < components; ++c) {
            const int value = (x * 255 / std::max(w, 1) + y * 255 / std::max(h, 1) * (c + 1) / 2 +
                               grain + c * 60) &
                              0xFF;
            row[static_cast<std::size_t>(x) * components + c] = static_cast<JSAMPLE>(value);
          }
        }
      },
      [&](jpeg_compress_struct& info) {
        if (progressive) jpeg_simple_progression(&info);
        if (exifBytes > 0) info.write_JFIF_header = FALSE;
      },
      [&](jpeg_compress_struct& info) {
        if (exifBytes == 0) return;
        std::string exif(exifBytes, '\0');
        const std::string tiffStart("Exif\0\0II*\0", 10);
        exif.replace(0, std::min(exif.size(), tiffStart.size()), tiffStart, 0,
                     std::min(exif.size(), tiffStart.size()));
        for (std::size_t i = tiffStart.size(); i < exif.size(); ++i)
          exif[i] = static_cast<char>((i * 7) & 0xFF);
        jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()),
                          static_cast<unsigned>(exif.size()));
      });
}

std::string WithExif(const std::string& jpeg, int orientation, bool bigEndian, std::size_t size,
                     std::size_t cutTo) {
  std::string exif("Exif\0\0", 6);
  auto put = [&](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
      exif += static_cast<char>(value >> 8 * (bigEndian ? bytes - 1 - i : i));
  };
  auto entry = [&](std::uint32_t tag, std::uint32_t type, std::uint32_t count,
                   std::uint32_t value) {
    put(tag, 2);
    put(type, 2);
    put(count, 4);
    put(type == 3 && bigEndian ? value << 16 : value, 4);  // a SHORT fills the first half
  };
  const std::uint32_t entries = orientation != 0 ? 2 : 1;
  exif += bigEndian ? "MM" : "II";
  put(42, 2);
  put(8, 4);  // IFD0 right after the TIFF header
  put(entries, 2);
  entry(0x010F, 2, 9, 8 + 2 + 12 * entries + 4);  // Make, ASCII, after IFD0
  if (orientation != 0) entry(0x0112, 3, 1, static_cast<std::uint32_t>(orientation));
  put(0, 4);  // no next IFD
  exif += std::string("Ambrelin", 9);
  exif.resize(std::max(exif.size(), size), 'z');
  if (cutTo != 0) exif.resize(std::min(exif.size(), cutTo));
  const std::size_t length = exif.size() + 2;
  return jpeg.substr(0, 2) + "\xFF\xE1" + static_cast<char>(length >> 8) +
         static_cast<char>(length & 0xFF) + exif + jpeg.substr(2);
}

std::string MakeQuadrantJpeg(int w, int h, int quality) {
  static const JSAMPLE colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  return EncodeJpegRows(w, h, 3, quality, [&](int y, unsigned char* row) {
    const bool bottom = y >= h / 2;
    for (int x = 0; x < w; ++x) {
      const JSAMPLE* colour = colours[(bottom ? 2 : 0) + (x >= w / 2 ? 1 : 0)];
      std::copy(colour, colour + 3, row + x * 3);
    }
  });
}

namespace {
// An APP segment: marker, big-endian length, payload.
std::string AppSegment(unsigned char code, const std::string& payload) {
  const std::size_t length = payload.size() + 2;
  return std::string("\xFF") + static_cast<char>(code) + static_cast<char>(length >> 8) +
         static_cast<char>(length & 0xFF) + payload;
}
}  // namespace

std::string WithCameraExif(const std::string& jpeg, int orientation, const std::string& thumbnail) {
  // The directories one after the other, each followed by the values that
  // do not fit into its entries.
  struct Entry {
    std::uint16_t Tag, Type;
    std::uint32_t Count;
    std::string Data;  // up to 4 bytes inline, else stored after the directory
    bool PointsTo = false;
    int Directory = 0;  // with PointsTo: the directory whose offset is the value
  };
  auto ascii = [](std::uint16_t tag, const std::string& text) {
    return Entry{tag, 2, static_cast<std::uint32_t>(text.size() + 1), text + '\0'};
  };
  auto rationals = [](std::uint16_t tag, std::initializer_list<std::uint32_t> values) {
    std::string data;
    for (const std::uint32_t v : values) {
      AppendU32(data, v);
      AppendU32(data, 1000);
    }
    return Entry{tag, 5, static_cast<std::uint32_t>(values.size()), data};
  };
  auto u32 = [](std::uint32_t v) {
    std::string data;
    AppendU32(data, v);
    return data;
  };
  std::vector<std::vector<Entry>> dirs(4);  // IFD0, EXIF, GPS, IFD1
  dirs[0].push_back(ascii(0x010F, "Ambrelin Optics"));
  dirs[0].push_back(ascii(0x0110, "Test Camera 12"));
  if (orientation != 0) {
    std::string value;
    AppendU16(value, static_cast<std::uint16_t>(orientation));
    AppendU16(value, 0);
    dirs[0].push_back({0x0112, 3, 1, value});
  }
  dirs[0].push_back({0x8769, 4, 1, u32(0), true, 1});
  dirs[0].push_back({0x8825, 4, 1, u32(0), true, 2});
  dirs[1].push_back(ascii(0xA431, "SN-0042-7731"));
  dirs[2].push_back({0x0001, 2, 2, std::string("N\0\0\0", 4)});
  dirs[2].push_back(rationals(0x0002, {48000, 51000, 29000}));
  dirs[2].push_back({0x0003, 2, 2, std::string("E\0\0\0", 4)});
  dirs[2].push_back(rationals(0x0004, {2000, 21000, 3000}));
  std::string exif("Exif\0\0II*\0", 10);
  AppendU32(exif, 8);
  const std::size_t tiffAt = 6;
  std::vector<std::uint32_t> dirAt(4, 0);
  // First pass: where each directory goes.
  std::uint32_t at = 8;
  const int dirCount = thumbnail.empty() ? 3 : 4;
  std::uint32_t thumbnailAt = 0;
  for (int d = 0; d < 4; ++d) {
    if (d == 3 && thumbnail.empty()) break;
    if (d == 3) {
      dirs[3] = {{0x0103, 3, 1, std::string("\x06\0\0\0", 4)},
                 {0x0201, 4, 1, u32(0)},
                 {0x0202, 4, 1, u32(static_cast<std::uint32_t>(thumbnail.size()))}};
    }
    dirAt[d] = at;
    at += 2 + 12 * static_cast<std::uint32_t>(dirs[d].size()) + 4;
    for (const Entry& e : dirs[d])
      if (e.Data.size() > 4) at += static_cast<std::uint32_t>(e.Data.size());
  }
  if (!thumbnail.empty()) {
    thumbnailAt = at;
    dirs[3][1].Data = u32(thumbnailAt);
  }
  // Second pass: the bytes.
  for (int d = 0; d < dirCount; ++d) {
    std::uint32_t valuesAt = dirAt[d] + 2 + 12 * static_cast<std::uint32_t>(dirs[d].size()) + 4;
    std::string values;
    AppendU16(exif, static_cast<std::uint16_t>(dirs[d].size()));
    for (const Entry& e : dirs[d]) {
      AppendU16(exif, e.Tag);
      AppendU16(exif, e.Type);
      AppendU32(exif, e.Count);
      if (e.PointsTo) {
        AppendU32(exif, dirAt[e.Directory]);
      } else if (e.Data.size() <= 4) {
        exif += e.Data + std::string(4 - e.Data.size(), '\0');
      } else {
        AppendU32(exif, valuesAt + static_cast<std::uint32_t>(values.size()));
        values += e.Data;
      }
    }
    AppendU32(exif, d == 0 && !thumbnail.empty() ? dirAt[3] : 0);  // IFD0 links to IFD1
    exif += values;
  }
  exif += thumbnail;
  if (exif.size() - tiffAt != at + thumbnail.size())
    throw std::logic_error("EXIF layout out of step");
  return jpeg.substr(0, 2) + AppSegment(0xE1, exif) + jpeg.substr(2);
}

std::string MakeIccProfile(std::size_t n) {
  std::string profile(std::max<std::size_t>(n, 128), '\0');
  for (std::size_t i = 128; i < profile.size(); ++i) profile[i] = static_cast<char>(i * 13 + 7);
  const auto size = static_cast<std::uint32_t>(profile.size());
  for (int i = 0; i < 4; ++i) profile[i] = static_cast<char>(size >> (24 - 8 * i));
  profile.replace(36, 4, "acsp");
  return profile;
}

std::string WithIccProfile(const std::string& jpeg, const std::string& profile) {
  constexpr std::size_t MaxPart = 65519;  // 65533 less the 14-byte header of a part
  const std::size_t parts = (profile.size() + MaxPart - 1) / MaxPart;
  std::string segments;
  for (std::size_t i = 0; i < parts; ++i) {
    std::string payload("ICC_PROFILE\0", 12);
    payload += static_cast<char>(i + 1);
    payload += static_cast<char>(parts);
    payload += profile.substr(i * MaxPart, MaxPart);
    segments += AppSegment(0xE2, payload);
  }
  return jpeg.substr(0, 2) + segments + jpeg.substr(2);
}

std::string MakeBmp(const BmpFields& fields) {
  const bool core = fields.HeaderSize == 12;
  std::uint64_t colours = fields.ColoursUsed;
  if (colours == 0 && fields.BitsPerPixel <= 8) colours = std::uint64_t{1} << fields.BitsPerPixel;
  const std::uint64_t colourBytes = colours * (core ? 3 : 4);
  const std::uint64_t rowBytes =
      (std::uint64_t{static_cast<std::uint32_t>(fields.Width)} * fields.BitsPerPixel + 31) / 32 * 4;
  const std::uint64_t rows = fields.Height < 0 ? -std::int64_t{fields.Height} : fields.Height;
  const std::uint64_t pixelBytes = fields.WithPixels ? rowBytes * rows : 0;
  const std::uint64_t pixelsAt = 14 + fields.HeaderSize + colourBytes;

  std::string bmp;
  bmp += "BM";
  AppendU32(bmp, static_cast<std::uint32_t>(pixelsAt + pixelBytes));
  AppendU32(bmp, 0);
  AppendU32(bmp, static_cast<std::uint32_t>(pixelsAt));
  AppendU32(bmp, fields.HeaderSize);
  if (core) {
    AppendU16(bmp, static_cast<std::uint16_t>(fields.Width));
    AppendU16(bmp, static_cast<std::uint16_t>(fields.Height));
    AppendU16(bmp, fields.Planes);
    AppendU16(bmp, fields.BitsPerPixel);
  } else {
    AppendI32(bmp, fields.Width);
    AppendI32(bmp, fields.Height);
    AppendU16(bmp, fields.Planes);
    AppendU16(bmp, fields.BitsPerPixel);
    AppendU32(bmp, fields.Compression);
    AppendU32(bmp, fields.WithPixels ? static_cast<std::uint32_t>(pixelBytes) : 0);
    AppendI32(bmp, 3780);  // 96 pixels per inch
    AppendI32(bmp, 3780);
    AppendU32(bmp, fields.ColoursUsed);
    AppendU32(bmp, 0);
    if (fields.HeaderSize > 40) bmp.append(fields.HeaderSize - 40, '\0');  // later header forms
  }
  for (std::uint64_t i = 0; i < colours; ++i) {
    const auto grey = static_cast<char>(i * 255 / std::max<std::uint64_t>(colours - 1, 1));
    bmp.append(core ? 3 : 4, grey);
    if (!core) bmp.back() = '\0';
  }
  for (std::uint64_t i = 0; i < pixelBytes; ++i) bmp += static_cast<char>((i * 31) & 0xFF);
  return bmp;
}

std::string MakeBmp(int w, int h, int bpp, bool topDown) {
  BmpFields fields;
  fields.Width = w;
  fields.Height = topDown ? -h : h;
  fields.BitsPerPixel = static_cast<std::uint16_t>(bpp);
  return MakeBmp(fields);
}

std::string MakeIcon(std::uint16_t type) {
  constexpr int Size = 16;
  constexpr std::uint32_t ImageAt = 6 + 16;
  constexpr std::uint32_t XorBytes = Size * Size * 4;
  constexpr std::uint32_t AndBytes = Size * 4;  // 16 bits a row, padded to 32
  constexpr std::uint32_t ImageBytes = 40 + XorBytes + AndBytes;
  std::string ico;
  // ICONDIR
  AppendU16(ico, 0);
  AppendU16(ico, type);
  AppendU16(ico, 1);
  // ICONDIRENTRY: width, height, colours, reserved, planes (hot spot x for
  // a cursor), bit count (hot spot y), image size, image offset.
  ico += static_cast<char>(Size);
  ico += static_cast<char>(Size);
  ico += '\0';
  ico += '\0';
  AppendU16(ico, 1);
  AppendU16(ico, 32);
  AppendU32(ico, ImageBytes);
  AppendU32(ico, ImageAt);
  // The image: a BITMAPINFOHEADER of twice the height (colour and mask).
  AppendU32(ico, 40);
  AppendI32(ico, Size);
  AppendI32(ico, Size * 2);
  AppendU16(ico, 1);
  AppendU16(ico, 32);
  AppendU32(ico, 0);
  AppendU32(ico, XorBytes + AndBytes);
  AppendU32(ico, 0);
  AppendU32(ico, 0);
  AppendU32(ico, 0);
  AppendU32(ico, 0);
  for (int y = 0; y < Size; ++y)
    for (int x = 0; x < Size; ++x) {
      ico += static_cast<char>(x * 16);  // blue
      ico += static_cast<char>(y * 16);  // green
      ico += static_cast<char>(0xC0);    // red
      ico += static_cast<char>(0xFF);    // alpha
    }
  ico.append(AndBytes, '\0');
  return ico;
}

namespace {

// Windows metafile header and records, in 16-bit words:
// SetWindowOrg(left, top), SetWindowExt(width, height), Rectangle over the
// box, end of file.
std::string WmfBody(int left, int top, int right, int bottom) {
  constexpr std::uint32_t HeaderWords = 9, OrgWords = 5, ExtWords = 5, RectWords = 7, EofWords = 3;
  std::string wmf;
  AppendU16(wmf, 1);       // in memory
  AppendU16(wmf, 9);       // header words
  AppendU16(wmf, 0x0300);  // version
  AppendU32(wmf, HeaderWords + OrgWords + ExtWords + RectWords + EofWords);
  AppendU16(wmf, 0);          // objects
  AppendU32(wmf, RectWords);  // largest record
  AppendU16(wmf, 0);          // unused
  // Record: u32 size in words, u16 function, parameters in reverse order.
  AppendU32(wmf, OrgWords);
  AppendU16(wmf, 0x020B);  // META_SETWINDOWORG
  AppendI16(wmf, top);
  AppendI16(wmf, left);
  AppendU32(wmf, ExtWords);
  AppendU16(wmf, 0x020C);  // META_SETWINDOWEXT
  AppendI16(wmf, bottom - top);
  AppendI16(wmf, right - left);
  AppendU32(wmf, RectWords);
  AppendU16(wmf, 0x041B);  // META_RECTANGLE
  AppendI16(wmf, bottom);
  AppendI16(wmf, right);
  AppendI16(wmf, top);
  AppendI16(wmf, left);
  AppendU32(wmf, EofWords);
  AppendU16(wmf, 0x0000);  // META_EOF
  return wmf;
}

}  // namespace

std::string MakePlaceableWmf(int left, int top, int right, int bottom, unsigned unitsPerInch) {
  std::string wmf;
  AppendU32(wmf, 0x9AC6CDD7);
  AppendU16(wmf, 0);
  AppendI16(wmf, left);
  AppendI16(wmf, top);
  AppendI16(wmf, right);
  AppendI16(wmf, bottom);
  AppendU16(wmf, static_cast<std::uint16_t>(unitsPerInch));
  AppendU32(wmf, 0);
  std::uint16_t checksum = 0;
  for (std::size_t at = 0; at < 20; at += 2)
    checksum ^= static_cast<std::uint16_t>(static_cast<unsigned char>(wmf[at]) |
                                           (static_cast<unsigned char>(wmf[at + 1]) << 8));
  AppendU16(wmf, checksum);
  return wmf + WmfBody(left, top, right, bottom);
}

std::string MakeNonPlaceableWmf() {
  return WmfBody(0, 0, 100, 50);
}

std::string MakeEmf(const EmfFields& fields) {
  constexpr std::uint32_t HeaderBytes = 108, RectBytes = 24, EofBytes = 20;
  constexpr std::uint32_t Total = HeaderBytes + RectBytes + EofBytes;
  std::string emf;
  // ENHMETAHEADER
  AppendU32(emf, 1);  // EMR_HEADER
  AppendU32(emf, HeaderBytes);
  AppendI32(emf, 0);  // bounds, device pixels
  AppendI32(emf, 0);
  AppendI32(emf, 100);
  AppendI32(emf, 50);
  AppendI32(emf, fields.FrameLeft);
  AppendI32(emf, fields.FrameTop);
  AppendI32(emf, fields.FrameRight);
  AppendI32(emf, fields.FrameBottom);
  AppendU32(emf, 0x464D4520);  // " EMF"
  AppendU32(emf, 0x10000);     // version
  AppendU32(emf, Total);
  AppendU32(emf, 3);  // records
  AppendU16(emf, 1);  // handles
  AppendU16(emf, 0);
  AppendU32(emf, 0);  // description
  AppendU32(emf, 0);
  AppendU32(emf, 0);  // palette entries
  AppendI32(emf, fields.DevicePixelsX);
  AppendI32(emf, fields.DevicePixelsY);
  AppendI32(emf, fields.DeviceMillimetresX);
  AppendI32(emf, fields.DeviceMillimetresY);
  AppendU32(emf, 0);  // pixel format
  AppendU32(emf, 0);
  AppendU32(emf, 0);                                                             // OpenGL
  AppendU32(emf, static_cast<std::uint32_t>(fields.DeviceMillimetresX) * 1000);  // micrometres
  AppendU32(emf, static_cast<std::uint32_t>(fields.DeviceMillimetresY) * 1000);
  // EMR_RECTANGLE over the bounds.
  AppendU32(emf, 43);
  AppendU32(emf, RectBytes);
  AppendI32(emf, 0);
  AppendI32(emf, 0);
  AppendI32(emf, 100);
  AppendI32(emf, 50);
  // EMR_EOF: no palette, offset to it, its own size.
  AppendU32(emf, 14);
  AppendU32(emf, EofBytes);
  AppendU32(emf, 0);
  AppendU32(emf, 16);
  AppendU32(emf, EofBytes);
  return emf;
}
