#include "gui/Main/ListRowDelegate.h"

QSize ListRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  const QSize natural = QStyledItemDelegate::sizeHint(option, index);
  return QSize(natural.width() + index.data(IndentRole).toInt(), RowHeight);
}

void ListRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  const int indent = index.data(IndentRole).toInt();
  if (indent <= 0) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem indented(option);
  indented.rect.setLeft(option.rect.left() + indent);
  QStyledItemDelegate::paint(painter, indented, index);
}
