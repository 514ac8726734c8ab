// The preview shows the selected node's image, bringing a node the texture
// does not use up to date on demand, and follows every change of the
// document while rendering is automatic.
#include <QLabel>
#include <QScrollBar>
#include <QTest>

#include "AppTestSupport.h"
#include "app/Preview.h"
#include "controls/MessageIds.h"
#include "engine/NodeGraph.h"
#include "support/TestSupport.h"
#include "view/NodesView.h"

namespace {

// Store <- Blur <- probe, and a loose probe that nothing reads.
class AppPreview : public AppTest {
protected:
    void SetUp() override {
        blur = AddFeedingStore(s.registry->CreateNode(s.registry->prototypes()[2]->typeId));
        probe = graph().AddNode(std::make_unique<ProbeNode>());
        loose = graph().AddNode(std::make_unique<ProbeNode>());
        graph().Connect(probe->outputPin.get(), blur->inputPins[0].get());
        blur->param(0).SetValue(4);
        w.Command(CMD_RENDER);
        WaitForRenders();
    }

    // Selects the node at `index` (-1: nothing) and waits for what it asks.
    void Select(int index) {
        SendMessage(index < 0 ? MSG_SELECT_NONE : MSG_SELECT_NODE, index);
        WaitForRenders();
    }
    QString Caption() const { return s.previewCaption->text(); }
    QImage Expected(const Image& image) const {
        return BuildPreviewPicture(image, s.previewArea.width(), s.previewArea.height(),
                                   s.previewHScroll->value(), s.previewVScroll->value(), s.zoom,
                                   s.tiled);
    }

    Node* blur = nullptr;
    Node* probe = nullptr;
    Node* loose = nullptr;
};

TEST_F(AppPreview, ShowsTheSelectedNodesImageAndTheTextureOtherwise) {
    const std::vector<uint8_t> texture = Bytes(*s.texture);
    ASSERT_NE(Bytes(*probe->image), texture);  // the blur changes it
    Select(2);
    EXPECT_EQ(Caption(), QString::fromStdString(probe->name));
    EXPECT_EQ(Bytes(*s.shown()), Bytes(*probe->image));
    EXPECT_EQ(s.preview->picture(), Expected(*probe->image));

    // The loose probe is rendered on demand, rooted at it, and alone.
    const int renders = RenderCount();
    Select(3);
    EXPECT_EQ(RenderCount(), renders + 1);
    EXPECT_EQ(Bytes(*s.shown()), Bytes(*probe->image));
    EXPECT_EQ(Bytes(*s.texture), texture);
    Select(2);
    Select(3);  // up to date already: no render
    EXPECT_EQ(RenderCount(), renders + 1);

    for (int index : {-1, 0}) {  // nothing, the Store
        Select(index);
        EXPECT_EQ(Caption(), "Texture");
        EXPECT_EQ(s.preview->picture(), Expected(*s.texture));
    }
    Select(2);
    w.Command(CMD_PREVIEW_SELECTED);
    WaitForRenders();
    EXPECT_EQ(Caption(), "Texture");
    EXPECT_EQ(s.preview->picture(), Expected(*s.texture));
}

// Deleting the probe's cable leaves the blur nothing to read; undo gives it back.
TEST_F(AppPreview, CableChangesRenderOnlyWhileRenderingIsAutomatic) {
    const std::vector<uint8_t> before = Bytes(*s.texture);
    for (bool automatic : {true, false}) {
        SCOPED_TRACE(automatic);
        if (s.autoRender != automatic) w.Command(CMD_AUTO_RENDER);
        const int renders = RenderCount();
        ASSERT_TRUE(w.document().DeleteCable(graph().cables[1].get()));
        EXPECT_EQ(RenderCount(), renders + (automatic ? 1 : 0));
        EXPECT_EQ(Bytes(*s.texture) != before, automatic);
        w.Command(CMD_UNDO);
        EXPECT_EQ(RenderCount(), renders + (automatic ? 2 : 0));
        EXPECT_EQ(Bytes(*s.texture), before);
    }
}

// The boxes grow below their pins, which stay put; a click on the thumbnail
// hits its box; the thumbnail samples the node's image and is what is painted.
TEST_F(AppPreview, ThumbnailsGrowTheBoxesBelowThePinsAndShowEachNodesImage) {
    s.view->model().SetCorners({{30, 30}, {160, 30}, {290, 30}, {420, 30}});
    s.view->Redraw();
    const std::vector<PinSpot> pins = s.view->model().pinSpots();
    w.Command(CMD_THUMBNAILS);
    WaitForRenders();
    for (const NodeBox& box : s.view->model().boxes())
        EXPECT_EQ(box.bottom - box.top, view::kBoxSize + view::kThumbnailRoom);
    ASSERT_EQ(s.view->model().pinSpots().size(), pins.size());
    for (size_t i = 0; i < pins.size(); ++i)
        EXPECT_EQ(s.view->model().pinSpots()[i].rect(), pins[i].rect());

    const view::Rect place = view::ThumbnailRect(view::BoxAt(290, 30, true))
                                 .Moved(-s.view->model().scrollX, -s.view->model().scrollY);
    const QImage& thumbnail = s.view->thumbnails().value(probe);
    const uint8_t* p = probe->image->pixel(10 * probe->image->width / 64, 20);
    EXPECT_EQ(thumbnail.pixel(10, 20 * 64 / probe->image->height), qRgb(p[0], p[1], p[2]));
    EXPECT_EQ(s.view->backBuffer().pixel(place.left + 10, place.top + 5), thumbnail.pixel(10, 5));
    QTest::mouseClick(s.view, Qt::LeftButton, {}, QPoint(place.left + 10, place.top + 30));
    EXPECT_EQ(s.selection.node(), probe);
}

}  // namespace
