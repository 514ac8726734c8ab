// The undo history without Qt: every edit is a command that makes its change
// in Redo, which Push calls, so the first do and every redo are one path.
// The rules follow QUndoStack's: pushing drops the redoable commands, a
// command may merge into the one before it (not across the clean state), and
// a command that turns out to change nothing (obsolete) leaves the history.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Command {
public:
    explicit Command(std::string text) : text_(std::move(text)) {}
    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    virtual void Redo() = 0;
    virtual void Undo() = 0;
    // Takes the change of `next`, pushed right after this one, into this one;
    // false when they do not belong together.
    virtual bool MergeWith(const Command& /*next*/) { return false; }

    const std::string& text() const { return text_; }
    bool obsolete() const { return obsolete_; }
    void SetObsolete(bool obsolete) { obsolete_ = obsolete; }

private:
    std::string text_;
    bool obsolete_ = false;
};

// Several commands as one step: redone in order, undone in reverse.
class MacroCommand : public Command {
public:
    using Command::Command;
    void Redo() override;
    void Undo() override;
    void Add(std::unique_ptr<Command> command) { children_.push_back(std::move(command)); }
    bool empty() const { return children_.empty(); }

private:
    std::vector<std::unique_ptr<Command>> children_;
};

class CommandStack {
public:
    // Called whenever what Undo and Redo would do or the clean state may have changed.
    std::function<void()> changed;

    // Redoes the command and keeps it (inside an open macro, as part of it).
    // False when it changed nothing and was dropped.
    bool Push(std::unique_ptr<Command> command);
    void Undo();
    void Redo();

    // Commands pushed between these make one step named `text`.
    void BeginMacro(std::string text);
    void EndMacro();

    bool CanUndo() const { return !macro_ && index_ > 0; }
    bool CanRedo() const { return !macro_ && index_ < commands_.size(); }
    std::string UndoText() const { return CanUndo() ? commands_[index_ - 1]->text() : ""; }
    size_t count() const { return commands_.size(); }
    std::string RedoText() const { return CanRedo() ? commands_[index_]->text() : ""; }

    // Clean: as when last saved or opened.
    bool IsClean() const { return !macro_ && clean_ == static_cast<long>(index_); }
    void SetClean();
    // Drops every command; the document as it is counts as clean.
    void Clear();

private:
    void Append(std::unique_ptr<Command> command);
    void DropAt(size_t index);
    void Notify() const {
        if (changed) changed();
    }

    std::vector<std::unique_ptr<Command>> commands_;
    size_t index_ = 0;  // commands before it are done
    long clean_ = 0;    // -1 when the clean state was dropped
    std::unique_ptr<MacroCommand> macro_;
};
