// The platform's file dialogs and the editor's message boxes.
#pragma once

#include "app/AppState.h"

// Runs a modal QFileDialog in the folder last given to SetDialogFolder (the
// current directory before). The default suffix
// follows the chosen filter, so a name typed without extension gets the
// extension of the chosen file type.
QString RunFileDialog(QWidget* owner, const FileDialogRequest& request);

void SetDialogFolder(const QString& folder);

// The example textures: beside the sources when run from the build tree,
// else in the installed data folder; empty when neither exists.
QString ExamplesFolder();

// "Oops!" with the exclamation icon and no owner: a refused command.
void ShowOops(const QString& text);
