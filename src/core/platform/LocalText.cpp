#include "core/platform/LocalText.h"

#include <QByteArray>

#include "core/platform/StoredText.h"

std::string ToLocal(const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString FromLocal(std::string_view text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

QString FromStoredText(std::string_view text) {
  const std::u32string characters = DecodeStoredText(text);
  return QString::fromUcs4(characters.data(), static_cast<qsizetype>(characters.size()));
}
