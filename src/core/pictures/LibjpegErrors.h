// The one way the program meets libjpeg's errors. libjpeg reports a fatal
// error through a callback that must not return: it records the message
// code and leaves by longjmp to the setjmp point of the function that
// called into the library, never by a C++ exception through the library's
// C frames. That function keeps only plain data in its frame (no
// destructors are skipped) and raises the program's error once it is out.
// Warnings (damaged data, a file cut short) and trace messages are ignored:
// the decoder fills what it cannot read.
#pragma once

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

struct LibjpegErrors {
  jpeg_error_mgr Manager;
  std::jmp_buf Exit;
  int Code;  // the library's message code of the failure
};

// Sets errors up and returns the manager for a decompress or compress
// object's err field.
jpeg_error_mgr* UseLibjpegErrors(LibjpegErrors& errors);
