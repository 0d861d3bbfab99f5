#pragma once

#include <QListView>
#include <QStringList>

class QMimeData;

namespace zort {

// The document list's view: one tick box per entry, rows as high as a line of the list's font,
// a horizontal scroll extent the window sets, and files dropped from a file manager handed on.
class CheckListBox : public QListView
{
    Q_OBJECT
public:
    explicit CheckListBox(QWidget *parent = nullptr);

    // The width, in pixels, the list's text may take before it needs scrolling sideways.
    void setHorizontalExtent(int pixels);
    int horizontalExtent() const { return m_horizontalExtent; }
    int rowHeight() const;
    // Room the tick box takes before an entry's text.
    int textOffset() const;

signals:
    // A double-click anywhere on the list, on an entry or not.
    void listDoubleClicked();
    // Local files dropped onto the list, in the order the file manager gave them.
    void filesDropped(const QStringList &paths);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool onTickBox(const QModelIndex &index, const QPoint &position) const;

    int m_horizontalExtent = 0;
};

// The local files (not folders) a drag carries.
QStringList droppedFiles(const QMimeData *mime);

} // namespace zort
