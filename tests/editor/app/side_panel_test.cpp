// The side panel in the window: both trees of a movie through their item models, the panel of
// the active document, selection scrolling the text, Refresh Tree with its context menu, a
// failed rebuild keeping the old trees, and rebuilds read aside superseding each other.
#include "documents/side_panel.h"
#include "frame_fixture.h"
#include "resources/menu_table.h"
#include "tree/left_tree_control.h"
#include "tree/tree_model.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QStackedWidget>

namespace vorn::test {
namespace {

// One line per item, "name@line" (categories without "@"), indented by depth; checks on the
// way that the model's parent of every index leads back to where it was found.
std::string dump(const QAbstractItemModel& model, const QModelIndex& parent = {}, int depth = 0) {
    std::string out;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        EXPECT_EQ(model.parent(index), parent);
        EXPECT_EQ(model.hasChildren(index), model.rowCount(index) > 0);
        out.append(static_cast<std::size_t>(depth) * 2, ' ')
            .append(index.data().toString().toStdString());
        const uint line = index.data(CTagTreeModel::kLineRole).toUInt();
        if (line > 0)
            out += "@" + std::to_string(line);
        out += "\n" + dump(model, index, depth + 1);
    }
    return out;
}

const std::string kTags = "    <DefineSound SoundId=\"1\" />\n"                  // 3
                          "    <DefineSprite SpriteId=\"2\" FrameCount=\"1\">\n" // 4
                          "        <PlaceObject2 Depth=\"1\">\n"                 // 5
                          "            <Matrix TranslateX=\"20\" />\n"           // 6
                          "        </PlaceObject2>\n"
                          "        <PlaceObject2 Depth=\"2\" />\n" // 8
                          "        <ShowFrame />\n"                // 9
                          "        <End />\n"                      // 10
                          "    </DefineSprite>\n"
                          "    <DefineShape ShapeId=\"3\" />\n" // 12
                          "    <PlaceObject2 Depth=\"1\" />\n"  // 13
                          "    <ShowFrame />\n";                // 14

class SidePanelTest : public FrameTest {
protected:
    CSidePanel* panel(int index = -1) {
        auto* document = frame().documents().extendedAt(index < 0 ? activeIndex() : index);
        return document ? document->sidePanel() : nullptr;
    }
    CLeftTreeControl* tags() { return panel()->tagsTree(); }
    CLeftTreeControl* resources() { return panel()->resourcesTree(); }
    // The item of the active Tags tree at a path of rows from the top.
    QModelIndex tagItem(std::initializer_list<int> rows) {
        QModelIndex index;
        for (const int row : rows)
            index = tags()->model()->index(row, 0, index);
        return index;
    }
    void refreshTree(CLeftTreeControl* tree) {
        std::unique_ptr<QMenu> menu(tree->createContextMenu(nullptr));
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions()[0]->text(), "Refresh Tree");
        menu->actions()[0]->trigger();
    }
};

TEST_F(SidePanelTest, BothTreesOfAMovieWithASpriteAndASoundFirst) {
    open(write("a.xml", movieText(6, kTags)));
    ASSERT_TRUE(panel());
    EXPECT_EQ(panel()->count(), 2);
    EXPECT_EQ(panel()->tabText(0), "Tags");
    EXPECT_EQ(panel()->tabText(1), "Resources");
    EXPECT_EQ(panel()->currentIndex(), 0);
    EXPECT_EQ(dump(*tags()->model()), "Movie@2\n"
                                      "  DefineSound@3\n"
                                      "  DefineSprite@4\n"
                                      "    PlaceObject2@5\n"
                                      "      Matrix@6\n"
                                      "    PlaceObject2@8\n"
                                      "    ShowFrame@9\n"
                                      "    End@10\n"
                                      "  DefineShape@12\n"
                                      "  PlaceObject2@13\n"
                                      "  ShowFrame@14\n"
                                      "  End@15\n");
    // The sound came first, so its category does; nested placements are no resources.
    EXPECT_EQ(dump(*resources()->model()), "Sounds\n"
                                           "  DefineSound@3\n"
                                           "Sprites\n"
                                           "  DefineSprite@4\n"
                                           "Shapes\n"
                                           "  DefineShape@12\n");
    // The root item opens by itself, the rest stays closed.
    EXPECT_TRUE(tags()->isExpanded(tagItem({0})));
    EXPECT_FALSE(tags()->isExpanded(tagItem({0, 1})));
    EXPECT_TRUE(takeShown().empty());
}

TEST_F(SidePanelTest, ANewDocumentHasNoResourcesAndOnlyTheActivePanelShows) {
    frame().runCommand(kIdNew);
    EXPECT_EQ(dump(*tags()->model()).substr(0, 8), "Movie@2\n");
    EXPECT_EQ(resources()->model()->rowCount(), 0);
    CSidePanel* first = panel();

    open(write("a.xml", movieText(6, kTags)));
    CSidePanel* second = panel();
    ASSERT_NE(first, second);
    QStackedWidget* area = frame().sidePanelArea();
    EXPECT_TRUE(area->isVisible());
    EXPECT_EQ(area->currentWidget(), second);
    EXPECT_TRUE(second->isVisible());
    EXPECT_FALSE(first->isVisible());
    frame().documents().setActiveIndex(0);
    EXPECT_EQ(area->currentWidget(), first);
    EXPECT_FALSE(second->isVisible());
}

TEST_F(SidePanelTest, SelectingAnItemPutsTheCaretOnItsElementsLineInView) {
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "    <ShowFrame />\n";
    open(write("a.xml", movieText(6, many + kTags)));
    CView* view = active()->view();
    const auto inView = [view](int line) {
        const auto first = view->SendScintilla(QsciScintilla::SCI_GETFIRSTVISIBLELINE);
        const auto shown = view->SendScintilla(QsciScintilla::SCI_LINESONSCREEN);
        return line - 1 >= first && line - 1 < first + shown;
    };
    const struct {
        bool resources;
        std::initializer_list<int> rows;
        int line;
    } rows[] = {
        {false, {0, 301, 0, 0}, 306}, // the Matrix in the sprite's first placement
        {false, {0, 302}, 312},       // DefineShape
        {true, {1, 0}, 304},          // DefineSprite under Sprites
        {false, {0, 0}, 3},           // back up to the first ShowFrame
    };
    for (const auto& row : rows) {
        CLeftTreeControl* tree = row.resources ? resources() : tags();
        QModelIndex index;
        for (const int r : row.rows)
            index = tree->model()->index(r, 0, index);
        ASSERT_TRUE(index.isValid()) << row.line;
        tree->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
        EXPECT_EQ(view->caretLine(), row.line);
        EXPECT_EQ(view->caretColumn(), 1) << row.line;
        EXPECT_TRUE(inView(row.line)) << row.line;
    }
    // A category is no element: the caret stays.
    resources()->selectionModel()->select(resources()->model()->index(0, 0),
                                          QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(view->caretLine(), 3);
}

TEST_F(SidePanelTest, RightClickSelectsTheItemAndOffersRefreshTree) {
    open(write("a.xml", movieText(6, kTags)));
    const QModelIndex sprite = tagItem({0, 1});
    const QPoint at = tags()->visualRect(sprite).center();
    ASSERT_FALSE(tags()->visualRect(sprite).isEmpty());
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, tags()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tags()->viewport(), &event);
    EXPECT_EQ(tags()->selectionModel()->selectedIndexes(), QModelIndexList{sprite});
    EXPECT_EQ(active()->view()->caretLine(), 4);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "Refresh Tree");
    menu->close();
}

TEST_F(SidePanelTest, NextPaneGoesIntoTheTreeOfTheShownPage) {
    open(write("a.xml", movieText(6, kTags)));
    frame().activateWindow();
    active()->view()->setFocus();
    frame().runCommand(kIdNextPane);
    EXPECT_EQ(QApplication::focusWidget(), tags());
    // Down from the top selects the first tag and moves the text to it.
    QTest::keyClick(tags(), Qt::Key_Down);
    EXPECT_EQ(active()->view()->caretLine(), 3);
    frame().runCommand(kIdNextPane);
    EXPECT_EQ(QApplication::focusWidget(), active()->view());
    panel()->setCurrentIndex(1);
    frame().runCommand(kIdNextPane);
    EXPECT_EQ(QApplication::focusWidget(), resources());
}

TEST_F(SidePanelTest, RefreshTreeRebuildsAndAFailedRebuildKeepsTheOldTrees) {
    open(write("a.xml", movieText(6, kTags)));
    const std::string before = dump(*tags()->model());
    const std::string resourcesBefore = dump(*resources()->model());

    // Edits change nothing until asked for.
    active()->view()->setDocumentText(movieText(6, "    <DefineBinaryData Id=\"1\" />\n"));
    EXPECT_EQ(dump(*tags()->model()), before);
    refreshTree(resources());
    EXPECT_EQ(dump(*tags()->model()), "Movie@2\n  DefineBinaryData@3\n  End@4\n");
    EXPECT_EQ(dump(*resources()->model()), "Binary data\n  DefineBinaryData@3\n");
    EXPECT_TRUE(takeShown().empty());

    // Not well formed: the Check XML box, the caret on the line at fault, the trees kept.
    active()->view()->setDocumentText(movieText(6, kTags));
    refreshTree(tags());
    EXPECT_EQ(dump(*resources()->model()), resourcesBefore);
    active()->view()->setDocumentText("<Movie>\n  <End>\n</Movie>\n");
    refreshTree(tags());
    EXPECT_EQ(takeShown(), std::vector<Shown>{
                               warning("Error description: Start-end tags mismatch\nRow: 3\nCol: 3",
                                       "The XML has incorrect format.")});
    EXPECT_EQ(active()->view()->caretLine(), 3);
    EXPECT_EQ(dump(*tags()->model()), before);
    EXPECT_EQ(dump(*resources()->model()), resourcesBefore);
}

TEST_F(SidePanelTest, ALargeTextIsReadAsideAndTheNewestRebuildWins) {
    open(write("a.xml", movieText(6, kTags)));
    const std::string before = dump(*tags()->model());
    CSidePanel* side = panel();
    CView* view = active()->view();
    side->setBuildAsideFrom(0);
    QSignalSpy rebuilt(side, &CSidePanel::rebuilt);

    view->setDocumentText(movieText(6, "    <DefineShape ShapeId=\"1\" />\n"));
    side->rebuild(*view);
    view->setDocumentText(movieText(6, "    <DefineVideoStream Id=\"1\" />\n"));
    side->rebuild(*view);
    // The old trees stay while the text is read.
    EXPECT_TRUE(side->isBuilding());
    EXPECT_EQ(dump(*tags()->model()), before);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !side->isBuilding(); }, 5000));
    QTest::qWait(20);
    // Only the newer one shows, and says so once.
    EXPECT_EQ(rebuilt.count(), 1);
    EXPECT_EQ(dump(*resources()->model()), "Video\n  DefineVideoStream@3\n");

    // A failure read aside is told as one read at once.
    view->setDocumentText("<Movie>\n<End>\n</Movie>\n");
    side->rebuild(*view);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !side->isBuilding(); }, 5000));
    EXPECT_EQ(takeShown(), std::vector<Shown>{
                               warning("Error description: Start-end tags mismatch\nRow: 3\nCol: 3",
                                       "The XML has incorrect format.")});
    EXPECT_EQ(dump(*resources()->model()), "Video\n  DefineVideoStream@3\n");

    // A document may close while its trees are being read.
    view->setDocumentText(movieText(6, kTags));
    side->rebuild(*view);
    frame().documents().closeDocument(activeIndex());
    QTest::qWait(20);
    EXPECT_EQ(count(), 0);
}

} // namespace
} // namespace vorn::test
