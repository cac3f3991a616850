// The program's one error hierarchy. Every error carries the class name that
// the error box and the batch front-end report, and its message text.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::exception {
 public:
  Exception(std::string className, std::string message)
      : ClassNameText(std::move(className)), MessageText(std::move(message)) {}
  const std::string& ClassName() const { return ClassNameText; }
  const std::string& Message() const { return MessageText; }
  const char* what() const noexcept override { return MessageText.c_str(); }

  // The file or folder the error is about, when one is known: the error box
  // names it on a second line, the batch front-end before the message.
  const std::string& Path() const { return PathText; }
  void SetPath(std::string path) { PathText = std::move(path); }

 private:
  std::string ClassNameText;
  std::string MessageText;
  std::string PathText;
};

// Runs action; an error of the program's hierarchy that passes through it
// and names no file or folder yet is given path.
template <class Action>
decltype(auto) NamingPath(const std::string& path, Action&& action) {
  try {
    return action();
  } catch (Exception& e) {
    if (e.Path().empty()) e.SetPath(path);
    throw;
  }
}

// Record-file and folder failures; the message follows from the error code.
class EInOutError : public Exception {
 public:
  explicit EInOutError(int code);
  int ErrorCode() const { return Code; }

 private:
  int Code;
};

// Picture content that cannot be read.
class EInvalidGraphic : public Exception {
 public:
  explicit EInvalidGraphic(std::string message)
      : Exception("EInvalidGraphic", std::move(message)) {}

 protected:
  EInvalidGraphic(std::string className, std::string message)
      : Exception(std::move(className), std::move(message)) {}
};

// A JPEG decoder failure; a kind of EInvalidGraphic. The code is the
// decoder's message code.
class EJPEG : public EInvalidGraphic {
 public:
  explicit EJPEG(int code);
  int DecoderCode() const { return Code; }

 private:
  int Code;
};

// Stream errors: a file that cannot be opened, created, read or written.
class EStreamError : public Exception {
 protected:
  using Exception::Exception;
};

class EFOpenError : public EStreamError {
 public:
  explicit EFOpenError(const std::string& fileName)
      : EStreamError("EFOpenError", "Cannot open file " + fileName) {}
};

class EFCreateError : public EStreamError {
 public:
  explicit EFCreateError(const std::string& fileName)
      : EStreamError("EFCreateError", "Cannot create file " + fileName) {}
};

class EReadError : public EStreamError {
 public:
  EReadError() : EStreamError("EReadError", "Stream read error") {}
};

class EWriteError : public EStreamError {
 public:
  EWriteError() : EStreamError("EWriteError", "Stream write error") {}
};

// A settings write that the system refused; the path is the settings file's
// full path as bound.
class EIniFileException : public Exception {
 public:
  explicit EIniFileException(const std::string& path)
      : Exception("EIniFileException", "Unable to write to " + path) {}
};

// The message of an input/output error code: 2, 3, 4, 5, 100 and 101 have
// their own texts, anything else reads "I/O error %d".
std::string InOutErrorMessage(int code);

// The error code that an errno value stands for in the messages above.
int InOutCodeFromErrno(int err);

// The error code of a failed rename (2, 161, 183, or the errno value).
int RenameCodeFromErrno(int err);

// The error box text: a period is added when the message is not empty and
// its last character's code is greater than the code of ".".
std::string ErrorBoxText(const std::string& message);

// The whole text of an error's box: ErrorBoxText of its message, and the
// path it names, if any, on a second line.
std::string ErrorBoxText(const Exception& error);

// An error as one line of the batch front-end: "PATH: " before the error
// box's text when the error names a path.
std::string ErrorLine(const Exception& error);
