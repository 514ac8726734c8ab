#include "app/EditSteps.h"

#include "app/AppState.h"
#include "engine/NodeGraph.h"
#include "view/NodesView.h"

NodeGraph& StepContext::graph() const {
    return *state.graph;
}

NodesViewModel& StepContext::view() const {
    return *state.view;
}

void EditStep::redo() {
    if (done_) {
        done_ = false;  // pushed after the change itself
        return;
    }
    Run(true);
}

void EditStep::Run(bool forward) {
    context_.beforeChange();
    context_.refresh(Apply(forward));
}

NodeStep::NodeStep(StepContext& context, const QString& text, int index, HeldNode held,
                   std::vector<view::Point> cornersBefore)
    : EditStep(context, text),
      held_(std::move(held)),
      added_(!held_.node),
      before_(std::move(cornersBefore)),
      after_(context.view().Corners()) {
    held_.index = index;
}

bool NodeStep::Apply(bool forward) {
    if (forward == added_) {
        PutNode(context_.graph(), held_);
    } else {
        held_ = TakeNode(context_.graph(), held_.index);
        context_.state.selection.Forget(held_.node.get());
    }
    context_.view().SetCorners(forward ? after_ : before_);
    return false;  // a node without cables renders nothing
}

CableStep::CableStep(StepContext& context, const QString& text, HeldCable held, const Cable* drawn)
    : EditStep(context, text),
      held_(std::move(held)),
      cable_(drawn ? drawn : held_.cable.get()),
      drawn_(drawn != nullptr) {}

bool CableStep::Apply(bool forward) {
    // The render changes when the node whose input the cable feeds is rendered.
    const Pin* input = cable_->first->IsOutputPin() ? cable_->second : cable_->first;
    if (forward == drawn_) {
        PutCable(context_.graph(), held_);
        return ReachesStore(context_.graph(), input->owner);
    }
    const bool reached = ReachesStore(context_.graph(), input->owner);
    context_.state.selection.Forget(cable_);
    held_ = TakeCable(context_.graph(), cable_);
    return reached;
}

MoveStep::MoveStep(StepContext& context, std::vector<view::Point> before)
    : EditStep(context, QStringLiteral("Move node")),
      before_(std::move(before)),
      after_(context.view().Corners()) {}

bool MoveStep::Apply(bool forward) {
    context_.view().SetCorners(forward ? after_ : before_);
    return false;
}

ParamStep::ParamStep(StepContext& context, Node* node, int param, Value before, Value after,
                     long long run)
    : EditStep(context,
               QStringLiteral("Change %1").arg(QString::fromStdString(node->param(param).name))),
      node_(node),
      param_(param),
      before_(std::move(before)),
      after_(std::move(after)),
      run_(run) {}

bool ParamStep::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const ParamStep*>(other);
    if (next->node_ != node_ || next->param_ != param_ || next->run_ != run_) return false;
    after_ = next->after_;
    setObsolete(after_ == before_);  // the run came back to where it began
    return true;
}

bool ParamStep::Apply(bool forward) {
    Param& param = node_->param(param_);
    const Value& value = forward ? after_ : before_;
    if (param.isNumeric)
        param.SetValue(value.number);
    else
        param.SetText(value.text);
    return ReachesStore(context_.graph(), node_);
}

bool TextureStep::Apply(bool forward) {
    // Refused for want of memory: the step leaves the history.
    if (!context_.resizeTexture(forward ? after_ : before_)) setObsolete(true);
    return false;  // resizing renders by itself
}
