#include "core/pictures/LibjpegErrors.h"

namespace {
extern "C" void ExitOnError(j_common_ptr info) {
  auto* errors = reinterpret_cast<LibjpegErrors*>(info->err);
  errors->Code = info->err->msg_code;
  std::longjmp(errors->Exit, 1);
}
extern "C" void IgnoreMessage(j_common_ptr, int) {}
extern "C" void IgnoreOutput(j_common_ptr) {}
}  // namespace

jpeg_error_mgr* UseLibjpegErrors(LibjpegErrors& errors) {
  jpeg_std_error(&errors.Manager);
  errors.Manager.error_exit = ExitOnError;
  errors.Manager.emit_message = IgnoreMessage;
  errors.Manager.output_message = IgnoreOutput;
  errors.Code = 0;
  return &errors.Manager;
}
