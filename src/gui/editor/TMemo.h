// A multi-line edit box whose text is limited to a number of bytes: the
// text as stored (line breaks as CR LF, characters in the locale's 8-bit
// encoding). What is typed or pasted beyond the limit is dropped, whole
// characters at a time, so a multi-byte character is never cut in two.
#pragma once

#include <QPlainTextEdit>
#include <string>

class TMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TMemo(QWidget* parent = nullptr);

  // 0: no limit.
  void SetMaxBytes(int maxBytes);
  int MaxBytes() const { return Limit; }

  // The text with its lines joined by CR LF, in the locale's encoding.
  std::string StoredText() const;
  // Shows a stored text whose line breaks are CR LF pairs: UTF-8, or
  // Windows-1252 where its bytes are not valid UTF-8.
  void SetStoredText(const std::string& text);

  // The number of bytes text takes when stored.
  static int StoredBytes(const QString& text);

 private:
  // Drops what the last edit put in beyond the limit.
  void KeepWithinLimit();

  int Limit = 0;
  bool Cutting = false;
  int ChangedAt = 0;
  int ChangedChars = 0;
};
