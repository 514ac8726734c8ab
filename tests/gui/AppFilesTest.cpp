// Open, Save and Export through the commands, with scripted file dialogs.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include "AppTestSupport.h"
#include "app/LargeView.h"
#include "app/Preview.h"
#include "controls/Messages.h"
#include "support/TestSupport.h"
#include "view/NodesView.h"

namespace {

QString Path(const std::string& dir, const char* name) {
    return QString::fromStdString(dir + "/" + name);
}

void Click(LargeView* view, const char* text) {
    for (QPushButton* button : view->findChildren<QPushButton*>())
        if (button->text() == text) button->click();
}

// Raw Noise -> Blur -> Store, a loose Text node, parameters changed, boxes moved.
void BuildDocument(AppFixture& app) {
    NodeGraph& graph = app.graph();
    const NodeRegistry& registry = *app.state().registry;
    Node* noise = graph.AddNode(registry.CreateNode(registry.prototypes()[0]->typeId));
    Node* blur = graph.AddNode(registry.CreateNode(registry.prototypes()[2]->typeId));
    Node* text = graph.AddNode(registry.CreateNode(registry.prototypes()[10]->typeId));
    graph.Connect(noise->outputPin.get(), blur->inputPins[0].get());
    graph.Connect(graph.store()->inputPins[0].get(), blur->outputPin.get());
    noise->param(0).SetValue(noise->param(0).GetMin());
    blur->param(0).SetValue(blur->param(0).GetMax());
    for (auto& param : text->params)
        if (!param->isNumeric) param->SetText("Round trip");
    app.state().view->SetLayout({{10, 20}, {-40, 300}, {200, 150}, {330, -5}});
}

std::string Describe(const NodeGraph& graph) {
    std::string out = std::to_string(graph.width) + "x" + std::to_string(graph.height) + "\n";
    for (const auto& node : graph.nodes) {
        out += node->name + ":";
        for (const auto& param : node->params) out += " " + param->GetText();
        out += "\n";
    }
    for (const auto& cable : graph.cables)
        out += "cable " + std::to_string(graph.NodeIndex(cable->first->owner)) + "." +
               cable->first->name + " -> " + std::to_string(graph.NodeIndex(cable->second->owner)) +
               "." + cable->second->name + "\n";
    return out;
}

}  // namespace

TEST(AppFiles, SaveThenOpenRestoresTheDocumentAndItsLayout) {
    const std::string dir = TempDir();
    const QString file = Path(dir, "round.mtf");
    std::string saved;
    std::vector<BoxPos> layout;
    {
        AppFixture app;
        BuildDocument(app);
        app.window().Command(CMD_SMALLER);
        saved = Describe(app.graph());
        layout = app.state().view->Layout();
        BoxCloser closer;
        app.AnswerDialog(file);
        app.window().Command(CMD_SAVE);
        EXPECT_TRUE(closer.boxes().empty());
        ASSERT_EQ(app.requests().size(), 1u);
        const FileDialogRequest& request = app.requests()[0];
        EXPECT_EQ(request.mode, FileDialogRequest::kSave);
        EXPECT_EQ(request.title, "Enter a filename to save our texture to...");
        EXPECT_EQ(request.filters, QStringList({"Mottle texture (*.mtf)"}));
        EXPECT_EQ(request.defaultSuffix, "mtf");
    }
    AppFixture app;
    app.SendMessage(MSG_SELECT_NODE, 0);
    app.AnswerDialog(file);
    app.window().Command(CMD_OPEN);
    ASSERT_EQ(app.requests().size(), 1u);
    EXPECT_EQ(app.requests()[0].mode, FileDialogRequest::kOpen);
    EXPECT_EQ(app.requests()[0].title, "Select a texture to assimilate...");
    EXPECT_EQ(app.requests()[0].filters, QStringList({"Mottle texture (*.mtf)"}));
    EXPECT_EQ(Describe(app.graph()), saved);
    EXPECT_EQ(app.state().view->Layout(), layout);
    EXPECT_EQ(app.state().selectionTitle->text(), "none");
    EXPECT_EQ(app.state().view->selectedNode, nullptr);
    EXPECT_EQ(app.RenderCount(), 2);
}

TEST(AppFiles, CancelledDialogsDoNothing) {
    AppFixture app;
    BoxCloser closer;
    app.AnswerDialog("");
    app.window().Command(CMD_OPEN);
    app.window().Command(CMD_SAVE);
    app.state().largeView->ExportImage();
    EXPECT_EQ(app.requests().size(), 3u);
    EXPECT_TRUE(closer.boxes().empty());
    EXPECT_EQ(app.RenderCount(), 1);
}

TEST(AppFiles, AMalformedFileKeepsTheDocumentAndNamesTheProblem) {
    const std::string dir = TempDir();
    const QString file = Path(dir, "broken.mtf");
    WriteFileBytes(file.toStdString(), {64, 0, 64, 0, 3, 99});
    AppFixture app;
    app.AddFeedingStore(std::make_unique<FillNode>(1, 1));
    app.SendMessage(MSG_SELECT_NODE, 1);
    const std::string before = Describe(app.graph());
    BoxCloser closer;
    EXPECT_FALSE(app.window().OpenFile(file));
    ASSERT_EQ(closer.boxes().size(), 1u);
    EXPECT_EQ(closer.boxes()[0].title, "Oops!");
    EXPECT_TRUE(closer.boxes()[0].text.contains("broken.mtf"))
        << closer.boxes()[0].text.toStdString();
    EXPECT_EQ(Describe(app.graph()), before);
    EXPECT_EQ(app.state().selectionTitle->text(), "Fill");
    EXPECT_EQ(app.RenderCount(), 1);

    EXPECT_FALSE(app.window().OpenFile(Path(dir, "missing.mtf")));
    EXPECT_EQ(closer.boxes().size(), 2u);
    EXPECT_EQ(Describe(app.graph()), before);
}

TEST(AppFiles, SaveFailuresAreReportedAndLeaveTheOldFile) {
    const std::string dir = TempDir();
    AppFixture app;
    BoxCloser closer;
    EXPECT_FALSE(app.window().SaveFile(Path(dir, "no/such/dir/x.mtf")));
    EXPECT_EQ(closer.boxes().size(), 1u);

    // More nodes than a texture file can hold: the existing file stays.
    const QString file = Path(dir, "kept.mtf");
    ASSERT_TRUE(app.window().SaveFile(file));
    const auto bytes = ReadFileBytes(file.toStdString());
    for (int i = 0; i < 255; ++i) app.graph().AddNode(std::make_unique<FillNode>(1, 1));
    EXPECT_FALSE(app.window().SaveFile(file));
    EXPECT_EQ(closer.boxes().size(), 2u);
    EXPECT_EQ(ReadFileBytes(file.toStdString()), bytes);
    EXPECT_EQ(app.graph().nodes.size(), 256u);
}

TEST(AppExport, SizeToFitWritesTheTextureInEveryFormat) {
    const std::string dir = TempDir();
    AppFixture app;
    app.AddFeedingStore(std::make_unique<PatternNode>(1, 1));
    app.window().Command(CMD_SMALLER);  // 32 x 32
    app.window().Command(CMD_SHOW_LARGE_VIEW);
    LargeView* large = app.state().largeView;
    Click(large, "Size to fit");
    ASSERT_EQ(app.state().largeViewArea.size(), QSize(32, 32));

    const Image& texture = app.graph().texture();
    for (const char* name : {"fit.bmp", "fit.png", "fit.jpg"}) {
        app.AnswerDialog(Path(dir, name));
        Click(large, "Export...");
        QImage read(Path(dir, name));
        ASSERT_FALSE(read.isNull()) << name;
        EXPECT_EQ(read.size(), QSize(32, 32)) << name;
        if (QString(name).endsWith(".jpg")) continue;  // lossy
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const uint8_t* p = texture.pixel(x, y);
                ASSERT_EQ(read.pixel(x, y), qRgb(p[0], p[1], p[2])) << name << " " << x << "," << y;
            }
    }
    const FileDialogRequest& request = app.requests().front();
    EXPECT_EQ(request.title, "Enter a filename to export our image to...");
    EXPECT_EQ(request.filters,
              QStringList({"Bitmap file (*.bmp)", "JPEG file (*.jpg)", "PNG file (*.png)"}));
    EXPECT_EQ(request.defaultSuffix, "bmp");
}

TEST(AppExport, Size256RepeatsTheTextureAndBadPathsAreReported) {
    const std::string dir = TempDir();
    AppFixture app;
    app.AddFeedingStore(std::make_unique<PatternNode>(1, 1));
    app.window().RenderNow();
    app.window().Command(CMD_SHOW_LARGE_VIEW);
    LargeView* large = app.state().largeView;
    Click(large, "256 x 256");
    app.AnswerDialog(Path(dir, "big.png"));
    large->ExportImage();
    QImage read(Path(dir, "big.png"));
    ASSERT_EQ(read.size(), QSize(256, 256));
    EXPECT_EQ(read.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(read.pixel(64 + 5, 128 + 7), qRgb(5, 7, 5 ^ 7));
    EXPECT_EQ(read.pixel(255, 255), qRgb(63, 63, 0));

    BoxCloser closer;
    app.AnswerDialog(Path(dir, "missing/dir/x.png"));
    large->ExportImage();
    app.AnswerDialog(Path(dir, "unknown.gif"));
    large->ExportImage();
    EXPECT_EQ(closer.boxes().size(), 2u);
    EXPECT_FALSE(QFile::exists(Path(dir, "unknown.gif")));
}

TEST(AppScreenshot, MainWindowWithAFewNodes) {
    AppFixture app;
    BuildDocument(app);
    app.graph().RemoveCable(app.graph().cables[1].get());  // the Blur's feed to the Store
    app.AddFeedingStore(std::make_unique<PatternNode>(1, 1));
    app.state().view->SetLayout({{20, 20}, {170, 140}, {330, 40}, {180, 10}, {330, 150}});
    app.window().RenderNow();
    app.window().Command(CMD_ZOOM_IN);
    app.SendMessage(MSG_SELECT_NODE, 2);
    QDir().mkpath(SWATCHER_SCREENSHOT_DIR);
    const QString path = QString(SWATCHER_SCREENSHOT_DIR) + "/main_window.png";
    ASSERT_TRUE(app.window().grab().save(path));
}

// The picture in the README: the editor with an example open.
TEST(AppScreenshot, EditorWithAnExampleOpen) {
    AppFixture app;
    ASSERT_TRUE(app.window().OpenFile(SWATCHER_EXAMPLES_DIR "/hue-swirl.mtf"));
    app.window().Command(CMD_ZOOM_IN);
    app.SendMessage(MSG_SELECT_NODE, 3);
    QDir().mkpath(SWATCHER_SCREENSHOT_DIR);
    ASSERT_TRUE(app.window().grab().save(QString(SWATCHER_SCREENSHOT_DIR) + "/editor.png"));
}
