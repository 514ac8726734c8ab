// The platform's file dialogs and the editor's message boxes.
#pragma once

#include "app/AppState.h"

// Runs a modal QFileDialog in the current directory. The default suffix
// follows the chosen filter, so a name typed without extension gets the
// extension of the chosen file type.
QString RunFileDialog(QWidget* owner, const FileDialogRequest& request);

// "Oops!" with the exclamation icon and no owner: a refused command.
void ShowOops(const QString& text);
