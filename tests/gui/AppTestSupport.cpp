#include "AppTestSupport.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <thread>

#include "app/LargeView.h"
#include "controls/Label.h"
#include "controls/Messages.h"
#include "engine/NodeGraph.h"
#include "engine/RenderCancel.h"
#include "engine/RowBands.h"
#include "support/TestSupport.h"
#include "view/NodesView.h"

BoxCloser::BoxCloser(QMessageBox::StandardButton answer, std::function<void()> onBox) {
    QObject::connect(&timer_, &QTimer::timeout, [this, answer, onBox] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        boxes_.push_back({box->windowTitle(), box->text(), box->parent() != nullptr});
        if (onBox) onBox();
        box->button(answer)->click();
    });
    timer_.start(5);
}

QStringList BoxCloser::texts() const {
    QStringList texts;
    for (const Box& box : boxes_) texts << box.text;
    return texts;
}

ProbeNode::ProbeNode(int width, int height) : Node("Probe", 200, width, height) {
    static constexpr ParamDef kParams[] = {param::Int("Level", 0, 255, 0),
                                           param::Int("Blue", 0, 255, 0),
                                           param::Text("Note", "hello")};
    AddParams(kParams);
}

void ProbeNode::Compute() {
    RenderCancel* cancel = rowbands::ActiveCancel();
    ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        if (!Pass(cancel)) return;  // the render is rolled back anyway
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < image->width; ++x) {
                uint8_t* p = image->pixel(x, y);
                p[0] = static_cast<uint8_t>(x ^ value(0));
                p[1] = static_cast<uint8_t>(y);
                p[2] = static_cast<uint8_t>(x ^ y ^ value(1));
                p[3] = 0;
            }
    });
}

bool ProbeNode::Pass(RenderCancel* cancel) {
    ++waiting;
    bool passed = false;
    while (!(cancel && cancel->Requested())) {
        int p = permits.load();
        if (p > 0 && permits.compare_exchange_weak(p, p - 1)) {
            passed = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    --waiting;
    return passed;
}

QString LabelText(QWidget* label) {
    return static_cast<Label*>(label)->text();
}

void ClickButton(LargeView* view, const char* text) {
    for (QPushButton* button : view->findChildren<QPushButton*>())
        if (button->text() == text) button->click();
}

AppFixture::AppFixture() : log_(std::make_unique<LogCapture>()) {
    window_ = std::make_unique<MainWindow>();
    window_->state().chooseFile = [this](QWidget*, const FileDialogRequest& request) {
        requests_.push_back(request);
        return answer_;
    };
}

AppFixture::~AppFixture() = default;

Node* AppFixture::AddFeedingStore(std::unique_ptr<Node> node) {
    Node* added = graph().AddNode(std::move(node));
    graph().Connect(added->outputPin.get(), graph().store()->inputPins[0].get());
    return added;
}

void AppFixture::SendMessage(int message, long long wParam) {
    MessageEvent event(message, wParam);
    QCoreApplication::sendEvent(window_->client(), &event);
}

void AppFixture::WaitForRenders() const {
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window_->renders().busy(); }, 60000));
}

int AppFixture::RenderCount() const {
    WaitForRenders();
    return static_cast<int>(log_->Matching("Update took").size());
}

std::vector<uint8_t> AppFixture::Saved() {
    const QString path = QString::fromStdString(TempDir()) + "/saved.mtf";
    EXPECT_TRUE(window_->SaveFile(path));
    return ReadFileBytes(path.toStdString());
}

QPoint AppFixture::PinCentre(const Pin* pin) {
    NodesView* view = window_->state().view;
    view->Redraw();
    for (const PinSpot& spot : view->model().pinSpots())
        if (spot.pin == pin) return {spot.rect().Centre().x, spot.rect().Centre().y};
    ADD_FAILURE() << "pin not drawn";
    return {};
}
