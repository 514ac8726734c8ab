// The "Current selection" panel: one row per parameter of the selected node
// (name label, slider or edit box, value label), a description of the
// selected cable, or nothing. Rebuilt from scratch whenever the selection
// changes or the main window is laid out again.
#pragma once

#include "app/AppState.h"

class SelectionPanel {
public:
    // Told of every text change in a row's edit box.
    using EditChanged = std::function<void(QWidget* editBox)>;

    // Rows are children of `client`; the lists live in `state`.
    SelectionPanel(AppState& state, QWidget* client, EditChanged editChanged)
        : state_(state), client_(client), editChanged_(std::move(editChanged)) {}

    void Clear();
    // Called once a build has shown what is selected.
    std::function<void()> shown;

    void BuildNodePanel(Node* node);
    // One node's rows, or "N nodes selected" for several.
    void BuildNodesPanel(const std::vector<Node*>& nodes);
    // The panel of the nodes, else of the cable.
    void Build(const Selection& selection);
    void BuildCablePanel(Cable* cable);
    // Position of the control in valueControls, or -1.
    int FindValueControl(const QWidget* control) const;
    // Changes with each rebuild and each finished run of typing, so that
    // undo steps merge only within one.
    int generation() const { return generation_; }

private:
    void ShowNothing();
    void AddRow(const Param& param, const Param* prototype, int y, int groupWidth);
    QRect GroupRect() const;

    AppState& state_;
    QWidget* client_;
    EditChanged editChanged_;
    int generation_ = 0;
};

// "Cable from '%s' of '%s' to '%s' of '%s'" for the cable's two pins.
QString DescribeCable(const Cable& cable);

// The value label shows at most 255 characters of a parameter's text.
QString ValueLabelText(const std::string& text);
