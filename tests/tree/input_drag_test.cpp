// Drags from other programs.
#include "tests/tree/input_support.h"

#include <QMimeData>
#include <QUrl>

namespace {
QMimeData* FileMime() {
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile("/tmp/dragged.txt")});
    return mime;
}
} // namespace

TEST_F(InputTest, DragsFromOtherProgramsAreRefusedButOpenNodes) {
    auto top = Add(nullptr, 30);
    Add(top[2], 3);
    EXPECT_TRUE(Tree->IsDropTarget());
    std::unique_ptr<QMimeData> mime(FileMime());
    auto send = [&](QEvent::Type type, int x, int y) {
        if (type == QEvent::DragEnter) {
            QDragEnterEvent e(QPoint(x, y), Qt::CopyAction, mime.get(), Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(Viewport(), &e);
            return e.dropAction();
        }
        if (type == QEvent::DragMove) {
            QDragMoveEvent e(QPoint(x, y), Qt::CopyAction, mime.get(), Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(Viewport(), &e);
            EXPECT_FALSE(e.isAccepted());
            return e.dropAction();
        }
        QDropEvent e(QPointF(x, y), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Viewport(), &e);
        EXPECT_FALSE(e.isAccepted());
        return e.dropAction();
    };
    EXPECT_EQ(send(QEvent::DragEnter, TextX(0), 12), Qt::IgnoreAction);
    EXPECT_EQ(Tree->DropTargetNode(), nullptr);
    // Over the text of a collapsed node with children: on the node, and it opens on the tick.
    EXPECT_EQ(send(QEvent::DragMove, TextX(0), RowY(top[2])), Qt::IgnoreAction);
    EXPECT_EQ(Tree->DropTargetNode(), top[2]);
    EXPECT_EQ(Tree->LastDropMode(), dmOnNode);
    EXPECT_TRUE(Tree->TimerActive(ExpandTimer));
    Tree->Timer(ExpandTimer);
    EXPECT_FALSE(Tree->TimerActive(ExpandTimer));
    EXPECT_TRUE(Tree->Expanded(top[2]));
    EXPECT_EQ(Expanding, std::vector<PVirtualNode>{top[2]});
    // Beside the text: above or below by the half of the row; a leaf starts no timer.
    const int rowTop = Tree->GetDisplayRect(top[1]).Top;
    send(QEvent::DragMove, 250, rowTop + 3);
    EXPECT_EQ(Tree->DropTargetNode(), top[1]);
    EXPECT_EQ(Tree->LastDropMode(), dmAbove);
    EXPECT_FALSE(Tree->TimerActive(ExpandTimer));
    send(QEvent::DragMove, 250, rowTop + 20);
    EXPECT_EQ(Tree->LastDropMode(), dmBelow);
    // Dropping changes nothing and forgets the target.
    const std::uint32_t before = Tree->RootNode()->SubtreeCount;
    send(QEvent::Drop, TextX(0), RowY(top[1]));
    EXPECT_EQ(Tree->DropTargetNode(), nullptr);
    EXPECT_EQ(Tree->RootNode()->SubtreeCount, before);

    // Leaving stops a pending expansion.
    Add(top[5], 1);
    send(QEvent::DragEnter, TextX(0), 12);
    send(QEvent::DragMove, TextX(0), RowY(top[5]));
    ASSERT_TRUE(Tree->TimerActive(ExpandTimer));
    QDragLeaveEvent leave;
    QApplication::sendEvent(Viewport(), &leave);
    EXPECT_FALSE(Tree->TimerActive(ExpandTimer));
    EXPECT_EQ(Tree->DropTargetNode(), nullptr);
    Tree->Timer(ExpandTimer);
    EXPECT_FALSE(Tree->Expanded(top[5]));
}

TEST_F(InputTest, DraggingAtTheEdgesScrollsAfterTheDelay) {
    Add(nullptr, 30);
    std::unique_ptr<QMimeData> mime(FileMime());
    auto move = [&](int x, int y) {
        QDragMoveEvent e(QPoint(x, y), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Viewport(), &e);
    };
    QDragEnterEvent enter(QPoint(150, 100), Qt::CopyAction, mime.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &enter);
    const int bottomZone = Tree->ClientHeight() - 10;
    move(150, bottomZone);
    Tree->Clock += 999;
    move(150, bottomZone);
    EXPECT_EQ(Tree->OffsetY(), 0);
    Tree->Clock += 1;
    move(150, bottomZone);
    EXPECT_EQ(Tree->OffsetY(), -20);
    move(150, bottomZone);
    EXPECT_EQ(Tree->OffsetY(), -40);
    // Leaving the zone restarts the wait; the top zone scrolls back only after it.
    move(150, 100);
    move(150, 5);
    EXPECT_EQ(Tree->OffsetY(), -40);
    Tree->Clock += 1000;
    move(150, 5);
    EXPECT_EQ(Tree->OffsetY(), -20);
    // At the top there is nothing more above: no zone.
    move(150, 5);
    move(150, 5);
    EXPECT_EQ(Tree->OffsetY(), 0);
    QDragLeaveEvent leave;
    QApplication::sendEvent(Viewport(), &leave);
}
