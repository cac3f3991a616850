#include "gui/mainwindow/ListRowDelegate.h"

#include <QPainter>
#include <algorithm>

QSize ListRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  const QSize natural = QStyledItemDelegate::sizeHint(option, index);
  return QSize(natural.width() + index.data(IndentRole).toInt(), RowHeight);
}

void ListRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  QStyleOptionViewItem row(option);
  row.rect.setLeft(option.rect.left() + std::max(0, index.data(IndentRole).toInt()));
  QStyledItemDelegate::paint(painter, row, index);

  // The style's focus frame hardly shows on the highlight of the selected
  // row: the list that has the focus marks its current row with a dotted
  // frame in the highlighted text's colour as well.
  const QStyle::State focused = QStyle::State_HasFocus | QStyle::State_Selected;
  if ((option.state & focused) != focused) return;
  painter->save();
  painter->setPen(QPen(option.palette.color(QPalette::HighlightedText), 1, Qt::DotLine));
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(QRectF(row.rect).adjusted(0.5, 0.5, -0.5, -0.5));
  painter->restore();
}
