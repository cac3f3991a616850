#include "core/platform/Errors.h"

#include <cerrno>

EInOutError::EInOutError(int code)
    : Exception("EInOutError", InOutErrorMessage(code)), Code(code) {}

EJPEG::EJPEG(int code)
    : EInvalidGraphic("EJPEG", "JPEG error #" + std::to_string(code)), Code(code) {}

std::string InOutErrorMessage(int code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    case 100:
      return "Read beyond end of file";
    case 101:
      return "Disk full";
    default:
      return "I/O error " + std::to_string(code);
  }
}

int InOutCodeFromErrno(int err) {
  switch (err) {
    case ENOENT:
      return 2;
    case ENOTDIR:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EROFS:
      return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return 101;
    default:
      return err;
  }
}

int RenameCodeFromErrno(int err) {
  switch (err) {
    case ENOENT:
      return 2;
    case ENAMETOOLONG:
    case EINVAL:
      return 161;
    case EEXIST:
    case ENOTEMPTY:
      return 183;
    default:
      return err;
  }
}

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

std::string ErrorBoxText(const Exception& error) {
  std::string text = ErrorBoxText(error.Message());
  if (!error.Path().empty()) text += "\n" + error.Path();
  return text;
}

std::string ErrorLine(const Exception& error) {
  const std::string text = ErrorBoxText(error.Message());
  return error.Path().empty() ? text : error.Path() + ": " + text;
}
