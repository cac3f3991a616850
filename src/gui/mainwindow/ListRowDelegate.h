// Rows of a fixed height for the folder list and the file list, with the
// glyph and text of a row moved right by the row's indentation (the folder
// list shows each level a step further in), and the current row of the
// focused list marked so that the focus shows on its highlight.
#pragma once

#include <QStyledItemDelegate>

class ListRowDelegate : public QStyledItemDelegate {
 public:
  // The item data role that holds a row's indentation in pixels.
  static constexpr int IndentRole = Qt::UserRole + 1;

  explicit ListRowDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

  void SetRowHeight(int height) { RowHeight = height; }
  int Height() const { return RowHeight; }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  int RowHeight = 16;
};
