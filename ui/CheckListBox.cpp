#include "CheckListBox.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QUrl>

#include <algorithm>

namespace zort {

namespace {

// Every row is one text line high and as wide as the scroll extent asks, so the view's
// sideways scrolling covers exactly the widest entry.
class RowDelegate : public QStyledItemDelegate
{
public:
    explicit RowDelegate(CheckListBox *list)
        : QStyledItemDelegate(list)
        , m_list(list)
    { }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return QSize(m_list->textOffset() + m_list->horizontalExtent(), m_list->rowHeight());
    }

private:
    CheckListBox *m_list;
};

// Rows are one text line high: the tick box shrinks to fit inside one, so that the boxes of
// neighbouring rows do not run into each other.
class RowStyle : public QProxyStyle
{
public:
    explicit RowStyle(CheckListBox *list)
        : m_list(list)
    { }

    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        if (widget == m_list && (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight))
            return std::max(9, m_list->rowHeight() - 2);
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    CheckListBox *m_list;
};

} // namespace

CheckListBox::CheckListBox(QWidget *parent)
    : QListView(parent)
{
    auto *rowStyle = new RowStyle(this);
    rowStyle->setParent(this);
    setStyle(rowStyle);
    setItemDelegate(new RowDelegate(this));
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragEnabled(false);
}

void CheckListBox::setHorizontalExtent(int pixels)
{
    m_horizontalExtent = std::max(0, pixels);
    // The rows' widths follow the extent; laying them out again keeps ticks and highlights.
    doItemsLayout();
}

int CheckListBox::rowHeight() const
{
    return fontMetrics().height();
}

int CheckListBox::textOffset() const
{
    QStyleOptionButton option;
    option.initFrom(this);
    const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, this);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return indicator + 2 * margin;
}

bool CheckListBox::onTickBox(const QModelIndex &index, const QPoint &position) const
{
    const QRect row = visualRect(index);
    return index.isValid() && position.x() >= row.left()
           && position.x() < row.left() + textOffset();
}

void CheckListBox::mousePressEvent(QMouseEvent *event)
{
    QListView::mousePressEvent(event);
    // A press on a tick box is taken by the tick alone; the entry still gets the focus, as it
    // does when its text is clicked.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index != currentIndex() && onTickBox(index, event->position().toPoint()))
        selectionModel()->setCurrentIndex(index, selectionCommand(index, event));
}

void CheckListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool secondTickClick = event->button() == Qt::LeftButton
                                 && onTickBox(index, event->position().toPoint())
                                 && (model()->flags(index) & Qt::ItemIsUserCheckable);
    QListView::mouseDoubleClickEvent(event);
    if (secondTickClick) {
        // The second click of the gesture changes the tick again, like any click on the box.
        const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        model()->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
    if (event->button() == Qt::LeftButton)
        emit listDoubleClicked();
}

QStringList droppedFiles(const QMimeData *mime)
{
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    const QList<QUrl> urls = mime->urls();
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!QFileInfo(path).isDir())
            files.append(path);
    }
    return files;
}

void CheckListBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (droppedFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CheckListBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (droppedFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CheckListBox::dropEvent(QDropEvent *event)
{
    const QStringList files = droppedFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(files);
}

} // namespace zort
