#include "gui/editor/TMemo.h"
#include "core/platform/LocalText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace {
// The number of QChars of the character starting at text[i].
int CharLength(const QString& text, int i) {
  return (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
             ? 2
             : 1;
}

// The longest start of text, in QChars, that takes at most budget bytes.
int FittingPrefix(const QString& text, int budget) {
  int used = 0;
  int i = 0;
  while (i < text.size()) {
    const int length = CharLength(text, i);
    const int bytes = TMemo::StoredBytes(text.mid(i, length));
    if (used + bytes > budget) break;
    used += bytes;
    i += length;
  }
  return i;
}
}  // namespace

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {
  // Where the last edit put its text; the cut happens once the edit has
  // ended, the document is not changed from inside its own change signal.
  connect(document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int charsAdded) {
            ChangedAt = position;
            ChangedChars = charsAdded;
          });
  connect(this, &QPlainTextEdit::textChanged, this, [this] { KeepWithinLimit(); });
}

void TMemo::SetMaxBytes(int maxBytes) {
  Limit = std::max(0, maxBytes);
  ChangedAt = 0;
  ChangedChars = document()->characterCount();
  KeepWithinLimit();
}

int TMemo::StoredBytes(const QString& text) {
  return static_cast<int>(text.toLocal8Bit().size()) + static_cast<int>(text.count(QChar(u'\n')));
}

std::string TMemo::StoredText() const {
  QString text = toPlainText();
  text.replace(QChar(u'\n'), QStringLiteral("\r\n"));
  return ToLocal(text);
}

void TMemo::SetStoredText(const std::string& text) {
  // Descriptions written by the earlier Windows program are Windows-1252;
  // they are stored as UTF-8 once edited.
  QString shown = FromStoredText(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (Limit > 0) shown.truncate(FittingPrefix(shown, Limit));
  setPlainText(shown);
}

void TMemo::KeepWithinLimit() {
  if (Limit <= 0 || Cutting) return;
  const QString text = toPlainText();
  if (StoredBytes(text) <= Limit) return;

  Cutting = true;
  const int start = std::clamp(ChangedAt, 0, static_cast<int>(text.size()));
  const int end = std::clamp(ChangedAt + ChangedChars, start, static_cast<int>(text.size()));
  const QString added = text.mid(start, end - start);
  const int others = StoredBytes(text.left(start) + text.mid(end));
  QTextCursor cursor(document());
  if (others <= Limit) {
    // Drop what the last edit put in beyond the limit, keeping its start.
    const int keep = FittingPrefix(added, Limit - others);
    cursor.setPosition(start + keep);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
  } else {
    // The text was too long before this edit: keep its fitting start.
    cursor.setPosition(FittingPrefix(text, Limit));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
  }
  cursor.removeSelectedText();
  Cutting = false;
}
