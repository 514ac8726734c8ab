// Writes the pictures of the README and the docs into the directory given as
// the only argument. Not a test: scripts/screenshots.sh runs it.
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <cstdio>

#include "app/MainWindow.h"
#include "controls/Label.h"
#include "controls/Messages.h"
#include "controls/Slider.h"
#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "nodes/filters/DisplacementMap.h"
#include "nodes/filters/Mixer.h"
#include "nodes/generators/RawNoise.h"
#include "view/NodesView.h"

namespace {

QString outDir;

bool Save(QWidget& widget, const QString& name, int scale = 1) {
    const QImage shot = widget.grab().toImage();
    const bool saved = shot.scaled(shot.size() * scale).save(outDir + "/" + name);
    if (!saved) std::fprintf(stderr, "Cannot write %s\n", qPrintable(name));
    return saved;
}

void Send(QWidget* target, int message, long long wParam, long long lParam = 0) {
    MessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(target, &event);
}

bool ControlShots() {
    QWidget parent;
    parent.resize(260, 90);
    auto* slider = new Slider(&parent);
    slider->setGeometry(10, 5, 200, 20);
    Send(slider, MSG_SLIDER_SET_RANGE, 0, 255);
    Send(slider, MSG_SLIDER_SET_VALUE, 180);
    (new Slider(&parent))->setGeometry(10, 25, 200, 20);
    auto* held = new Slider(&parent);
    held->setGeometry(10, 45, 200, 20);
    Send(held, MSG_SLIDER_SET_VALUE, 0);
    auto* value = new Label(&parent);
    value->setGeometry(212, 5, 40, 20);
    value->SetText("180");
    (new Label(&parent))->setGeometry(10, 66, 100, 20);  // never given a text
    parent.show();
    if (!QTest::qWaitForWindowExposed(&parent)) return false;
    QTest::mousePress(held, Qt::LeftButton, {}, QPoint(195, 10));
    const bool saved = Save(parent, "controls.png") && Save(parent, "controls_x4.png", 4);
    QTest::mouseRelease(held, Qt::LeftButton, {}, QPoint(195, 10));
    return saved;
}

bool ViewShots() {
    NodeRegistry registry;
    NodeGraph graph(64, 64);
    QWidget parent;  // swallows the view's messages
    parent.resize(480, 320);
    auto* view = new NodesView(&parent);
    view->setGeometry(0, 0, 480, 320);
    view->model().graph = &graph;
    parent.show();
    if (!QTest::qWaitForWindowExposed(&parent)) return false;
    view->Attach();
    Node* noise = graph.AddNode(registry.CreateNode(RawNoise::kTypeId));
    Node* mixer = graph.AddNode(registry.CreateNode(Mixer::kTypeId));
    Node* displace = graph.AddNode(registry.CreateNode(DisplacementMap::kTypeId));
    graph.AddNode(registry.CreateNode(Mixer::kTypeId));
    view->model().SetLayout({{340, 180}, {190, 20}, {180, 170}, {340, 30}});
    graph.Connect(mixer->outputPin.get(), graph.store()->inputPins[0].get());
    graph.Connect(noise->outputPin.get(), mixer->inputPins[0].get());
    graph.Connect(displace->outputPin.get(), mixer->inputPins[1].get());
    graph.Connect(noise->outputPin.get(), displace->inputPins[1].get());
    view->model().selectedNodes = {mixer};
    view->model().selectedCable = graph.cables[1].get();
    view->Redraw();
    if (!Save(*view, "view_selection.png")) return false;
    view->model().selectedNodes.clear();
    view->model().selectedCable = nullptr;
    view->model().cableResolution = 10;
    view->model().scrollX = 60;
    view->model().scrollY = 10;
    view->Redraw();
    return Save(*view, "view_scrolled_coarse.png");
}

bool EditorShot(const char* example) {
    MainWindow window;
    if (!window.OpenFile(QString::fromUtf8(example))) return false;
    window.Command(CMD_ZOOM_IN);
    window.Command(CMD_THUMBNAILS);
    MessageEvent select(MSG_SELECT_NODE, 3);  // previewed with its caption
    QCoreApplication::sendEvent(window.client(), &select);
    // Renders run in the background: show the texture, not the black start.
    if (!QTest::qWaitFor([&] { return !window.renders().busy(); }, 60000)) return false;
    return Save(window, "editor.png");
}

// The Edit menu after a change, with Undo naming it.
bool EditMenuShot(const char* example) {
    MainWindow window;
    if (!window.OpenFile(QString::fromUtf8(example))) return false;
    MessageEvent select(MSG_SELECT_NODE, 3);
    QCoreApplication::sendEvent(window.client(), &select);
    window.Command(CMD_CLONE_NODE);
    QMenu* edit = window.menuBar()->actions().at(1)->menu();
    edit->popup(window.mapToGlobal(QPoint(40, 20)));
    if (!QTest::qWaitForWindowExposed(edit)) return false;
    const bool saved = Save(*edit, "edit-menu.png");
    edit->close();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir)) return 1;
    const bool ok = ControlShots() && ViewShots() &&
                    EditorShot(SWATCHER_EXAMPLES_DIR "/hue-swirl.mtf") &&
                    EditMenuShot(SWATCHER_EXAMPLES_DIR "/hue-swirl.mtf");
    return ok ? 0 : 1;
}
