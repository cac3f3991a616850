// The limit an album build is measured against: a bare loop over a folder
// that reads each JPEG's header with libjpeg-turbo and nothing else. It
// lists the folder, and for every name ending in .jpg or .jpeg (any letter
// case) opens the file by its path, makes a decompressor, hands it 4 KB
// chunks read with pread on demand (a skipped segment is not read), stops
// at the frame header, and destroys the decompressor and closes the file,
// as a straightforward program does. No sorting, no names kept, no output
// but one line. --lean opens each file relative to the open folder and
// keeps one decompressor for all of them: the least work there is.
//
//   jpeg_header_loop [--lean] FOLDER
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <string>

#include <jpeglib.h>

namespace {

constexpr std::size_t ChunkSize = 4096;
const JOCTET EndOfImage[2] = {0xFF, JPEG_EOI};

struct Reader {
  jpeg_decompress_struct Info;
  jpeg_error_mgr Errors;
  jpeg_source_mgr Source;
  std::jmp_buf Exit;
  bool Kept;  // one decompressor for every file
  int Fd;
  off_t Next;
  JOCTET Buffer[ChunkSize];
};

Reader& ReaderOf(j_decompress_ptr info) {
  return *static_cast<Reader*>(info->client_data);
}

void ErrorExit(j_common_ptr info) {
  std::longjmp(static_cast<Reader*>(info->client_data)->Exit, 1);
}
void Ignore(j_common_ptr, int) {}
void Nothing(j_decompress_ptr) {}

boolean Fill(j_decompress_ptr info) {
  Reader& r = ReaderOf(info);
  const ssize_t got = pread(r.Fd, r.Buffer, ChunkSize, r.Next);
  if (got <= 0) {
    r.Source.next_input_byte = EndOfImage;
    r.Source.bytes_in_buffer = sizeof EndOfImage;
    return TRUE;
  }
  r.Next += got;
  r.Source.next_input_byte = r.Buffer;
  r.Source.bytes_in_buffer = static_cast<std::size_t>(got);
  return TRUE;
}

void Skip(j_decompress_ptr info, long count) {
  Reader& r = ReaderOf(info);
  if (count <= 0) return;
  const auto skip = static_cast<std::size_t>(count);
  if (skip <= r.Source.bytes_in_buffer) {
    r.Source.next_input_byte += skip;
    r.Source.bytes_in_buffer -= skip;
    return;
  }
  r.Next += static_cast<off_t>(skip - r.Source.bytes_in_buffer);
  r.Source.bytes_in_buffer = 0;
}

void Create(Reader& r) {
  r.Info.err = jpeg_std_error(&r.Errors);
  r.Errors.error_exit = ErrorExit;
  r.Errors.emit_message = Ignore;
  r.Info.client_data = &r;
  jpeg_create_decompress(&r.Info);
  r.Source.init_source = Nothing;
  r.Source.fill_input_buffer = Fill;
  r.Source.skip_input_data = Skip;
  r.Source.resync_to_restart = jpeg_resync_to_restart;
  r.Source.term_source = Nothing;
  r.Info.src = &r.Source;
}

// The stored width of the JPEG at fd's start, or -1. The decompressor is
// made here unless one is kept (r.Kept).
long Width(Reader& r, int fd) {
  r.Fd = fd;
  r.Next = 0;
  r.Source.next_input_byte = nullptr;
  r.Source.bytes_in_buffer = 0;
  if (!r.Kept) Create(r);
  long width = -1;
  if (setjmp(r.Exit) == 0) {
    jpeg_read_header(&r.Info, TRUE);
    width = static_cast<long>(r.Info.image_width);
  }
  if (r.Kept)
    jpeg_abort_decompress(&r.Info);
  else
    jpeg_destroy_decompress(&r.Info);
  return width;
}

bool IsJpegName(const char* name) {
  const char* dot = std::strrchr(name, '.');
  return dot && dot != name && (strcasecmp(dot, ".jpg") == 0 || strcasecmp(dot, ".jpeg") == 0);
}

}  // namespace

int main(int argc, char** argv) {
  const bool lean = argc == 3 && std::strcmp(argv[1], "--lean") == 0;
  if (argc != 2 && !lean) {
    std::fprintf(stderr, "usage: jpeg_header_loop [--lean] FOLDER\n");
    return 2;
  }
  const std::string path = argv[argc - 1];
  const int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = folder < 0 ? nullptr : fdopendir(folder);
  if (!dir) {
    std::perror(path.c_str());
    return 1;
  }
  static Reader r;
  r.Kept = lean;
  if (lean) Create(r);

  long pictures = 0, failures = 0;
  std::uint64_t widths = 0;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.' || !IsJpegName(entry->d_name)) continue;
    const int fd = lean ? openat(folder, entry->d_name, O_RDONLY | O_CLOEXEC)
                        : open((path + "/" + entry->d_name).c_str(), O_RDONLY | O_CLOEXEC);
    const long width = fd < 0 ? -1 : Width(r, fd);
    if (fd >= 0) close(fd);
    ++pictures;
    if (width < 0)
      ++failures;
    else
      widths += static_cast<std::uint64_t>(width);
  }
  if (lean) jpeg_destroy_decompress(&r.Info);
  closedir(dir);
  std::printf("%ld pictures, %ld failures, widths %llu\n", pictures, failures,
              static_cast<unsigned long long>(widths));
  return failures == 0 ? 0 : 1;
}
