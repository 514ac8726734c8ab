// Open, Save and Export through the commands, with scripted file dialogs.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>
#include <QTest>

#include "AppTestSupport.h"
#include "app/Autosave.h"
#include "app/LargeView.h"
#include "app/Preview.h"
#include "controls/MessageIds.h"
#include "controls/Messages.h"
#include "engine/TextureFile.h"
#include "platform/SafeFile.h"
#include "support/TestSupport.h"
#include "view/NodesView.h"

namespace {

class AppFiles : public AppTest {
protected:
    const QString kDir = QString::fromStdString(TempDir()) + "/";
};

TEST_F(AppFiles, SaveThenOpenRestoresTheDocumentAndItsLayout) {
    // Blur -> Store, its first value changed, boxes moved, a smaller texture.
    Node* blur = AddFeedingStore(s.registry->CreateNode(s.registry->prototypes()[2]->typeId));
    blur->param(0).SetValue(blur->param(0).GetMax());
    s.view->model().SetLayout({{10, 20}, {-40, 300}});
    w.Command(CMD_SMALLER);
    BoxCloser closer;  // a failure would otherwise hang on its box
    AnswerDialog(kDir + "round.mtf");
    w.Command(CMD_SAVE);

    AppFixture opened;
    opened.SendMessage(MSG_SELECT_NODE, 0);
    opened.AnswerDialog(kDir + "round.mtf");
    opened.window().Command(CMD_OPEN);
    EXPECT_EQ(opened.window().windowTitle(), "round.mtf[*] \u2014 Swatcher [v0.97] by Oxhal");
    EXPECT_EQ(opened.Saved(), Saved());  // the graph, its size and the layout
    EXPECT_EQ(opened.state().selectionTitle->text(), "none");
    EXPECT_EQ(opened.state().view->model().selectedNodes, std::vector<Node*>{});
    EXPECT_EQ(opened.RenderCount(), 2);
    const QStringList kTextures = {"Mottle texture (*.mtf)"};
    const FileDialogRequest& save = requests().at(0);
    const FileDialogRequest& open = opened.requests().at(0);
    EXPECT_EQ(std::tuple(save.mode, save.title, save.filters, save.defaultSuffix),
              std::tuple(FileDialogRequest::kSave, "Enter a filename to save our texture to...",
                         kTextures, "mtf"));
    EXPECT_EQ(std::tuple(open.mode, open.title, open.filters),
              std::tuple(FileDialogRequest::kOpen, "Select a texture to assimilate...", kTextures));
}

TEST_F(AppFiles, CancelledDialogsAndBadPathsKeepTheDocumentAndNameTheProblem) {
    WriteFileBytes((kDir + "broken.mtf").toStdString(), {64, 0, 64, 0, 3, 99});
    Feed<ProbeNode>();
    SendMessage(MSG_SELECT_NODE, 1);
    const std::vector<uint8_t> before = Saved();
    BoxCloser closer;
    AnswerDialog("");
    w.Command(CMD_OPEN);
    w.Command(CMD_SAVE);
    s.largeView->ExportImage();
    EXPECT_EQ(requests().size(), 3u);
    EXPECT_FALSE(w.OpenFile(kDir + "broken.mtf"));
    ASSERT_EQ(closer.boxes().size(), 1u);  // none for the cancelled dialogs
    EXPECT_TRUE(closer.boxes()[0].text.contains("broken.mtf")) << qPrintable(closer.texts()[0]);
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(s.selectionTitle->text(), "Probe");
    EXPECT_EQ(RenderCount(), 1);
}

TEST_F(AppFiles, SaveGoesToTheDocumentsOwnFileAndAFailureKeepsItModified) {
    const std::string first = (kDir + "first.mtf").toStdString();
    BoxCloser closer;
    AnswerDialog(kDir + "first.mtf");
    const QString caption = w.windowTitle();
    w.Command(CMD_LARGER);
    EXPECT_EQ(w.windowTitle(), "[*]" + caption);  // no file: the caption, marked
    EXPECT_TRUE(w.isWindowModified());
    w.Command(CMD_SAVE_CURRENT);  // no file yet: as "Save as..."
    EXPECT_EQ(requests().size(), 1u);
    EXPECT_EQ(w.windowTitle(), "first.mtf[*] \u2014 " + caption);
    EXPECT_FALSE(w.isWindowModified());
    w.Command(CMD_SMALLER);
    EXPECT_FALSE(w.SaveFile(kDir + "no/such/dir/x.mtf"));
    EXPECT_FALSE(w.document().history().IsClean());
    EXPECT_EQ(ReadFileBytes(first).at(0), 128);  // the width, little-endian
    EXPECT_EQ(closer.boxes().size(), 1u);
    w.Command(CMD_SAVE_CURRENT);  // still the file it came from
    EXPECT_EQ(ReadFileBytes(first).at(0), 64);
    EXPECT_EQ(requests().size(), 1u);
}

// Close, Exit and Open with unsaved changes, with each answer to the question.
TEST_F(AppFiles, UnsavedChangesAskFirstAndOnlySaveOrDiscardGoOn) {
    enum Trigger { kClose, kExit, kOpen };
    const struct {
        Trigger trigger;
        QMessageBox::StandardButton answer;
        const char* saveAs;  // the Save as dialog's answer; "" cancels it
        bool goesOn;
    } kCases[] = {
        {kClose, QMessageBox::Save, "c.mtf", true}, {kClose, QMessageBox::Discard, "", true},
        {kClose, QMessageBox::Cancel, "", false},   {kExit, QMessageBox::Save, "", false},
        {kExit, QMessageBox::Discard, "", true},    {kExit, QMessageBox::Cancel, "", false},
        {kOpen, QMessageBox::Save, "o.mtf", true},  {kOpen, QMessageBox::Discard, "", true},
        {kOpen, QMessageBox::Cancel, "", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.trigger << " " << c.answer);
        AppFixture app;
        int quits = 0;
        QObject::connect(&app.window(), &MainWindow::quitRequested, [&quits] { ++quits; });
        app.window().Command(CMD_LARGER);
        app.AnswerDialog(c.saveAs[0] ? kDir + c.saveAs : "");
        BoxCloser closer(c.answer);
        if (c.trigger == kClose) app.window().close();
        if (c.trigger == kExit) app.window().Command(CMD_EXIT);
        if (c.trigger == kOpen) app.window().Command(CMD_OPEN);
        EXPECT_EQ(closer.texts(), QStringList{"Save changes to the texture?"});
        const bool opened =
            !app.requests().empty() && app.requests().back().mode == FileDialogRequest::kOpen;
        EXPECT_EQ(c.trigger == kOpen ? opened : quits == 1, c.goesOn);
        const bool saved = c.saveAs[0] && QFile::exists(kDir + c.saveAs);
        EXPECT_EQ(saved, c.answer == QMessageBox::Save && c.goesOn);
        if (!c.goesOn) {  // nothing lost
            EXPECT_EQ(app.graph().width, 128);
            EXPECT_FALSE(app.window().document().history().IsClean());
        }
    }
}

TEST_F(AppFiles, LargeViewExportsTheShownSizeInEveryFormatAndReportsBadPaths) {
    Feed<ProbeNode>();
    w.Command(CMD_SMALLER);  // 32 x 32
    w.Command(CMD_SHOW_LARGE_VIEW);
    ASSERT_TRUE(s.largeView->isVisible());
    EXPECT_EQ(s.largeView->picture()->geometry(), QRect(4, 4, 504, 478));
    EXPECT_EQ(s.largeViewArea.size(), QSize(502, 476));
    ClickButton(s.largeView, "Size to fit");
    WaitForRenders();
    EXPECT_EQ(s.largeView->size(), QSize(244, 32 + 36));  // room for the buttons
    EXPECT_EQ(s.largeViewArea.size(), QSize(32, 32));
    for (const QString name : {"fit.bmp", "fit.png", "fit.jpg"}) {
        AnswerDialog(kDir + name);
        ClickButton(s.largeView, "Export...");
        const QImage read(kDir + name);
        ASSERT_EQ(read.size(), QSize(32, 32)) << qPrintable(name);
        if (name.endsWith(".jpg")) continue;  // lossy
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                ASSERT_EQ(read.pixel(x, y), qRgb(x, y, x ^ y)) << qPrintable(name) << x << "," << y;
    }
    EXPECT_EQ(requests()[0].title, "Enter a filename to export our image to...");
    EXPECT_EQ(requests()[0].filters,
              QStringList({"Bitmap file (*.bmp)", "JPEG file (*.jpg)", "PNG file (*.png)"}));
    EXPECT_EQ(requests()[0].defaultSuffix, "bmp");

    ClickButton(s.largeView, "256 x 256");  // exported the same way, the texture repeated
    EXPECT_EQ(s.largeView->picture()->picture().size(), QSize(256, 256));
    s.largeView->close();
    w.Command(CMD_SHOW_LARGE_VIEW);  // shown again after closing
    EXPECT_TRUE(s.largeView->isVisible());

    for (int i = 0; i < 5; ++i) w.Command(CMD_LARGER);  // 1024 x 1024
    ClickButton(s.largeView, "Size to fit");
    const QRect free = s.largeView->screen()->availableGeometry();
    EXPECT_TRUE(free.contains(s.largeView->frameGeometry()))
        << free.width() << "x" << free.height();
    for (const QPushButton* button : s.largeView->findChildren<QPushButton*>())
        EXPECT_TRUE(s.largeView->rect().contains(button->geometry())) << qPrintable(button->text());

    BoxCloser closer;
    for (const char* bad : {"missing/dir/x.png", "unknown.gif"}) {
        AnswerDialog(kDir + bad);
        s.largeView->ExportImage();
    }
    platform::InjectWriteFault(100);  // a full disk keeps the last export
    AnswerDialog(kDir + "fit.png");
    s.largeView->ExportImage();
    platform::InjectWriteFault(-1);
    ASSERT_EQ(closer.boxes().size(), 3u);
    EXPECT_FALSE(QFile::exists(kDir + "unknown.gif"));
    EXPECT_TRUE(closer.boxes()[2].text.endsWith("fit.png: No space left on device"))
        << qPrintable(closer.boxes()[2].text);
    EXPECT_EQ(QImage(kDir + "fit.png").size(), QSize(32, 32));
}

// The document as a texture file, without saving it.
std::vector<uint8_t> DocumentBytes(MainWindow& window) {
    const std::vector<BoxPos> layout = window.state().view->model().Layout();
    return GraphBytes(*window.state().graph, &layout);
}

// Unsaved work goes aside and only there; an editor that did not close
// cleanly leaves it behind, and the next one offers it back byte for byte.
TEST_F(AppFiles, AutosaveKeepsUnsavedWorkForTheNextEditorToRecover) {
    const QString folder = Autosave::Folder();
    QDir(folder).removeRecursively();
    auto* autosave = w.findChild<Autosave*>();
    ASSERT_TRUE(autosave && autosave->enabled());
    ASSERT_TRUE(w.OpenFile(SWATCHER_EXAMPLES_DIR "/raw-noise.mtf"));
    autosave->SaveNow();
    EXPECT_FALSE(QFile::exists(autosave->file()));  // nothing unsaved
    w.Command(CMD_LARGER);
    autosave->SaveNow();
    const std::vector<uint8_t> work = DocumentBytes(w);
    EXPECT_EQ(ReadFileBytes(autosave->file().toStdString()), work);

    // A crash leaves the files behind; here, a copy whose editor is gone.
    for (const char* extension : {".mtf", ".ini"})
        QFile::copy(autosave->file().chopped(4) + extension, folder + "/crashed" + extension);
    {
        BoxCloser closer(QMessageBox::Discard);
        AppFixture second;  // running at the same time: its own file, and this one's not offered
        QTest::qWait(50);
        EXPECT_EQ(closer.boxes().size(), 1u);  // the crashed copy only
        EXPECT_FALSE(QFile::exists(folder + "/crashed.mtf"));
    }
    EXPECT_TRUE(QFile::exists(autosave->file()));
    for (const char* extension : {".mtf", ".ini"})
        QFile::copy(autosave->file().chopped(4) + extension, folder + "/crashed" + extension);
    // ... and the lock of a process that is gone.
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    QFile lock(folder + "/crashed.lock");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QStringLiteral("%1\n%2\n%3\n")
                   .arg(gone)
                   .arg(QCoreApplication::applicationName(), QSysInfo::machineHostName())
                   .toUtf8());
    lock.close();
    ASSERT_TRUE(w.SaveFile(kDir + "saved.mtf"));
    EXPECT_FALSE(QFile::exists(autosave->file()));

    BoxCloser closer(QMessageBox::Open);
    AppFixture next;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !closer.boxes().empty(); }));
    EXPECT_EQ(closer.boxes()[0].title, "Recover unsaved work");
    EXPECT_TRUE(closer.boxes()[0].text.contains("\"raw-noise.mtf\""));
    EXPECT_EQ(DocumentBytes(next.window()), work);
    EXPECT_TRUE(next.window().document().modified());
    EXPECT_TRUE(next.window().windowTitle().startsWith("raw-noise.mtf"));
    EXPECT_FALSE(QFile::exists(folder + "/crashed.mtf"));
}

}  // namespace
