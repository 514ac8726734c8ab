#include "app/CommandStack.h"

void MacroCommand::Redo() {
    for (auto& child : children_) child->Redo();
}

void MacroCommand::Undo() {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) (*it)->Undo();
}

bool CommandStack::Push(std::unique_ptr<Command> command) {
    command->Redo();
    if (command->obsolete()) return false;
    if (macro_) {
        macro_->Add(std::move(command));
        return true;
    }
    Append(std::move(command));
    return true;
}

void CommandStack::Append(std::unique_ptr<Command> command) {
    commands_.resize(index_);
    if (clean_ > static_cast<long>(index_)) clean_ = -1;
    Command* top = index_ > 0 ? commands_[index_ - 1].get() : nullptr;
    if (top && clean_ != static_cast<long>(index_) && top->MergeWith(*command)) {
        if (top->obsolete()) DropAt(--index_);  // the merged change came back to the start
    } else {
        commands_.push_back(std::move(command));
        ++index_;
    }
    Notify();
}

void CommandStack::DropAt(size_t index) {
    commands_.erase(commands_.begin() + static_cast<long>(index));
    if (clean_ > static_cast<long>(index)) clean_ = -1;
}

void CommandStack::Undo() {
    if (!CanUndo()) return;
    Command& command = *commands_[--index_];
    command.Undo();
    if (command.obsolete()) DropAt(index_);
    Notify();
}

void CommandStack::Redo() {
    if (!CanRedo()) return;
    Command& command = *commands_[index_];
    command.Redo();
    if (command.obsolete())
        DropAt(index_);
    else
        ++index_;
    Notify();
}

void CommandStack::BeginMacro(std::string text) {
    if (!macro_) macro_ = std::make_unique<MacroCommand>(std::move(text));
}

void CommandStack::EndMacro() {
    if (!macro_) return;
    std::unique_ptr<MacroCommand> macro = std::move(macro_);
    if (macro->empty()) return Notify();
    Append(std::move(macro));
}

void CommandStack::SetClean() {
    clean_ = static_cast<long>(index_);
    Notify();
}

void CommandStack::Clear() {
    commands_.clear();
    index_ = 0;
    clean_ = 0;
    Notify();
}
