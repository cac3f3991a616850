// JPEG headers through libjpeg: the decoder reads the markers up to the
// start of the first scan and stops there, so the compressed pixel data is
// neither read nor checked. The source manager below hands the decoder the
// file's bytes: straight from memory when the file is held there, else in
// small chunks read on demand at the file offset the decoder has reached,
// so segments the decoder skips (an EXIF block of tens of kilobytes, for
// instance) are never read. Both give the decoder the same byte stream and
// so the same result and the same errors.
//
// Of an EXIF segment only the first part is read: the TIFF header and the
// entries of its first directory up to the Orientation tag (a few dozen
// bytes, which lie in the chunk at hand); the rest is skipped like any other
// segment. Orientations 5 to 8 show the picture with width and height
// swapped, and the header reports the size as shown.
//
// Decoder errors leave by longjmp back to DecodeHeader (LibjpegErrors.h);
// the exception is thrown only after the decoder has been left.
#include <cstdint>

#include <jerror.h>

#include "core/pictures/LibjpegErrors.h"
#include "core/pictures/PictureReaders.h"
#include "core/pictures/formats/ByteReader.h"
#include "core/pictures/formats/Exif.h"
#include "core/pictures/formats/Jpeg.h"
#include "core/platform/Errors.h"

namespace {

// Large enough for the markers in front of a typical frame header, small
// enough that a skipped EXIF block is mostly not read.
constexpr std::size_t ReadChunkSize = 4096;

// What the decoder sees after the end of the file: an end-of-image marker,
// so that a file cut short ends in a decoder error rather than a hang.
const JOCTET FakeEndOfImage[2] = {0xFF, JPEG_EOI};

// Everything the decoder and its callbacks use. It lives in ReadJpegHeader's
// frame and has no destructor, so the longjmp out of the decoder skips no
// clean-up.
struct JpegReadState {
  jpeg_decompress_struct Info;
  LibjpegErrors Errors;
  jpeg_source_mgr Source;
  PictureSource* File;
  const unsigned char* Memory;  // the whole file when it is in memory
  std::uint64_t Size;
  std::uint64_t Next;     // file offset of the next byte to hand over
  bool ReadFailed;        // the file could not be read
  bool OrientationFound;  // an EXIF segment has decided the orientation
  PictureHeader Result;
  JOCTET Buffer[ReadChunkSize];
};

JpegReadState& StateOf(j_decompress_ptr info) {
  return *static_cast<JpegReadState*>(info->client_data);
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info) {
  JpegReadState& state = StateOf(info);
  std::size_t count = 0;
  if (state.Memory) {
    if (state.Next < state.Size) {
      state.Source.next_input_byte = state.Memory + state.Next;
      count = static_cast<std::size_t>(state.Size - state.Next);
      state.Next = state.Size;
    }
  } else {
    const std::ptrdiff_t got = state.File->ReadAt(state.Next, state.Buffer, ReadChunkSize);
    if (got < 0) {
      state.ReadFailed = true;
      std::longjmp(state.Errors.Exit, 1);
    }
    state.Source.next_input_byte = state.Buffer;
    count = static_cast<std::size_t>(got);
    state.Next += count;
  }
  if (count == 0) {
    WARNMS(info, JWRN_JPEG_EOF);
    state.Source.next_input_byte = FakeEndOfImage;
    count = sizeof FakeEndOfImage;
  }
  state.Source.bytes_in_buffer = count;
  return TRUE;
}

// Skips within the chunk at hand, else moves the file offset past the rest
// without reading it.
void SkipInputData(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  JpegReadState& state = StateOf(info);
  const auto skip = static_cast<std::uint64_t>(count);
  if (skip <= state.Source.bytes_in_buffer) {
    state.Source.next_input_byte += skip;
    state.Source.bytes_in_buffer -= static_cast<std::size_t>(skip);
    return;
  }
  state.Next += skip - state.Source.bytes_in_buffer;
  state.Source.bytes_in_buffer = 0;
}

// The next byte from the decoder's source. The source never suspends: at
// the end of the file it hands over an end-of-image marker, so a byte always
// comes.
unsigned char NextByte(j_decompress_ptr info) {
  jpeg_source_mgr& source = *info->src;
  if (source.bytes_in_buffer == 0) source.fill_input_buffer(info);
  --source.bytes_in_buffer;
  return *source.next_input_byte++;
}

// A segment's payload as the decoder's source hands it over: Part() passes
// over the bytes up to the offset asked for and copies the few bytes asked
// for; SkipRest() passes over the rest. Plain data, like the state above.
class StreamedSegment {
 public:
  // Reads the segment's length, which counts itself.
  explicit StreamedSegment(j_decompress_ptr info) : Info(info) {
    const unsigned high = NextByte(info);
    const unsigned length = high << 8 | NextByte(info);
    Length = length > jpeg::Segment::LengthSize ? length - jpeg::Segment::LengthSize : 0;
  }

  std::size_t Size() const { return Length; }

  ByteReader Part(std::size_t offset, std::size_t count) {
    if (offset < Position || offset > Length || count > Length - offset || count > sizeof Bytes)
      return ByteReader();
    PassOver(offset - Position);
    for (std::size_t i = 0; i < count; ++i) Bytes[i] = NextByte(Info);
    Position = offset + count;
    return ByteReader(Bytes, count);
  }

  void SkipRest() {
    PassOver(Length - Position);
    Position = Length;
  }

 private:
  void PassOver(std::size_t count) {
    if (count > 0) Info->src->skip_input_data(Info, static_cast<long>(count));
  }

  j_decompress_ptr Info;
  std::size_t Length = 0;
  std::size_t Position = 0;
  unsigned char Bytes[exif::LongestPart];
};

// The decoder's handler of APP1 segments, which it would otherwise skip
// whole: the first EXIF segment with an Orientation entry sets the
// orientation.
boolean ReadApp1Segment(j_decompress_ptr info) {
  JpegReadState& state = StateOf(info);
  StreamedSegment payload(info);
  if (!state.OrientationFound) {
    const exif::OrientationEntry entry = exif::FindOrientation(payload);
    state.OrientationFound = entry.Found;
    state.Result.Orientation = entry.Value;
  }
  payload.SkipRest();
  return TRUE;
}

// Reads the header into state.Result; false when the decoder failed
// (state.Errors.Code) or the file could not be read (state.ReadFailed).
bool DecodeHeader(JpegReadState& state) {
  state.Info.err = UseLibjpegErrors(state.Errors);
  state.Info.client_data = &state;
  if (setjmp(state.Errors.Exit)) {
    jpeg_destroy_decompress(&state.Info);
    return false;
  }
  jpeg_create_decompress(&state.Info);
  state.Source.init_source = InitSource;
  state.Source.fill_input_buffer = FillInputBuffer;
  state.Source.skip_input_data = SkipInputData;
  state.Source.resync_to_restart = jpeg_resync_to_restart;
  state.Source.term_source = TermSource;
  state.Info.src = &state.Source;
  jpeg_set_marker_processor(&state.Info, JPEG_APP0 + 1, ReadApp1Segment);
  jpeg_read_header(&state.Info, TRUE);  // an image is required: tables alone fail
  const int width = static_cast<int>(state.Info.image_width);
  const int height = static_cast<int>(state.Info.image_height);
  const bool swapped = exif::SwapsWidthAndHeight(state.Result.Orientation);
  state.Result.Width = swapped ? height : width;
  state.Result.Height = swapped ? width : height;
  state.Result.Grayscale = state.Info.jpeg_color_space == JCS_GRAYSCALE;
  state.Result.Progressive = state.Info.progressive_mode != 0;
  jpeg_destroy_decompress(&state.Info);
  return true;
}

}  // namespace

PictureHeader ReadJpegHeader(PictureSource& source) {
  if (source.Size() == 0) return PictureHeader();  // an empty JPEG picture
  JpegReadState state{};
  state.File = &source;
  state.Memory = source.Contents();
  state.Size = source.Size();
  if (DecodeHeader(state)) return state.Result;
  if (state.ReadFailed) throw EReadError();
  throw EJPEG(state.Errors.Code);
}
