#include "app/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// "PNG file (*.png)" -> "png".
QString SuffixOf(const QString& filter) {
    static const QRegularExpression pattern(R"(\*\.(\w+))");
    const auto match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString& DialogFolder() {
    static QString folder = QStringLiteral(".");
    return folder;
}

}  // namespace

void SetDialogFolder(const QString& folder) {
    DialogFolder() = folder.isEmpty() ? QStringLiteral(".") : folder;
}

QString RunFileDialog(QWidget* owner, const FileDialogRequest& request) {
    QFileDialog dialog(owner, request.title, DialogFolder());
    const bool open = request.mode == FileDialogRequest::kOpen;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(request.filters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString& filter) { dialog.setDefaultSuffix(SuffixOf(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

QString ExamplesFolder() {
    const QString source = QStringLiteral(SWATCHER_SOURCE_DIR "/examples");
    if (QDir(source).exists()) return source;
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                  QStringLiteral("swatcher/examples"),
                                  QStandardPaths::LocateDirectory);
}

void ShowOops(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Oops!"), text, QMessageBox::Ok);
    box.exec();
}
