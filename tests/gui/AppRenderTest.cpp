// Renders run off the user-interface thread: the loop goes on meanwhile, a
// drag lets each render complete and then renders its newest value, closing cancels
// the running render, and the preview only ever shows completed textures of
// the node it is asked for.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "AppTestSupport.h"
#include "app/Preview.h"
#include "controls/MessageIds.h"
#include "controls/Slider.h"
#include "engine/NodeGraph.h"
#include "support/TestSupport.h"
#include "view/NodesView.h"

namespace {

class AppRender : public AppTest {
protected:
    void SetUp() override {
        gate = Feed<ProbeNode>();
        graph().AddNode(std::make_unique<ProbeNode>());  // not upstream: not in the progress
        w.Command(CMD_LARGER);  // 128 x 128: several bands on any thread count
        SendMessage(MSG_SELECT_NODE, 1);
        slider = qobject_cast<Slider*>(s.valueControls[0].data());
        ASSERT_NE(slider, nullptr);
        WaitForRenders();
    }
    void TearDown() override { ProbeNode::permits = INT_MAX; }

    // Holds every band but `permits` at the gate until Open.
    void Close(int permits = 0) { ProbeNode::permits = permits; }
    void Open() { ProbeNode::permits = INT_MAX; }
    void WaitAtGate() {
        ASSERT_TRUE(QTest::qWaitFor([] { return ProbeNode::waiting > 0; }, 60000));
    }

    // The texture of a fresh document holding a copy of the gate node.
    std::vector<uint8_t> SynchronousTexture() {
        NodeGraph reference(graph().width, graph().height);
        Node* copy = reference.AddNode(gate->Clone());
        reference.Connect(copy->outputPin.get(), reference.store()->inputPins[0].get());
        reference.Render();
        return Bytes(reference.texture());
    }

    Node* gate = nullptr;
    Slider* slider = nullptr;
};

TEST_F(AppRender, ALongRenderKeepsTheLoopRunningAndThePreviewOnTheLastCompletedTexture) {
    const QImage previewBefore = s.preview->picture();
    const int renders = RenderCount();
    Close(1);  // one band writes, the others wait
    QTest::keyClick(slider, Qt::Key_Right);
    WaitAtGate();

    bool fired = false;
    bool renderingWhenFired = false;
    QTimer::singleShot(1, [&] {
        fired = true;
        renderingWhenFired = w.renders().running();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return fired; }, 60000));
    EXPECT_TRUE(renderingWhenFired);
    // A render still running after a moment shows the busy cursor and the bar.
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::overrideCursor() != nullptr; }, 60000));
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    EXPECT_EQ(s.progressBar->maximum(), 2 * 256);
    // Redrawn mid-render, the preview shows the last completed texture.
    w.Command(CMD_ZOOM_IN);
    w.Command(CMD_ZOOM_OUT);
    EXPECT_EQ(s.preview->picture(), previewBefore);

    Open();
    EXPECT_EQ(RenderCount(), renders + 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(s.progressBar->value(), 2 * 256);
    EXPECT_EQ(Bytes(*s.texture), SynchronousTexture());
}

// Twenty moves of a drag, each while a render is held at the gate, which
// then lets a third of a render's bands through: a move that cancelled the
// running render would leave none to complete before the release.
TEST_F(AppRender, ASliderDragShowsCompletedRendersAndEndsOnTheFinalValue) {
    Close(1000);
    const int before = w.renders().started();
    QTest::keyClick(slider, Qt::Key_Right);  // a change: an unchanged gate would be skipped
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.renders().started() > before; }, 60000));
    WaitForRenders();
    const int third = (1000 - ProbeNode::permits + 2) / 3;
    const int started = w.renders().started();
    const int cancelled = w.renders().cancelled();
    Close();
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(8, 10));
    for (int i = 1; i <= 20; ++i) {
        QTest::mouseMove(slider, QPoint(8 + 7 * i, 10));
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.renders().running(); }, 60000));
        ProbeNode::permits += third;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return ProbeNode::permits == 0 || !w.renders().running(); }, 60000));
    }
    const int completedInDrag = w.renders().started() - started - (w.renders().running() ? 1 : 0) -
                                (w.renders().cancelled() - cancelled);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(8 + 7 * 20, 10));
    Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate->value(0) == slider->value(); }, 60000));
    WaitForRenders();
    EXPECT_GT(completedInDrag, 1);
    EXPECT_EQ(w.renders().cancelled(), cancelled);
    EXPECT_GT(gate->value(0), 100);
    EXPECT_EQ(Bytes(*s.texture), SynchronousTexture());
}

// The size change left the document modified: the question about saving
// comes after the render has been cancelled.
TEST_F(AppRender, ClosingDuringARenderCancelsItInsteadOfWaiting) {
    const std::vector<uint8_t> before = Bytes(*s.texture);
    const int cancelled = w.renders().cancelled();
    Close();                                 // the render cannot end by itself
    QTest::keyClick(slider, Qt::Key_Right);  // a change: an unchanged node would be skipped
    WaitAtGate();
    bool renderingWhenAsked = true;
    BoxCloser closer(QMessageBox::Discard, [&] { renderingWhenAsked = w.renders().running(); });
    w.close();
    EXPECT_EQ(closer.boxes().size(), 1u);
    EXPECT_FALSE(renderingWhenAsked);
    EXPECT_FALSE(w.renders().busy());
    EXPECT_EQ(w.renders().cancelled(), cancelled + 1);
    EXPECT_EQ(Bytes(*s.texture), before);  // nothing of the cancelled render is kept
}

// Its render fails as if memory ran out while `failing` is set.
class HungryNode : public Node {
public:
    static inline std::atomic<bool> failing{false};
    explicit HungryNode(int width = 1, int height = 1) : Node("Hungry", 201, width, height) {}
    std::unique_ptr<Node> Clone() const override { return CloneAs<HungryNode>(); }
    void Compute() override {
        if (failing) throw std::bad_alloc();
        std::fill(image->bytes(), image->bytes() + image->byteCount(), 0x55);
    }
};

TEST_F(AppTest, ARenderOutOfMemoryKeepsTheDocumentAndTheTextureAndSaysSo) {
    Feed<HungryNode>();
    w.RenderNow();
    WaitForRenders();
    const std::vector<uint8_t> texture = Bytes(*s.texture);
    const size_t nodes = graph().nodes.size();
    ASSERT_EQ(texture[0], 0x55);

    BoxCloser closer;
    HungryNode::failing = true;
    graph().nodes[1]->ResizeImage(64, 64);  // a fresh image is never skipped
    w.RenderNow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !closer.boxes().empty(); }));
    HungryNode::failing = false;
    EXPECT_TRUE(closer.boxes()[0].text.startsWith(
        "There is not enough memory to render the 64x64 texture."));
    EXPECT_EQ(w.renders().outOfMemory(), 1);
    EXPECT_EQ(Bytes(*s.texture), texture);
    EXPECT_EQ(graph().nodes.size(), nodes);

    const int renders = RenderCount();
    w.RenderNow();  // still usable
    EXPECT_EQ(RenderCount(), renders + 1);
    EXPECT_EQ(closer.boxes().size(), 1u);
}

// The preview shows the selected node's image, bringing a node the texture
// does not use up to date on demand, and the boxes show thumbnails.
// Store <- Blur <- probe, and a loose probe that nothing reads.
class AppPreview : public AppTest {
protected:
    void SetUp() override {
        blur = AddFeedingStore(s.registry->CreateNode(s.registry->prototypes()[2]->typeId));
        probe = graph().AddNode(std::make_unique<ProbeNode>());
        graph().AddNode(std::make_unique<ProbeNode>());  // node 3
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
